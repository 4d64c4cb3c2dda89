#include "base/thread.h"

#include "base/log.h"
#include "platform/clock.h"
#include "platform/messages.h"

cThread thGame;
cThread thPause;
cThread thRanking;
cThread thStageLoad;

namespace {

// A worker that has not ended after this many 1-ms polls is terminated. The real-time
// floor keeps the virtual clock, on which the polls return at once, from turning every
// ordinary shutdown into a forced one.
constexpr int kPollsBeforeTerminate = 200;
constexpr std::uint64_t kRealMsBeforeTerminate = 200;
// A terminated thread unwinds at its next wait; one that has none within this time (a busy
// loop, a blocking call) is given up on.
constexpr std::uint64_t kRealMsAfterTerminate = 1000;

}  // namespace

cThread::~cThread() {
    Exit();
}

int cThread::Create(plat::ThreadProc start, void* argument) {
    std::lock_guard lock(m_mutex);
    if (m_hThread) {
        ReportLog("cThread::Create Err (thread %u still runs)", m_dwThreadId.load());
        return 0;
    }
    std::uint32_t id = 0;
    m_hThread = plat::BeginThread(start, argument, &id);
    if (!m_hThread) {
        ReportLog("cThread::Create Err");
        return 0;
    }
    m_dwThreadId = id;
    return 1;
}

void cThread::Wait() {
    plat::HANDLE thread;
    {
        std::lock_guard lock(m_mutex);
        thread = m_hThread;
    }
    if (!thread) return;
    // Polls like a 1-ms sleep loop, but wakes as soon as the thread ends. The lock is not
    // held meanwhile, so a close sequence can still exit the thread.
    while (plat::WaitForSingleObject(thread, 1) == plat::WAIT_TIMEOUT) {
    }
    std::lock_guard lock(m_mutex);
    if (m_hThread == thread) {
        plat::CloseHandle(m_hThread);
        m_dwThreadId = 0;
    }
}

bool cThread::Suspend() {
    std::lock_guard lock(m_mutex);
    return !m_hThread || plat::SuspendThread(m_hThread) != -1;
}

bool cThread::Resume() {
    std::lock_guard lock(m_mutex);
    return !m_hThread || plat::ResumeThread(m_hThread) != -1;
}

bool cThread::Running() const {
    std::lock_guard lock(m_mutex);
    return m_hThread != nullptr;
}

bool cThread::Ended() const {
    std::lock_guard lock(m_mutex);
    return m_hThread != nullptr && plat::WaitForSingleObject(m_hThread, 0) == plat::WAIT_OBJECT_0;
}

void cThread::Exit() {
    // Two threads may exit the same object at once (the close sequence and a destructor):
    // the second waits for the first and then finds the object empty.
    std::lock_guard lock(m_mutex);
    if (!m_hThread) return;

    // One resume undoes one suspension; a close must end a thread suspended several times.
    while (plat::ResumeThread(m_hThread) > 1) {
    }

    ErrorLog("Exit A");
    plat::PostThreadMessage(m_dwThreadId, plat::WM_QUIT, 0, 0);
    ErrorLog("Exit B");
    ErrorLog("Exit C");

    // The repeated WM_QUIT matters: the worker loops look at their queue only between frames.
    const std::uint64_t start = plat::RealMilliseconds();
    std::uint64_t terminatedAt = 0;
    int polls = 0;
    while (plat::WaitForSingleObject(m_hThread, 0) == plat::WAIT_TIMEOUT) {
        plat::Sleep(1);
        plat::PostThreadMessage(m_dwThreadId, plat::WM_QUIT, 0, 0);
        ++polls;
        const std::uint64_t now = plat::RealMilliseconds();
        // Strictly more whole milliseconds: both readings are truncated.
        if (polls < kPollsBeforeTerminate || now - start <= kRealMsBeforeTerminate) continue;
        if (!terminatedAt) {
            plat::TerminateThread(m_hThread, 0);
            terminatedAt = now;
        } else if (now - terminatedAt >= kRealMsAfterTerminate) {
            ReportLog("cThread::Exit : thread %u did not end", m_dwThreadId.load());
            break;
        }
    }

    ErrorLog("Exit D");
    plat::CloseHandle(m_hThread);
    m_dwThreadId = 0;
    ErrorLog("Exit E");
}

void SuspendWorkerThreads() {
    thGame.Suspend();
    thPause.Suspend();
    thRanking.Suspend();
    thStageLoad.Suspend();
}

void ResumeWorkerThreads() {
    thGame.Resume();
    thPause.Resume();
    thRanking.Resume();
    thStageLoad.Resume();
}
