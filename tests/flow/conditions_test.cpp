// Condition lists and the condition kinds: the comparison codes, percentages, AND and OR
// with their short-circuit, variables, status flags, states and distance shapes, and the
// block map's evaluator.
#include "flow/conditions.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "base/globals.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "platform/messages.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

TEST(CompareByOp, EveryCodeOnItsEdges) {
    struct Case {
        std::int32_t v, n;
        int code;
        bool expected;
    };
    const Case cases[] = {
        {5, 5, 0, true},
        {5, 6, 0, false},
        {5, 5, 1, false},
        {5, 6, 1, true},
        {5, 5, 2, true},
        {4, 5, 2, false},
        {5, 5, 3, true},
        {6, 5, 3, false},
        {5, 5, 4, false},
        {6, 5, 4, true},
        {5, 5, 5, false},
        {4, 5, 5, true},
        {9, 3, 6, true},
        {-6, 3, 6, true},  // the sign of the value does not count
        {7, 3, 6, false},
        {6, -3, 6, true},
        {7, 0, 6, true},  // 0 divides nothing, yet "a multiple of 0" holds
        {0, 0, 6, true},
        {9, 3, 7, false},
        {-7, 3, 7, true},
        {7, 0, 7, false},
        {INT_MIN, 2, 6, true},
        {INT_MIN, 3, 7, true},
        {INT_MIN, -1, 6, true},  // would trap as a 32-bit remainder
        {INT_MIN, -1, 7, false},
        {INT_MIN, INT_MIN, 6, true},
        {INT_MAX, INT_MIN, 7, true},
        {INT_MIN, INT_MAX, 2, false},
        {INT_MAX, INT_MIN, 4, true},
        {5, 5, 8, false},  // unknown codes never hold
        {5, 6, -1, false},
        {5, 5, 127, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareByOp(c.v, c.n, c.code), c.expected)
            << c.v << " code " << c.code << " " << c.n;
}

TEST(PercentOf, RoundsHalvesAwayFromZeroOnTheWrappedProduct) {
    struct Case {
        std::int32_t a, b, expected;
    };
    const Case cases[] = {
        {3, 150, 5},    // 4.5
        {-3, 150, -5},  // -4.5
        {200, 50, 100},
        {1, 49, 0},
        {1, 50, 1},
        {-1, 50, -1},
        {-1, 49, 0},
        {0, 999999, 0},
        {999999, 100, 999999},
        {65536, 65536, 42949673},     // the product is taken in 64 bits: 42949672.96
        {65536, -32768, -21474836},   // -21474836.48
        {INT32_MAX, 200, INT32_MAX},  // held to the limits
        {INT32_MIN, 200, INT32_MIN},
        {INT32_MIN, -101, INT32_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PercentOf(c.a, c.b), c.expected) << c.a << " % of " << c.b;
}

int closeRequests = 0;

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

// A running game scene with one hero and two characters on a 640 × 480 view at the map's
// origin; the progress's variables, the running stage and the system settings read here
// are brought back afterwards. Every actor has a 32 × 32 sprite, box and position (320,
// 224) unless a test moves it.
class ConditionWorld : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        for (ScrollAxis* axis : {&scene_->m_ScrollX, &scene_->m_ScrollY}) {
            axis->m_dPos = 0;
            axis->m_nExtent = 4000;
        }
        Player.Reset(1);
        hero = &Player[0];
        Shape(*hero, 0);
        Shape(self, 1);
        Shape(other, 1);

        closeRequests = 0;
        window_ = plat::CreateWindow(CountCloses);
        ASSERT_NE(window_, nullptr);
        hWndMain = window_;
    }
    void TearDown() override {
        Pump();
        plat::DestroyWindow(window_);
        self.ReleaseTargets();
        other.ReleaseTargets();
        scene_.reset();
        ResetEngineGlobals();
    }

    // Delivers what was posted; the close requests the bad indexes asked for so far.
    int Pump() {
        plat::MSG msg;
        while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
        return closeRequests;
    }

    static void Shape(cActorBase& a, int op) {
        a.m_nOperator = op;
        a.m_nSpriteW = a.m_nSpriteH = 32;
        a.m_nBoxW = a.m_nBoxH = 32;
        a.m_nOffsetX = a.m_nOffsetY = 0;
        a.m_vecVar.resize(kCharaVarCount, 0);
        Place(a, 320, 224);
    }
    // The sprite's top-left corner at (left, top) of the map (= the screen here).
    static void Place(cActorBase& a, int left, int top) {
        a.m_dX = left + a.m_nOffsetX;
        a.m_dY = top + a.m_nOffsetY;
        a.m_dRight = a.m_dX + a.m_nBoxW - 1;
        a.m_dBottom = a.m_dY + a.m_nBoxH - 1;
        a.UpdateScreenRect();
    }
    static void Target(cActorBase& from, cActorBase& to) {
        from.m_pTarget = &to;
        to.m_vecTargetedBy.push_back(&from);
    }

    static cEdCondition Cond(int kind, int whose = 0, int item = 0, int op = 0) {
        cEdCondition c;
        c.nKind = static_cast<std::int8_t>(kind);
        c.nWhose = static_cast<std::int8_t>(whose);
        c.nItem = static_cast<std::int8_t>(item);
        c.nOp = static_cast<std::int8_t>(op);
        return c;
    }

    std::unique_ptr<cGameScene> scene_;
    cHeroActor* hero = nullptr;
    cCharaActor self;
    cCharaActor other;

private:
    plat::HWND window_ = nullptr;
};

// --- Lists ---

// A condition that draws one random number and then holds or fails: the common variable 0
// (0) compared with a random number from 0 to 0.
cEdCondition Drawing(bool holds) {
    cEdCondition c;
    c.nKind = kCondStatus;
    c.nSubject = 1;  // a variable
    c.nVarScope = 0;
    c.nVarIndex = 0;
    c.nSource = 1;  // random
    c.nRandMin = 0;
    c.nRandMax = 0;
    c.nOp = holds ? 0 : 1;
    return c;
}

// How many numbers the generator gave since it was seeded with `seed`.
int DrawsSince(unsigned seed) {
    const int next = plat::rand();
    plat::srand(seed);
    for (int n = 0; n < 16; ++n)
        if (plat::rand() == next) return n;
    return -1;
}

TEST_F(ConditionWorld, ListsStopAtTheDecidingConditionAndCombineByMode) {
    struct Case {
        int combination;
        std::string pattern;  // T holds, F fails, in order
        bool expected;
        int evaluated;
    };
    const Case cases[] = {
        {0, "", true, 0},     {1, "", false, 0},    {0, "TTT", true, 3}, {0, "TFT", false, 2},
        {0, "FTT", false, 1}, {1, "FFF", false, 3}, {1, "FTF", true, 2}, {1, "TFF", true, 1},
        {2, "TTT", false, 0}, {2, "", false, 0},    {-1, "T", false, 0},
    };
    for (const Case& c : cases) {
        CheckedVector<cEdCondition> list;
        for (char ch : c.pattern) list.push_back(Drawing(ch == 'T'));
        plat::srand(1234);
        EXPECT_EQ(TestConditionList(list, c.combination, &self), c.expected)
            << c.combination << " " << c.pattern;
        EXPECT_EQ(DrawsSince(1234), c.evaluated) << c.combination << " " << c.pattern;
    }
}

TEST_F(ConditionWorld, ABadVariableIndexIsReportedOnlyWhenItsConditionIsReached) {
    cEdCondition bad = Cond(kCondCharaVar);
    bad.nVarIndex = kCharaVarCount;  // one past the actor's variables
    const cEdCondition fails = Drawing(false);
    const cEdCondition holds = Drawing(true);

    EXPECT_FALSE(TestConditionList({fails, bad}, 0, &self));
    EXPECT_TRUE(TestConditionList({holds, bad}, 1, &self));
    EXPECT_EQ(Pump(), 0);

    TestConditionList({holds, bad}, 0, &self);
    EXPECT_EQ(Pump(), 1);
    TestConditionList({fails, bad}, 1, &self);
    EXPECT_EQ(Pump(), 2);
}

TEST_F(ConditionWorld, VariablesOfTheProgressTheSceneAndTheActor) {
    Progress.m_vecVariable[7] = 12;
    Progress.m_vecVariable[255] = -4;
    scene_->m_vecStageVar[3] = 30;
    scene_->m_vecStageVar[254] = 1;
    self.m_vecVar[8] = 9;
    other.m_vecVar[8] = 100;  // another actor's variables are not the subject's
    struct Case {
        int kind, index, value, op;
        bool expected;
    };
    const Case cases[] = {
        {kCondCommonVar, 7, 12, 0, true},
        {kCondCommonVar, 7, 12, 1, false},
        {kCondCommonVar, 255, -4, 5, false},
        {kCondCommonVar, 255, -3, 5, true},
        {kCondStageVar, 3, 10, 6, true},
        {kCondStageVar, 3, 30, 4, false},
        {kCondStageVar, 254, 0, 4, true},
        {kCondCharaVar, 8, 9, 2, true},
        {kCondCharaVar, 8, 10, 2, false},
        {kCondCharaVar, 8, 9, 8, false},
        {0, 0, 0, 0, false},
        {8, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        cEdCondition cond = Cond(c.kind, 0, 0, c.op);
        cond.nVarIndex = static_cast<std::int16_t>(c.index);
        cond.nValue = c.value;
        EXPECT_EQ(TestCondition(cond, &self), c.expected) << c.kind << " [" << c.index << "]";
    }
    EXPECT_EQ(Pump(), 0);

    // Each kind's vector is checked: past its end the access is reported and the program
    // asked to close, the frame goes on.
    for (auto [kind, index] : {std::pair{kCondCommonVar, 256}, std::pair{kCondStageVar, 255},
                               std::pair{kCondCharaVar, -1}}) {
        cEdCondition cond = Cond(kind);
        cond.nVarIndex = static_cast<std::int16_t>(index);
        TestCondition(cond, &self);
    }
    EXPECT_EQ(Pump(), 3);

    // Without an actor a character variable is no one's.
    cEdCondition mine = Cond(kCondCharaVar, 0, 0, 1);
    EXPECT_FALSE(TestCondition(mine, nullptr));
    EXPECT_EQ(Pump(), 3);
}

// --- Status flags ---

TEST_F(ConditionWorld, StatusFlagsOfTheActorItsTargetAndTheSystem) {
    cEdChara& c = self.m_Chara;
    c.bTransparent = static_cast<std::int8_t>(200);  // a byte read unsigned
    c.bFixedFacing = 1;
    c.nBlockCollision = 2;
    c.nShotCollision = -1;
    c.nGiant = 4;
    c.bScrollSync = static_cast<std::int8_t>(255);
    other.m_Chara.nGiant = 9;
    EdStageWork.nScrollKindX = 1;
    EdStageWork.nScrollKindY = 0;
    struct Case {
        int whose, item, operand, op;
        bool expected;
    };
    const Case cases[] = {
        {0, 1, 200, 0, true}, {0, 1, 0, 5, false},  {0, 2, 1, 0, true},  {0, 3, 2, 0, true},
        {0, 3, 1, 4, true},   {0, 4, -1, 0, true},  {0, 5, 4, 0, true},  {0, 5, 2, 6, true},
        {0, 6, 255, 0, true}, {5, 5, 4, 0, true},  // an unknown whose is the actor itself
        {0, 0, 5, 1, false},                       // vanishing is not tested, even by "not equal"
        {0, 7, 5, 1, false},  {0, -1, 5, 1, false}, {1, 5, 9, 0, true},  {1, 5, 4, 0, false},
        {2, 0, 1, 0, true},   {2, 1, 0, 0, true},   {2, 1, 1, 0, false}, {2, 2, 5, 1, false},
    };
    Target(self, other);
    for (const Case& k : cases) {
        cEdCondition cond = Cond(kCondStatusFlag, k.whose, k.item, k.op);
        cond.nVarIndex = static_cast<std::int16_t>(k.operand);
        EXPECT_EQ(TestCondition(cond, &self), k.expected) << k.whose << " item " << k.item;
    }

    self.ReleaseTargets();
    cEdCondition onTarget = Cond(kCondStatusFlag, 1, 5, 1);  // "not equal": true if read
    EXPECT_FALSE(TestCondition(onTarget, &self));
    EXPECT_FALSE(TestCondition(Cond(kCondStatusFlag, 0, 5, 1), nullptr));
    // The system's flags are there without an actor.
    cEdCondition scrolls = Cond(kCondStatusFlag, 2, 0, 0);
    scrolls.nVarIndex = 1;
    EXPECT_TRUE(TestCondition(scrolls, nullptr));
}

// --- States ---

TEST_F(ConditionWorld, StatesFacingStandingAndOnScreenWithNegation) {
    struct Case {
        const char* what;
        void (*setUp)(cActorBase&);
        int state;
        bool expected;
    };
    const Case cases[] = {
        {"left", [](cActorBase& a) { a.m_bFacingRight = 0; }, 0, true},
        {"left", [](cActorBase& a) { a.m_bFacingRight = 0; }, 1, false},
        {"right", [](cActorBase& a) { a.m_bFacingRight = 1; }, 1, true},
        {"right", [](cActorBase& a) { a.m_bFacingRight = 1; }, 0, false},
        {"on the ground", [](cActorBase&) {}, 2, true},
        {"jumping", [](cActorBase& a) { a.m_bJumping = 1; }, 2, false},
        {"falling", [](cActorBase& a) { a.m_bFalling = 1; }, 2, false},
        {"falling while riding",
         [](cActorBase& a) {
             a.m_bFalling = 1;
             a.m_bRiding = 1;
         },
         2, true},
        {"flying on a ride",
         [](cActorBase& a) {
             a.m_Chara.nBlockCollision = 1;
             a.m_bRiding = 1;
         },
         2, false},
        {"flying kind 3", [](cActorBase& a) { a.m_Chara.nBlockCollision = 3; }, 2, false},
        {"unknown state", [](cActorBase&) {}, 4, false},
        {"unknown state", [](cActorBase&) {}, -1, false},
    };
    for (const Case& c : cases) {
        for (int negate : {0, 1}) {
            cCharaActor subject;
            Shape(subject, 1);
            c.setUp(subject);
            const bool expected = negate ? !c.expected : c.expected;
            EXPECT_EQ(TestCondition(Cond(kCondState, 0, c.state, negate), &subject), expected)
                << c.what << " state " << c.state << " negate " << negate;
        }
    }
    // Only the operator byte 1 negates.
    cEdCondition two = Cond(kCondState, 0, 1, 2);
    self.m_bFacingRight = 1;
    EXPECT_TRUE(TestCondition(two, &self));
}

TEST_F(ConditionWorld, OnScreenAsksThePlayersActorsNowAndTakesTheComputersFlag) {
    struct Case {
        int op;
        bool inView;
        int flag;
        bool expected;
    };
    const Case cases[] = {
        {0, true, 0, true},
        {0, false, 1, false},  // the player's actor: the view decides
        {1, true, 0, false},
        {1, false, 1, true},  // the computer's: this tick's flag
    };
    for (const Case& c : cases) {
        cCharaActor subject;
        Shape(subject, c.op);
        if (!c.inView) Place(subject, 700, 224);
        subject.m_bOnScreen = c.flag;
        EXPECT_EQ(TestCondition(Cond(kCondState, 0, 3, 0), &subject), c.expected)
            << "operator " << c.op << " in view " << c.inView;
        EXPECT_EQ(TestCondition(Cond(kCondState, 0, 3, 1), &subject), !c.expected);
    }
}

TEST_F(ConditionWorld, StatesOfTheTargetAndOfAMissingOne) {
    self.m_bFacingRight = 1;
    other.m_bFacingRight = 0;
    Target(self, other);
    EXPECT_TRUE(TestCondition(Cond(kCondState, 1, 0, 0), &self));
    EXPECT_FALSE(TestCondition(Cond(kCondState, 1, 1, 0), &self));
    EXPECT_TRUE(TestCondition(Cond(kCondState, 7, 1, 0), &self));  // anything else: itself
    self.ReleaseTargets();
    for (int negate : {0, 1}) {
        EXPECT_FALSE(TestCondition(Cond(kCondState, 1, 0, negate), &self));
        EXPECT_FALSE(TestCondition(Cond(kCondState, 1, 1, negate), &self));
    }
    EXPECT_FALSE(TestCondition(Cond(kCondState, 0, 0, 1), nullptr));
}

// --- Distance ---

// The measuring actor's sprite spans x 320..351 and y 224..255, centre (336, 240); the
// distance D is 1 hbl + 16 dots = 32 dots. A straight shape then covers the centre ± 16 + 32
// dots (288..384 across, 192..288 down) or, for front and back, the half from the centre.
cEdCondition Distance(int whose, int shape, int op, int hbl = 1, int dots = 16) {
    cEdCondition c;
    c.nKind = kCondDistance;
    c.nWhose = static_cast<std::int8_t>(whose);
    c.nShape = static_cast<std::int8_t>(shape);
    c.nOp = static_cast<std::int8_t>(op);
    c.nValue = hbl;
    c.nVarIndex2 = static_cast<std::int16_t>(dots);
    return c;
}

TEST_F(ConditionWorld, DistanceShapesByFacingInsideAndOutside) {
    struct Case {
        int shape;
        int facingRight;
        int left, top;  // the hero's sprite corner
        bool inside;
    };
    const Case cases[] = {
        // 横: both sides, whatever the height.
        {0, 1, 384, 224, true},
        {0, 1, 385, 224, false},
        {0, 0, 257, 900, true},
        {0, 0, 256, 224, false},
        // 前: from the centre forward only.
        {1, 1, 384, 224, true},
        {1, 1, 257, 224, false},
        {1, 0, 257, 224, true},
        {1, 0, 384, 224, false},
        {1, 1, 305, 224, true},
        {1, 1, 304, 224, false},
        // 後: behind only.
        {2, 1, 257, 224, true},
        {2, 1, 384, 224, false},
        {2, 0, 384, 224, true},
        {2, 0, 257, 224, false},
        // 縦: above and below, whatever the column.
        {3, 1, 320, 288, true},
        {3, 0, 320, 289, false},
        {3, 1, 900, 161, true},
        {3, 0, 320, 160, false},
        // 前Y: below when facing right, above when facing left.
        {4, 1, 320, 288, true},
        {4, 1, 320, 161, false},
        {4, 0, 320, 161, true},
        {4, 0, 320, 288, false},
        // 後Y: the other way round.
        {5, 1, 320, 161, true},
        {5, 1, 320, 288, false},
        {5, 0, 320, 288, true},
        {5, 0, 320, 161, false},
        // Unknown shapes are never inside.
        {7, 1, 320, 224, false},
        {-1, 0, 320, 224, false},
    };
    for (const Case& c : cases) {
        self.m_bFacingRight = c.facingRight;
        Place(*hero, c.left, c.top);
        // Neither inside (0) nor outside (1): an operator that is neither never holds.
        for (int op : {0, 1, 2}) {
            const bool expected = op == 0 ? c.inside : op == 1 ? !c.inside : false;
            EXPECT_EQ(TestCondition(Distance(0, c.shape, op), &self), expected)
                << "shape " << c.shape << " facing right " << c.facingRight << " at " << c.left
                << "," << c.top << " op " << op;
        }
    }
}

TEST_F(ConditionWorld, DistanceMeasuresFromTheActorsFreshScreenPlace) {
    // The screen rectangle of the last frame is stale: the actor moved 100 dots since.
    self.m_bFacingRight = 1;
    self.m_dX += 100;
    Place(*hero, 484, 224);
    EXPECT_TRUE(TestCondition(Distance(0, 1, 0), &self));
    EXPECT_EQ(self.m_rcScreen.left, 420);
}

TEST_F(ConditionWorld, DistanceShrinksTheOtherSpriteByItsBoxOffset) {
    // The hero's box sits 4 dots inside its sprite on each side.
    hero->m_nOffsetX = hero->m_nOffsetY = 4;
    hero->m_nBoxW = 24;
    self.m_bFacingRight = 1;
    Place(*hero, 380, 224);  // box from 384: touches the range's end
    EXPECT_TRUE(TestCondition(Distance(0, 1, 0), &self));
    Place(*hero, 381, 224);
    EXPECT_FALSE(TestCondition(Distance(0, 1, 0), &self));

    // Above the actor: a box that reaches the sprite's bottom keeps that bottom whole, a
    // shorter one loses the margin there as well.
    hero->m_nBoxH = 28;
    Place(*hero, 320, 161);  // sprite bottom 192 = the range's top
    EXPECT_TRUE(TestCondition(Distance(0, 3, 0), &self));
    hero->m_nBoxH = 24;
    Place(*hero, 320, 161);
    EXPECT_FALSE(TestCondition(Distance(0, 3, 0), &self));
    Place(*hero, 320, 165);
    EXPECT_TRUE(TestCondition(Distance(0, 3, 0), &self));
}

TEST_F(ConditionWorld, CircleHoldsUpToTheDistanceBetweenBoxCentres) {
    // D = 3 hbl + 2 dots = 50; box centres 30 and 40 dots apart: exactly 50.
    for (int facing : {0, 1}) {
        self.m_bFacingRight = facing;
        Place(*hero, 350, 264);
        EXPECT_TRUE(TestCondition(Distance(0, 6, 0, 3, 2), &self));
        EXPECT_FALSE(TestCondition(Distance(0, 6, 1, 3, 2), &self));
        Place(*hero, 350, 265);
        EXPECT_FALSE(TestCondition(Distance(0, 6, 0, 3, 2), &self));
        EXPECT_TRUE(TestCondition(Distance(0, 6, 1, 3, 2), &self));
    }
    // The centres are those of the boxes (integer halves), not of the sprites.
    hero->m_nBoxW = 33;     // half 16, as before
    hero->m_nOffsetX = 10;  // the sprite moves, the box does not
    Place(*hero, 340, 264);
    EXPECT_TRUE(TestCondition(Distance(0, 6, 0, 3, 2), &self));
    hero->m_nBoxH = 34;  // half 17: one dot further
    EXPECT_FALSE(TestCondition(Distance(0, 6, 0, 3, 2), &self));
}

TEST_F(ConditionWorld, DistanceToTheTargetAndWithoutOne) {
    self.m_bFacingRight = 1;
    Place(*hero, 900, 224);  // far away
    Place(other, 384, 224);  // just in front
    Target(self, other);
    EXPECT_TRUE(TestCondition(Distance(1, 1, 0), &self));
    EXPECT_FALSE(TestCondition(Distance(0, 1, 0), &self));
    EXPECT_TRUE(TestCondition(Distance(0, 1, 1), &self));

    self.ReleaseTargets();
    for (int shape : {0, 6, 7})
        for (int op : {0, 1})
            EXPECT_FALSE(TestCondition(Distance(1, shape, op), &self)) << shape << " " << op;
    // A measure to neither the hero nor the target has nothing to measure to.
    EXPECT_FALSE(TestCondition(Distance(2, 0, 1), &self));
    EXPECT_FALSE(TestCondition(Distance(0, 0, 1), nullptr));
    Player.Clear();
    EXPECT_FALSE(TestCondition(Distance(0, 0, 1), &self));
}

// --- Blocks and services ---

TEST_F(ConditionWorld, BlocksAndAppearancesAskTheirConditionsOfTheFirstHero) {
    cBlock cell;
    cEdCondition c = Cond(kCondCharaVar, 0, 0, 0);
    c.nVarIndex = 1;
    c.nValue = 5;
    cell.vecCondition.push_back(c);
    cell.nCondMode = 0;

    // The scene installed the evaluator; nothing holds until the hero's variable is 5.
    EXPECT_FALSE(TestBlockConditions(cell));
    EXPECT_EQ(cell.m_bLatch, 0);
    hero->m_vecVar[1] = 5;
    EXPECT_TRUE(TestBlockConditionsOfHero(cell));
    EXPECT_TRUE(TestBlockConditions(cell));
    EXPECT_EQ(cell.m_bLatch, 1);
    cell.nCondMode = 2;
    EXPECT_FALSE(TestBlockConditionsOfHero(cell));
    cell.nCondMode = 0;
    Player.Clear();
    EXPECT_FALSE(TestBlockConditionsOfHero(cell));

    // The service the appearance tests call is the same evaluation.
    self.m_vecVar[1] = 5;
    EXPECT_EQ(ConditionListHolds(cell.vecCondition, 0, &self), 1);
    EXPECT_EQ(ConditionListHolds(cell.vecCondition, 0, &other), 0);
    EXPECT_EQ(ConditionListHolds({}, 1, &self), 0);
}

}  // namespace
