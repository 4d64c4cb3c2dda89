#include "platform/instance_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/seams.h"

namespace plat {

std::string InstanceLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/kestrune4.lock";
    return "/tmp/kestrune4-" + std::to_string(static_cast<unsigned>(getuid())) + ".lock";
}

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::Acquire() {
    if (held_) return true;
    holder_ = 0;
    if (fd_ < 0) {
        // Never follow a link someone planted in a shared /tmp.
        fd_ = open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) return false;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd_, F_SETLK, &lock) == 0) {
        held_ = true;
        return true;
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (fcntl(fd_, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) holder_ = probe.l_pid;
    return false;
}

bool InstanceLock::EndHolder(int waitMs) {
    if (held_) return true;
    if (holder_ <= 0 || holder_ == getpid() || FailStep("terminate_process")) return false;
    if (kill(holder_, SIGKILL) != 0 && errno != ESRCH) return false;
    const std::uint64_t end = RealMilliseconds() + static_cast<std::uint64_t>(waitMs);
    for (;;) {
        if (Acquire()) return true;
        if (RealMilliseconds() >= end) return true;
        usleep(2000);
    }
}

void InstanceLock::Release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    held_ = false;
}

}  // namespace plat
