// The play-state log: its hash is FNV-1a, sees every value it promises to cover and nothing
// else, and its line reads back to the exact values of the hero.
#include "stage/state_log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "flow/flow_instance.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

TEST(StateHash, IsSixtyFourBitFnv1a) {
    struct Case {
        const char* text;
        std::uint64_t hash;
    };
    for (const Case& c : {Case{"", 0xcbf29ce484222325ull}, Case{"a", 0xaf63dc4c8601ec8cull},
                          Case{"foobar", 0x85944171f73967e8ull}}) {
        StateHash h;
        h.AddBytes(c.text, std::string(c.text).size());
        EXPECT_EQ(h.Value(), c.hash) << c.text;
    }
}

class StateLogTest : public ::testing::Test {
protected:
    void SetUp() override { ResetState(); }
    // One hero, one character and one item, all at their defaults; the view at 0, the
    // counters at 0 and the generator at a fixed state.
    void ResetState() {
        Player.Reset(1);
        CharaList.Clear();
        ItemList.Clear();
        CharaList.Add();
        ItemList.Add();
        plat::srand(7);
        scene.m_ScrollX.m_dPos = scene.m_ScrollY.m_dPos = 0;
        scene.m_nTime = scene.m_nTickTotal = 0;
        scene.m_listEffect.clear();
        scene.m_listMessage.clear();
        scene.m_WaitControl = WaitControl{};
        Progress.m_nScore = 0;
        Progress.m_nStageScore = 0;
        Progress.m_vecSwitch.Clear();
        Progress.m_vecSwitch.resize(kSwitchCount, 0);
    }
    void TearDown() override { ResetEngineGlobals(); }
    static cCharaActor& Chara() { return *CharaList.begin(); }

    cGameScene scene;
};

TEST_F(StateLogTest, HashChangesWithEveryCoveredValueAndOnlyWithThose) {
    const std::uint64_t base = HashPlayState(scene);
    EXPECT_EQ(HashPlayState(scene), base) << "the same state, the same hash";

    using Change = std::function<void(cGameScene&)>;
    struct Case {
        const char* what;
        Change change;
    };
    const Case covered[] = {
        {"hero x", [](cGameScene&) { Player[0].m_dX = 1; }},
        {"hero y", [](cGameScene&) { Player[0].m_dY = 1; }},
        {"hero vx", [](cGameScene&) { Player[0].m_dVX = 0.5; }},
        {"hero vy", [](cGameScene&) { Player[0].m_dVY = 0.5; }},
        {"hero move vx", [](cGameScene&) { Player[0].m_dMoveVX = 1; }},
        {"hero move vy", [](cGameScene&) { Player[0].m_dMoveVY = 1; }},
        {"hero hp", [](cGameScene&) { Player[0].m_nHp = 3; }},
        {"hero dying", [](cGameScene&) { Player[0].m_bDying = 1; }},
        {"hero falling", [](cGameScene&) { Player[0].m_bFalling = 1; }},
        {"hero jumping", [](cGameScene&) { Player[0].m_bJumping = 1; }},
        {"hero airborne", [](cGameScene&) { Player[0].m_bAirborne = 1; }},
        {"hero jump count", [](cGameScene&) { Player[0].m_nJumpCount = 2; }},
        {"hero contact left", [](cGameScene&) { Player[0].m_bContactLeft = 1; }},
        {"hero contact right", [](cGameScene&) { Player[0].m_bContactRight = 1; }},
        {"hero contact up", [](cGameScene&) { Player[0].m_bContactUp = 1; }},
        {"hero contact down", [](cGameScene&) { Player[0].m_bContactDown = 1; }},
        {"hero serial", [](cGameScene&) { Player[0].m_nSerial = 4; }},
        // A value a bit away from another is another state: the exact bytes count.
        {"a character's x by the last bit", [](cGameScene&) { Chara().m_dX = 1.0000000000000002; }},
        {"a character's y", [](cGameScene&) { Chara().m_dY = -1; }},
        {"a character's hp", [](cGameScene&) { Chara().m_nHp = 1; }},
        {"a character's serial", [](cGameScene&) { Chara().m_nSerial = 9; }},
        {"a character's sp", [](cGameScene&) { Chara().m_nSp = 2; }},
        {"a character's invincibility", [](cGameScene&) { Chara().m_nInvincibleFrames = 3; }},
        {"a character's attacker",
         [](cGameScene&) {
             Chara().m_listHitBy.push_back({1, 4});
         }},
        {"a character's knock-back x", [](cGameScene&) { Chara().m_dKnockVX = 0.25; }},
        {"a character's knock-back y", [](cGameScene&) { Chara().m_dKnockVY = 0.25; }},
        {"a character knocked", [](cGameScene&) { Chara().m_bKnocked = 1; }},
        {"hero sp", [](cGameScene&) { Player[0].m_nSp = 2; }},
        {"hero's attacker",
         [](cGameScene&) {
             Player[0].m_listHitBy.push_back({1, 4});
         }},
        {"the score", [](cGameScene&) { Progress.m_nScore = 10; }},
        {"the stage score", [](cGameScene&) { Progress.m_nStageScore = 10; }},
        {"a switch", [](cGameScene&) { Progress.m_vecSwitch[kSwitchCount - 1] = 1; }},
        {"a character's flow", [](cGameScene&) { Chara().m_vecFlow.emplace_back(); }},
        {"an effect more", [](cGameScene& s) { s.m_listEffect.emplace_back(); }},
        {"a character more", [](cGameScene&) { CharaList.Add(); }},
        {"a character less", [](cGameScene&) { CharaList.Clear(); }},
        {"an item's x", [](cGameScene&) { ItemList.begin()->m_dX = 3; }},
        {"an item's y", [](cGameScene&) { ItemList.begin()->m_dY = 3; }},
        {"an item less", [](cGameScene&) { ItemList.Clear(); }},
        {"the view x", [](cGameScene& s) { s.m_ScrollX.m_dPos = 32; }},
        {"the view y", [](cGameScene& s) { s.m_ScrollY.m_dPos = 32; }},
        {"the time", [](cGameScene& s) { s.m_nTime = 5; }},
        {"the ticks", [](cGameScene& s) { s.m_nTickTotal = 10; }},
        {"the random state", [](cGameScene&) { plat::rand(); }},
        {"a game wait's entry", [](cGameScene& s) { s.m_listMessage.emplace_back(); }},
        {"a wait's frames left", [](cGameScene& s) { s.m_WaitControl.m_nFrames = -1; }},
        {"a wait's kind", [](cGameScene& s) { s.m_WaitControl.m_nKind = WAIT_MESSAGE; }},
    };
    for (const Case& c : covered) {
        ResetState();
        ASSERT_EQ(HashPlayState(scene), base) << c.what << ": the state was not set back";
        c.change(scene);
        EXPECT_NE(HashPlayState(scene), base) << c.what;
    }

    // A window is followed through its kind, text, size, time, place and opening.
    ResetState();
    MessageWindow& window = scene.m_listMessage.emplace_back();
    const std::uint64_t withWindow = HashPlayState(scene);
    for (std::int32_t MessageWindow::*field :
         {&MessageWindow::nKind, &MessageWindow::nPosition, &MessageWindow::nWidth,
          &MessageWindow::nHeight, &MessageWindow::nRemaining, &MessageWindow::nLastX,
          &MessageWindow::nLastY, &MessageWindow::bManagedById, &MessageWindow::nId}) {
        window.*field = 7;
        EXPECT_NE(HashPlayState(scene), withWindow);
        window.*field = 0;
    }
    window.strText = "a";
    EXPECT_NE(HashPlayState(scene), withWindow);
    window.strText.clear();
    window.dOpening = 1;
    EXPECT_NE(HashPlayState(scene), withWindow);

    // What the log does not promise to cover leaves the hash alone: the frame counter and
    // the state, which the line shows by themselves.
    ResetState();
    scene.m_nFrame = 50;
    scene.m_nState = GAMESTATE_PAUSE;
    EXPECT_EQ(HashPlayState(scene), base);
}

TEST_F(StateLogTest, LineShowsTheHeroExactlyAndTheCounts) {
    cHeroActor& hero = Player[0];
    hero.m_dX = 0.1;
    hero.m_dY = 712.05999999999915;
    hero.m_dVX = -2.5;
    hero.m_dVY = 0.3;
    hero.m_bFalling = 1;
    hero.m_bContactLeft = 1;
    hero.m_bContactDown = 7;  // any non-zero flag shows as 1
    Chara().m_dX = 96.25;
    Chara().m_dY = 0.1;
    CharaList.Add();
    scene.m_nFrame = 12;
    scene.m_nState = GAMESTATE_PLAY;
    Progress.m_nLives = 3;
    hero.m_nHp = 7;
    Progress.m_nScore = 250;
    Progress.m_nStageScore = 40;
    ItemList.Add();

    const std::string line = FormatStateLine(34, scene);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(HashPlayState(scene)));
    EXPECT_EQ(
        line,
        std::string("frame=34 scene=12 state=2 x=0.10000000000000001 ") +
            "y=712.05999999999915 vx=-2.5 vy=0.29999999999999999 dying=0 "
            "falling=1 airborne=0 contacts=1001 charas=2 lives=3 hp=7 score=250 stagescore=40 " +
            "items=2 " + "cpos=96.25,0.10000000000000001;0,0 hash=" + hash);
    // Seventeen digits read back to the very same doubles.
    EXPECT_EQ(std::strtod("0.10000000000000001", nullptr), hero.m_dX);
    EXPECT_EQ(std::strtod("0.29999999999999999", nullptr), hero.m_dVY);
}

TEST_F(StateLogTest, LineShowsTheFirstThreeCharactersInListOrder) {
    struct Case {
        int charas;
        const char* positions;
    };
    for (const Case& c :
         {Case{0, " cpos=- "}, Case{1, " cpos=10,1 "}, Case{4, " cpos=10,1;20,2;30,3 "}}) {
        CharaList.Clear();
        for (int i = 0; i < c.charas; ++i) {
            cCharaActor& chara = CharaList.Add();
            chara.m_dX = 10.0 * (i + 1);
            chara.m_dY = i + 1;
        }
        const std::string line = FormatStateLine(1, scene);
        EXPECT_NE(line.find(c.positions), std::string::npos) << c.charas << ": " << line;
    }
}

TEST_F(StateLogTest, WriterAppendsOneLinePerCallAndNothingWithoutAHero) {
    const std::string path = ::testing::TempDir() + "state_log_test.log";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("earlier\n", f);
        std::fclose(f);
    }
    WriteStateLine(path, scene);
    scene.m_nFrame = 1;
    WriteStateLine(path, scene);
    Player.Clear();
    WriteStateLine(path, scene);
    // A folder that does not exist: the run goes on without its log.
    WriteStateLine(::testing::TempDir() + "no-such-folder/state.log", scene);

    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[1024];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    std::remove(path.c_str());
    // Flushed at once: readable while the writer is still open.
    ASSERT_EQ(text.find("earlier\nframe="), 0u) << text;
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 3u) << text;
    EXPECT_NE(text.find(" scene=0 "), std::string::npos);
    EXPECT_NE(text.find(" scene=1 "), std::string::npos);
}

}  // namespace
