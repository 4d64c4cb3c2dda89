// The data layer's mutable globals, put back to their program-start values.
#pragma once

// The base layer's globals first, then every record global of src/data (data_globals.cpp
// lists them).
void ResetDataGlobals();
