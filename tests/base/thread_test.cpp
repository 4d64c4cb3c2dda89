// cThread and GameLoop over the platform runtime. Waits are bounded.
#include "base/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "base/globals.h"
#include "base/log.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "platform/time_units.h"
#include "scene/scene_manager.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <class Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 2000ms) {
    auto end = Clock::now() + limit;
    while (!pred()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::atomic<int> closeRequests{0};

plat::LRESULT MainProc(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSeams(plat::Seams{});
        plat::UseRealClock();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(MainProc);
        plat::SetMainWindow(hWndMain);
        bActiveApp = 1;
    }
    void TearDown() override {
        SceneMgr.frameFunction = nullptr;
        plat::DestroyWindow(hWndMain);
        hWndMain = nullptr;
        plat::SetSeams(plat::Seams{});
        plat::UseRealClock();
    }
    // Serves the close requests posted to the main window by other threads.
    void Pump() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
    }
};

std::atomic<bool> bodyReturned{false};
std::atomic<int> bodyTurns{0};

// A worker body like the pause and ranking loops: it looks at its queue between frames.
unsigned QuitAwareBody(void*) {
    for (;;) {
        plat::MSG m;
        if (plat::PeekMessage(&m, nullptr, true) && m.message == plat::WM_QUIT) {
            bodyReturned = true;
            return 1;
        }
        ++bodyTurns;
        plat::Sleep(1);
    }
}

// A body that never looks at its queue but sleeps, so only the forced exit ends it.
unsigned DeafBody(void*) {
    for (;;) {
        ++bodyTurns;
        plat::Sleep(1);
    }
}

TEST_F(ThreadTest, ExitOnEmptyObjectReturnsAtOnce) {
    cThread t;
    auto t0 = Clock::now();
    t.Exit();
    t.Wait();
    EXPECT_TRUE(t.Suspend());
    EXPECT_TRUE(t.Resume());
    EXPECT_LT(Clock::now() - t0, 100ms);
    EXPECT_FALSE(t.Running());
}

TEST_F(ThreadTest, ExitResumesAThreadSuspendedTwiceAndEndsItNormally) {
    bodyReturned = false;
    bodyTurns = 0;
    cThread t;
    ASSERT_EQ(t.Create(QuitAwareBody, nullptr), 1);
    ASSERT_TRUE(WaitUntil([] { return bodyTurns > 1; }));
    EXPECT_TRUE(t.Suspend());
    EXPECT_TRUE(t.Suspend());
    auto t0 = Clock::now();
    t.Exit();
    EXPECT_TRUE(bodyReturned);  // it read WM_QUIT: not the forced end
    EXPECT_LT(Clock::now() - t0, 1000ms);
    EXPECT_FALSE(t.Running());
}

TEST_F(ThreadTest, BodyIgnoringQuitIsForcedOutAfterTwoHundredPolls) {
    // On the virtual clock the polls of a closer that is not the window thread return at
    // once: only the real-time floor keeps the close from being forced at once.
    for (bool virtualClock : {false, true}) {
        SCOPED_TRACE(virtualClock ? "virtual clock" : "real clock");
        if (virtualClock) plat::UseVirtualClock(0x00010000);
        bodyTurns = 0;
        cThread t;
        ASSERT_EQ(t.Create(DeafBody, nullptr), 1);
        ASSERT_TRUE(WaitUntil([] { return bodyTurns > 1; }));
        auto t0 = Clock::now();
        std::thread closer([&] { t.Exit(); });
        closer.join();
        auto took = Clock::now() - t0;
        EXPECT_FALSE(t.Running());
        EXPECT_GE(took, 200ms);
        EXPECT_LT(took, 5000ms);
        plat::UseRealClock();
    }
}

std::atomic<bool> releaseSpinner{false};

// Never reaches a cancellation point: a terminate cannot reach it.
unsigned SpinBody(void*) {
    while (!releaseSpinner) {
    }
    return 1;
}

TEST_F(ThreadTest, ExitGivesUpOnAThreadThatNeverWaits) {
    TempDir dir;
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    releaseSpinner = false;
    cThread t;
    ASSERT_EQ(t.Create(SpinBody, nullptr), 1);
    const std::uint32_t id = t.ThreadId();
    auto t0 = Clock::now();
    t.Exit();
    EXPECT_LT(Clock::now() - t0, 5000ms);
    EXPECT_FALSE(t.Running());
    EXPECT_EQ(t.ThreadId(), 0u);
    releaseSpinner = true;
    std::ifstream in("Report_Game.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("cThread::Exit : thread " + std::to_string(id) + " did not end"),
              std::string::npos)
        << text.str();
}

TEST_F(ThreadTest, CreateRefusesWhileAThreadRuns) {
    TempDir dir;
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    bodyTurns = 0;
    cThread t;
    ASSERT_EQ(t.Create(QuitAwareBody, nullptr), 1);
    const std::uint32_t id = t.ThreadId();
    EXPECT_EQ(t.Create(QuitAwareBody, nullptr), 0);
    EXPECT_EQ(t.ThreadId(), id);
    t.Exit();
    EXPECT_FALSE(t.Running());
}

TEST_F(ThreadTest, TwoThreadsExitingOneObjectJoinOnce) {
    TempDir dir;
    SetErrorLog(1, "EC_Game.txt");
    bodyTurns = 0;
    cThread t;
    ASSERT_EQ(t.Create(QuitAwareBody, nullptr), 1);
    std::thread a([&] { t.Exit(); });
    std::thread b([&] { t.Exit(); });
    a.join();
    b.join();
    SetErrorLog(0, "");
    EXPECT_FALSE(t.Running());
    std::ifstream in("EC_Game.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    // One exit ran its steps; the other found the object empty.
    EXPECT_EQ(text.str(), "Exit A\r\nExit B\r\nExit C\r\nExit D\r\nExit E\r\n");
}

TEST_F(ThreadTest, WaitReturnsWhenTheBodyEnds) {
    cThread t;
    ASSERT_EQ(t.Create([](void*) -> unsigned { return 3; }, nullptr), 1);
    t.Wait();
    EXPECT_FALSE(t.Running());
}

TEST_F(ThreadTest, FailedCreationIsReportedAndNeverWaitedFor) {
    TempDir dir;
    const std::string log = "Report_Game.txt";
    ASSERT_EQ(OpenReportLog(log), 1);
    plat::Seams seams;
    seams.failSteps = {"thread_create"};
    plat::SetSeams(seams);
    cThread t;
    EXPECT_EQ(t.Create(QuitAwareBody, nullptr), 0);
    EXPECT_FALSE(t.Running());
    auto t0 = Clock::now();
    t.Wait();
    t.Exit();
    EXPECT_LT(Clock::now() - t0, 100ms);
    std::ifstream in(log, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "cThread::Create Err\r\n");
}

TEST_F(ThreadTest, GameLoopRunsNoFrameWhileInactiveAndStillEndsOnQuit) {
    std::atomic<int> frames{0};
    SceneMgr.frameFunction = [&] {
        ++frames;
        return 1;
    };
    bActiveApp = 0;
    cThread game;
    ASSERT_EQ(game.Create(GameLoop, nullptr), 1);
    while (!plat::PostThreadMessage(game.ThreadId(), plat::WM_THREAD_START, 0, 0)) {
    }
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(frames, 0);
    bActiveApp = 1;
    ASSERT_TRUE(WaitUntil([&] { return frames > 3; }));
    bActiveApp = 0;
    auto t0 = Clock::now();
    game.Exit();
    EXPECT_LT(Clock::now() - t0, 1000ms);  // ended by WM_QUIT, not forced
    Pump();
    EXPECT_EQ(closeRequests, 0);
}

TEST_F(ThreadTest, FailedFrameEndsTheLoopWithACloseRequest) {
    std::atomic<int> frames{0};
    SceneMgr.frameFunction = [&] { return ++frames < 3 ? 1 : 0; };
    cThread game;
    ASSERT_EQ(game.Create(GameLoop, nullptr), 1);
    game.Wait();
    EXPECT_EQ(frames, 3);
    Pump();
    EXPECT_EQ(closeRequests, 1);
}

}  // namespace
