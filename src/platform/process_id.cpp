#include "platform/process_id.h"

#include <unistd.h>

namespace plat {

int ProcessId() {
    return static_cast<int>(getpid());
}

}  // namespace plat
