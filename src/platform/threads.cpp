#include "platform/threads.h"

#include <cstdio>
#include <exception>
#include <map>
#include <system_error>

#include "platform/clock.h"
#include "platform/runtime_internal.h"
#include "platform/seams.h"
#include "platform/time_units.h"

namespace plat {
namespace detail {
namespace {

// The runtime's shared objects are never destroyed: threads left to process exit, and the
// destructors of the program's static objects, may still use them.
std::mutex& RegistryMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::map<std::uint32_t, std::weak_ptr<ThreadState>>& Registry() {
    static auto* registry = new std::map<std::uint32_t, std::weak_ptr<ThreadState>>;
    return *registry;
}
std::atomic<std::uint32_t> nextThreadId{0x100};
std::atomic<int> liveRuntimeThreads{0};

// The calling thread's state lives in a plain pointer (valid at any time of the thread's
// life, its end included) and is released by a marker destroyed with the thread's locals.
struct CurrentSlot {
    std::shared_ptr<ThreadState> state;
};
thread_local CurrentSlot* currentSlot = nullptr;

void MarkFinished(ThreadState& state) {
    {
        std::lock_guard lock(state.mutex);
        state.finished = true;
    }
    state.cv.notify_all();
    // Senders waiting on this thread give up when it has ended.
    { std::lock_guard lock(SendMutex()); }
    SendCv().notify_all();
}

struct ExitMarker {
    bool armed = false;
    ~ExitMarker() {
        if (!currentSlot) return;
        MarkFinished(*currentSlot->state);
        // Code that runs after this (static destructors on the main thread) adopts anew.
        delete currentSlot;
        currentSlot = nullptr;
    }
};
thread_local ExitMarker exitMarker;

void SetCurrent(std::shared_ptr<ThreadState> state) {
    currentSlot = new CurrentSlot{std::move(state)};
    exitMarker.armed = true;  // constructs the marker for this thread
}

// How long CloseHandle waits for a thread that has not ended before leaving it to
// process exit.
constexpr auto kJoinLimit = std::chrono::milliseconds(2000);
// Waits that a termination must interrupt are made of slices this long.
constexpr auto kWaitSlice = std::chrono::milliseconds(10);

}  // namespace

void RegisterThread(const std::shared_ptr<ThreadState>& state) {
    std::lock_guard lock(RegistryMutex());
    auto& registry = Registry();
    for (auto it = registry.begin(); it != registry.end();) {
        it = it->second.expired() ? registry.erase(it) : std::next(it);
    }
    registry[state->id] = state;
}

const std::shared_ptr<ThreadState>& CurrentThread() {
    if (!currentSlot) {
        auto state = std::make_shared<ThreadState>();
        state->id = nextThreadId++;
        RegisterThread(state);
        SetCurrent(std::move(state));
    }
    return currentSlot->state;
}

int LiveRuntimeThreads() {
    return liveRuntimeThreads;
}

std::shared_ptr<ThreadState> FindThread(std::uint32_t id) {
    std::lock_guard lock(RegistryMutex());
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : it->second.lock();
}

void WakeThread(ThreadState& state) {
    { std::lock_guard lock(state.queue.mutex); }
    state.queue.cv.notify_all();
    { std::lock_guard lock(state.mutex); }
    state.cv.notify_all();
    { std::lock_guard lock(SendMutex()); }
    SendCv().notify_all();
}

void WaitForQueueActivity(std::uint32_t ms) {
    ThreadState& self = *CurrentThread();
    std::unique_lock lock(self.queue.mutex);
    self.queue.cv.wait_for(lock, std::chrono::milliseconds(ms), [&] {
        return !self.queue.posted.empty() || !self.queue.sent.empty() || self.forcedExit;
    });
}

void SleepInterruptible(std::uint32_t ms) {
    ThreadState& self = *CurrentThread();
    std::unique_lock lock(self.mutex);
    self.cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return self.forcedExit.load(); });
}

namespace {

// Runs the body with its own queue already registered; a terminated body unwinds here.
void ThreadEntry(std::shared_ptr<ThreadState> state) {
    SetCurrent(state);
    unsigned code = 0;
    bool unwound = false;
    try {
        code = state->proc(state->arg);
    } catch (const ThreadUnwind&) {
        unwound = true;
    }
    {
        std::lock_guard lock(state->mutex);
        if (!unwound) state->exitCode = code;
    }
    --liveRuntimeThreads;
    MarkFinished(*state);
}

}  // namespace
}  // namespace detail

HANDLE BeginThread(ThreadProc proc, void* arg, std::uint32_t* threadId) {
    if (FailStep("thread_create")) return nullptr;
    auto state = std::make_shared<ThreadState>();
    state->id = detail::nextThreadId++;
    state->proc = proc;
    state->arg = arg;
    state->startedByRuntime = true;
    // The queue exists and is registered, and the caller knows the id, before the body runs.
    detail::RegisterThread(state);
    if (threadId) *threadId = state->id;
    ++detail::liveRuntimeThreads;
    try {
        state->thread = std::thread(detail::ThreadEntry, state);
    } catch (const std::system_error& e) {
        --detail::liveRuntimeThreads;
        state->finished = true;
        std::fprintf(stderr, "thread creation failed: %s\n", e.what());
        return nullptr;
    }
    return state;
}

std::uint32_t GetCurrentThreadId() {
    return detail::CurrentThread()->id;
}

std::uint32_t WaitForSingleObject(const HANDLE& thread, std::uint32_t ms) {
    if (!thread) return WAIT_OBJECT_0;
    CancellationPoint();
    if (!thread->finished && ms != 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        std::unique_lock lock(thread->mutex);
        // In slices, so that a termination of the waiting thread is noticed.
        while (!thread->finished) {
            auto until = std::chrono::steady_clock::now() + detail::kWaitSlice;
            if (ms != INFINITE && until > deadline) until = deadline;
            thread->cv.wait_until(lock, until, [&] { return thread->finished.load(); });
            if (ms != INFINITE && std::chrono::steady_clock::now() >= deadline) break;
            lock.unlock();
            CancellationPoint();
            lock.lock();
        }
    }
    CancellationPoint();
    return thread->finished ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

int SuspendThread(const HANDLE& thread) {
    if (!thread) return -1;
    return thread->suspendCount++;
}

int ResumeThread(const HANDLE& thread) {
    if (!thread) return -1;
    int previous = thread->suspendCount.load();
    while (previous > 0 && !thread->suspendCount.compare_exchange_weak(previous, previous - 1)) {
    }
    if (previous <= 1) detail::WakeThread(*thread);
    return previous;
}

bool TerminateThread(const HANDLE& thread, unsigned exitCode) {
    if (!thread) return false;
    {
        std::lock_guard lock(thread->mutex);
        if (!thread->forcedExit) thread->exitCode = exitCode;
        thread->forcedExit = true;
    }
    detail::WakeThread(*thread);
    return true;
}

void CloseHandle(HANDLE& thread) {
    if (!thread) return;
    HANDLE state = std::move(thread);
    thread = nullptr;
    if (!state->thread.joinable()) return;
    if (state->thread.get_id() == std::this_thread::get_id()) {
        state->thread.detach();
        return;
    }
    bool ended;
    {
        std::unique_lock lock(state->mutex);
        ended =
            state->cv.wait_for(lock, detail::kJoinLimit, [&] { return state->finished.load(); });
    }
    if (ended) {
        state->thread.join();
    } else {
        std::fprintf(stderr, "thread %u did not end; left to process exit\n", state->id);
        state->thread.detach();
    }
}

void CancellationPoint() {
    ThreadState& self = *detail::CurrentThread();
    if (self.suspendCount > 0 && !self.forcedExit) {
        std::unique_lock lock(self.mutex);
        self.cv.wait(lock, [&] { return self.suspendCount <= 0 || self.forcedExit; });
    }
    // Never while an exception is already unwinding the thread: a destructor that reaches
    // a cancellation point must not throw a second one.
    if (self.forcedExit && self.startedByRuntime && std::uncaught_exceptions() == 0) {
        throw ThreadUnwind{};
    }
}

}  // namespace plat
