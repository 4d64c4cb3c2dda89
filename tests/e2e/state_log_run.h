// A direct play of a sample stage with the per-frame state log on, read back line by line,
// and the golden files that hold the states a run must write.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "player_harness.h"

namespace e2e {

// The game scene's states the runs look for.
constexpr int kStateStageStart = 1;
constexpr int kStatePlay = 2;
constexpr int kStateGameOver = 6;

struct Pos {
    double x = 0, y = 0;
};

// One line of the state log.
struct StateLine {
    int frame = 0;
    int scene = 0;
    int state = 0;
    double x = 0, y = 0, vx = 0, vy = 0;
    int dying = 0, falling = 0, airborne = 0;
    std::string contacts;
    int charaCount = 0;
    int lives = 0;
    int hp = 0;
    int score = 0;       // the play's score
    int stageScore = 0;  // what this stage's defeats earned so far
    int items = 0;
    std::vector<Pos> charas;  // the first characters' positions
    std::string hash;
    std::string text;
};

inline std::vector<Pos> ParsePositions(const std::string& field) {
    std::vector<Pos> positions;
    if (field == "-") return positions;
    std::istringstream in(field);
    std::string one;
    while (std::getline(in, one, ';')) {
        Pos p;
        const std::size_t comma = one.find(',');
        if (comma == std::string::npos) {
            ADD_FAILURE() << "no x,y: " << one;
            return {};
        }
        p.x = std::strtod(one.substr(0, comma).c_str(), nullptr);
        p.y = std::strtod(one.substr(comma + 1).c_str(), nullptr);
        positions.push_back(p);
    }
    return positions;
}

// The lines of a log up to `lastFrame`: a run goes on for a frame or two after it was asked
// to close, by how the threads happen to meet. A malformed line fails the test.
inline std::vector<StateLine> ParseStateLog(const std::string& log, int lastFrame) {
    std::vector<StateLine> lines;
    std::istringstream in(log);
    std::string text;
    while (std::getline(in, text)) {
        std::map<std::string, std::string> fields;
        std::istringstream words(text);
        std::string word;
        while (words >> word) {
            const std::size_t eq = word.find('=');
            if (eq == std::string::npos) {
                ADD_FAILURE() << "no key=value: " << word << " in " << text;
                return {};
            }
            fields[word.substr(0, eq)] = word.substr(eq + 1);
        }
        for (const char* key : {"frame", "scene", "state", "x", "y", "vx", "vy", "dying", "falling",
                                "airborne", "contacts", "charas", "lives", "hp", "score",
                                "stagescore", "items", "cpos", "hash"}) {
            if (!fields.count(key)) {
                ADD_FAILURE() << "no " << key << " in " << text;
                return {};
            }
        }
        StateLine line;
        line.frame = std::atoi(fields["frame"].c_str());
        if (line.frame > lastFrame) break;
        line.scene = std::atoi(fields["scene"].c_str());
        line.state = std::atoi(fields["state"].c_str());
        line.x = std::strtod(fields["x"].c_str(), nullptr);
        line.y = std::strtod(fields["y"].c_str(), nullptr);
        line.vx = std::strtod(fields["vx"].c_str(), nullptr);
        line.vy = std::strtod(fields["vy"].c_str(), nullptr);
        line.dying = std::atoi(fields["dying"].c_str());
        line.falling = std::atoi(fields["falling"].c_str());
        line.airborne = std::atoi(fields["airborne"].c_str());
        line.contacts = fields["contacts"];
        line.charaCount = std::atoi(fields["charas"].c_str());
        line.lives = std::atoi(fields["lives"].c_str());
        line.hp = std::atoi(fields["hp"].c_str());
        line.score = std::atoi(fields["score"].c_str());
        line.stageScore = std::atoi(fields["stagescore"].c_str());
        line.items = std::atoi(fields["items"].c_str());
        line.charas = ParsePositions(fields["cpos"]);
        line.hash = fields["hash"];
        line.text = text;
        lines.push_back(line);
    }
    return lines;
}

struct StageRun {
    PlayerResult result;
    std::vector<StateLine> lines;
};

// A suite whose tests all read one run, played once before the first of them:
// `Derived::PlayRun()` plays it, and every test starts from its `Derived::kRunLength` lines.
template <class Derived>
class OneRunSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { run_ = new StageRun(Derived::PlayRun()); }
    static void TearDownTestSuite() {
        delete run_;
        run_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(run_->lines.size(), static_cast<std::size_t>(Derived::kRunLength));
    }
    static const std::vector<StateLine>& Lines() { return run_->lines; }
    // The line of frame N (1-based, as the scripts count).
    static const StateLine& At(int frame) {
        return run_->lines[static_cast<std::size_t>(frame - 1)];
    }
    static const std::string& ErrorLog() { return run_->result.errorLog; }

    static inline StageRun* run_ = nullptr;
};

// Frames 1..N of a direct play of `stage` with the state log on and the keys of `script`.
// Every frame of the scene writes its line, the stage set-up's first one included.
inline StageRun PlayStage(const PlayerConfig& config, const std::string& stage, int frames,
                          const std::vector<std::string>& script = {}) {
    StageRun run;
    PlayerProject project;
    EXPECT_TRUE(project.Make(config));
    if (project.root.empty()) return run;
    PlayerRun player;
    player.stage = stage;
    player.script = script;
    player.quitAfter = frames;
    player.stateLog = project.Path("state.log");
    run.result = project.Run(player);
    EXPECT_TRUE(run.result.ended);
    EXPECT_EQ(run.result.exitCode, 0);
    run.lines = ParseStateLog(PlayerProject::ReadFile(player.stateLog), frames);
    EXPECT_EQ(run.lines.size(), static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < run.lines.size(); ++i)
        EXPECT_EQ(run.lines[i].frame, static_cast<int>(i) + 1) << run.lines[i].text;
    return run;
}

inline void ExpectSameLines(const std::vector<StateLine>& expected,
                            const std::vector<StateLine>& actual, const char* what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (actual[i].text == expected[i].text) continue;
        ADD_FAILURE() << what << ": frame " << i + 1 << " differs\n  expected " << expected[i].text
                      << "\n  actual   " << actual[i].text;
        return;
    }
}

// The lines equal those kept in tests/golden/NAME; with K4_UPDATE_GOLDEN set the file is
// written from them instead (and the test skipped).
inline void ExpectGoldenStates(const char* name, const std::vector<StateLine>& lines, int frames) {
    const std::string golden = std::string(K4_GOLDEN_DIR) + "/" + name;
    if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(golden, std::ios::binary);
        for (const StateLine& line : lines) out << line.text << "\n";
        ASSERT_TRUE(out.good()) << golden;
        GTEST_SKIP() << "rewrote " << golden;
    }
    const std::string kept = PlayerProject::ReadFile(golden);
    ASSERT_FALSE(kept.empty()) << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
    ExpectSameLines(ParseStateLog(kept, frames), lines, "the golden file");
}

}  // namespace e2e
