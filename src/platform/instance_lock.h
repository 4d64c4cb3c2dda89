// The one-running-copy lock: an fcntl write lock on a file in the user's runtime folder
// ($XDG_RUNTIME_DIR/kestrune4.lock, else /tmp/kestrune4-UID.lock). The kernel drops the
// lock with its holder, so a file left by a killed copy stops nobody. The descriptor stays
// open for the life of the process.
#pragma once

#include <string>

namespace plat {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries to take the lock. True when this process holds it; false when another copy does
    // (HolderPid() then names it, or is 0 when it cannot be told) or when the file cannot be
    // opened (the program then runs unguarded: nothing to ask about).
    bool Acquire();
    bool Held() const { return held_; }
    // False when no lock file could be opened at all.
    bool Usable() const { return fd_ >= 0; }
    int HolderPid() const { return holder_; }
    // Ends the holding process (SIGKILL; K4_FAIL=terminate_process refuses) and waits up to
    // `waitMs` of real time for its lock to fall, taking it. False when the process could not
    // be ended; Held() tells whether the lock was then taken.
    bool EndHolder(int waitMs);
    // Drops the lock and closes the file.
    void Release();

private:
    int fd_ = -1;
    bool held_ = false;
    int holder_ = 0;
};

// The lock file's path for the current environment.
std::string InstanceLockPath();

}  // namespace plat
