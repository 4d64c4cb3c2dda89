// The message and thread runtime: queues, the sent and posted lanes, closing, suspension
// and termination. Every wait is bounded so that a fault fails the test instead of hanging it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/runtime_internal.h"
#include "platform/threads.h"

namespace {

using namespace std::chrono_literals;

// Spins (with short real sleeps) until pred holds or the limit passes.
template <class Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 2000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::atomic<int> sentSeen{0};
std::atomic<int> order[4];
std::atomic<int> orderCount{0};

plat::LRESULT RecordingProc(plat::HWND, std::uint32_t msg, plat::WPARAM w, plat::LPARAM) {
    if (msg == plat::WM_USER + 1) {
        order[orderCount++] = static_cast<int>(w);
        return static_cast<plat::LRESULT>(w * 10);
    }
    return 0;
}

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::UseRealClock();
        plat::ResetPlatformState();
        orderCount = 0;
        window = plat::CreateWindow(RecordingProc);
        plat::SetMainWindow(window);
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) {
        }
    }
    void TearDown() override {
        // Lowered before the window goes: a closing program sends it no WM_DESTROY.
        plat::EndClosingForTests();
        plat::DestroyWindow(window);
        plat::ResetPlatformState();
    }
    bool SentPending() {
        auto& q = plat::detail::CurrentThread()->queue;
        std::lock_guard lock(q.mutex);
        return !q.sent.empty();
    }
    plat::HWND window = nullptr;
};

std::atomic<bool> releaseBody{false};
std::atomic<int> receivedMessage{0};

unsigned PeekAfterRelease(void*) {
    while (!releaseBody) plat::Sleep(1);
    plat::MSG m;
    if (plat::PeekMessage(&m, nullptr, true)) receivedMessage = static_cast<int>(m.message);
    return 7;
}

TEST_F(RuntimeTest, PostToThreadThatHasNotPeekedIsDelivered) {
    releaseBody = false;
    receivedMessage = 0;
    std::uint32_t id = 0;
    plat::HANDLE h = plat::BeginThread(PeekAfterRelease, nullptr, &id);
    ASSERT_TRUE(h);
    // The thread owns its queue before it runs: the very first post succeeds.
    EXPECT_TRUE(plat::PostThreadMessage(id, plat::WM_USER + 9, 0, 0));
    releaseBody = true;
    EXPECT_EQ(plat::WaitForSingleObject(h, 2000), plat::WAIT_OBJECT_0);
    EXPECT_EQ(receivedMessage, static_cast<int>(plat::WM_USER + 9));
    plat::CloseHandle(h);
    EXPECT_FALSE(h);
    // An ended thread no longer accepts posts.
    EXPECT_FALSE(plat::PostThreadMessage(id, plat::WM_USER, 0, 0));
}

TEST_F(RuntimeTest, SendFromWorkerIsServedByWindowPumpSentBeforePosted) {
    plat::PostMessage(window, plat::WM_USER + 1, 2, 0);  // posted first
    std::atomic<plat::LRESULT> result{-1};
    std::thread worker([&] { result = plat::SendMessage(window, plat::WM_USER + 1, 1, 0); });
    ASSERT_TRUE(WaitUntil([&] { return SentPending(); }));
    // Not served until the window thread pumps.
    EXPECT_EQ(orderCount, 0);
    plat::MSG m;
    ASSERT_TRUE(plat::PeekMessage(&m, nullptr, true));
    plat::DispatchMessage(&m);
    worker.join();
    EXPECT_EQ(result, 10);
    ASSERT_EQ(orderCount, 2);
    EXPECT_EQ(order[0], 1);  // the sent request
    EXPECT_EQ(order[1], 2);  // then the posted message
}

TEST_F(RuntimeTest, SendOnOwnThreadIsADirectCall) {
    EXPECT_EQ(plat::SendMessage(window, plat::WM_USER + 1, 4, 0), 40);
    EXPECT_EQ(orderCount, 1);
}

TEST_F(RuntimeTest, ClosingReleasesBlockedSenderWithoutPumping) {
    std::atomic<bool> returned{false};
    std::atomic<plat::LRESULT> result{-1};
    std::thread worker([&] {
        result = plat::SendMessage(window, plat::WM_USER + 1, 3, 0);
        returned = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return SentPending(); }));
    plat::BeginClosing();
    // Nobody pumps: only the closing flag can release the sender.
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, 1000ms));
    worker.join();
    EXPECT_EQ(result, 0);
    // New sends return at once too.
    std::thread late([&] { result = plat::SendMessage(window, plat::WM_USER + 1, 5, 0); });
    late.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(orderCount, 0);
}

TEST_F(RuntimeTest, RunOnWindowThreadRunsTheTaskOnTheWindowThread) {
    std::atomic<bool> onWindowThread{false};
    std::atomic<plat::LRESULT> result{0};
    std::thread worker([&] {
        result = plat::RunOnWindowThread(
            [&] {
                onWindowThread = plat::IsWindowThread();
                return plat::LRESULT{5};
            },
            -1);
    });
    ASSERT_TRUE(WaitUntil([&] { return SentPending(); }));
    plat::MSG m;
    plat::PeekMessage(&m, nullptr, true);
    worker.join();
    EXPECT_TRUE(onWindowThread);
    EXPECT_EQ(result, 5);
}

TEST_F(RuntimeTest, PostToDestroyedWindowFails) {
    plat::HWND other = plat::CreateWindow(RecordingProc);
    EXPECT_TRUE(plat::PostMessage(other, plat::WM_USER, 0, 0));
    plat::DestroyWindow(other);
    EXPECT_FALSE(plat::PostMessage(other, plat::WM_USER, 0, 0));
    EXPECT_EQ(plat::SendMessage(other, plat::WM_USER + 1, 1, 0), 0);
    EXPECT_FALSE(plat::PostMessage(nullptr, plat::WM_USER, 0, 0));
}

std::atomic<int> ticks{0};

unsigned TickUntilQuit(void*) {
    for (;;) {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) {
            if (m.message == plat::WM_QUIT) return 1;
        }
        ++ticks;
        plat::Sleep(1);
    }
}

TEST_F(RuntimeTest, SuspendedThreadParksUntilResumedAndTerminateUnwindsIt) {
    ticks = 0;
    std::uint32_t id = 0;
    plat::HANDLE h = plat::BeginThread(TickUntilQuit, nullptr, &id);
    ASSERT_TRUE(WaitUntil([&] { return ticks > 2; }));
    EXPECT_EQ(plat::SuspendThread(h), 0);
    EXPECT_EQ(plat::SuspendThread(h), 1);
    std::this_thread::sleep_for(20ms);
    int parked = ticks;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(ticks, parked);
    EXPECT_EQ(plat::ResumeThread(h), 2);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(ticks, parked);  // still suspended once
    EXPECT_EQ(plat::ResumeThread(h), 1);
    EXPECT_TRUE(WaitUntil([&] { return ticks > parked + 2; }));

    // A terminated thread unwinds at its next cancellation point, even while suspended.
    plat::SuspendThread(h);
    plat::TerminateThread(h, 9);
    EXPECT_EQ(plat::WaitForSingleObject(h, 2000), plat::WAIT_OBJECT_0);
    EXPECT_EQ(h->exitCode, 9u);
    plat::CloseHandle(h);
}

TEST_F(RuntimeTest, StartedRequestRunsToItsEndWhenClosingBegins) {
    std::atomic<plat::LRESULT> result{-1};
    std::thread worker([&] {
        const plat::LRESULT senderData = 77;  // lives on the sender's stack
        result = plat::RunOnWindowThread(
            [&] {
                plat::BeginClosing();
                std::this_thread::sleep_for(20ms);
                return senderData;
            },
            -1);
    });
    ASSERT_TRUE(WaitUntil([&] { return SentPending(); }));
    plat::MSG m;
    plat::PeekMessage(&m, nullptr, true);
    worker.join();
    EXPECT_EQ(result, 77);
}

TEST_F(RuntimeTest, QuitIsPendingAtMostOnce) {
    for (int i = 0; i < 3; ++i) plat::PostQuitMessage(i);
    plat::PostMessage(window, plat::WM_USER, 0, 0);
    plat::PostQuitMessage(9);
    int quits = 0, others = 0;
    plat::MSG m;
    while (plat::PeekMessage(&m, nullptr, true)) (m.message == plat::WM_QUIT ? quits : others)++;
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(others, 1);
}

std::atomic<bool> releaseOwner{false};
std::atomic<plat::HWND> ownedWindow{nullptr};

unsigned OwnWindowThenEnd(void*) {
    ownedWindow = plat::CreateWindow(RecordingProc);
    while (!releaseOwner) plat::Sleep(1);
    return 0;
}

TEST_F(RuntimeTest, SenderIsReleasedWhenTheWindowsThreadEnds) {
    releaseOwner = false;
    ownedWindow = nullptr;
    plat::HANDLE owner = plat::BeginThread(OwnWindowThenEnd, nullptr, nullptr);
    ASSERT_TRUE(WaitUntil([] { return ownedWindow.load() != nullptr; }));
    std::atomic<bool> returned{false};
    std::thread sender([&] {
        plat::SendMessage(ownedWindow, plat::WM_USER + 1, 1, 0);
        returned = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned);  // the owner never pumps
    releaseOwner = true;
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, 2000ms));
    sender.join();
    plat::CloseHandle(owner);
}

std::atomic<bool> releaseSleeper{false};

unsigned SleepUntilReleased(void*) {
    while (!releaseSleeper) plat::Sleep(1);
    return 0;
}

unsigned WaitForever(void* other) {
    plat::WaitForSingleObject(*static_cast<plat::HANDLE*>(other), plat::INFINITE);
    return 1;
}

TEST_F(RuntimeTest, TerminatedThreadLeavesAnEndlessWait) {
    releaseSleeper = false;
    plat::HANDLE sleeper = plat::BeginThread(SleepUntilReleased, nullptr, nullptr);
    plat::HANDLE waiter = plat::BeginThread(WaitForever, &sleeper, nullptr);
    std::this_thread::sleep_for(20ms);
    plat::TerminateThread(waiter, 5);
    EXPECT_EQ(plat::WaitForSingleObject(waiter, 2000), plat::WAIT_OBJECT_0);
    EXPECT_EQ(waiter->exitCode, 5u);
    releaseSleeper = true;
    plat::CloseHandle(waiter);
    plat::CloseHandle(sleeper);
}

std::atomic<bool> sendNow{false};

unsigned SendWhenTold(void* hwnd) {
    while (!sendNow) plat::Sleep(1);
    plat::SendMessage(static_cast<plat::HWND>(hwnd), plat::WM_USER + 1, 6, 0);
    return 0;
}

TEST_F(RuntimeTest, SuspendedThreadMakesNoRequest) {
    sendNow = false;
    plat::HANDLE h = plat::BeginThread(SendWhenTold, window, nullptr);
    plat::SuspendThread(h);
    sendNow = true;
    plat::MSG m;
    for (int i = 0; i < 30; ++i) {
        plat::PeekMessage(&m, nullptr, true);
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(orderCount, 0);
    plat::ResumeThread(h);
    EXPECT_TRUE(WaitUntil([&] {
        plat::PeekMessage(&m, nullptr, true);
        return orderCount == 1;
    }));
    plat::CloseHandle(h);
}

TEST(VirtualClock, AdvancesOnlyBySleepsAndSteps) {
    plat::UseVirtualClock(0x00010000);
    EXPECT_EQ(plat::timeGetTime(), 0x00010000u);
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(plat::timeGetTime(), 0x00010000u);
    plat::Sleep(16);
    EXPECT_EQ(plat::timeGetTime(), 0x00010010u);
    plat::StepVirtualClock(1000);
    EXPECT_EQ(plat::timeGetTime(), 0x000103F8u);
    EXPECT_EQ(plat::QueryPerformanceCounter(), std::int64_t{0x000103F8} * 1000);
    plat::UseRealClock();
}

TEST(VirtualClock, RealSleepWaitsAtLeastItsTime) {
    plat::UseRealClock();
    auto t0 = plat::timeGetTime();
    plat::Sleep(5);
    EXPECT_GE(plat::timeGetTime() - t0, 4u);
}

TEST(TimeReached, ComparesAcrossTheWrap) {
    EXPECT_TRUE(plat::TimeReached(5, 5));
    EXPECT_TRUE(plat::TimeReached(0x00000005u, 0xFFFFFFF0u));
    EXPECT_FALSE(plat::TimeReached(0xFFFFFFF0u, 0x00000005u));
    EXPECT_FALSE(plat::TimeReached(4, 5));
}

}  // namespace

namespace {

std::atomic<bool> holdHandler{false};
std::atomic<int> handledMessages{0};

// Handles each message slowly: it holds while told to, then counts the message.
unsigned SlowHandler(void*) {
    plat::MSG m;
    while (plat::GetMessage(&m)) {
        while (holdHandler) std::this_thread::sleep_for(1ms);
        ++handledMessages;
    }
    return 0;
}

// A tracked post counts as handled only once the thread is back at its pump for the next
// message, not when it has merely taken it.
TEST_F(RuntimeTest, ATrackedPostIsHandledWhenTheThreadComesBackToItsPump) {
    holdHandler = true;
    handledMessages = 0;
    std::uint32_t id = 0;
    plat::HANDLE h = plat::BeginThread(SlowHandler, nullptr, &id);
    ASSERT_TRUE(h);
    const std::uint64_t first = plat::PostThreadMessageTracked(id, plat::WM_USER + 1, 0, 0);
    const std::uint64_t second = plat::PostThreadMessageTracked(id, plat::WM_USER + 2, 0, 0);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(second, first + 1);
    EXPECT_FALSE(plat::WaitForThreadMessageHandled(id, first, 50));  // taken, still in hand
    holdHandler = false;
    EXPECT_TRUE(plat::WaitForThreadMessageHandled(id, second, 2000));
    EXPECT_EQ(handledMessages, 2);
    ASSERT_TRUE(plat::PostThreadMessage(id, plat::WM_QUIT, 0, 0));
    EXPECT_EQ(plat::WaitForSingleObject(h, 2000), plat::WAIT_OBJECT_0);
    // An ended thread takes no post, and waiting on it never blocks.
    EXPECT_EQ(plat::PostThreadMessageTracked(id, plat::WM_USER, 0, 0), 0u);
    EXPECT_TRUE(plat::WaitForThreadMessageHandled(id, second + 1, 2000));
    plat::CloseHandle(h);
}

}  // namespace
