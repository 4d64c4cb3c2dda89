// Waiting until a file's bytes are on the disk, so that a rename after it cannot leave a name
// for a file the disk does not yet hold.
#pragma once

#include <cstdio>

namespace plat {

// Writes out what the stream buffers, then what the system holds of the file; true when both
// succeeded.
bool FlushFileBuffers(std::FILE* file);

}  // namespace plat
