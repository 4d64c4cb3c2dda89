// Damaged and hostile stage files, written with the record classes' own save code and played
// as a file given to the player: each is loaded for play and set up in a child process under
// a memory cap, then either plays a few frames with its damaged values repaired or fails its
// set-up with the memory box and a close request. None may be killed, pass the cap or take
// longer than two seconds.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "flow/command_budget.h"
#include "gen/project.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/host_path.h"
#include "platform/time_units.h"
#include "scene/scene_fixture.h"
#include "stage/stage_load.h"
#include "stage/stage_objects.h"

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define K4_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(K4_ADDRESS_SANITIZER)
// The sanitizer reserves terabytes of address space: no cap, and more time.
constexpr bool kMemoryCap = false;
constexpr double kSecondsAllowed = 8;
#else
constexpr bool kMemoryCap = true;
constexpr double kSecondsAllowed = 2;
#endif
constexpr rlim_t kCapBytes = rlim_t{2} << 30;
constexpr int kFramesPlayed = 5;

constexpr int kCmdStraightMove = 2;
constexpr int kCmdLoop = 39;

const char kHostilePath[] = "data\\stg4\\hostile.stg4";
const char kMemoryBox[] = "メモリ不足により、ステージの初期設定に失敗しました！";
const char kSpawnBox[] = "メモリが不足しています！";

cEdCommand StraightMove(std::string text = {}) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdStraightMove;
    cmd.nTime = 1;
    cEdMove::Create(cmd.spMove);
    cmd.spMove->nSpeed = 10;
    cmd.strText = std::move(text);
    return cmd;
}

cEdCommand Loop(std::int32_t repeat, std::int32_t following) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdLoop;
    cmd.vecParam = {repeat, following};
    return cmd;
}

// A flow that always runs: [loop(repeat, 1), command].
cEdFlow LoopFlow(std::int32_t repeat, const cEdCommand& command) {
    cEdFlow flow;
    flow.vecCommand.push_back(Loop(repeat, 1));
    flow.vecCommand.push_back(command);
    return flow;
}

// A computer character of the sample (the first that is not the hero) given one flow.
cEdChara CharaWith(const cEdStage& stage, const cEdFlow& flow) {
    for (const cEdChara& c : stage.vecChara) {
        if (c.nControl != 1) continue;
        cEdChara copy = c;
        // Its own flows, not those of the palette entry it would inherit.
        copy.nInheritKind = 0;
        copy.vecFlow.Clear();
        copy.vecFlow.push_back(flow);
        return copy;
    }
    return cEdChara{};
}

enum class Outcome { Plays, SetUpFails, SpawnFails };

struct HostileCase {
    const char* name;
    std::function<void(cEdStage&)> damage;
    Outcome outcome;
    // Run in the child once the stage plays: an empty text when what it holds is right.
    std::function<std::string()> check;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

std::string Expect(bool holds, const char* what) {
    return holds ? std::string() : std::string(what);
}

std::string GravityIsDefault() {
    if (EdStageWork.dGravity != 0.4) return "gravity not repaired";
    if (!std::isfinite(Player[0].m_dY)) return "the hero's position is not finite";
    return {};
}

std::string SubStepsAre(std::int32_t b) {
    if (EdStageWork.speed.nSubSteps != b)
        return "b is " + std::to_string(EdStageWork.speed.nSubSteps);
    return Expect(lpGame->m_vecHitTicks.Size() == static_cast<std::size_t>(b), "hit ticks");
}

void PlaceChara(cEdStage& stage, const cEdChara& chara, int copies) {
    for (int i = 0; i < copies; ++i) {
        cEdChara placed = chara;
        placed.nPlaceX = static_cast<std::int16_t>(4 + i % 30);
        stage.vecChara.push_back(placed);
    }
}

const std::vector<HostileCase>& Cases() {
    static const std::vector<HostileCase> cases = {
        {"loop 2^20 on one character",
         [](cEdStage& s) { PlaceChara(s, CharaWith(s, LoopFlow(1 << 20, StraightMove())), 1); },
         Outcome::SetUpFails, nullptr},
        {"loop 2^20 on 50 placed characters",
         [](cEdStage& s) { PlaceChara(s, CharaWith(s, LoopFlow(1 << 20, StraightMove())), 50); },
         Outcome::SetUpFails, nullptr},
        {"loop 2^31-1 on one character",
         [](cEdStage& s) {
             PlaceChara(
                 s,
                 CharaWith(s, LoopFlow(std::numeric_limits<std::int32_t>::max(), StraightMove())),
                 1);
         },
         Outcome::SetUpFails, nullptr},
        {"256 KiB text under a 1024-loop",
         [](cEdStage& s) {
             PlaceChara(s, CharaWith(s, LoopFlow(1024, StraightMove(std::string(256 << 10, 'x')))),
                        1);
         },
         Outcome::SetUpFails, nullptr},
        {"loop 2^20 on a summoned character", [](cEdStage&) {}, Outcome::SpawnFails, nullptr},
        {"a loop of 2^10 plays",
         [](cEdStage& s) { PlaceChara(s, CharaWith(s, LoopFlow(1 << 10, StraightMove())), 1); },
         Outcome::Plays,
         [] { return Expect(StageCommandsCharged().nCommands > 1024, "commands not charged"); }},
        {"gravity NaN", [](cEdStage& s) { s.dGravity = std::nan(""); }, Outcome::Plays,
         GravityIsDefault},
        {"gravity +inf", [](cEdStage& s) { s.dGravity = HUGE_VAL; }, Outcome::Plays,
         GravityIsDefault},
        {"gravity -inf", [](cEdStage& s) { s.dGravity = -HUGE_VAL; }, Outcome::Plays,
         GravityIsDefault},
        {"gravity 1e300", [](cEdStage& s) { s.dGravity = 1e300; }, Outcome::Plays,
         GravityIsDefault},
        {"background rates NaN and 1e300",
         [](cEdStage& s) {
             s.vecBackground[0].dRateX = std::nan("");
             s.vecBackground[0].dRateY = 1e300;
         },
         Outcome::Plays,
         [] {
             const cEdBackground& bg = EdStageWork.vecBackground[0];
             return Expect(bg.dRateX == 0.1 && bg.dRateY == 0.1, "rates not repaired");
         }},
        {"level 0", [](cEdStage& s) { s.nLevel = 0; }, Outcome::Plays,
         [] { return SubStepsAre(1); }},
        {"level 20", [](cEdStage& s) { s.nLevel = 20; }, Outcome::Plays,
         [] { return SubStepsAre(20); }},
        {"level 2^31-1", [](cEdStage& s) { s.nLevel = std::numeric_limits<std::int32_t>::max(); },
         Outcome::Plays, [] { return SubStepsAre(100); }},
        {"3-state key condition",
         [](cEdStage& s) {
             cEdChara& hero = s.vecChara[s.FindHero()];
             hero.nInheritKind = 0;
             hero.vecFlow[0].vecKeyCondition[0].vecKeyState.resize(3);
         },
         Outcome::Plays,
         [] {
             const cEdFlow& flow = Player[0].m_Chara.vecFlow[0];
             return Expect(flow.vecKeyCondition[0].vecKeyState.Size() == 19,
                           "key states not padded");
         }},
    };
    return cases;
}

class HostileStage : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));  // DirectDraw 32 in a window
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        // The sample's first stage as its file holds it (palettes and placements included).
        ASSERT_EQ(LoadStageForPlay("data\\stg4\\forest-1.stg4", 1, &EdStage), 1);
        sample = EdStageWork;
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    }
    void TearDown() override { TearDownWorld(); }

    // The child's work: load, set up, play or summon. Its exit status: 0 as expected, else
    // 1 with the reason in the result file.
    static int RunChild(const HostileCase& c) {
        if (kMemoryCap) {
            const rlimit cap{kCapBytes, kCapBytes};
            if (setrlimit(RLIMIT_AS, &cap) != 0) return Fail("setrlimit");
        }
        if (LoadStageForPlay(kHostilePath, 0, &EdStage) != 1) return Fail("not loaded");
        SceneMgr.PrepareScene(SCENE_GAME);
        cGameScene* game = lpGame;
        plat::ClearShownBoxes();
        SentMessages().clear();
        game->SetStage(0, 1);
        if (c.outcome == Outcome::SetUpFails) {
            if (!game->SetStageFailed()) return Fail("set-up did not fail");
            return ExpectBoxAndClose(kMemoryBox);
        }
        if (game->SetStageFailed()) return Fail("set-up failed");
        game->m_nState = GAMESTATE_PLAY;
        if (c.outcome == Outcome::SpawnFails) {
            const cEdChara record = CharaWith(EdStageWork, LoopFlow(1 << 20, StraightMove()));
            const std::size_t before = CharaList.Size();
            game->SpawnChara(CharaList, 320, 320, 1, 0, cEdShot{}, record, game->m_nCharaSerial);
            if (CharaList.Size() != before) return Fail("the summon stayed");
            return ExpectBoxAndClose(kSpawnBox);
        }
        for (int i = 0; i < kFramesPlayed; ++i) game->PlayFrame();
        if (PendingCloses() != 0 || !plat::ShownBoxes().empty()) return Fail("closed or boxed");
        if (c.check) {
            const std::string problem = c.check();
            if (!problem.empty()) return Fail(problem);
        }
        return 0;
    }
    static int ExpectBoxAndClose(const char* text) {
        const auto boxes = plat::ShownBoxes();
        if (boxes.size() != 1 || plat::Utf8ToCp932(boxes[0].text) != text) return Fail("box");
        return PendingCloses() == 1 ? 0 : Fail("no close request");
    }
    static int Fail(const std::string& why) {
        std::ofstream("child-result.txt") << why;
        return 1;
    }

    cEdStage sample;
};

TEST_F(HostileStage, EachPlaysRepairedOrFailsItsSetUpWithinTheCaps) {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    double childCpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    for (const HostileCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        cEdStage stage = sample;
        c.damage(stage);
        ASSERT_TRUE(stage.SaveToFile(kHostilePath));
        std::filesystem::remove("child-result.txt");

        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(RunChild(c));
        int status = 0;
        pid_t done = 0;
        // Polled so that a child that hangs is ended instead of holding up the test.
        while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
               SecondsSince(start) < 10 * kSecondsAllowed) {
            usleep(2000);
        }
        const double seconds = SecondsSince(start);
        if (done == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "still running after " << seconds << " s";
        }
        ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
        // The child's own processor time: what the stage costs, whatever else the machine
        // runs meanwhile (the wall clock above only ends a child that hangs).
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime) - childCpu;
        childCpu += cpu;
        std::string why;
        std::getline(std::ifstream("child-result.txt"), why);
        EXPECT_EQ(WEXITSTATUS(status), 0) << why;
        EXPECT_LT(cpu, kSecondsAllowed) << seconds << " s on the wall clock";
    }
}

}  // namespace
