#include "platform/messages.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/runtime_internal.h"

namespace plat {

struct Window {
    WNDPROC proc = nullptr;
    std::weak_ptr<ThreadState> owner;
    bool alive = true;  // guarded by windowsMutex
};

namespace {

std::mutex windowsMutex;
// Windows are never freed while the process runs, so a stale handle stays a harmless
// pointer to a dead window instead of dangling.
std::vector<std::unique_ptr<Window>> windows;
std::atomic<Window*> mainWindow{nullptr};
std::atomic<bool> closing{false};

std::shared_ptr<ThreadState> OwnerOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    std::lock_guard lock(windowsMutex);
    return hwnd->alive ? hwnd->owner.lock() : nullptr;
}

void Post(ThreadState& target, const MSG& msg) {
    {
        std::lock_guard lock(target.queue.mutex);
        target.queue.posted.push_back(msg);
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
        }
        LRESULT result = request->task();
        {
            std::lock_guard lock(detail::SendMutex());
            request->result = result;
            request->done = true;
        }
        detail::SendCv().notify_all();
    }
}

// Queues a task on another thread's sent lane and blocks until it was served, the
// process started closing, or the caller was terminated.
LRESULT SendToThread(ThreadState& target, std::function<LRESULT()> task, LRESULT cancelled) {
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
        detail::SendCv().wait(lock, [&] {
            return request->done || closing || self.forcedExit || target.finished;
        });
        if (request->done) return request->result;
        request->abandoned = true;
    }
    CancellationPoint();
    return cancelled;
}

bool TakePosted(MessageQueue& queue, MSG* msg, HWND hwnd, bool remove) {
    std::lock_guard lock(queue.mutex);
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
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& SendCv() {
    static std::condition_variable cv;
    return cv;
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

bool PostThreadMessage(std::uint32_t threadId, std::uint32_t msg, WPARAM wParam,
                       LPARAM lParam) {
    auto target = detail::FindThread(threadId);
    if (!target || target->finished) return false;
    Post(*target, MSG{nullptr, msg, wParam, lParam});
    return true;
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
        ServeSentRequests();
        {
            std::lock_guard lock(queue.mutex);
            if (!queue.posted.empty()) return;
        }
        detail::WaitForQueueActivity(10);
    }
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !IsWindow(msg->hwnd) || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void SetMainWindow(HWND hwnd) { mainWindow = hwnd; }

HWND GetMainWindow() { return mainWindow.load(); }

bool IsWindowThread() {
    auto owner = OwnerOf(mainWindow.load());
    return owner && owner == detail::CurrentThread();
}

void BeginClosing() {
    {
        std::lock_guard lock(detail::SendMutex());
        closing = true;
    }
    detail::SendCv().notify_all();
}

bool IsClosing() { return closing; }

void EndClosingForTests() { closing = false; }

}  // namespace plat
