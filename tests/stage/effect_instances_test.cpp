// Preparing character-effect and screen-effect states from their records: the run-time
// values by kind, plain and reversed, and the run time below 1 that counts as 1.
#include "stage/effect_instances.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>

#include "base/globals.h"
#include "data/database.h"
#include "platform/messages.h"
#include "stage/engine_globals.h"

namespace {

std::atomic<int> closeRequests{0};

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

constexpr double kSixth = 0.16666666666666666;

class EffectInstances : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(CountCloses);
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        ResetEngineGlobals();
    }
    int PumpCloses() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
        return closeRequests;
    }
    // Record 1 of a table and of its reversed copy, with the kind and parameters.
    template <class T>
    static void Put(CheckedVector<T>& table, CheckedVector<T>& copy, int kind,
                    const std::int32_t (&params)[5]) {
        table.resize(2);
        table[1].nKind = kind;
        for (int i = 0; i < 5; ++i) table[1].anParam[i] = params[i];
        copy.Assign(table);
    }
};

// Init writes only what the kind uses; the rest of the state keeps what it held. Each
// case starts from a state with these marks in every value.
constexpr std::int32_t kMark = 77;
constexpr double kMarkD = 77.5;

CharaEffectInstance MarkedCharaState() {
    CharaEffectInstance state;
    state.nNumber = kMark;
    state.nMode = 2;
    state.bRepeat = 1;
    state.bReversed = 1;
    state.nCounter = kMark;
    state.nFrom = kMark;
    state.nTo = kMark;
    state.dLevel = kMarkD;
    state.dStep = kMarkD;
    state.dElapsed = kMarkD;
    state.nDuration = kMark;
    state.nWorkA = kMark;
    state.nWorkB = kMark;
    return state;
}

ScreenEffectInstance MarkedScreenState() {
    ScreenEffectInstance state;
    state.nNumber = kMark;
    state.nMode = 2;
    state.bRepeat = 1;
    state.bReversed = 1;
    state.nCounter = kMark;
    state.dLevel = kMarkD;
    state.dShake = kMarkD;
    state.dStep = kMarkD;
    state.nWorkA = kMark;
    state.nWorkB = kMark;
    state.bFixed = 1;
    state.dElapsed = kMarkD;
    state.nDuration = kMark;
    return state;
}

TEST_F(EffectInstances, CharacterEffectValuesByKind) {
    constexpr std::int32_t M = kMark;
    constexpr double D = kMarkD;
    struct Case {
        const char* what;
        int kind;
        std::int32_t params[5];
        int reversed;
        std::int32_t from, to, duration;
        double level, step, elapsed;
        std::int32_t workA, workB;
    } cases[] = {
        {"zoom", 11, {10, 32, 64, 0, 0}, 0, 32, 64, 10, 32, 32.0 / 60, D, M, M},
        {"zoom reversed", 11, {10, 32, 64, 0, 0}, 1, 64, 32, 10, 64, 32.0 / 60, D, M, M},
        {"lens going down", 12, {10, 100, 5, 3, 4}, 0, 100, 5, 10, 100, 95.0 / 60, D, M, M},
        {"blink: the level is the time", 6, {10, 2, 0, 0, 0}, 1, 0, 10, 10, 0, kSixth, D, 0, 0},
        {"blink of time 0: fixed mode", 6, {0, 2, 0, 0, 0}, 0, 0, 0, 0, 0, kSixth, 0, 0, 0},
        {"translucent", 14, {7, 9999, 0, 0, 0}, 0, 0, 7, 7, 0, kSixth, D, 0, 0},
        {"equal ends: fixed mode", 7, {10, 90, 90, 0, 0}, 0, 90, 90, 10, 90, kSixth, 0, M, M},
        {"time 0 counts as 1", 4, {0, 0, 32, 2, 2}, 0, 0, 32, 0, 0, 32.0 / 6, D, 0, M},
        {"negative time counts as 1", 15, {-3, 1, 8, 0, 0}, 0, 1, 8, -3, 1, 7.0 / 6, D, M, M},
        {"extreme values",
         9,
         {INT_MIN, INT_MIN, INT_MAX, 0, 0},
         0,
         INT_MIN,
         INT_MAX,
         INT_MIN,
         INT_MIN,
         4294967295.0 / 6,
         D,
         M,
         M},
        {"none: nothing", 0, {10, 1, 2, 3, 4}, 1, M, M, M, D, D, D, M, M},
        // Its held start and end are equal, which is fixed mode for any kind but 0.
        {"unknown kind", 17, {10, 1, 2, 3, 4}, 1, M, M, M, D, kSixth, 0, M, M},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(EdDatabase.vecCharaEffect, EdDatabase.vecCharaEffectRev, c.kind, c.params);
        CharaEffectInstance state = MarkedCharaState();
        state.Init(1, c.reversed);
        EXPECT_EQ(state.nNumber, 1);
        EXPECT_EQ(state.lpRecord,
                  c.reversed ? &EdDatabase.vecCharaEffectRev[1] : &EdDatabase.vecCharaEffect[1]);
        EXPECT_EQ(state.nFrom, c.from);
        EXPECT_EQ(state.nTo, c.to);
        EXPECT_EQ(state.nDuration, c.duration);
        EXPECT_EQ(state.dLevel, c.level);
        EXPECT_DOUBLE_EQ(state.dStep, c.step);
        EXPECT_EQ(state.dElapsed, c.elapsed);
        EXPECT_EQ(state.nWorkA, c.workA);
        EXPECT_EQ(state.nWorkB, c.workB);
        // Set when an effect is started, not here.
        EXPECT_EQ(state.nMode, 2);
        EXPECT_EQ(state.bRepeat, 1);
        EXPECT_EQ(state.bReversed, 1);
        EXPECT_EQ(state.nCounter, M);
    }
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(EffectInstances, ScreenEffectValuesByKind) {
    constexpr std::int32_t M = kMark;
    constexpr double D = kMarkD;
    struct Case {
        const char* what;
        int kind;
        std::int32_t params[5];
        int reversed;
        double level, shake, step;
        std::int32_t workA, workB, fixed;
        double elapsed;
        std::int32_t duration;
    } cases[] = {
        {"move", 1, {10, 0, 0, 640, 0}, 0, 0, D, kSixth, 0, 0, 0, D, M},
        {"move reversed", 1, {10, 0, 0, 640, 0}, 1, 0, D, kSixth, 640, 0, 0, D, M},
        {"shake", 2, {10, 4, 4, 0, 0}, 1, 0, 0, kSixth, 0, M, 0, D, M},
        {"vertical shake", 3, {10, 4, 4, 0, 0}, 0, 0, 0, kSixth, 0, M, 0, D, M},
        {"blink", 8, {10, 10, 0, 0, 0}, 0, 0, D, kSixth, 0, 0, 0, D, M},
        {"wave", 6, {10, 0, 640, 4, 8}, 0, 0, D, 640.0 / 60, 0, M, 0, D, M},
        {"wave reversed", 6, {10, 0, 640, 4, 8}, 1, 640, D, 640.0 / 60, 0, M, 0, D, M},
        {"rotation from 90 to 90", 9, {10, 90, 90, 0, 0}, 0, 90, D, kSixth, M, M, 1, 0, 10},
        {"time 0 counts as 1", 13, {0, 1, 61, 0, 0}, 0, 1, D, 60.0 / 6, M, M, 0, D, M},
        {"none: only the fixed flag", 0, {10, 1, 2, 3, 4}, 1, D, D, D, M, M, 0, D, M},
        {"unknown kind", 14, {10, 1, 2, 3, 4}, 1, D, D, D, M, M, 0, D, M},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(EdDatabase.vecScrEffect, EdDatabase.vecScrEffectRev, c.kind, c.params);
        ScreenEffectInstance state = MarkedScreenState();
        state.Init(1, c.reversed);
        EXPECT_EQ(state.nNumber, 1);
        EXPECT_EQ(state.lpRecord,
                  c.reversed ? &EdDatabase.vecScrEffectRev[1] : &EdDatabase.vecScrEffect[1]);
        EXPECT_EQ(state.dLevel, c.level);
        EXPECT_EQ(state.dShake, c.shake);
        EXPECT_DOUBLE_EQ(state.dStep, c.step);
        EXPECT_EQ(state.nWorkA, c.workA);
        EXPECT_EQ(state.nWorkB, c.workB);
        EXPECT_EQ(state.bFixed, c.fixed);
        EXPECT_EQ(state.dElapsed, c.elapsed);
        EXPECT_EQ(state.nDuration, c.duration);
        EXPECT_EQ(state.nMode, 2);
        EXPECT_EQ(state.bRepeat, 1);
        EXPECT_EQ(state.bReversed, 1);
        EXPECT_EQ(state.nCounter, M);
    }
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(EffectInstances, BadNumberIsReportedAndTakesRecord0) {
    EdDatabase.vecCharaEffectRev.Assign(EdDatabase.vecCharaEffect);
    CharaEffectInstance chara;
    chara.Init(5, 1);
    EXPECT_EQ(chara.nNumber, 5);
    EXPECT_EQ(chara.lpRecord, &EdDatabase.vecCharaEffectRev[0]);
    ScreenEffectInstance screen;
    screen.Init(-1, 0);
    EXPECT_EQ(screen.lpRecord, &EdDatabase.vecScrEffect[0]);
    EXPECT_EQ(PumpCloses(), 2);
}

}  // namespace
