// Window messages and per-thread message queues.
//
// Every thread has a queue with two lanes: requests sent with SendMessage (served
// first, by every pump of the owning thread) and posted messages. A window belongs
// to the thread that created it; posting to a window posts to that thread's queue.
#pragma once

#include <cstdint>
#include <functional>

namespace plat {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct Window;
using HWND = Window*;

// Message numbers the player uses, with their Windows values.
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr std::uint32_t WM_GETMINMAXINFO = 0x0024;
constexpr std::uint32_t WM_COPYDATA = 0x004A;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_USER = 0x0400;
// The start message a starter repeats until a new thread can receive (and drops).
constexpr std::uint32_t WM_THREAD_START = 0x8000;

struct MSG {
    HWND hwnd = nullptr;
    std::uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

using WNDPROC = LRESULT (*)(HWND, std::uint32_t, WPARAM, LPARAM);

// Windows: a procedure bound to the calling thread. DestroyWindow sends WM_DESTROY.
HWND CreateWindow(WNDPROC proc);
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);

// Posting never blocks. False for a null or destroyed window or an unknown thread id.
bool PostMessage(HWND hwnd, std::uint32_t msg, WPARAM wParam, LPARAM lParam);
bool PostThreadMessage(std::uint32_t threadId, std::uint32_t msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Posts like PostThreadMessage and returns a ticket for WaitForThreadMessageHandled (0 when
// the post failed). The thread must take its messages in order (GetMessage with no window).
std::uint64_t PostThreadMessageTracked(std::uint32_t threadId, std::uint32_t msg, WPARAM wParam,
                                       LPARAM lParam);
// Waits up to ms of real time until the thread has taken the ticket's message and come back
// to its pump (so has finished handling it), or has ended. False when the time ran out.
bool WaitForThreadMessageHandled(std::uint32_t threadId, std::uint64_t ticket, std::uint32_t ms);

// From the window's own thread a direct call of its procedure. From any other thread
// the request waits in the window thread's sent lane until a pump serves it; it returns
// 0 at once when the process is closing (see BeginClosing) and the request has not
// started, or when the window or its thread is gone.
LRESULT SendMessage(HWND hwnd, std::uint32_t msg, WPARAM wParam, LPARAM lParam);

// Runs a task on the thread that owns the main window, as a sent request, and returns its
// result. On that thread itself, or before a main window exists (only the main thread runs
// then), the task runs directly, closing or not. From another thread it returns
// `cancelled` when the process is closing and the task has not started.
LRESULT RunOnWindowThread(const std::function<LRESULT()>& task, LRESULT cancelled);

// Pumps of the calling thread. Each serves pending sent requests first.
// PeekMessage: hwnd null = any message of this thread. Returns false when no posted
// message is waiting.
bool PeekMessage(MSG* msg, HWND hwnd, bool remove);
// Blocks until a posted message arrives; false for WM_QUIT.
bool GetMessage(MSG* msg);
// Blocks until a posted message (or a sent request, which it serves) arrives.
void WaitMessage();
LRESULT DispatchMessage(const MSG* msg);
// Serves the requests waiting in the calling thread's sent lane and nothing else: modal
// loops keep the posted messages queued until they end.
void ServeSentMessages();

// The main window: the window whose thread is the window thread. Boxes and other
// window-thread services are routed to it.
void SetMainWindow(HWND hwnd);
HWND GetMainWindow();
bool IsWindowThread();

// The window system's pump (the display window's events and frames): run on the window
// thread by every PeekMessage and WaitMessage (so also GetMessage) before the thread's own
// queue is read. Null for none.
void SetWindowSystemPump(void (*pump)());
// Wakes a pump of the window thread that is waiting for messages, without posting anything.
void WakeWindowThread();

// The close sequence raises this flag: from then on every pending and every new
// cross-thread SendMessage returns 0 at once, so no worker waits on a window thread
// that has stopped serving.
void BeginClosing();
bool IsClosing();
// Lowers the flag again, for tests that run several closing scenarios in one process.
void EndClosingForTests();

}  // namespace plat
