// The run-time tables built after the database load: step sequences of the animations and
// effects, the reversed copies of the effect tables and the prepared effect states.
#include "stage/post_load_tables.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/database_fixture.h"

namespace {

using database_test::DatabaseFixture;

void SetFrames(cEdAnime& anime, const std::vector<std::vector<int>>& frames) {
    anime.vecFrame.Clear();
    for (const auto& f : frames) {
        cEdAnimeFrame frame;
        frame.nPattern = f[0];
        frame.nTime = f[1];
        frame.bKeyFrame = f[2];
        anime.vecFrame.push_back(frame);
    }
}

ANIMSEQ Steps(const std::vector<ANIMSTEP>& steps) {
    ANIMSEQ seq;
    for (const ANIMSTEP& s : steps) seq.push_back(s);
    return seq;
}

class PostLoad : public DatabaseFixture {};

TEST_F(PostLoad, AnimationStepsHoldTimesTimesSixLocksFromTheKeyFrameAndTheirEndStep) {
    EdDatabase.vecAnime.resize(6);
    SetFrames(EdDatabase.vecAnime[0], {{7, 3, 0}, {8, 5, 1}});
    SetFrames(EdDatabase.vecAnime[1], {});
    SetFrames(EdDatabase.vecAnime[2], {{1, 2, 0}, {2, 2, 1}, {3, 4, 0}});
    SetFrames(EdDatabase.vecAnime[3], {{4, 1, 0}, {5, 1, 0}});
    SetFrames(EdDatabase.vecAnime[4], {{6, 1, 1}});
    // A stored time of any size: the product wraps as 32-bit arithmetic does.
    SetFrames(EdDatabase.vecAnime[5], {{9, 0x40000000, 0}});
    BuildPostLoadTables();

    ASSERT_EQ(AnimePatternTable.Size(), 6u);
    EXPECT_EQ(AnimePatternTable[0], Steps({{7, 0, 1}, {8, 0, 1}, {-2, 0, 1}}));
    EXPECT_EQ(AnimePatternTable[1], Steps({{-4, 0, 0}}));
    EXPECT_EQ(AnimePatternTable[2], Steps({{1, 12, 0}, {2, 12, 1}, {3, 24, 1}, {-4, 0, 0}}));
    EXPECT_EQ(AnimePatternTable[3], Steps({{4, 6, 0}, {5, 6, 0}, {-4, 0, 0}}));
    EXPECT_EQ(AnimePatternTable[4], Steps({{6, 6, 1}, {-4, 0, 0}}));
    EXPECT_EQ(AnimePatternTable[5], Steps({{9, INT32_MIN, 0}, {-4, 0, 0}}));

    // A one-shot animation played by the sequencer ends with -4 after its frames.
    cAnimPattern play;
    play.m_vecSeq.resize(1);
    play.m_vecSeq[0] = AnimePatternTable[3];
    play.SetSeq(0, 1);
    std::vector<int> shown;
    for (int i = 0; i < 13; ++i) shown.push_back(play.Next());
    EXPECT_EQ(shown, (std::vector<int>{4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, -4, -4}));
}

TEST_F(PostLoad, EffectStepsAreNeverLocked) {
    EdDatabase.vecEffect.resize(3);
    for (int i : {0, 1}) {
        cEdEffectFrame frame;
        frame.nPattern = 2 + i;
        EdDatabase.vecEffect[i].vecFrame.push_back(frame);
        EdDatabase.vecEffect[i].vecFrame.push_back(frame);
    }
    BuildPostLoadTables();
    ASSERT_EQ(EffectPatternTable.Size(), 3u);
    EXPECT_EQ(EffectPatternTable[0], Steps({{2, 0, 1}, {2, 0, 1}, {-2, 0, 1}}));
    EXPECT_EQ(EffectPatternTable[1], Steps({{3, 6, 0}, {3, 6, 0}, {-4, 0, 0}}));
    EXPECT_EQ(EffectPatternTable[2], Steps({{-4, 0, 0}}));
}

// Which kinds are played the other way by exchanging which parameters: one record per kind,
// parameters 1 to 4 holding 11, 22, 33, 44.
TEST_F(PostLoad, ReversedCopiesExchangeStartAndEndByKind) {
    struct Case {
        bool screen;
        int kind;
        std::int32_t reversed[4];  // parameters 1 to 4 of the reversed copy
    };
    std::vector<Case> cases;
    for (int kind = 0; kind <= 18; ++kind) {
        const bool swaps =
            (kind >= 1 && kind <= 5) || (kind >= 7 && kind <= 13) || kind == 15 || kind == 16;
        cases.push_back({false, kind, {swaps ? 22 : 11, swaps ? 11 : 22, 33, 44}});
    }
    for (int kind = 0; kind <= 15; ++kind) {
        const bool swaps = (kind >= 4 && kind <= 7) || (kind >= 9 && kind <= 13);
        if (kind == 1) {
            cases.push_back({true, kind, {33, 44, 11, 22}});
        } else {
            cases.push_back({true, kind, {swaps ? 22 : 11, swaps ? 11 : 22, 33, 44}});
        }
    }
    EdDatabase.vecCharaEffect.Clear();
    EdDatabase.vecScrEffect.Clear();
    for (const Case& c : cases) {
        cEdEffectParams record;
        record.nKind = c.kind;
        const std::int32_t params[5] = {10, 11, 22, 33, 44};
        for (int i = 0; i < 5; ++i) record.anParam[i] = params[i];
        if (c.screen) {
            EdDatabase.vecScrEffect.emplace_back();
            static_cast<cEdEffectParams&>(EdDatabase.vecScrEffect.back()) = record;
        } else {
            EdDatabase.vecCharaEffect.emplace_back();
            static_cast<cEdEffectParams&>(EdDatabase.vecCharaEffect.back()) = record;
        }
    }
    // Built twice: the copies are made afresh each time, so the exchange happens once.
    BuildPostLoadTables();
    BuildPostLoadTables();

    int chara = 0, screen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.screen ? "screen" : "chara") << " kind " << c.kind);
        const cEdEffectParams& plain =
            c.screen ? static_cast<const cEdEffectParams&>(EdDatabase.vecScrEffect[screen])
                     : EdDatabase.vecCharaEffect[chara];
        const cEdEffectParams& copy =
            c.screen ? static_cast<const cEdEffectParams&>(EdDatabase.vecScrEffectRev[screen])
                     : EdDatabase.vecCharaEffectRev[chara];
        EXPECT_EQ(copy.nKind, c.kind);
        EXPECT_EQ(copy.anParam[0], 10);
        for (int p = 1; p < 5; ++p) {
            EXPECT_EQ(plain.anParam[p], p * 11) << "plain parameter " << p;
            EXPECT_EQ(copy.anParam[p], c.reversed[p - 1]) << "reversed parameter " << p;
        }
        // Each state refers to its own record: the plain one to the table, the reversed one
        // to the copy.
        if (c.screen) {
            EXPECT_EQ(ScrEffectStates[screen].lpRecord, &EdDatabase.vecScrEffect[screen]);
            EXPECT_EQ(ScrEffectStatesRev[screen].lpRecord, &EdDatabase.vecScrEffectRev[screen]);
            EXPECT_EQ(ScrEffectStatesRev[screen].nNumber, screen);
            ++screen;
        } else {
            EXPECT_EQ(CharaEffectStates[chara].lpRecord, &EdDatabase.vecCharaEffect[chara]);
            EXPECT_EQ(CharaEffectStatesRev[chara].lpRecord, &EdDatabase.vecCharaEffectRev[chara]);
            EXPECT_EQ(CharaEffectStates[chara].nNumber, chara);
            ++chara;
        }
    }
    EXPECT_EQ(CharaEffectStates.Size(), EdDatabase.vecCharaEffect.Size());
    EXPECT_EQ(ScrEffectStatesRev.Size(), EdDatabase.vecScrEffect.Size());
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(PostLoad, PreparedStatesHoldThePlainAndTheExchangedStartAndEnd) {
    EdDatabase.vecCharaEffect.resize(2);
    cEdCharaEffect& zoom = EdDatabase.vecCharaEffect[1];
    zoom.nKind = 11;  // "拡大"
    zoom.anParam[0] = 10;
    zoom.anParam[1] = 32;
    zoom.anParam[2] = 64;
    EdDatabase.vecScrEffect.resize(2);
    cEdScrEffect& move = EdDatabase.vecScrEffect[1];
    move.nKind = 1;  // "移動"
    const std::int32_t moveParams[5] = {10, 0, 0, 640, 0};
    for (int i = 0; i < 5; ++i) move.anParam[i] = moveParams[i];
    EdDatabase.PostLoad();
    BuildPostLoadTables();

    EXPECT_EQ(CharaEffectStates[1].nFrom, 32);
    EXPECT_EQ(CharaEffectStates[1].nTo, 64);
    EXPECT_EQ(CharaEffectStatesRev[1].nFrom, 64);
    EXPECT_EQ(CharaEffectStatesRev[1].nTo, 32);
    EXPECT_DOUBLE_EQ(CharaEffectStatesRev[1].dStep, 32.0 / 60.0);
    EXPECT_EQ(ScrEffectStates[1].nWorkA, 0);
    EXPECT_EQ(ScrEffectStatesRev[1].nWorkA, 640);
    EXPECT_EQ(EdDatabase.vecScrEffectRev[1].anParam[3], 0);
    // Entry 0 is "none" after the load and prepares nothing.
    EXPECT_EQ(CharaEffectStates[0].lpRecord->nKind, 0);
    EXPECT_EQ(CharaEffectStates[0].dStep, 0.0);
    EXPECT_EQ(ScrEffectStatesRev[0].dStep, 0.0);
}

}  // namespace
