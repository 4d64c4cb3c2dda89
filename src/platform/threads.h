// Threads of the program. Each owns a message queue before its body runs, so the first
// post to it succeeds. Suspension and termination are cooperative: a suspended thread
// parks, and a terminated one unwinds, at its next cancellation point (Sleep, PeekMessage,
// GetMessage, WaitMessage, SendMessage, WaitForSingleObject).
#pragma once

#include <cstdint>
#include <memory>

namespace plat {

struct ThreadState;
using HANDLE = std::shared_ptr<ThreadState>;
using ThreadProc = unsigned (*)(void*);

constexpr std::uint32_t WAIT_OBJECT_0 = 0;
constexpr std::uint32_t WAIT_TIMEOUT = 258;
constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

// Starts a thread running proc(arg). Null when it could not be created
// (K4_FAIL=thread_create simulates that).
HANDLE BeginThread(ThreadProc proc, void* arg, std::uint32_t* threadId);
std::uint32_t GetCurrentThreadId();

// WAIT_OBJECT_0 once the thread has ended, else WAIT_TIMEOUT after ms of real time (on the
// virtual clock too: the wait is for another thread, not for game time).
std::uint32_t WaitForSingleObject(const HANDLE& thread, std::uint32_t ms);

// Previous suspend count, or -1 for a null handle.
int SuspendThread(const HANDLE& thread);
int ResumeThread(const HANDLE& thread);

// Raises the forced-exit flag: the thread unwinds to its entry at its next cancellation point
// (by an internal exception that nothing else may catch: no catch (...) in game code, and
// destructors must not depend on reaching a cancellation point).
bool TerminateThread(const HANDLE& thread, unsigned exitCode);

// Releases the handle. An ended thread is joined; one that does not end within a bounded
// real time is logged on stderr and left to process exit.
void CloseHandle(HANDLE& thread);

// Checks suspension and forced exit of the calling thread; called by every cancellation point.
void CancellationPoint();

}  // namespace plat
