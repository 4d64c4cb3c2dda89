// Shared state of the thread and message runtime (messages.cpp, threads.cpp, clock.cpp).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/messages.h"
#include "platform/threads.h"

namespace plat {

// A request waiting in a thread's sent lane. The sender may give up on it (closing);
// the server then still finishes it, and nobody reads the result.
// The three flags are guarded by detail::SendMutex(). A request that has started runs to
// its end with its sender still waiting, so a task may use the sender's data; one that has
// not started when closing begins is abandoned and never runs.
struct SentRequest {
    std::function<LRESULT()> task;
    LRESULT result = 0;
    bool started = false;
    bool done = false;
    bool abandoned = false;
};

struct MessageQueue {
    std::mutex mutex;
    std::condition_variable cv;  // new posted message, new sent request, or a wake-up
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentRequest>> sent;
    // Tracked posts (PostThreadMessageTracked): messages ever queued, and how many of them
    // had left the queue when the owner last came back to its pump, i.e. were handled.
    std::uint64_t postedTotal = 0;
    std::uint64_t handledTotal = 0;
    std::condition_variable handledCv;
};

struct ThreadState {
    std::uint32_t id = 0;
    MessageQueue queue;

    std::thread thread;
    bool startedByRuntime = false;  // false for adopted threads (the main thread, tests)
    ThreadProc proc = nullptr;
    void* arg = nullptr;

    std::mutex mutex;            // guards exitCode and the waits below
    std::condition_variable cv;  // end of the thread, resume, terminate
    std::atomic<bool> finished{false};
    std::atomic<int> suspendCount{0};
    std::atomic<bool> forcedExit{false};
    unsigned exitCode = 0;

    ThreadState() = default;
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;
    // A handle dropped without CloseHandle leaves its thread to run to its end.
    ~ThreadState() {
        if (thread.joinable()) thread.detach();
    }
};

// Thrown at a cancellation point of a terminated thread; caught only by the entry wrapper.
struct ThreadUnwind {};

namespace detail {

// The calling thread's state, adopted on first use for threads the runtime did not start.
// It stays valid while the thread's thread-local objects are destroyed and (for the main
// thread) while the program's static objects are.
const std::shared_ptr<ThreadState>& CurrentThread();
// Threads started by the runtime that have not ended.
int LiveRuntimeThreads();
std::shared_ptr<ThreadState> FindThread(std::uint32_t id);
void RegisterThread(const std::shared_ptr<ThreadState>& state);

// One mutex and condition for every waiting sender: a request finishing and the closing
// flag rising both wake them.
std::mutex& SendMutex();
std::condition_variable& SendCv();

// Waits up to ms of real time for the calling thread's queue to receive something.
void WaitForQueueActivity(std::uint32_t ms);
// A real-time sleep that a termination interrupts.
void SleepInterruptible(std::uint32_t ms);
// Wakes every wait of a thread (its queue and its own condition).
void WakeThread(ThreadState& state);

}  // namespace detail
}  // namespace plat
