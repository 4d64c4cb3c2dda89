#include "platform/messages.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/runtime_internal.h"
#include "platform/time_units.h"

namespace plat {

struct Window {
    WNDPROC proc = nullptr;
    std::weak_ptr<ThreadState> owner;
    bool alive = true;  // guarded by windowsMutex
};

namespace {

// Windows are never freed, so a stale handle stays a harmless pointer to a dead window
// instead of dangling; like the rest of the runtime they outlive the static objects.
std::mutex& windowsMutex = *new std::mutex;
std::vector<std::unique_ptr<Window>>& windows = *new std::vector<std::unique_ptr<Window>>;
std::atomic<Window*> mainWindow{nullptr};
std::atomic<bool> closing{false};
std::atomic<void (*)()> windowSystemPump{nullptr};

void RunWindowSystemPump() {
    auto pump = windowSystemPump.load();
    if (pump && IsWindowThread()) pump();
}

std::shared_ptr<ThreadState> OwnerOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    std::lock_guard lock(windowsMutex);
    return hwnd->alive ? hwnd->owner.lock() : nullptr;
}

void Post(ThreadState& target, const MSG& msg) {
    {
        std::lock_guard lock(target.queue.mutex);
        // A quit is a state of the queue, not an event: one pending WM_QUIT is enough, so
        // a close that reposts it every millisecond cannot flood the queue.
        if (msg.message == WM_QUIT) {
            for (const MSG& m : target.queue.posted) {
                if (m.message == WM_QUIT) return;
            }
        }
        target.queue.posted.push_back(msg);
        ++target.queue.postedTotal;
    }
    target.queue.cv.notify_all();
}

// Serves every request waiting in the calling thread's sent lane, oldest first.
void ServeSentRequests() {
    MessageQueue& queue = detail::CurrentThread()->queue;
    for (;;) {
        std::shared_ptr<SentRequest> request;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.sent.empty()) return;
            request = std::move(queue.sent.front());
            queue.sent.pop_front();
        }
        {
            // A request whose sender has already returned is not run: nobody waits for it,
            // and the work it asked for belongs to a program that is closing.
            std::lock_guard lock(detail::SendMutex());
            if (request->abandoned) continue;
            request->started = true;
        }
        auto finish = [&](LRESULT result) {
            {
                std::lock_guard lock(detail::SendMutex());
                request->result = result;
                request->done = true;
            }
            detail::SendCv().notify_all();
        };
        try {
            finish(request->task());
        } catch (...) {
            finish(0);  // the sender must not wait for a task that failed
            throw;
        }
    }
}

// Queues a task on another thread's sent lane and blocks until it was served, the
// process started closing, or the caller was terminated.
LRESULT SendToThread(ThreadState& target, std::function<LRESULT()> task, LRESULT cancelled) {
    // A send is a cancellation point: a suspended thread makes no request.
    CancellationPoint();
    if (closing) return cancelled;
    auto request = std::make_shared<SentRequest>();
    request->task = std::move(task);
    {
        std::lock_guard lock(target.queue.mutex);
        target.queue.sent.push_back(request);
    }
    target.queue.cv.notify_all();

    ThreadState& self = *detail::CurrentThread();
    {
        std::unique_lock lock(detail::SendMutex());
        // Closing releases a sender whose request has not started; one that has started
        // runs to its end first, because its task may use the sender's data.
        detail::SendCv().wait(lock, [&] {
            return request->done || self.forcedExit || target.finished ||
                   (closing && !request->started);
        });
        if (request->done) return request->result;
        request->abandoned = true;
    }
    CancellationPoint();
    return cancelled;
}

bool TakePosted(MessageQueue& queue, MSG* msg, HWND hwnd, bool remove) {
    std::lock_guard lock(queue.mutex);
    // Back at its pump, the owner has finished with every message it took before.
    const std::uint64_t handled = queue.postedTotal - queue.posted.size();
    if (handled != queue.handledTotal) {
        queue.handledTotal = handled;
        queue.handledCv.notify_all();
    }
    auto it = std::find_if(queue.posted.begin(), queue.posted.end(), [&](const MSG& m) {
        return hwnd == nullptr || m.hwnd == hwnd || m.message == WM_QUIT;
    });
    if (it == queue.posted.end()) return false;
    if (msg) *msg = *it;
    if (remove) queue.posted.erase(it);
    return true;
}

}  // namespace

namespace detail {

std::mutex& SendMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::condition_variable& SendCv() {
    static auto* cv = new std::condition_variable;
    return *cv;
}

}  // namespace detail

HWND CreateWindow(WNDPROC proc) {
    auto window = std::make_unique<Window>();
    window->proc = proc;
    window->owner = detail::CurrentThread();
    HWND hwnd = window.get();
    std::lock_guard lock(windowsMutex);
    windows.push_back(std::move(window));
    return hwnd;
}

bool DestroyWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return false;
    if (hwnd->proc) SendMessage(hwnd, WM_DESTROY, 0, 0);
    {
        std::lock_guard lock(windowsMutex);
        hwnd->alive = false;
    }
    HWND expected = hwnd;
    mainWindow.compare_exchange_strong(expected, nullptr);
    return true;
}

bool IsWindow(HWND hwnd) {
    if (!hwnd) return false;
    std::lock_guard lock(windowsMutex);
    return hwnd->alive;
}

bool PostMessage(HWND hwnd, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    auto owner = OwnerOf(hwnd);
    if (!owner || owner->finished) return false;
    Post(*owner, MSG{hwnd, msg, wParam, lParam});
    return true;
}

bool PostThreadMessage(std::uint32_t threadId, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    auto target = detail::FindThread(threadId);
    if (!target || target->finished) return false;
    Post(*target, MSG{nullptr, msg, wParam, lParam});
    return true;
}

std::uint64_t PostThreadMessageTracked(std::uint32_t threadId, std::uint32_t msg, WPARAM wParam,
                                       LPARAM lParam) {
    auto target = detail::FindThread(threadId);
    if (!target || target->finished) return 0;
    std::lock_guard lock(target->queue.mutex);
    target->queue.posted.push_back(MSG{nullptr, msg, wParam, lParam});
    target->queue.cv.notify_all();
    return ++target->queue.postedTotal;
}

bool WaitForThreadMessageHandled(std::uint32_t threadId, std::uint64_t ticket, std::uint32_t ms) {
    auto target = detail::FindThread(threadId);
    if (!target) return true;
    const std::uint64_t deadline = RealMilliseconds() + ms;
    MessageQueue& queue = target->queue;
    std::unique_lock lock(queue.mutex);
    for (;;) {
        if (queue.handledTotal >= ticket || target->finished) return true;
        const std::uint64_t now = RealMilliseconds();
        if (now >= deadline) return false;
        // In slices, so that the end of the thread is noticed.
        queue.handledCv.wait_for(
            lock, std::chrono::milliseconds(std::min<std::uint64_t>(deadline - now, 10)));
    }
}

void PostQuitMessage(int exitCode) {
    Post(*detail::CurrentThread(), MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

LRESULT SendMessage(HWND hwnd, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    auto owner = OwnerOf(hwnd);
    if (!owner) return 0;
    WNDPROC proc = hwnd->proc;
    if (!proc) return 0;
    if (owner == detail::CurrentThread()) return proc(hwnd, msg, wParam, lParam);
    return SendToThread(
        *owner, [=] { return proc(hwnd, msg, wParam, lParam); }, 0);
}

LRESULT RunOnWindowThread(const std::function<LRESULT()>& task, LRESULT cancelled) {
    auto owner = OwnerOf(mainWindow.load());
    if (!owner || owner == detail::CurrentThread()) return task();
    return SendToThread(*owner, task, cancelled);
}

bool PeekMessage(MSG* msg, HWND hwnd, bool remove) {
    CancellationPoint();
    RunWindowSystemPump();
    ServeSentRequests();
    return TakePosted(detail::CurrentThread()->queue, msg, hwnd, remove);
}

bool GetMessage(MSG* msg) {
    for (;;) {
        if (PeekMessage(msg, nullptr, true)) return msg->message != WM_QUIT;
        // A bounded wait, so that suspension and termination are noticed.
        detail::WaitForQueueActivity(10);
    }
}

void WaitMessage() {
    MessageQueue& queue = detail::CurrentThread()->queue;
    for (;;) {
        CancellationPoint();
        RunWindowSystemPump();
        ServeSentRequests();
        {
            std::lock_guard lock(queue.mutex);
            if (!queue.posted.empty()) return;
        }
        detail::WaitForQueueActivity(10);
    }
}

void ServeSentMessages() {
    ServeSentRequests();
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !IsWindow(msg->hwnd) || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void SetMainWindow(HWND hwnd) {
    mainWindow = hwnd;
}

HWND GetMainWindow() {
    return mainWindow.load();
}

bool IsWindowThread() {
    auto owner = OwnerOf(mainWindow.load());
    return owner && owner == detail::CurrentThread();
}

void SetWindowSystemPump(void (*pump)()) {
    windowSystemPump = pump;
}

void WakeWindowThread() {
    auto owner = OwnerOf(mainWindow.load());
    if (!owner) return;
    {
        // A request nobody waits for ends the thread's wait and is then skipped; one is
        // enough however often the wake comes before the thread runs.
        static const std::shared_ptr<SentRequest> wake = [] {
            auto r = std::make_shared<SentRequest>();
            r->abandoned = true;
            return r;
        }();
        std::lock_guard lock(owner->queue.mutex);
        if (!owner->queue.sent.empty()) return;
        owner->queue.sent.push_back(wake);
    }
    owner->queue.cv.notify_all();
}

void BeginClosing() {
    {
        std::lock_guard lock(detail::SendMutex());
        closing = true;
    }
    detail::SendCv().notify_all();
}

bool IsClosing() {
    return closing;
}

void EndClosingForTests() {
    closing = false;
}

}  // namespace plat
