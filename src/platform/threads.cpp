#include "platform/threads.h"

#include "platform/time_units.h"
#include <cstdio>
#include <map>
#include <system_error>

#include "platform/clock.h"
#include "platform/runtime_internal.h"
#include "platform/seams.h"

namespace plat {
namespace detail {
namespace {

std::mutex registryMutex;
std::map<std::uint32_t, std::weak_ptr<ThreadState>> registry;
std::atomic<std::uint32_t> nextThreadId{0x100};

thread_local std::shared_ptr<ThreadState> currentThread;

// How long CloseHandle waits for a thread that has not ended before leaving it to
// process exit.
constexpr auto kJoinLimit = std::chrono::milliseconds(2000);

}  // namespace

void RegisterThread(const std::shared_ptr<ThreadState>& state) {
    std::lock_guard lock(registryMutex);
    for (auto it = registry.begin(); it != registry.end();) {
        it = it->second.expired() ? registry.erase(it) : std::next(it);
    }
    registry[state->id] = state;
}

const std::shared_ptr<ThreadState>& CurrentThread() {
    if (!currentThread) {
        currentThread = std::make_shared<ThreadState>();
        currentThread->id = nextThreadId++;
        RegisterThread(currentThread);
    }
    return currentThread;
}

std::shared_ptr<ThreadState> FindThread(std::uint32_t id) {
    std::lock_guard lock(registryMutex);
    auto it = registry.find(id);
    return it == registry.end() ? nullptr : it->second.lock();
}

void WakeThread(ThreadState& state) {
    {
        std::lock_guard lock(state.queue.mutex);
    }
    state.queue.cv.notify_all();
    {
        std::lock_guard lock(state.mutex);
    }
    state.cv.notify_all();
    {
        std::lock_guard lock(SendMutex());
    }
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
    currentThread = state;
    unsigned code = 0;
    try {
        code = state->proc(state->arg);
    } catch (const ThreadUnwind&) {
        code = state->exitCode;
    }
    {
        std::lock_guard lock(state->mutex);
        state->exitCode = code;
        state->finished = true;
    }
    state->cv.notify_all();
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
    // The queue exists and is registered before the body runs, so the first post succeeds.
    detail::RegisterThread(state);
    try {
        state->thread = std::thread(detail::ThreadEntry, state);
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "thread creation failed: %s\n", e.what());
        return nullptr;
    }
    if (threadId) *threadId = state->id;
    return state;
}

std::uint32_t GetCurrentThreadId() { return detail::CurrentThread()->id; }

std::uint32_t WaitForSingleObject(const HANDLE& thread, std::uint32_t ms) {
    if (!thread) return WAIT_OBJECT_0;
    CancellationPoint();
    if (!thread->finished && ms != 0) {
        std::unique_lock lock(thread->mutex);
        auto done = [&] { return thread->finished.load() || detail::CurrentThread()->forcedExit; };
        if (ms == INFINITE) {
            thread->cv.wait(lock, done);
        } else {
            thread->cv.wait_for(lock, std::chrono::milliseconds(ms), done);
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
    if (!thread->forcedExit.exchange(true)) {
        std::lock_guard lock(thread->mutex);
        thread->exitCode = exitCode;
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
        ended = state->cv.wait_for(lock, detail::kJoinLimit,
                                   [&] { return state->finished.load(); });
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
    if (self.forcedExit && self.startedByRuntime) throw ThreadUnwind{};
}

}  // namespace plat
