// The one-copy lock between processes: a copy that holds it is found with its pid, ending it
// hands the lock over, a lock file left by a killed copy stops nobody, and a refused end
// leaves the running copy alone.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old) saved = old;
        hadOld = old != nullptr;
        setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
        seams = plat::GetSeams();
    }
    void TearDown() override {
        for (pid_t child : children) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (hadOld)
            setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        plat::SetSeams(seams);
    }
    // A copy that takes the lock, tells the test through a pipe, and runs until killed.
    pid_t StartHolder() {
        int fds[2];
        if (pipe(fds) != 0) return -1;
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            plat::InstanceLock lock;
            const char held = lock.Acquire() ? '1' : '0';
            if (write(fds[1], &held, 1) != 1) _exit(3);
            for (;;) pause();
        }
        close(fds[1]);
        char held = 0;
        const bool told = read(fds[0], &held, 1) == 1;
        close(fds[0]);
        if (child > 0) children.push_back(child);
        return told && held == '1' ? child : -1;
    }

    // The holder another process finds (0: it took the lock itself, -1: no answer).
    static int HolderSeenByAnotherProcess() {
        int fds[2];
        if (pipe(fds) != 0) return -1;
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            plat::InstanceLock lock;
            const int holder = lock.Acquire() ? 0 : lock.HolderPid();
            _exit(write(fds[1], &holder, sizeof holder) == sizeof holder ? 0 : 1);
        }
        close(fds[1]);
        int holder = -1;
        if (read(fds[0], &holder, sizeof holder) != sizeof holder) holder = -1;
        close(fds[0]);
        waitpid(child, nullptr, 0);
        return holder;
    }

    TempDir dir;
    std::string saved;
    bool hadOld = false;
    plat::Seams seams;
    std::vector<pid_t> children;
};

TEST_F(InstanceLockTest, TheFileLiesInTheRuntimeFolderElseInTmpPerUser) {
    EXPECT_EQ(plat::InstanceLockPath(), dir.path + "/kestrune4.lock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(plat::InstanceLockPath(), "/tmp/kestrune4-" + std::to_string(getuid()) + ".lock");
}

TEST_F(InstanceLockTest, ASecondCopyFindsTheHolderAndEndingItHandsTheLockOver) {
    const pid_t holder = StartHolder();
    ASSERT_GT(holder, 0);
    plat::InstanceLock second;
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(second.Usable());
    EXPECT_EQ(second.HolderPid(), holder);
    // A generous wait: a loaded machine may take long to reap the killed copy.
    EXPECT_TRUE(second.EndHolder(5000));
    EXPECT_TRUE(second.Held());
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    children.clear();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    // A third copy (another process: a process never locks itself out) now meets this one.
    EXPECT_EQ(HolderSeenByAnotherProcess(), getpid());
}

TEST_F(InstanceLockTest, ARefusedEndLeavesTheRunningCopyAlone) {
    const pid_t holder = StartHolder();
    ASSERT_GT(holder, 0);
    plat::Seams failing = seams;
    failing.failSteps = {"terminate_process"};
    plat::SetSeams(failing);
    plat::InstanceLock second;
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.EndHolder(500));
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(waitpid(holder, nullptr, WNOHANG), 0);  // still running
}

TEST_F(InstanceLockTest, AFileLeftByAKilledCopyStopsNobody) {
    const pid_t holder = StartHolder();
    ASSERT_GT(holder, 0);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    children.clear();
    ASSERT_TRUE(std::filesystem::exists(dir.path + "/kestrune4.lock"));
    plat::InstanceLock next;
    EXPECT_TRUE(next.Acquire());
    EXPECT_EQ(next.HolderPid(), 0);
}

TEST_F(InstanceLockTest, ALinkPlantedAsTheLockFileIsNotFollowed) {
    const std::string target = dir.path + "/elsewhere";
    std::filesystem::create_symlink(target, dir.path + "/kestrune4.lock");
    plat::InstanceLock lock;
    EXPECT_FALSE(lock.Acquire());
    EXPECT_FALSE(lock.Usable());  // the program then runs unguarded, asking nothing
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
