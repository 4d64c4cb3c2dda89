// The frame sequencer: the counting of steps, the closing codes, locks, and the cases at the
// edge of its range (no sequences, a sequence without pattern steps).
#include "gfx/anim_pattern.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "base/globals.h"
#include "gfx/gfx_globals.h"
#include "platform/messages.h"

namespace {

std::atomic<int> closeRequests{0};

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

class AnimPattern : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGfxGlobals();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(CountCloses);
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        ResetGfxGlobals();
    }
    int PumpCloses() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
        return closeRequests;
    }
    std::vector<int> Run(int calls) {
        std::vector<int> shown;
        for (int i = 0; i < calls; ++i) shown.push_back(pattern.Next());
        return shown;
    }
    // Takes a table of sequences and selects the first with force.
    void Use(std::vector<const ANIMSTEPDEF*> sequences) {
        sequences.push_back(nullptr);
        pattern.Set(sequences.data());
        pattern.SetSeq(0, 1);
    }

    cAnimPattern pattern;
};

TEST_F(AnimPattern, EachStepIsCurrentForItsFramesAndTheEndCodesDecideWhatFollows) {
    struct Case {
        const char* what;
        std::vector<ANIMSTEPDEF> steps;
        std::vector<int> shown;
    } cases[] = {
        {"restart", {{5, 3, 0}, {6, 2, 0}, {ANIM_RESTART, 0, 0}}, {5, 5, 6, 6, 5, 5, 5, 6, 6, 5}},
        {"hold repeats the last pattern step",
         {{1, 2, 0}, {2, 2, 0}, {ANIM_HOLD, 0, 0}},
         {1, 2, 2, 2, 2, 2, 2}},
        {"jump to itself restarts", {{1, 1, 0}, {2, 1, 0}, {ANIM_JUMP, 0, 0}}, {2, 1, 2, 1, 2}},
        {"one shot returns its end and stays there",
         {{4, 2, 0}, {ANIM_ONESHOT_END, 0, 0}},
         {4, -4, -4, -4}},
        {"other negative codes are returned", {{4, 1, 0}, {-9, 0, 0}}, {-9, -9}},
        {"one frame or less is left on the first call",
         {{1, 1, 0}, {2, 0, 0}, {3, -5, 0}, {ANIM_RESTART, 0, 0}},
         {2, 3, 1, 2, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use({c.steps.data()});
        EXPECT_EQ(pattern.GetPattern(), c.steps[0].nPattern);
        EXPECT_EQ(Run(static_cast<int>(c.shown.size())), c.shown);
    }
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(AnimPattern, JumpSwitchesSequenceEvenFromALockedStep) {
    const ANIMSTEPDEF first[] = {{1, 1, 1}, {ANIM_JUMP, 1, 1}};
    const ANIMSTEPDEF second[] = {{7, 2, 0}, {8, 1, 0}, {ANIM_RESTART, 0, 0}};
    Use({first, second});
    EXPECT_EQ(Run(5), (std::vector<int>{7, 7, 8, 7, 7}));
    EXPECT_EQ(pattern.m_nSeq, 1);
}

TEST_F(AnimPattern, SetSeqRestartsChangeSeqGoesOnAndLocksRefuseUnforcedChanges) {
    const ANIMSTEPDEF walk[] = {{1, 2, 0}, {2, 2, 1}, {ANIM_RESTART, 0, 0}};
    const ANIMSTEPDEF jump[] = {{9, 5, 0}, {ANIM_HOLD, 0, 0}};
    Use({walk, jump});
    pattern.Next();
    EXPECT_EQ(pattern.m_nCount, 1);
    EXPECT_EQ(pattern.ChangeSeq(0, 0), 1);  // the current sequence: no restart
    EXPECT_EQ(pattern.m_nCount, 1);
    EXPECT_EQ(pattern.SetSeq(0, 0), 1);  // restarts it
    EXPECT_EQ(pattern.m_nCount, 0);

    pattern.Next();
    pattern.Next();  // now on the locked step
    pattern.Next();  // and one frame into it
    ASSERT_EQ(pattern.m_nStep, 1);
    ASSERT_EQ(pattern.m_nCount, 1);
    // A refused change leaves the step and its count where they were.
    for (int changeSeq : {0, 1}) {
        const int result = changeSeq ? pattern.ChangeSeq(1, 0) : pattern.SetSeq(1, 0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(pattern.m_nSeq, 0);
        EXPECT_EQ(pattern.m_nStep, 1);
        EXPECT_EQ(pattern.m_nCount, 1);
    }
    EXPECT_EQ(pattern.SetSeq(0, 0), 0);  // also a restart of the current sequence
    EXPECT_EQ(pattern.m_nStep, 1);

    // Forced, SetSeq leaves the locked step and starts over, here the same sequence.
    EXPECT_EQ(pattern.SetSeq(0, 1), 1);
    EXPECT_EQ(pattern.m_nSeq, 0);
    EXPECT_EQ(pattern.m_nStep, 0);
    EXPECT_EQ(pattern.m_nCount, 0);
    EXPECT_EQ(pattern.GetPattern(), 1);

    // Forced, ChangeSeq does the same into another sequence.
    EXPECT_EQ(Run(3), (std::vector<int>{1, 2, 2}));  // back on the locked step, one frame in
    ASSERT_EQ(pattern.m_nCount, 1);
    EXPECT_EQ(pattern.ChangeSeq(1, 1), 1);
    EXPECT_EQ(pattern.m_nSeq, 1);
    EXPECT_EQ(pattern.m_nStep, 0);
    EXPECT_EQ(pattern.m_nCount, 0);
    EXPECT_EQ(pattern.GetPattern(), 9);
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(AnimPattern, SetCopiesEveryStepWidensTheLockAndANullTableChangesNothing) {
    const ANIMSTEPDEF only[] = {{3, 4, 255}, {ANIM_RESTART, 0, 0}};
    const ANIMSTEPDEF empty[] = {{ANIM_ONESHOT_END, 0, 0}};
    Use({only, empty});
    ASSERT_EQ(pattern.m_vecSeq.Size(), 2u);
    EXPECT_EQ(pattern.m_vecSeq[0][0], (ANIMSTEP{3, 4, 255}));
    EXPECT_EQ(pattern.m_vecSeq[0][1], (ANIMSTEP{ANIM_RESTART, 0, 0}));
    EXPECT_EQ(pattern.m_vecSeq[1].Size(), 1u);

    pattern.Next();
    pattern.Set(nullptr);
    EXPECT_EQ(pattern.m_vecSeq.Size(), 2u);
    EXPECT_EQ(pattern.m_nCount, 1);

    cAnimPattern copy = pattern;  // game objects copy each other whole
    pattern.Clear();
    EXPECT_TRUE(pattern.m_vecSeq.empty());
    EXPECT_EQ(pattern.m_nCount, 0);
    EXPECT_EQ(copy.m_vecSeq.Size(), 2u);
    EXPECT_EQ(copy.m_nCount, 1);
}

// A sequence that holds nothing but its closing step (an animation without frames) never
// leaves it: a one-shot ends at once, the other codes are returned as they are.
TEST_F(AnimPattern, SequenceWithoutPatternStepsStaysOnItsClosingStep) {
    const ANIMSTEPDEF oneShot[] = {{ANIM_ONESHOT_END, 0, 0}};
    const ANIMSTEPDEF restart[] = {{ANIM_RESTART, 0, 1}};
    const ANIMSTEPDEF jumpBack[] = {{ANIM_JUMP, 0, 0}};
    Use({oneShot, restart, jumpBack});
    EXPECT_EQ(Run(2), (std::vector<int>{-4, -4}));
    pattern.SetSeq(1, 1);
    EXPECT_EQ(Run(2), (std::vector<int>{-2, -2}));
    pattern.SetSeq(2, 1);
    EXPECT_EQ(pattern.Next(), -4);  // jumped to sequence 0, one step per call
    EXPECT_EQ(pattern.m_nSeq, 0);
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(AnimPattern, WithoutSequencesNextShowsZeroAndOtherCallsAreReported) {
    EXPECT_EQ(pattern.Next(), 0);
    EXPECT_EQ(pattern.ChangeSeq(0, 0), 1);  // already the current index: nothing read
    EXPECT_EQ(PumpCloses(), 0);
    EXPECT_EQ(pattern.GetPattern(), 0);
    EXPECT_EQ(PumpCloses(), 1);
    EXPECT_EQ(pattern.SetSeq(2, 0), 1);
    EXPECT_EQ(PumpCloses(), 2);

    // A jump to a sequence that does not exist is reported when it is read.
    const ANIMSTEPDEF lost[] = {{1, 1, 0}, {ANIM_JUMP, 5, 0}};
    Use({lost});
    EXPECT_EQ(pattern.Next(), 1);  // the checked access lends sequence 0
    EXPECT_EQ(pattern.m_nSeq, 5);
    EXPECT_GE(PumpCloses(), 3);
}

}  // namespace
