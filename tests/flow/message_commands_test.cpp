// The game wait and the message command on the sample forest: the frames a wait shows, the
// key wait's guard and a held button, a chained message, windows managed by ID (reused in
// place, replaced at the same place, closed, absent), the stage-end duration, and a close
// request before and during a wait.
#include <gtest/gtest.h>

#include <atomic>
#include <initializer_list>
#include <thread>
#include <vector>

#include "data/command_record.h"
#include "flow/blocking_commands.h"
#include "flow/flow_instance.h"
#include "platform/frame.h"
#include "platform/keyboard.h"
#include "platform/script_state.h"
#include "stage/message_fixture.h"

namespace {

constexpr int kGameWait = 18;
constexpr int kMessage = 19;
constexpr int kMessageParams = 18;

// Parameters of a message, by index.
enum : int {
    kPos = 0,
    kDuration = 6,
    kTime = 7,
    kWait = 8,
    kExpand = 9,
    kFixed = 10,
    kById = 12,
    kId = 13,
    kZoom = 14,
    kClose = 15,
    kOneFrame = 17,
};

cEdCommand Command(int type, std::initializer_list<std::pair<int, int>> params, int count,
                   const char* text = "") {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.vecParam.resize(count, 0);
    for (auto [i, v] : params) cmd.vecParam[i] = v;
    cmd.strText = text;
    return cmd;
}

cEdCommand Message(std::initializer_list<std::pair<int, int>> params, const char* text = "Hi") {
    return Command(kMessage, params, kMessageParams, text);
}

class MessageCommandTest : public ::testing::Test, public MessageWorld {
protected:
    void SetUp() override { SetUpMessages(kSceneDisplays[2]); }
    void TearDown() override {
        plat::ReleaseAllKeys();
        plat::ResetScriptState();
        TearDownMessages();
    }
    cHeroActor& Hero() { return Player[0]; }
    // Frames the command showed, run on a game thread of its own.
    int Run(const cEdCommand& cmd, int chained = 0) {
        const std::uint32_t before = plat::FrameCount();
        EXPECT_TRUE(OnGameThread([&] {
            if (cmd.nCmdType == kGameWait)
                CmdGameWait(Hero(), cmd);
            else
                CmdMessage(Hero(), cmd, chained);
        }));
        return static_cast<int>(plat::FrameCount() - before);
    }
    std::vector<int> Sounds() const {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
};

TEST_F(MessageCommandTest, AGameWaitShowsItsFramesAndTakesItsEntryOff) {
    for (int tenths : {3, 1, 0}) {
        plat::ResetFrames();
        EXPECT_EQ(Run(Command(kGameWait, {{0, tenths}}, 1)), tenths * 6) << tenths;
        EXPECT_TRUE(game->m_listMessage.empty());
        EXPECT_EQ(game->m_WaitControl.m_nKind, WAIT_GAME);
    }
    // A window shown before the wait stays.
    ASSERT_NE(Text("before"), nullptr);
    EXPECT_EQ(Run(Command(kGameWait, {{0, 1}}, 1)), 6);
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    EXPECT_EQ(game->m_listMessage.begin()->strText, "before");
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(MessageCommandTest, AKeyWaitIgnoresTheFirstTenFramesAndAHeldButton) {
    struct Case {
        const char* script;
        bool heldAtStart;
        int frames;
    };
    const Case cases[] = {
        // Pressed in frame 3 (guarded), again in frame 14.
        {"@3 key 0x5A down\n@4 key 0x5A up\n@14 key 0x5A down\n", false, 13},
        // Held from before: let go in frame 15, pressed in frame 18.
        {"@15 key 0x5A up\n@18 key 0x5A down\n", true, 17},
    };
    for (const Case& c : cases) {
        plat::ResetFrames();
        plat::ReleaseAllKeys();
        SentMessages().clear();
        if (c.heldAtStart) plat::SetKeyState(0x5A, true);
        plat::LoadScriptText(c.script, "");
        EXPECT_EQ(Run(Message({{kWait, 1}})), c.frames) << c.script;
        EXPECT_EQ(Sounds(), (std::vector<int>{11, 12}));
        EXPECT_TRUE(game->m_listMessage.empty());
        EXPECT_TRUE(game->m_listMsgSurface.empty());
        EXPECT_EQ(game->m_bHoldButtons, 1);
        EXPECT_EQ(PendingCloses(), 0);
    }
}

TEST_F(MessageCommandTest, AChainedMessageHasNoZoomGuardOrOpeningSound) {
    plat::LoadScriptText("@2 key 0x5A down\n", "");
    EXPECT_EQ(Run(Message({{kWait, 1}, {kZoom, 1}}), 1), 1);
    EXPECT_EQ(Sounds(), std::vector<int>{12});
    // The window of a chained message shows at once.
    Run(Message({{kZoom, 1}}), 1);
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    EXPECT_EQ(game->m_listMessage.begin()->bOpening, 0);
    Run(Message({{kZoom, 1}}), 0);
    EXPECT_EQ(std::next(game->m_listMessage.begin())->bOpening, 1);
    // A message after a key-wait message of the same flow is chained through the entry.
    FlowInstance flow;
    flow.m_bMessageWait = 1;
    game->m_pCurFlow = &flow;
    cEdCommand cmd = Message({{kWait, 1}});
    cCommandInstance instance;
    instance.m_pCmd = &cmd;
    SentMessages().clear();
    plat::ResetFrames();
    plat::ReleaseAllKeys();
    plat::LoadScriptText("@1 key 0x5A down\n", "");
    ASSERT_TRUE(OnGameThread([&] { CmdMessageEntry(Hero(), instance); }));
    EXPECT_EQ(Sounds(), std::vector<int>{12});
    game->m_pCurFlow = nullptr;
}

TEST_F(MessageCommandTest, WindowsByIdAreReusedReplacedClosedOrLeftAlone) {
    Run(Message({{kById, 1}, {kId, 5}, {kDuration, 1}}, "abc"));
    Run(Message({{kDuration, 1}}, "other"));
    ASSERT_EQ(game->m_listMessage.size(), 2u);
    MessageWindow* first = &*game->m_listMessage.begin();
    DDSURFACEDATA* surface = first->lpSD;

    // The same size: the same window, its surface drawn again.
    Run(Message({{kById, 1}, {kId, 5}, {kDuration, 1}}, "xyz"));
    ASSERT_EQ(game->m_listMessage.size(), 2u);
    EXPECT_EQ(&*game->m_listMessage.begin(), first);
    EXPECT_EQ(first->lpSD, surface);
    EXPECT_EQ(first->strText, "xyz");
    EXPECT_EQ(game->m_listMsgSurface.size(), 2u);

    // Another size: a new window with a new surface at the same place.
    Run(Message({{kById, 1}, {kId, 5}, {kDuration, 1}}, "a longer text"));
    ASSERT_EQ(game->m_listMessage.size(), 2u);
    EXPECT_EQ(game->m_listMessage.begin()->strText, "a longer text");
    EXPECT_NE(game->m_listMessage.begin()->lpSD, nullptr);
    EXPECT_EQ(game->m_listMessage.begin()->lpSD->nWidth, game->m_listMessage.begin()->nWidth);
    EXPECT_EQ(std::next(game->m_listMessage.begin())->strText, "other");
    EXPECT_EQ(game->m_listMsgSurface.size(), 2u);

    // Closing an ID that is not there, or without ID management, does nothing.
    Run(Message({{kById, 1}, {kId, 6}, {kClose, 1}}));
    Run(Message({{kClose, 1}, {kId, 5}}));
    EXPECT_EQ(game->m_listMessage.size(), 2u);
    // Closing the ID takes the window and its surface.
    Run(Message({{kById, 1}, {kId, 5}, {kClose, 1}}));
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    EXPECT_EQ(game->m_listMessage.begin()->strText, "other");
    EXPECT_EQ(game->m_listMsgSurface.size(), 1u);
    EXPECT_EQ(game->m_listMessage.begin()->lpSD, &*game->m_listMsgSurface.begin());

    // A blocking message by ID goes after its wait like any other.
    plat::LoadScriptText("@1 key 0x5A down\n", "");
    Run(Message({{kById, 1}, {kId, 5}, {kWait, 1}}), 1);
    EXPECT_EQ(game->m_listMessage.size(), 1u);
    EXPECT_EQ(game->m_listMsgSurface.size(), 1u);
}

TEST_F(MessageCommandTest, TimedAndStageEndWaits) {
    // By time: 2 tenths, or a single frame.
    EXPECT_EQ(Run(Message({{kWait, 1}, {kDuration, 2}, {kTime, 2}})), 12);
    EXPECT_EQ(Run(Message({{kWait, 1}, {kDuration, 2}, {kTime, 50}, {kOneFrame, 1}})), 1);
    EXPECT_TRUE(Sounds().empty());
    EXPECT_TRUE(game->m_listMessage.empty());
    // Until the stage ends: the progress key ends the wait, without guard or opening sound,
    // and the window goes.
    plat::ResetFrames();
    plat::LoadScriptText("@2 key 0x5A down\n", "");
    EXPECT_EQ(Run(Message({{kWait, 1}, {kDuration, 1}})), 1);
    EXPECT_EQ(Sounds(), std::vector<int>{12});
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(game->m_listMsgSurface.empty());
}

TEST_F(MessageCommandTest, ACloseRequestEndsTheWaits) {
    // Set before: the message does nothing; the game wait's thread ends at once.
    game->m_bCloseRequest = 1;
    EXPECT_EQ(Run(Message({{kWait, 1}})), 0);
    EXPECT_EQ(Run(Command(kGameWait, {{0, 10}}, 1)), 0);
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(Sounds().empty());
    // Arriving during a key wait: the wait ends and the window goes.
    game->m_bCloseRequest = 0;
    plat::ResetFrames();
    std::atomic<bool> stop{false};
    std::thread closer([&] {
        while (plat::FrameCount() < 3 && !stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        game->m_bCloseRequest = 1;
    });
    const int frames = Run(Message({{kWait, 1}}));
    stop = true;
    closer.join();
    EXPECT_GE(frames, 3);
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(game->m_listMsgSurface.empty());
}

}  // namespace

namespace {

// A flow of the hero's with one key-wait message; `trigger` says when it starts.
void GiveHeroTalk(int trigger) {
    cEdFlow flow;
    flow.nTrigger = static_cast<std::int8_t>(trigger);
    cEdCommand talk = Message({{kWait, 1}}, "!");
    // Before the stage starts only parallel commands run.
    talk.bParallel = trigger == kTriggerBeforeStart ? 1 : 0;
    flow.vecCommand.push_back(talk);
    for (cEdStage* stage : {&EdStage, &EdStageWork}) {
        if (stage->vecCharaPalette.Size() > 1) stage->vecCharaPalette[1].vecFlow.push_back(flow);
        for (cEdChara& placed : stage->vecChara)
            if (placed.nInheritIndex == 1) placed.vecFlow.push_back(flow);
    }
}

// A message in a stage-start flow waits for the key while the stage is set up; play then
// starts as usual.
TEST_F(MessageCommandTest, AStageStartMessageWaitsForTheKey) {
    GiveHeroTalk(kTriggerBeforeStart);
    plat::ResetFrames();
    plat::LoadScriptText("@14 key 0x5A down\n", "");
    ASSERT_TRUE(OnGameThread([&] { game->SetStage(1, 0); }));
    EXPECT_EQ(plat::FrameCount(), 13u);
    EXPECT_EQ(Sounds(), (std::vector<int>{11, 12}));
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(game->m_listMsgSurface.empty());
    EXPECT_FALSE(game->SetStageFailed());
    ASSERT_FALSE(Player.Empty());
    EXPECT_EQ(PendingCloses(), 0);
}

// A message in the hero's death flow waits for the key; the hero then goes down and the
// retry follows at the end of its death.
TEST_F(MessageCommandTest, ADeathFlowMessageWaitsForTheKeyThenTheRetryFollows) {
    GiveHeroTalk(kTriggerDeath);
    game->SetStage(1, 0);
    Progress.m_nLives = 3;
    plat::ResetFrames();
    plat::LoadScriptText("@14 key 0x5A down\n", "");
    int result = -1;
    ASSERT_TRUE(OnGameThread([&] { result = game->LoseHero(); }));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(plat::FrameCount(), 13u);
    EXPECT_TRUE(game->m_listMessage.empty());
    ASSERT_FALSE(Player.Empty());
    EXPECT_EQ(Player[0].m_bDying, 1);
    for (int i = 0; i < 600 && Player[0].m_bDying; ++i) DrawFrames(1);
    EXPECT_EQ(Player[0].m_bDying, 0) << "no retry";
    EXPECT_EQ(Progress.m_nLives, 2);
    EXPECT_EQ(PendingCloses(), 0);
}

}  // namespace
