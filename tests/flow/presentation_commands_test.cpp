// The presentation commands: what each one sets on the actor, the scene, the running stage
// or the window thread, with the narrowed fields, the values out of range, and the entries
// of the command table reaching their workers.
#include "flow/presentation_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "command_world.h"
#include "data/anime_records.h"
#include "data/database.h"
#include "data/effect_records.h"
#include "flow/command_dispatch.h"
#include "flow/flow_operation_command.h"
#include "scene/scene_fixture.h"
#include "stage/graphic_source.h"
#include "stage/post_load_tables.h"

namespace {

constexpr int kChangeGraphic = 26;
constexpr int kChangeAnimeSet = 27;
constexpr int kAnime = 28;
constexpr int kCharaEffect = 30;
constexpr int kScreenEffect = 31;
constexpr int kScreenColor = 33;
constexpr int kBackground = 34;
constexpr int kSe = 35;
constexpr int kBgm = 36;

cEdCommand Command(int type, std::initializer_list<std::int32_t> params, int onScreen = 0) {
    cEdCommand cmd = cmdtest::Cmd(type, params);
    cmd.bSoundOnScreen = static_cast<std::int8_t>(onScreen);
    return cmd;
}

cEdAnime Anime(std::initializer_list<int> patterns) {
    cEdAnime anime;
    anime.vecFrame.Clear();
    for (int p : patterns) {
        cEdAnimeFrame& frame = anime.vecFrame.emplace_back();
        frame.nPattern = p;
        frame.nTime = 1;
    }
    return anime;
}

// Animations 1 and 2 of the database, and their run-time patterns.
void PrepareAnimes() {
    EdDatabase.vecAnime.Clear();
    EdDatabase.vecAnime.push_back(Anime({}));
    EdDatabase.vecAnime.push_back(Anime({3, 4}));
    EdDatabase.vecAnime.push_back(Anime({7}));
    BuildAnimePatternTable(AnimePatternTable);
}

// A scene without a display (one is opened by the tests that draw), the project's tables,
// a character on screen, and a main window that records the requests it serves.
class Presentation : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        EdStageWork.SetGameSpeed(1);
        PrepareAnimes();
        EdDatabase.vecAnimeSet.Clear();
        for (int s = 0; s < 2; ++s) {
            cEdAnimeSet& set = EdDatabase.vecAnimeSet.emplace_back();
            set.vecAnime.Clear();
            set.vecAnime.push_back(Anime({10 * s + 1, 10 * s + 2, 10 * s + 3}));
        }
        // Character effect and screen effect 1: from 0 to 12 over a tenth of a second, so
        // that the level moves by 2 a frame.
        EdDatabase.vecCharaEffect.resize(2);
        EdDatabase.vecCharaEffect[1].nKind = 1;
        EdDatabase.vecCharaEffect[1].anParam[0] = 1;
        EdDatabase.vecCharaEffect[1].anParam[1] = 0;
        EdDatabase.vecCharaEffect[1].anParam[2] = 12;
        EdDatabase.vecScrEffect.resize(2);
        EdDatabase.vecScrEffect[1].nKind = 4;
        EdDatabase.vecScrEffect[1].anParam[0] = 10;
        EdDatabase.vecScrEffect[1].anParam[2] = 32;
        BuildPostLoadTables();

        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        actor_.m_bPresent = 1;
        actor_.m_bOnScreen = 1;
        actor_.m_Chara.nGraphicSource = 1;
        actor_.m_Chara.nGraphic = 2;
        actor_.m_nGraphicNo = 2;
        SetAnimeSet(actor_, 1, 1);
        SentMessages().clear();
    }
    void TearDown() override {
        for (int sheet = kCharaSheetFirst; sheet < kCharaSheetFirst + 2 * kCharaSheetCount; ++sheet)
            StdSD[sheet].nWidth = StdSD[sheet].nHeight = 0;
        lpGame = nullptr;
        scene_.reset();
        TearDownWorld();
    }

    void Run(void (*worker)(cActorBase&, const cEdCommand&), const cEdCommand& cmd) {
        worker(actor_, cmd);
    }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor actor_;
};

TEST_F(Presentation, GraphicFieldsAreNarrowedAndResolvedInTheNextFrame) {
    struct Row {
        std::int32_t kind, number, column;
        int wantKind, wantNumber, wantColumn;
    };
    const Row rows[] = {
        {1, 5, 2, 1, 5, 2},
        {0x102, 0x10007, 0x1FFFF, 2, 7, -1},
        {0x80, -1, -999, -128, -1, -999},
    };
    for (const Row& r : rows) {
        Run(CmdChangeGraphic, Command(kChangeGraphic, {r.kind, r.number, r.column}));
        EXPECT_EQ(actor_.m_Chara.nGraphicSource, r.wantKind) << r.kind;
        EXPECT_EQ(actor_.m_Chara.nGraphic, r.wantNumber) << r.number;
        EXPECT_EQ(actor_.m_nGraphicNo, r.wantNumber) << r.number;
        EXPECT_EQ(actor_.m_Chara.nPatternBase, r.wantColumn) << r.column;
    }

    // The drawing takes the new fields: character 17 is row 2 of the second sheet (the
    // sheets as the stage's images make them).
    for (int sheet = kCharaSheetFirst; sheet < kCharaSheetFirst + 2 * kCharaSheetCount; ++sheet) {
        StdSD[sheet].nWidth = 640;
        StdSD[sheet].nHeight = 480;
    }
    GraphicSource src;
    Run(CmdChangeGraphic, Command(kChangeGraphic, {1, 17, 0}));
    actor_.ResolveActorSource(src, 0);
    EXPECT_EQ(src.lpOwn1, &StdSD[kCharaSheetFirst + 2]);
    EXPECT_EQ(src.nSrcY, 2 * 32);
    // A number beyond the character sheets draws the fallback cell, never from a sheet
    // that follows them; a kind the program does not know draws nothing.
    Run(CmdChangeGraphic, Command(kChangeGraphic, {1, 30000, 0}));
    actor_.ResolveActorSource(src, 0);
    EXPECT_EQ(src.lpOwn1, &StdSD[kCharaSheetFirst]);
    EXPECT_EQ(src.nSrcX, 0);
    EXPECT_EQ(src.nSrcY, 0);
    Run(CmdChangeGraphic, Command(kChangeGraphic, {9, 3, 0}));
    actor_.ResolveActorSource(src, 0);
    EXPECT_EQ(src.lpOwn1, NoSurface());
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(Presentation, TheAnimationSetInUseLeavesTheRunningAnimationAlone) {
    cAnimPattern& pattern = actor_.m_AnimPattern;
    for (int i = 0; i < 8; ++i) pattern.Next();
    const int step = pattern.m_nStep, count = pattern.m_nCount;
    ASSERT_NE(step + count, 0);
    Run(CmdChangeAnimeSet, Command(kChangeAnimeSet, {1}));
    EXPECT_EQ(pattern.m_nStep, step);
    EXPECT_EQ(pattern.m_nCount, count);

    // Another set (here 0x10000, which is set 0 at 16 bits) starts from its first step.
    Run(CmdChangeAnimeSet, Command(kChangeAnimeSet, {0x10000}));
    EXPECT_EQ(actor_.m_Chara.nAnimeSet, 0);
    EXPECT_EQ(pattern.m_nSeq, 0);
    EXPECT_EQ(pattern.m_nStep, 0);
    EXPECT_EQ(pattern.GetPattern(), 1);
}

TEST_F(Presentation, AnimationsStandInFrontAndCarryTheRunningFlowsKey) {
    FlowInstance flow;
    flow.m_nKey = 7;
    lpGame->m_pCurFlow = &flow;
    Run(CmdAnime, Command(kAnime, {1}));
    Run(CmdAnime, Command(kAnime, {2}));
    lpGame->m_pCurFlow = nullptr;
    Run(CmdAnime, Command(kAnime, {1}));

    ASSERT_EQ(actor_.m_listAnime.size(), 3u);
    const std::vector<int> keys = {-1, 7, 7};
    const std::vector<int> firstPatterns = {3, 7, 3};
    int i = 0;
    for (AnimeEntry& entry : actor_.m_listAnime) {
        EXPECT_EQ(entry.m_nFlowKey, keys[i]) << i;
        EXPECT_EQ(entry.m_Pattern.GetPattern(), firstPatterns[i]) << i;
        EXPECT_EQ(entry.m_bLimited, 0);
        EXPECT_EQ(entry.m_nLength, 0);
        EXPECT_EQ(entry.m_nHold, 0);
        EXPECT_EQ(entry.m_bPaused, 0);
        ++i;
    }
    // The front entry is the one drawn.
    EXPECT_EQ(actor_.GetDrawPattern(1), 3);

    // An animation number beyond the table is reported and the program closes in order.
    Run(CmdAnime, Command(kAnime, {99}));
    EXPECT_EQ(PendingCloses(), 1);
    for (int f = 0; f < 3; ++f) actor_.GetDrawPattern(0);
}

TEST_F(Presentation, CharacterEffectModesRunTheirCourse) {
    struct Row {
        std::int32_t mode;
        std::int32_t repeat;
        int wantMode;
        std::vector<int> levels;  // after each drawn frame, until the effect ends
    };
    const std::vector<int> forward = {2, 4, 6, 8, 10, 12};
    const std::vector<int> back = {10, 8, 6, 4, 2, 0};
    std::vector<int> there = forward;
    there.push_back(12);  // the turn: the reversed run starts from its own start
    there.insert(there.end(), back.begin(), back.end());
    const Row rows[] = {
        {0, 0, 0, forward},  {1, 0, 1, back},
        {2, 0, 2, there},    {3, 0, 0, forward},  // modes the program does not know play forward
        {-1, 0, 0, forward},
    };
    for (const Row& r : rows) {
        Run(CmdCharaEffect, Command(kCharaEffect, {1, r.mode, r.repeat}));
        EXPECT_EQ(actor_.m_CharaEffect.nNumber, 1);
        EXPECT_EQ(actor_.m_CharaEffect.nMode, r.wantMode) << r.mode;
        std::vector<int> levels;
        while (levels.size() < 40 && actor_.m_CharaEffect.Advance() == 0)
            levels.push_back(static_cast<int>(actor_.m_CharaEffect.dLevel));
        EXPECT_EQ(levels, r.levels) << "mode " << r.mode;
    }
    // With repeat it never ends; effect 0 ends the running one.
    Run(CmdCharaEffect, Command(kCharaEffect, {1, 2, 1}));
    for (int f = 0; f < 100; ++f) ASSERT_EQ(actor_.m_CharaEffect.Advance(), 0) << f;
    Run(CmdCharaEffect, Command(kCharaEffect, {0, 0, 0}));
    EXPECT_EQ(actor_.m_CharaEffect.nNumber, 0);
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(Presentation, ScreenEffectZeroEndsTheEffectAndTheVirtualBackBuffer) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[0]));  // Direct3D 32
    Run(CmdScreenEffect, Command(kScreenEffect, {1, 7, 1}));
    EXPECT_EQ(lpGame->m_ScreenEffect.nNumber, 1);
    EXPECT_EQ(lpGame->m_ScreenEffect.nMode, 0);
    EXPECT_EQ(lpGame->m_ScreenEffect.bRepeat, 1);
    // The effect's frames are drawn to the virtual back buffer.
    D3DSetVirBackBuffer(1);
    ASSERT_EQ(lpDTCon->bVirBackBuffer, 1);
    Run(CmdScreenEffect, Command(kScreenEffect, {0, 0, 0}));
    EXPECT_EQ(lpGame->m_ScreenEffect.nNumber, 0);
    EXPECT_EQ(lpDTCon->bVirBackBuffer, 0);
}

TEST_F(Presentation, ScreenEffectZeroWithoutDirect3D) {
    Run(CmdScreenEffect, Command(kScreenEffect, {1, 2, 0}));
    EXPECT_EQ(lpGame->m_ScreenEffect.nMode, 2);
    Run(CmdScreenEffect, Command(kScreenEffect, {0x10000, 0, 0}));
    EXPECT_EQ(lpGame->m_ScreenEffect.nNumber, 0);
    EXPECT_EQ(PendingCloses(), 0);
}

class PresentationColour : public Presentation, public ::testing::WithParamInterface<int> {};

TEST_P(PresentationColour, AReturnWithNothingToReturnFromDoesNothing) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[GetParam()]));
    ScreenColor& colour = lpGame->m_ScreenColor;
    Run(CmdScreenColor, Command(kScreenColor, {255, 0, 0, 50, 1, 10, 0, 0}));
    EXPECT_EQ(colour.bActive, 0);
    EXPECT_EQ(colour.nPercent, 0);
    EXPECT_EQ(colour.nSavedLevel, 255);

    // A tint, then a return that fades it back from where it stands. A strength above 100
    // is held to 100.
    Run(CmdScreenColor, Command(kScreenColor, {0, 0, 255, 250, 0, 10, 0, 0}));
    EXPECT_EQ(colour.bActive, 1);
    EXPECT_EQ(colour.nPercent, 100);
    EXPECT_EQ(colour.nDuration, 60);
    Run(CmdScreenColor, Command(kScreenColor, {9, 9, 9, 9, 1, 5, 0, 0}));
    EXPECT_EQ(colour.bReturn, 1);
    EXPECT_EQ(colour.nB, 255);
    EXPECT_EQ(colour.nPercent, 100);
    EXPECT_EQ(colour.nDuration, 30);
}

INSTANTIATE_TEST_SUITE_P(Backends, PresentationColour,
                         ::testing::Values(0, 4),  // Direct3D 32, DirectDraw 8
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(kSceneDisplays[info.param].name);
                         });

TEST_F(Presentation, BackgroundsInRangeAreShownHiddenOrToggled) {
    EdStageWork.vecBackground.Clear();
    EdStageWork.vecBackground.resize(2);
    struct Row {
        std::int32_t number, op;
        int want1, want2;
    };
    const Row rows[] = {
        {0, 1, 1, 1}, {3, 1, 1, 1}, {-1, 2, 1, 1}, {1, 7, 1, 1},  // nothing happens
        {2, 1, 1, 0}, {1, 2, 0, 0}, {1, 2, 1, 0},                 // hide; toggle twice
        {2, 0, 1, 1}, {2, 0, 1, 1},                               // show is idempotent
    };
    for (const Row& r : rows) {
        Run(CmdBackground, Command(kBackground, {r.number, r.op}));
        EXPECT_EQ(EdStageWork.vecBackground[0].bShown, r.want1) << r.number << " " << r.op;
        EXPECT_EQ(EdStageWork.vecBackground[1].bShown, r.want2) << r.number << " " << r.op;
    }
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(Presentation, SoundEffectsHonourTheOnScreenFlag) {
    struct Row {
        int onScreenOnly, actorOnScreen;
        std::int32_t sound;
        std::vector<std::pair<int, int>> want;
    };
    const Row rows[] = {
        {0, 0, 3, {{3 + kDataSeBase, 0}}},       {1, 0, 3, {}},
        {1, 1, 3, {{3 + kDataSeBase, 0}}},       {0, 1, 0, {}},
        {0, 1, 0x10005, {{5 + kDataSeBase, 0}}},
    };
    for (const Row& r : rows) {
        SentMessages().clear();
        actor_.m_bOnScreen = r.actorOnScreen;
        Run(CmdSe, Command(kSe, {r.sound}, r.onScreenOnly));
        EXPECT_EQ(Requests(WM_USER_PLAYSE), r.want) << r.onScreenOnly << r.actorOnScreen;
    }
}

TEST_F(Presentation, MusicIsAskedForEveryTime) {
    Run(CmdBgm, Command(kBgm, {2, 1}));
    Run(CmdBgm, Command(kBgm, {2, 1}));
    EXPECT_EQ(Progress.m_bBgmLoop, 1);
    Run(CmdBgm, Command(kBgm, {0, 0}));
    EXPECT_EQ(Progress.m_bBgmLoop, 0);
    const std::vector<std::pair<int, int>> want = {
        {kBgmStageMusic, 2}, {kBgmStageMusic, 2}, {kBgmStageMusic, 0}};
    EXPECT_EQ(Requests(WM_USER_PLAYBGM), want);
}

TEST_F(Presentation, TheCommandTableReachesEveryWorker) {
    EdStageWork.vecBackground.Clear();
    EdStageWork.vecBackground.resize(1);
    FlowInstance flow;
    flow.m_nKey = 4;
    lpGame->m_pCurFlow = &flow;
    struct Row {
        cEdCommand cmd;
        bool (*done)(const cCharaActor&);
    };
    const Row rows[] = {
        {Command(kChangeGraphic, {1, 9, 0}),
         [](const cCharaActor& a) { return a.m_nGraphicNo == 9; }},
        {Command(kChangeAnimeSet, {0}),
         [](const cCharaActor& a) { return a.m_Chara.nAnimeSet == 0; }},
        {Command(kAnime, {2}),
         [](const cCharaActor& a) {
             return a.m_listAnime.size() == 1 && a.m_listAnime.begin()->m_nFlowKey == 4;
         }},
        {Command(kCharaEffect, {1, 0, 0}),
         [](const cCharaActor& a) { return a.m_CharaEffect.nNumber == 1; }},
        {Command(kScreenEffect, {1, 0, 0}),
         [](const cCharaActor&) { return lpGame->m_ScreenEffect.nNumber == 1; }},
        {Command(kScreenColor, {1, 2, 3, 40, 0, 1, 0, 0}),
         [](const cCharaActor&) { return lpGame->m_ScreenColor.nPercent == 40; }},
        {Command(kBackground, {1, 1}),
         [](const cCharaActor&) { return EdStageWork.vecBackground[0].bShown == 0; }},
        {Command(kSe, {4}),
         [](const cCharaActor&) { return Requests(WM_USER_PLAYSE).size() == 1; }},
        {Command(kBgm, {3, 0}),
         [](const cCharaActor&) { return Requests(WM_USER_PLAYBGM).size() == 1; }},
    };
    for (const Row& r : rows) {
        cEdCommand def = r.cmd;
        cCommandInstance ci;
        ci.m_pCmd = &def;
        RunCommand(actor_, ci);
        EXPECT_TRUE(r.done(actor_)) << "type " << static_cast<int>(def.nCmdType);
    }
    // An instance without its record does nothing.
    cCommandInstance empty;
    RunCommand(actor_, empty);
    EXPECT_EQ(Requests(WM_USER_PLAYSE).size(), 1u);
}

// The animations of アニメの実行 go with their flow under フローの操作: they have no play time
// of their own, so pausing the flow ends them (a lead-in of the same flow is only paused);
// removing the flow removes them; the other flows' entries stay.
class PresentationFlows : public cmdtest::CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        PrepareAnimes();
        chara_ = &AddChara(1, 100, 100);
        using cmdtest::Cmd;
        using cmdtest::Flow;
        Install(*chara_, {Flow(cmdtest::kFlowOnly, {Cmd(cmdtest::kWait, {}, 0, 1)}, 1),
                          Flow(cmdtest::kFlowOnly, {Cmd(cmdtest::kWait, {}, 0, 1)}, 2)});
        SetCommandContext(chara_, nullptr, nullptr);
        for (int i = 0; i < 2; ++i) chara_->m_vecFlow[i].Start(*chara_);
    }
    // Runs a command as a command of flow `flow`.
    void RunIn(int flow, const cEdCommand& def) {
        cEdCommand copy = def;
        cCommandInstance ci;
        ci.m_pCmd = &copy;
        lpGame->m_pCurFlow = &chara_->m_vecFlow[flow];
        RunCommand(*chara_, ci);
    }
    // Per entry, front first: the flow index of its key, 'p' when paused, 'L' for a lead-in.
    std::string Entries() {
        std::string s;
        for (const AnimeEntry& e : chara_->m_listAnime) {
            s += e.m_nFlowKey == chara_->m_vecFlow[0].m_nKey ? '0' : '1';
            if (e.m_bLimited) s += 'L';
            if (e.m_bPaused) s += 'p';
            s += ' ';
        }
        return s;
    }
    cCharaActor* chara_ = nullptr;
};

TEST_F(PresentationFlows, PausedResumedAndRemovedWithTheirFlow) {
    AnimeEntry leadIn;
    leadIn.m_bLimited = 1;
    leadIn.m_nLength = 10;
    leadIn.m_nFlowKey = chara_->m_vecFlow[0].m_nKey;
    chara_->m_listAnime.push_back(leadIn);
    RunIn(0, Command(kAnime, {1}));
    RunIn(1, Command(kAnime, {2}));
    RunIn(0, Command(kAnime, {2}));
    EXPECT_EQ(Entries(), "0 1 0 0L ");

    RunIn(1, Command(cmdtest::kFlowOp, {kFlowOpPause, kFlowSetById, 1}));
    EXPECT_EQ(Entries(), "1 0Lp ");
    RunIn(1, Command(cmdtest::kFlowOp, {kFlowOpResume, kFlowSetById, 1}));
    EXPECT_EQ(Entries(), "1 0L ");
    RunIn(0, Command(kAnime, {1}));
    // A deleted flow goes, with its entries, at the end of the flow pass.
    RunIn(0, Command(cmdtest::kFlowOp, {kFlowOpDelete, kFlowSetById, 2}));
    EXPECT_EQ(Entries(), "0 1 0L ");
    chara_->FinishFlowPass();
    EXPECT_EQ(chara_->m_vecFlow.Size(), 1u);
    EXPECT_EQ(Entries(), "0 0L ");
}

}  // namespace
