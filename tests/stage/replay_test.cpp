// Replays: the run-length log, the replay file (its bytes, its load with every part checked
// before anything is taken over, old files without a progress record), the name a save
// proposes, and F1/F2 during play.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/paths.h"
#include "platform/keyboard.h"
#include "platform/script_state.h"
#include "sample_forest.h"
#include "scene/game_progress.h"
#include "scene/replay_log.h"
#include "scene/scene_fixture.h"
#include "stage/replay_file.h"

namespace {

struct Frame {
    std::int16_t dir, button;
};

ReplayLog Recorded(const std::vector<Frame>& frames) {
    ReplayLog log;
    for (const Frame& f : frames) log.RecordFrame(f.dir, f.button);
    return log;
}

std::vector<std::int16_t> Ints16(const CheckedVector<std::int16_t>& v) {
    return {v.begin(), v.end()};
}
std::vector<std::int32_t> Ints32(const CheckedVector<std::int32_t>& v) {
    return {v.begin(), v.end()};
}

TEST(ReplayLog, RecordsRunsPerChannel) {
    const ReplayLog log = Recorded({{0, 4}, {0, 4}, {1, 4}, {1, 0}, {1, 0}, {0, 0}});
    EXPECT_EQ(Ints16(log.m_vecDirValue), (std::vector<std::int16_t>{0, 1, 0}));
    EXPECT_EQ(Ints32(log.m_vecDirRun), (std::vector<std::int32_t>{2, 3, 1}));
    EXPECT_EQ(Ints16(log.m_vecButtonValue), (std::vector<std::int16_t>{4, 0}));
    EXPECT_EQ(Ints32(log.m_vecButtonRun), (std::vector<std::int32_t>{3, 3}));
}

TEST(ReplayLog, PlaysBackFrameForFrameAndEndsWithTheShorterChannel) {
    const std::vector<Frame> frames = {{0, 4}, {0, 4}, {1, 4}, {1, 0}, {1, 0}, {0, 0}};
    ReplayLog log = Recorded(frames);
    for (const Frame& f : frames) {
        std::int16_t out[2] = {-1, -1};
        ASSERT_EQ(log.PlayFrame(out), 0);
        EXPECT_EQ(out[0], f.dir);
        EXPECT_EQ(out[1], f.button);
    }
    std::int16_t out[2] = {-9, -9};
    EXPECT_EQ(log.PlayFrame(out), 1);
    EXPECT_EQ(out[0], -9);  // nothing written

    // One channel shorter than the other: the end comes with the first one to run out.
    ReplayLog uneven = Recorded(frames);
    uneven.m_vecButtonRun[1] = 1;
    int played = 0;
    while (uneven.PlayFrame(out) == 0) ++played;
    EXPECT_EQ(played, 4);

    // Copies take the lists and seed, not the position; a rewind starts again.
    uneven.m_nSeed = 1234;
    ReplayLog copy;
    copy.Assign(uneven);
    EXPECT_EQ(copy.m_nSeed, 1234);
    EXPECT_EQ(copy.m_nDirPos, 0);
    uneven.Rewind();
    EXPECT_EQ(uneven.PlayFrame(out), 0);
    EXPECT_EQ(out[1], 4);
    uneven.Clear();
    EXPECT_TRUE(uneven.m_vecDirValue.empty());
    EXPECT_EQ(uneven.PlayFrame(out), 1);
}

class ReplayFileTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(UseSampleForest());
        OpenReportLog("Report.txt");
        CreateDataFolders();
        log = Recorded({{0, 0}, {2, 0}, {2, 1}, {2, 1}});
        log.m_nSeed = 0x01020304;
        snapshot.Reset();
        snapshot.m_nScore = 4321;
        snapshot.m_strStageBase = "data\\stg4\\forest.";
    }
    void TearDown() override { TearDownWorld(); }

    static std::vector<std::uint8_t> Bytes(const char* path) {
        const std::string text = ReadFile(plat::MapPath(path).c_str());
        return {text.begin(), text.end()};
    }
    static void Write(const char* path, const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(WriteFileAtomically(path, bytes));
    }

    ReplayLog log;
    GameProgress snapshot;
};

TEST_F(ReplayFileTest, FileHoldsVersionStageBodyLogAndSnapshot) {
    ASSERT_EQ(SaveReplayFile(log, "user_data\\rpl4\\a.rpl4_747", EdStageWork, EdStage, snapshot),
              1);
    const std::vector<std::uint8_t> file = Bytes("user_data\\rpl4\\a.rpl4_747");

    RecordWriter stage;
    EdStageWork.SaveForReplay(stage, EdStage);
    const std::vector<std::uint8_t> logBytes = {
        1, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0,  // one field (the seed), no strings
        2, 0, 0, 0, 0, 0, 2, 0,              // direction values 0, 2
        2, 0, 0, 0, 0, 0, 1, 0,              // button values 0, 1
        2, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0,  // direction runs 1, 3
        2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,  // button runs 2, 2
    };
    RecordWriter progress;
    snapshot.Save(progress);

    std::vector<std::uint8_t> expected = {0xeb, 0x02, 0, 0};
    expected.insert(expected.end(), stage.Bytes().begin(), stage.Bytes().end());
    // The stage body ends with its closing value.
    ASSERT_GE(stage.Bytes().size(), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(stage.Bytes().end() - 4, stage.Bytes().end()),
              (std::vector<std::uint8_t>{0x15, 0xcd, 0x5b, 0x07}));
    expected.insert(expected.end(), logBytes.begin(), logBytes.end());
    expected.insert(expected.end(), progress.Bytes().begin(), progress.Bytes().end());
    EXPECT_EQ(file, expected);
}

TEST_F(ReplayFileTest, LoadTakesEverythingOverAndAnOldFileKeepsTheProgress) {
    ASSERT_EQ(SaveReplayFile(log, "user_data\\rpl4\\a.rpl4_747", EdStageWork, EdStage, snapshot),
              1);
    const cEdStage savedWork = EdStageWork;
    ReplayLog target;
    GameProgress progress;
    progress.m_nScore = 1;
    cEdStage running;
    cEdStage loaded;
    running.strPath = "kept";
    ASSERT_EQ(LoadReplayFile(target, "user_data\\rpl4\\a.rpl4_747", running, loaded, progress), 1);
    EXPECT_EQ(target.m_nSeed, log.m_nSeed);
    EXPECT_EQ(Ints32(target.m_vecDirRun), Ints32(log.m_vecDirRun));
    EXPECT_EQ(progress.m_nScore, 4321);
    EXPECT_EQ(progress.m_strStageBase, "data\\stg4\\forest.");
    EXPECT_EQ(running.vecChara.Size(), savedWork.vecChara.Size());
    EXPECT_EQ(running.nWidth, EdStage.nWidth);
    EXPECT_EQ(running.strPath, "user_data\\rpl4\\a.rpl4_747");
    EXPECT_TRUE(loaded.vecChara.empty());
    EXPECT_EQ(loaded.nWidth, EdStage.nWidth);

    // A file of version 172 has no progress record: the progress stays as it was.
    RecordWriter old = RecordWriter::ForOldVersion(172);
    old.WriteU32(172);
    EdStageWork.SaveForReplay(old, EdStage);
    log.Save(old);
    Write("user_data\\rpl4\\old.rpl4_747", old.Bytes());
    progress.m_nScore = 5;
    ASSERT_EQ(LoadReplayFile(target, "user_data\\rpl4\\old.rpl4_747", running, loaded, progress),
              1);
    EXPECT_EQ(progress.m_nScore, 5);
    EXPECT_EQ(target.m_nSeed, log.m_nSeed);
}

TEST_F(ReplayFileTest, DamagedFilesChangeNothing) {
    ASSERT_EQ(SaveReplayFile(log, "user_data\\rpl4\\a.rpl4_747", EdStageWork, EdStage, snapshot),
              1);
    const std::vector<std::uint8_t> whole = Bytes("user_data\\rpl4\\a.rpl4_747");
    RecordWriter stage;
    EdStageWork.SaveForReplay(stage, EdStage);
    const std::size_t logAt = 4 + stage.Bytes().size();

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"cut in the stage", {whole.begin(), whole.begin() + logAt / 2}});
    cases.push_back({"cut in the log", {whole.begin(), whole.begin() + logAt + 20}});
    cases.push_back({"cut in the progress", {whole.begin(), whole.end() - 10}});
    std::vector<std::uint8_t> runs = whole;
    runs[logAt + 12 + 8 + 8] = 3;  // three direction runs for two values
    cases.push_back({"counts that differ", runs});
    std::vector<std::uint8_t> zero = whole;
    zero[logAt + 12 + 8 + 8 + 4] = 0;  // a run of no frames
    cases.push_back({"a run of no frames", zero});
    std::vector<std::uint8_t> mark = whole;
    mark[logAt - 1] ^= 0xff;
    cases.push_back({"no closing value", mark});
    cEdStage heroless = EdStageWork;
    heroless.vecChara.Clear();
    RecordWriter noHero;
    noHero.WriteU32(noHero.Version());
    heroless.SaveForReplay(noHero, EdStage);
    log.Save(noHero);
    snapshot.Save(noHero);
    cases.push_back({"no hero", noHero.Bytes()});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write("user_data\\rpl4\\bad.rpl4_747", c.bytes);
        ReplayLog target = Recorded({{5, 5}});
        GameProgress progress;
        progress.m_nScore = 9;
        cEdStage running;
        running.nWidth = 77;
        cEdStage loaded;
        loaded.nWidth = 66;
        std::string why;
        EXPECT_EQ(LoadReplayFile(target, "user_data\\rpl4\\bad.rpl4_747", running, loaded, progress,
                                 &why),
                  0);
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(Ints16(target.m_vecDirValue), (std::vector<std::int16_t>{5}));
        EXPECT_EQ(progress.m_nScore, 9);
        EXPECT_EQ(running.nWidth, 77);
        EXPECT_EQ(loaded.nWidth, 66);
        EXPECT_EQ(PendingCloses(), 0);
    }
    std::string why;
    ReplayLog target;
    GameProgress progress;
    EXPECT_EQ(LoadReplayFile(target, "user_data\\rpl4\\none.rpl4_747", EdStageWork, EdStage,
                             progress, &why),
              0);
    EXPECT_EQ(why, "the file cannot be read");
}

TEST_F(ReplayFileTest, SaveNameTakesTheFirstFreeNumber) {
    EXPECT_EQ(ProposeReplayName(""), "");
    EXPECT_EQ(ProposeReplayName("data\\stg4\\cave."), "user_data\\rpl4\\cave_00.rpl4_747");
    Write("user_data\\rpl4\\cave_00.rpl4_747", {1, 0, 0, 0});
    Write("user_data\\rpl4\\cave_01.rpl4_747", {1, 0, 0, 0});
    EXPECT_EQ(ProposeReplayName("data\\stg4\\cave."), "user_data\\rpl4\\cave_02.rpl4_747");
    for (int i = 0; i <= 8; ++i)
        for (int j = 0; j <= 8; ++j) {
            const std::string name =
                "user_data\\rpl4\\cave_" + std::to_string(i) + std::to_string(j) + ".rpl4_747";
            Write(name.c_str(), {1, 0, 0, 0});
        }
    EXPECT_EQ(ProposeReplayName("other\\cave."), "user_data\\rpl4\\cave_88.rpl4_747");

    // Headless, the script answers the chooser.
    plat::LoadScriptText("dialog save user_data\\rpl4\\mine.rpl4_747\ndialog save cancel\n", "");
    std::string out = "unchanged";
    EXPECT_EQ(ChooseReplaySaveName(out, "data\\stg4\\cave."), 1);
    EXPECT_NE(out.find("mine.rpl4_747"), std::string::npos) << out;
    out = "unchanged";
    EXPECT_EQ(ChooseReplaySaveName(out, "data\\stg4\\cave."), 0);
    EXPECT_EQ(out, "unchanged");
    plat::ResetScriptState();
}

class ReplayHotKeysTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        EdSystem.bReplay = 1;
        SceneMgr.m_nTitleChoice = TITLE_FREE;
    }
    void TearDown() override {
        plat::ReleaseAllKeys();
        TearDownWorld();
    }
    static int Count(std::uint32_t msg, int wParam) {
        Pump();
        int n = 0;
        for (auto [w, l] : Requests(msg)) n += w == wParam;
        return n;
    }
};

TEST_F(ReplayHotKeysTest, EmptyLogsOnlyRefuseOncePerSixtyCalls) {
    for (int vk : {VK_F1, VK_F2}) {
        SCOPED_TRACE(vk);
        SentMessages().clear();
        ResetReplayHotKeys();
        plat::ReleaseAllKeys();
        plat::SetKeyState(vk, true);
        for (int i = 0; i < 121; ++i) EXPECT_EQ(CheckReplayHotKeys(), 0);
        EXPECT_EQ(Count(WM_USER_PLAYSE, 3), 3);  // calls 1, 61 and 121
        EXPECT_TRUE(Requests(WM_USER_SAVEREPLAY).empty());
    }
}

TEST_F(ReplayHotKeysTest, AKeyOverARecordedLogAsksTheWindowToSave) {
    struct Case {
        int vk;
        int titleChoice;
        int replayOn;
        int sent;  // -1 none, else the wParam
    };
    const Case cases[] = {
        {VK_F1, TITLE_FREE, 1, 0},  {VK_F2, TITLE_NEWGAME, 1, 1}, {VK_F1, TITLE_REPLAY, 1, -1},
        {VK_F1, TITLE_FREE, 0, -1}, {0, TITLE_FREE, 1, -1},
    };
    CurReplay = Recorded({{1, 0}});
    PrevReplay = Recorded({{2, 0}});
    for (const Case& c : cases) {
        SentMessages().clear();
        plat::ReleaseAllKeys();
        if (c.vk) plat::SetKeyState(c.vk, true);
        SceneMgr.m_nTitleChoice = c.titleChoice;
        EdSystem.bReplay = c.replayOn;
        int handled = -1;
        // The window (this thread) answers; the game thread waits for it.
        ASSERT_TRUE(OnGameThread([&] { handled = CheckReplayHotKeys(); }));
        EXPECT_EQ(handled, c.sent >= 0 ? 1 : 0) << c.vk << " " << c.titleChoice;
        const auto sent = Requests(WM_USER_SAVEREPLAY);
        if (c.sent < 0) {
            EXPECT_TRUE(sent.empty());
        } else {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].first, c.sent);
            EXPECT_EQ(Count(WM_USER_PLAYSE, 1), 1);
        }
    }
}

}  // namespace
