// A stored record that holds more fields or strings than its class has at the file's version
// is damaged. Reading it would take the checked access, which asks the program to close over
// a player's file; the read ends before it instead.
#pragma once

#include "data/record_io.h"
#include "data/serial_record.h"

// True when the record body at the reader's position stores no more fields and strings than
// `record` registers; otherwise the reader stops there and the answer is false. Counts the
// record can hold are left to its own Load to read (and a body cut short to find).
bool RefuseSurplus(RecordReader& reader, SerialRecord& record);
