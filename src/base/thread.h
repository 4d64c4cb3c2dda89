// The thread object of the program and its four global instances.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/threads.h"

class cThread {
public:
    cThread() = default;
    cThread(const cThread&) = delete;
    cThread& operator=(const cThread&) = delete;
    ~cThread();

    // 1 when the thread runs; 0 (object left empty) when it could not be created. An object
    // that still holds a thread refuses (0) and keeps it.
    int Create(plat::ThreadProc start, void* argument);
    // Until the thread has ended, 1-ms sleeps; then the object is empty.
    void Wait();
    bool Suspend();
    bool Resume();
    // The forced end: resume fully, post WM_QUIT, poll every 1 ms reposting it, and from
    // the 200th poll (and at least 200 ms of real time) terminate. A thread that still does
    // not end is logged and left to process exit. Safe from two threads.
    void Exit();

    bool Running() const;
    // True once the thread's function has returned (the object still holds it until Wait).
    bool Ended() const;
    // 0 while the object is empty.
    std::uint32_t ThreadId() const { return m_dwThreadId; }

private:
    std::atomic<std::uint32_t> m_dwThreadId{0};
    plat::HANDLE m_hThread;
    mutable std::mutex m_mutex;  // guards m_hThread against two concurrent Exit calls
};

extern cThread thGame;
extern cThread thPause;
extern cThread thRanking;
extern cThread thStageLoad;

void SuspendWorkerThreads();
void ResumeWorkerThreads();

// Body of the game thread: one frame of the scene manager per turn while the
// application is active, until WM_QUIT.
unsigned GameLoop(void* argument);
