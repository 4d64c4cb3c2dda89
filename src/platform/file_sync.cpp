#include "platform/file_sync.h"

#include <unistd.h>

namespace plat {

bool FlushFileBuffers(std::FILE* file) {
    // Both are tried, whatever the first gave.
    const bool flushed = std::fflush(file) == 0;
    const bool synced = fsync(fileno(file)) == 0;
    return flushed && synced;
}

}  // namespace plat
