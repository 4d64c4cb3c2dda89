// Replays end to end: a direct play of the replay stage (whose wanderer steps by the random
// generator) records its attempts: the hero walks into the pit (attempt 1) and plays on
// (attempt 2); F2 then saves attempt 1 and F1 attempt 2, the save chooser answered by the
// script. Each file played back, in every display configuration, writes the recorded
// attempt's state lines again frame for frame from the scene's own frame counter on, for two
// passes of its loop. A file whose seed was changed plays differently.
//
// Play-back starts from the title's replay item: the replay chosen in the load chooser
// (answered by the script) and loaded by the main window, then the game scene.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "player_harness.h"
#include "scene/scene.h"
#include "scene/scene_manager.h"

namespace {

const PlayerConfig& kRecordConfig = kPlayerConfigs[2];  // DirectDraw 32 in a window
const char kReplayStage[] = "data\\stg4\\test-replay.stg4";

constexpr int kKeyRight = 0x27;
constexpr int kKeyButton1 = 0x5A;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF2 = 0x71;
// Play begins in frame 91. The hero walks into the pit and falls; attempt 2 begins after
// its death and the caption. There it jumps and walks, then F2 and F1 save.
constexpr int kFirstPlay = 91;
constexpr int kWalkEnd = 200;
constexpr int kJumpStart = 420;
constexpr int kJumpEnd = 440;
constexpr int kWalk2Start = 445;
constexpr int kWalk2End = 480;
constexpr int kSavePrev = 500;
constexpr int kSaveCur = 520;
constexpr int kRecordFrames = 540;

std::string Key(int frame, int vk, bool down) {
    char line[64];
    std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
    return line;
}

// A state line without its presented-frame number, and the scene's frame counter.
struct Line {
    int counter = 0;
    std::string state;
};

std::vector<Line> ReadLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        if (line.rfind("frame=", 0) != 0 || space == std::string::npos) {
            ADD_FAILURE() << "not a state line: " << line;
            return {};
        }
        Line l;
        l.state = line.substr(space + 1);
        l.counter = std::atoi(l.state.c_str() + std::strlen("scene="));
        lines.push_back(l);
    }
    return lines;
}

// The attempts of a log: the lines of each run of the scene's frame counter from 1 upwards,
// one line per counter value (a frame in which nothing ran repeats the line before it and is
// skipped).
std::vector<std::vector<std::string>> Attempts(const std::vector<Line>& lines) {
    std::vector<std::vector<std::string>> attempts;
    int last = 0;
    for (const Line& l : lines) {
        if (l.counter == 1 && last != 1) attempts.emplace_back();
        if (l.counter >= 1 && !attempts.empty() &&
            l.counter == static_cast<int>(attempts.back().size()) + 1)
            attempts.back().push_back(l.state);
        last = l.counter;
    }
    return attempts;
}

// The first attempt line where the two differ, or -1.
int FirstDifference(const std::vector<std::string>& expected,
                    const std::vector<std::string>& actual) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (i >= actual.size() || actual[i] != expected[i]) return static_cast<int>(i);
    return -1;
}

// The lines kept in tests/golden/NAME (K4_UPDATE_GOLDEN writes them).
void ExpectGoldenAttempt(const char* name, const std::vector<std::string>& lines) {
    const std::string golden = std::string(K4_GOLDEN_DIR) + "/" + name;
    if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(golden, std::ios::binary);
        for (const std::string& line : lines) out << line << "\n";
        ASSERT_TRUE(out.good()) << golden;
        return;
    }
    std::vector<std::string> kept;
    std::istringstream in(PlayerProject::ReadFile(golden));
    for (std::string line; std::getline(in, line);) kept.push_back(line);
    ASSERT_FALSE(kept.empty()) << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
    const int at = FirstDifference(kept, lines);
    EXPECT_EQ(kept.size(), lines.size()) << name;
    EXPECT_EQ(at, -1) << name << ": attempt frame " << at + 1 << " differs\n  kept   "
                      << (at >= 0 ? kept[at] : "") << "\n  played "
                      << (at >= 0 && at < static_cast<int>(lines.size()) ? lines[at] : "");
}

struct Recording {
    PlayerProject project;
    PlayerResult result;
    std::vector<std::vector<std::string>> attempts;
};

// Play-back from the title: its cursor starts on the item chosen last, here the replay
// item, and button 1 pressed once the title has faded in chooses it; the load chooser is
// answered by the script.
void StartOnTheReplayItem() {
    SceneMgr.m_nTitleChoice = TITLE_REPLAY;
}
constexpr int kTitleConfirm = 60;
// Frames before play-back's first pass: the title until the confirm, its fade-out.
constexpr int kTitleFrames = 100;

class ReplayRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        rec_ = new Recording;
        ASSERT_TRUE(rec_->project.Make(kRecordConfig));
        PlayerRun run;
        run.stage = kReplayStage;
        run.script = {Key(kFirstPlay, kKeyRight, true),
                      Key(kWalkEnd, kKeyRight, false),
                      Key(kJumpStart, kKeyButton1, true),
                      Key(kJumpEnd, kKeyButton1, false),
                      Key(kWalk2Start, kKeyRight, true),
                      Key(kWalk2End, kKeyRight, false),
                      Key(kSavePrev, kKeyF2, true),
                      Key(kSavePrev + 1, kKeyF2, false),
                      Key(kSaveCur, kKeyF1, true),
                      Key(kSaveCur + 1, kKeyF1, false),
                      "dialog save user_data\\rpl4\\prev.rpl4_747",
                      "dialog save user_data\\rpl4\\cur.rpl4_747"};
        run.quitAfter = kRecordFrames;
        run.stateLog = rec_->project.Path("state.log");
        rec_->result = rec_->project.Run(run);
        rec_->attempts = Attempts(ReadLines(PlayerProject::ReadFile(run.stateLog)));
    }
    static void TearDownTestSuite() {
        delete rec_;
        rec_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(rec_->result.ended);
        ASSERT_EQ(rec_->result.exitCode, 0) << rec_->result.errorLog;
        ASSERT_EQ(rec_->attempts.size(), 2u) << "the recording must hold two attempts";
    }

    // The attempt's lines as the recording wrote them: attempt 2 up to the F1 save (the
    // frames after it were not in the saved log).
    static std::vector<std::string> Recorded(int attempt, std::size_t frames) {
        std::vector<std::string> lines = rec_->attempts[attempt];
        if (lines.size() > frames) lines.resize(frames);
        return lines;
    }
    static std::string ReplayHost(const char* name) {
        return rec_->project.Path(std::string("user_data/rpl4/") + name);
    }
    // The frames the file's log holds (the shorter channel).
    static std::size_t LogFrames(const char* name) {
        const std::string bytes = PlayerProject::ReadFile(ReplayHost(name));
        RecordReader reader = RecordReader::FromBytes({bytes.begin(), bytes.end()});
        cEdStage stage;
        stage.Load(reader);
        const std::size_t at = reader.Offset();
        auto u32 = [&](std::size_t offset) {
            std::uint32_t v = 0;
            if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
            return v;
        };
        // Seed record (12 bytes), then the two value lists, then the two run lists.
        std::size_t p = at + 12;
        const std::uint32_t nA = u32(p);
        p += 4 + 2 * nA;
        const std::uint32_t nB = u32(p);
        p += 4 + 2 * nB;
        std::uint64_t framesA = 0, framesB = 0;
        const std::uint32_t runsA = u32(p);
        for (std::uint32_t i = 0; i < runsA; ++i) framesA += u32(p + 4 + 4 * i);
        p += 4 + 4 * runsA;
        const std::uint32_t runsB = u32(p);
        for (std::uint32_t i = 0; i < runsB; ++i) framesB += u32(p + 4 + 4 * i);
        return static_cast<std::size_t>(std::min(framesA, framesB));
    }
    // Plays the file back in a fresh project of the configuration; the attempts it wrote.
    static std::vector<std::vector<std::string>> PlayBack(const PlayerConfig& config,
                                                          const std::string& replayHost,
                                                          int frames) {
        PlayerProject project;
        EXPECT_TRUE(project.Make(config));
        std::filesystem::create_directories(project.Path("user_data/rpl4"));
        std::filesystem::copy_file(replayHost, project.Path("user_data/rpl4/play.rpl4_747"));
        PlayerRun run;
        run.script = {Key(kTitleConfirm, kKeyButton1, true),
                      Key(kTitleConfirm + 2, kKeyButton1, false),
                      "dialog open user_data\\rpl4\\play.rpl4_747"};
        run.quitAfter = frames;
        run.stateLog = project.Path("state.log");
        run.childSetUp = StartOnTheReplayItem;
        const PlayerResult result = project.Run(run);
        EXPECT_TRUE(result.ended);
        EXPECT_EQ(result.exitCode, 0) << result.errorLog;
        return Attempts(ReadLines(PlayerProject::ReadFile(run.stateLog)));
    }
    // Frames for two passes of a log of n frames: the fade-in and the replay caption before
    // each (90 frames), and a little more.
    static int TwoPasses(std::size_t n) {
        return kTitleFrames + static_cast<int>(2 * (n + 100) + 20);
    }

    static Recording* rec_;
};
Recording* ReplayRun::rec_ = nullptr;

TEST_F(ReplayRun, RecordingHoldsBothAttemptsAndTheirGoldenLines) {
    const std::size_t prev = LogFrames("prev.rpl4_747");
    const std::size_t cur = LogFrames("cur.rpl4_747");
    // Attempt 1 is saved whole (its last frame, in which the next attempt is set up, writes
    // the new attempt's line), attempt 2 up to the frame of F1.
    EXPECT_GE(prev, rec_->attempts[0].size());
    EXPECT_LE(prev, rec_->attempts[0].size() + 1);
    EXPECT_GT(cur, 0u);
    EXPECT_LT(cur, rec_->attempts[1].size());
    ExpectGoldenAttempt("replay_attempt1.states", Recorded(0, prev));
    ExpectGoldenAttempt("replay_attempt2.states", Recorded(1, cur));
}

class ReplayPlayBack : public ReplayRun, public ::testing::WithParamInterface<PlayerConfig> {};

TEST_P(ReplayPlayBack, EachFilePlaysItsAttemptAgainTwice) {
    const char* const files[] = {"prev.rpl4_747", "cur.rpl4_747"};
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(files[attempt]);
        const std::size_t frames = LogFrames(files[attempt]);
        const std::vector<std::string> expected = Recorded(attempt, frames);
        const auto passes = PlayBack(GetParam(), ReplayHost(files[attempt]), TwoPasses(frames));
        ASSERT_GE(passes.size(), 2u);
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(FirstDifference(expected, passes[pass]), -1) << "pass " << pass + 1;
            EXPECT_GE(passes[pass].size(), expected.size()) << "pass " << pass + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, ReplayPlayBack, ::testing::ValuesIn(kAllPlayerConfigs),
                         PlayerConfigName);

TEST_F(ReplayRun, AChangedSeedPlaysDifferently) {
    const std::string bytes = PlayerProject::ReadFile(ReplayHost("cur.rpl4_747"));
    RecordReader reader = RecordReader::FromBytes({bytes.begin(), bytes.end()});
    cEdStage stage;
    stage.Load(reader);
    std::string changed = bytes;
    changed[reader.Offset() + 4] ^= 0x55;  // the seed, after the log's field count
    const std::string host = rec_->project.Path("user_data/rpl4/seed.rpl4_747");
    std::ofstream(host, std::ios::binary) << changed;
    const std::size_t frames = LogFrames("cur.rpl4_747");
    const auto passes = PlayBack(kRecordConfig, host, TwoPasses(frames));
    ASSERT_GE(passes.size(), 1u);
    // A line that differs, not a pass cut short.
    const int at = FirstDifference(Recorded(1, frames), passes[0]);
    EXPECT_NE(at, -1);
    EXPECT_LT(at, static_cast<int>(passes[0].size()));
}

}  // namespace
