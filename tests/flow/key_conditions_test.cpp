// The key conditions of flows, on key histories built frame by frame the way play builds
// them (the bits of the frame, then the per-frame logging): the single-run test, moving the
// point through the past, one step with its combinations and mirroring, whole sequences
// with and without slack and the late join, the level and edge triggering with the group
// hold-off, the present-frame test of the jump, and the input direction.
#include "flow/key_conditions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/input.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/engine_globals.h"
#include "stage/stage_objects.h"

namespace {

constexpr std::uint16_t kB1 = 1;

// Frames of one input state.
struct Frames {
    std::uint16_t dir = 0;
    std::uint16_t buttons = 0;
    int count = 1;
};

struct KeySpec {
    int channel;
    int state;
};
KeySpec Held(int channel) {
    return {channel, kKeyHeld};
}
KeySpec Released(int channel) {
    return {channel, kKeyReleased};
}

struct KeyOptions {
    int combine = kKeyCombineAll;
    int minFrames = 1;
    int maxFrames = 10;
    int anyLength = 0;
    int mirror = 0;
};

cEdKeyCondition Key(std::initializer_list<KeySpec> keys, KeyOptions opt = {}) {
    cEdKeyCondition c;
    c.Reset();
    for (const KeySpec& k : keys) c.vecKeyState[k.channel] = static_cast<std::int8_t>(k.state);
    c.nCombine = static_cast<std::int8_t>(opt.combine);
    c.nMinFrames = static_cast<std::int16_t>(opt.minFrames);
    c.nMaxFrames = static_cast<std::int16_t>(opt.maxFrames);
    c.bAnyLength = static_cast<std::int8_t>(opt.anyLength);
    c.bMirror = static_cast<std::int8_t>(opt.mirror);
    return c;
}

// The conditions as a flow instance holds them: pointers into its definition.
CheckedVector<cEdKeyCondition*> Pointers(std::vector<cEdKeyCondition>& conds) {
    CheckedVector<cEdKeyCondition*> out;
    for (cEdKeyCondition& c : conds) out.push_back(&c);
    return out;
}

class KeyConditionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        In().ResetKeyLogs();
        m_actor.m_bFacingRight = 1;
        for (auto* groups :
             {&m_actor.m_vecGroupBusy, &m_actor.m_vecGroupFreed, &m_actor.m_vecGroupStarted})
            groups->resize(kFlowGroupSlots, 0);
    }
    void TearDown() override { ResetEngineGlobals(); }

    static cInput& In() { return InputList[0]; }
    // Each frame as the play frame logs it.
    static void Play(std::initializer_list<Frames> frames, cInput& input = In()) {
        for (const Frames& f : frames) {
            for (int i = 0; i < f.count; ++i) {
                input.wDir = f.dir;
                input.wButton = f.buttons;
                input.LogKeyEvents();
            }
        }
    }
    bool StepNow(const cEdKeyCondition& c, std::int32_t& length) {
        return MatchKeyStep(m_actor, c, In(), CurrentKeyHistoryPos(In()), length);
    }
    bool Sequence(std::vector<cEdKeyCondition> conds, int slack) {
        return MatchKeySequence(m_actor, Pointers(conds), slack);
    }

    cActorBase m_actor;
};

TEST_F(KeyConditionTest, InputDirectionIsTheChannelOfTheBitsHeldNow) {
    const struct {
        std::uint16_t bits;
        int channel;
    } cases[] = {
        {0, kKeyNoDirection},
        {kDirLeft, kKeyLeft},
        {kDirRight, kKeyRight},
        {kDirUp, kKeyUp},
        {kDirDown, kKeyDown},
        {kDirUp | kDirLeft, kKeyUpLeft},
        {kDirDown | kDirLeft, kKeyDownLeft},
        {kDirUp | kDirRight, kKeyUpRight},
        {kDirDown | kDirRight, kKeyDownRight},
        {kDirLeft | kDirRight, kKeyAnyDirection},
        {kDirUp | kDirDown | kDirLeft, kKeyAnyDirection},
        {kDirLeft | kDirRight | kDirUp | kDirDown, kKeyAnyDirection},
    };
    for (const auto& c : cases) {
        In().ResetKeyLogs();
        // Something else first: only the present frame counts.
        Play({{kDirDown | kDirRight, 0, 3}, {c.bits, 0, 1}});
        EXPECT_EQ(GetInputDirection(In()), c.channel) << "bits " << c.bits;
    }
    Play({{0, 0, 1}});
    EXPECT_EQ(GetInputDirection(In()), kKeyNoDirection);
}

TEST_F(KeyConditionTest, HistoryEntryNeedsTheStateAndALengthInRange) {
    const struct {
        const char* what;
        KEYEVENT run;
        std::int32_t length;
        KeyOptions opt;
        int state;
        bool expected;
    } cases[] = {
        {"held 4 frames, 5..10 wanted", {1, 4}, 4, {.minFrames = 5}, kKeyHeld, false},
        {"held 5 frames", {1, 9}, 5, {.minFrames = 5}, kKeyHeld, true},
        {"held 10 frames", {1, 10}, 10, {.minFrames = 5}, kKeyHeld, true},
        {"held 11 frames", {1, 11}, 11, {.minFrames = 5}, kKeyHeld, false},
        {"any length ignores the bounds",
         {1, 50},
         50,
         {.minFrames = 5, .anyLength = 1},
         kKeyHeld,
         true},
        {"any length still needs a frame",
         {1, 3},
         0,
         {.minFrames = 0, .anyLength = 1},
         kKeyHeld,
         false},
        {"held asked of a released run", {0, 7}, 7, {}, kKeyHeld, false},
        {"released, bounds do not apply", {0, 40}, 40, {.minFrames = 5}, kKeyReleased, true},
        {"released for one frame", {0, 1}, 1, {.minFrames = 5}, kKeyReleased, true},
        {"released needs a frame", {0, 0}, 0, {.minFrames = 0}, kKeyReleased, false},
        {"released asked of a held run", {1, 3}, 3, {}, kKeyReleased, false},
        {"untested state", {1, 3}, 3, {}, kKeyUntested, false},
        {"unknown state", {1, 3}, 3, {}, 3, false},
    };
    for (const auto& c : cases) {
        const cEdKeyCondition cond = Key({}, c.opt);
        EXPECT_EQ(TestKeyHistoryEntry(c.run, c.length, cond, c.state), c.expected) << c.what;
    }
}

TEST_F(KeyConditionTest, ShiftingBackWalksThroughTheRunsAndForwardUndoesIt) {
    // Right held 3 frames, then 2 frames of nothing: the right channel's log is
    // {released 2, held 3, empty...}.
    Play({{kDirRight, 0, 3}, {0, 0, 2}});
    const KeyHistoryPos now = CurrentKeyHistoryPos(In());
    EXPECT_EQ(now.pos[kKeyRight], 0);
    EXPECT_EQ(now.cnt[kKeyRight], 2);

    const struct {
        int back;
        int pos;
        std::int32_t cnt;
    } cases[] = {
        {0, 0, 2},
        {1, 0, 1},
        // The frame before a run began is the last frame of the run before it.
        {2, 1, 3},
        {3, 1, 2},
        {4, 1, 1},
    };
    for (const auto& c : cases) {
        KeyHistoryPos at = now;
        ShiftKeyHistory(at, In(), -c.back);
        EXPECT_EQ(at.pos[kKeyRight], c.pos) << c.back;
        EXPECT_EQ(at.cnt[kKeyRight], c.cnt) << c.back;
        // The catch-all channel saw the same runs.
        EXPECT_EQ(at.pos[kKeyAnyDirection], c.pos) << c.back;
        EXPECT_EQ(at.cnt[kKeyAnyDirection], c.cnt) << c.back;

        KeyHistoryPos stepwise = now;
        for (int i = 0; i < c.back; ++i) ShiftKeyHistory(stepwise, In(), -1);
        EXPECT_EQ(stepwise, at) << "one frame at a time, " << c.back;

        ShiftKeyHistory(at, In(), c.back);
        EXPECT_EQ(at, now) << "forward again by " << c.back;
    }
}

TEST_F(KeyConditionTest, ShiftingStaysWithinTheNewestRunsAndTheCurrentRun) {
    // Every channel gets more runs than a sequence may look at.
    for (int i = 0; i < 40; ++i) Play({{kDirRight, kB1, 1}, {0, 0, 1}});
    const KeyHistoryPos now = CurrentKeyHistoryPos(In());

    KeyHistoryPos at = now;
    ShiftKeyHistory(at, In(), -1000);
    for (int ch = 0; ch < kKeyChannelCount; ++ch) EXPECT_EQ(at.pos[ch], kKeyRunsSearched - 1) << ch;

    // Past the present the point stays in the current run with the frames left over.
    at = now;
    ShiftKeyHistory(at, In(), 5);
    for (int ch = 0; ch < kKeyChannelCount; ++ch) {
        EXPECT_EQ(at.pos[ch], 0) << ch;
        EXPECT_EQ(at.cnt[ch], 5) << ch;
    }
}

TEST_F(KeyConditionTest, StepCombinesItsKeysAndReportsTheMatchedLength) {
    // Right for 5 frames, button 1 for the last 3, button 2 never.
    Play({{kDirRight, 0, 2}, {kDirRight, kB1, 3}});
    const int b1 = kKeyButton1;
    const int b2 = kKeyButton1 + 1;
    const struct {
        const char* what;
        cEdKeyCondition cond;
        bool expected;
        std::int32_t length;
    } cases[] = {
        {"all: the shortest", Key({Held(kKeyRight), Held(b1)}), true, 3},
        {"all with a released key", Key({Held(b1), Released(b2)}), true, 3},
        {"all, one fails", Key({Held(kKeyRight), Held(b2)}), false, 0},
        {"all, released key is down", Key({Held(kKeyRight), Released(b1)}), false, 0},
        {"any: the longest", Key({Held(kKeyRight), Held(b1)}, {.combine = kKeyCombineAny}), true,
         5},
        {"any, none", Key({Held(kKeyLeft), Held(b2)}, {.combine = kKeyCombineAny}), false, 0},
        {"exactly one, two match", Key({Held(kKeyRight), Held(b1)}, {.combine = kKeyCombineOne}),
         false, 0},
        {"exactly one", Key({Held(kKeyLeft), Held(b1)}, {.combine = kKeyCombineOne}), true, 3},
        {"all of nothing", Key({}), true, 0},
        {"any of nothing", Key({}, {.combine = kKeyCombineAny}), false, 0},
        {"exactly one of nothing", Key({}, {.combine = kKeyCombineOne}), false, 0},
        {"unknown combination", Key({Held(kKeyLeft)}, {.combine = 5}), true, 0},
        {"a run longer than allowed", Key({Held(kKeyRight)}, {.maxFrames = 4}), false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t length = -1;
        EXPECT_EQ(StepNow(c.cond, length), c.expected) << c.what;
        if (c.expected) {
            EXPECT_EQ(length, c.length) << c.what;
        }
    }
}

TEST_F(KeyConditionTest, MirroredStepSwapsLeftAndRightForALeftFacingActor) {
    const struct {
        const char* what;
        std::uint16_t held;
        int channel;
        int mirror;
        int facingRight;
        bool expected;
    } cases[] = {
        {"right asked, left held, facing left", kDirLeft, kKeyRight, 1, 0, true},
        {"right asked, right held, facing left", kDirRight, kKeyRight, 1, 0, false},
        {"left asked, right held, facing left", kDirRight, kKeyLeft, 1, 0, true},
        {"right asked, left held, facing right", kDirLeft, kKeyRight, 1, 1, false},
        {"right asked, right held, facing right", kDirRight, kKeyRight, 1, 1, true},
        {"without the flag", kDirLeft, kKeyRight, 0, 0, false},
        {"a flag other than 1", kDirLeft, kKeyRight, 2, 0, false},
        {"up-right to up-left", kDirUp | kDirLeft, kKeyUpRight, 1, 0, true},
        {"down-right to down-left", kDirDown | kDirLeft, kKeyDownRight, 1, 0, true},
        {"down-left to down-right", kDirDown | kDirRight, kKeyDownLeft, 1, 0, true},
        {"up stays", kDirUp, kKeyUp, 1, 0, true},
        {"down stays", kDirDown, kKeyDown, 1, 0, true},
        {"any direction stays", kDirLeft, kKeyAnyDirection, 1, 0, true},
        {"no direction stays", 0, kKeyNoDirection, 1, 0, true},
    };
    for (const auto& c : cases) {
        In().ResetKeyLogs();
        Play({{c.held, 0, 2}});
        m_actor.m_bFacingRight = c.facingRight;
        std::int32_t length = 0;
        EXPECT_EQ(StepNow(Key({Held(c.channel)}, {.mirror = c.mirror}), length), c.expected)
            << c.what;
    }
}

TEST_F(KeyConditionTest, SequenceMatchesWithinTheSlack) {
    // Down, down-right, then right with button 1: a quarter circle forward.
    const std::vector<cEdKeyCondition> motion = {
        Key({Held(kKeyDown)}),
        Key({Held(kKeyDownRight)}),
        Key({Held(kKeyRight), Held(kKeyButton1)}),
    };
    const std::uint16_t kDR = kDirDown | kDirRight;
    const struct {
        const char* what;
        std::vector<Frames> frames;
        int slack;
        bool expected;
    } cases[] = {
        {"exact, no slack",
         {{0, 0, 3}, {kDirDown, 0, 3}, {kDR, 0, 2}, {kDirRight, kB1, 1}},
         0,
         true},
        {"exact, slack 2",
         {{0, 0, 3}, {kDirDown, 0, 3}, {kDR, 0, 2}, {kDirRight, kB1, 1}},
         2,
         true},
        {"last step held on", {{kDirDown, 0, 3}, {kDR, 0, 2}, {kDirRight, kB1, 4}}, 0, true},
        {"button before the last direction",
         {{kDirDown, 0, 3}, {kDR, 0, 1}, {kDR, kB1, 1}, {kDirRight, kB1, 1}},
         0,
         true},
        {"two idle frames, no slack",
         {{kDirDown, 0, 3}, {0, 0, 2}, {kDR, 0, 2}, {kDirRight, kB1, 1}},
         0,
         false},
        {"two idle frames, slack 2",
         {{kDirDown, 0, 3}, {0, 0, 2}, {kDR, 0, 2}, {kDirRight, kB1, 1}},
         2,
         true},
        {"three idle frames, slack 2",
         {{kDirDown, 0, 3}, {0, 0, 3}, {kDR, 0, 2}, {kDirRight, kB1, 1}},
         2,
         false},
        {"gaps before two steps, slack 2",
         {{kDirDown, 0, 3}, {0, 0, 2}, {kDR, 0, 2}, {0, 0, 1}, {kDirRight, kB1, 1}},
         2,
         true},
        {"gap before the last step, no slack",
         {{kDirDown, 0, 3}, {kDR, 0, 2}, {0, 0, 1}, {kDirRight, kB1, 1}},
         0,
         false},
        {"wrong order", {{kDR, 0, 2}, {kDirDown, 0, 3}, {kDirRight, kB1, 1}}, 2, false},
        {"first step held too long",
         {{kDirDown, 0, 11}, {kDR, 0, 2}, {kDirRight, kB1, 1}},
         0,
         false},
        {"step missing", {{kDirDown, 0, 3}, {kDirRight, kB1, 1}}, 2, false},
        {"ended a frame ago",
         {{kDirDown, 0, 3}, {kDR, 0, 2}, {kDirRight, kB1, 1}, {0, 0, 1}},
         2,
         false},
    };
    for (const auto& c : cases) {
        In().ResetKeyLogs();
        for (const Frames& f : c.frames) Play({f});
        EXPECT_EQ(Sequence(motion, c.slack), c.expected) << c.what;
    }
    EXPECT_FALSE(Sequence({}, 2)) << "an empty sequence";
}

TEST_F(KeyConditionTest, MirroredSequenceIsTheSameMotionTurnedRound) {
    const std::vector<cEdKeyCondition> motion = {
        Key({Held(kKeyDown)}, {.mirror = 1}),
        Key({Held(kKeyDownRight)}, {.mirror = 1}),
        Key({Held(kKeyRight), Held(kKeyButton1)}, {.mirror = 1}),
    };
    Play({{kDirDown, 0, 3}, {kDirDown | kDirLeft, 0, 2}, {kDirLeft, kB1, 1}});
    m_actor.m_bFacingRight = 0;
    EXPECT_TRUE(Sequence(motion, 0));
    m_actor.m_bFacingRight = 1;
    EXPECT_FALSE(Sequence(motion, 0));
}

TEST_F(KeyConditionTest, LateJoinOnTheFirstFrameOfTheNextStep) {
    // Down went down together with button 1 and was let go at once: down's only frame is
    // the first frame of the button's run.
    const struct {
        const char* what;
        int looseJoin;
        int buttonMinFrames;
        int slack;
        bool expected;
    } cases[] = {
        {"the frame belongs to the button step", 0, 1, 2, false},
        {"loose join", 1, 1, 2, true},
        {"the button step needs 2 frames there", 0, 2, 2, true},
        {"no slack, no late join", 1, 1, 0, false},
    };
    for (const auto& c : cases) {
        In().ResetKeyLogs();
        Play({{0, 0, 4}, {kDirDown, kB1, 1}, {0, kB1, 2}});
        EdSystem.bCompat669 = c.looseJoin;
        const std::vector<cEdKeyCondition> motion = {
            Key({Held(kKeyDown)}, {.anyLength = 1}),
            Key({Held(kKeyButton1)}, {.minFrames = c.buttonMinFrames}),
        };
        EXPECT_EQ(Sequence(motion, c.slack), c.expected) << c.what;
    }
}

TEST_F(KeyConditionTest, SequenceReadsTheFirstHerosInput) {
    cInput heroInput;
    heroInput.ResetKeyLogs();
    Play({{kDirRight, 0, 2}}, heroInput);
    Play({{kDirLeft, 0, 2}});
    const std::vector<cEdKeyCondition> right = {Key({Held(kKeyRight)})};

    Player.Reset(1);
    Player[0].m_pInput = &heroInput;
    EXPECT_TRUE(Sequence(right, 0)) << "the hero's input";
    Player[0].m_pInput = nullptr;
    EXPECT_FALSE(Sequence(right, 0)) << "a hero without input: the first input state";
    Player.Clear();
    EXPECT_FALSE(Sequence(right, 0)) << "no hero: the first input state";
    EXPECT_TRUE(Sequence({Key({Held(kKeyLeft)})}, 0)) << "no hero: the first input state";
}

class KeyTriggerTest : public KeyConditionTest {
protected:
    // A flow of one key condition, right held, as an actor's flow instance holds it.
    void MakeFlow(cEdFlow& def, FlowInstance& flow, int level, int trigger = 0, int group = 0) {
        def.nTrigger = static_cast<std::int8_t>(trigger);
        def.nGroup = static_cast<std::int8_t>(group);
        def.bKeyLevel = static_cast<std::int8_t>(level);
        def.nKeySlack = 0;
        def.vecKeyCondition.push_back(Key({Held(kKeyRight)}, {.anyLength = 1}));
        flow.m_pFlow = &def;
        flow.m_vecKeyCond.push_back(&def.vecKeyCondition[0]);
    }
};

TEST_F(KeyTriggerTest, FlowWithoutKeyConditionsAlwaysPasses) {
    cEdFlow def;
    FlowInstance flow;
    flow.m_pFlow = &def;
    Play({{0, 0, 1}});
    EXPECT_TRUE(CheckKeyConditions(m_actor, flow));
    EXPECT_TRUE(CheckKeyConditions(m_actor, flow));
    EXPECT_EQ(flow.m_bKeyEdgeLatch, 0);
}

TEST_F(KeyTriggerTest, LevelPassesWhileHeldEdgeOncePerPress) {
    cEdFlow levelDef, edgeDef;
    FlowInstance level, edge;
    MakeFlow(levelDef, level, 1);
    MakeFlow(edgeDef, edge, 0);
    const struct {
        std::uint16_t dir;
        bool level;
        bool edge;
    } frames[] = {
        {kDirRight, true, true},  {kDirRight, true, false}, {kDirRight, true, false},
        {0, false, false},        {0, false, false},        {kDirRight, true, true},
        {kDirRight, true, false}, {kDirLeft, false, false}, {kDirRight, true, true},
    };
    int n = 0;
    for (const auto& f : frames) {
        Play({{f.dir, 0, 1}});
        ++n;
        EXPECT_EQ(CheckKeyConditions(m_actor, level), f.level) << "frame " << n;
        EXPECT_EQ(CheckKeyConditions(m_actor, edge), f.edge) << "frame " << n;
    }
    EXPECT_EQ(level.m_bKeyEdgeLatch, 0) << "a level-triggered flow keeps no latch";
}

TEST_F(KeyTriggerTest, EdgeLatchChangesOnlyWhenTested) {
    cEdFlow def;
    FlowInstance flow;
    MakeFlow(def, flow, 0);
    Play({{kDirRight, 0, 1}});
    EXPECT_TRUE(CheckKeyConditions(m_actor, flow));
    // Released and pressed again while the flow was not tested: the release went unseen.
    Play({{0, 0, 2}, {kDirRight, 0, 1}});
    EXPECT_FALSE(CheckKeyConditions(m_actor, flow));
    Play({{0, 0, 1}});
    EXPECT_FALSE(CheckKeyConditions(m_actor, flow));
    Play({{kDirRight, 0, 1}});
    EXPECT_TRUE(CheckKeyConditions(m_actor, flow));
}

TEST_F(KeyTriggerTest, HeldEdgeSequenceKeepsAnAlwaysFlowsGroupBusy) {
    const struct {
        const char* what;
        int level;
        int trigger;
        int group;
        bool holdsGroup;
    } cases[] = {
        {"always-running flow of group 3", 0, 0, 3, true},
        {"another trigger", 0, 1, 3, false},
        {"no group", 0, 0, 0, false},
        {"level-triggered", 1, 0, 3, false},
    };
    for (const auto& c : cases) {
        In().ResetKeyLogs();
        cEdFlow def;
        FlowInstance flow;
        MakeFlow(def, flow, c.level, c.trigger, c.group);
        Play({{kDirRight, 0, 1}});
        EXPECT_TRUE(CheckKeyConditions(m_actor, flow)) << c.what;
        EXPECT_EQ(m_actor.m_bGroupFreed, 0) << c.what << ": the start itself holds nothing";
        EXPECT_EQ(m_actor.m_vecGroupBusy[3], 0) << c.what;

        Play({{kDirRight, 0, 1}});
        CheckKeyConditions(m_actor, flow);
        EXPECT_EQ(m_actor.m_vecGroupBusy[3], c.holdsGroup ? 1 : 0) << c.what;
        EXPECT_EQ(m_actor.m_vecGroupFreed[3], c.holdsGroup ? 1 : 0) << c.what;
        EXPECT_EQ(m_actor.m_bGroupFreed, c.holdsGroup ? 1 : 0) << c.what;
        for (int g = 0; g < kFlowGroupSlots; ++g)
            if (g != 3) {
                EXPECT_EQ(m_actor.m_vecGroupBusy[g], 0) << c.what << ", group " << g;
            }
        m_actor.m_vecGroupBusy.Fill(0);
        m_actor.m_vecGroupFreed.Fill(0);
        m_actor.m_bGroupFreed = 0;
    }
}

TEST_F(KeyConditionTest, PresentKeyTestIgnoresLengthsAndMirroring) {
    // Right held for one frame, after five of down; button 1 down for all six.
    Play({{kDirDown, kB1, 5}, {kDirRight, kB1, 1}});
    m_actor.m_bFacingRight = 0;
    const int b2 = kKeyButton1 + 1;
    const struct {
        const char* what;
        cEdKeyCondition cond;
        bool expected;
    } cases[] = {
        {"held now, shorter than the minimum", Key({Held(kKeyRight)}, {.minFrames = 5}), true},
        {"held beyond the maximum", Key({Held(kKeyButton1)}, {.maxFrames = 2}), true},
        {"released now", Key({Released(kKeyDown)}), true},
        {"held asked, not held", Key({Held(kKeyDown)}), false},
        {"all", Key({Held(kKeyRight), Held(kKeyButton1)}), true},
        {"all, one fails", Key({Held(kKeyRight), Held(b2)}), false},
        {"any", Key({Held(kKeyLeft), Held(kKeyButton1)}, {.combine = kKeyCombineAny}), true},
        {"exactly one, two hold", Key({Held(kKeyRight), Held(kKeyButton1)}, {.combine = 2}), false},
        {"exactly one", Key({Held(kKeyLeft), Held(kKeyButton1)}, {.combine = 2}), true},
        {"not mirrored", Key({Held(kKeyLeft)}, {.mirror = 1}), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TestKeyCondition(m_actor, &In(), &c.cond), c.expected) << c.what;
        EXPECT_EQ(KeyConditionHolds(m_actor, &In(), &c.cond), c.expected ? 1 : 0)
            << c.what << " through the service";
    }
    const cEdKeyCondition right = Key({Held(kKeyRight)});
    EXPECT_FALSE(TestKeyCondition(m_actor, nullptr, &right));
    EXPECT_FALSE(TestKeyCondition(m_actor, &In(), nullptr));
}

}  // namespace
