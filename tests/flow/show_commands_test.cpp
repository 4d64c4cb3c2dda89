// The effect and picture commands on a game scene set up from the sample forest, with the
// view scrolled: where CalcDisplayPos puts an image for each mode, the sizes a scale gives,
// the effect list emptied by effect 0, the waits of effects and pictures (frames, key, close
// request), pictures shown, replaced and closed by ID, and a picture whose image cannot be
// loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

#include "base/thread.h"
#include "data/command_record.h"
#include "data/database.h"
#include "flow/blocking_commands.h"
#include "flow/display_pos.h"
#include "gen/project.h"
#include "platform/host_path.h"
#include "scene/scene_fixture.h"
#include "stage/actor.h"
#include "stage/hero_actor.h"
#include "stage/post_load_tables.h"
#include "stage/stage_objects.h"
#include "stage/wait_control.h"

namespace {

constexpr int kKeyZ = 0x5A;  // button 1
// The view's top-left in map dots, off the block grid on purpose.
constexpr double kViewX = 337.5;
constexpr double kViewY = 96.25;
// Picture records: an image of 64 x 128, one of 256 x 64, one whose file is missing.
constexpr int kTallPicture = 1;
constexpr int kWidePicture = 2;
constexpr int kMissingPicture = 3;

struct EffectCmd {
    int number = 1, pos = 0, bx = 0, by = 0, dx = 0, dy = 0, scale = 100, wait = 0;
    cEdCommand Make() const {
        cEdCommand cmd;
        cmd.nCmdType = 29;
        for (int p : {number, pos, bx, by, dx, dy, scale, wait}) cmd.vecParam.push_back(p);
        return cmd;
    }
};

struct PictureCmd {
    int number = kTallPicture, pos = 0, bx = 0, by = 0, dx = 0, dy = 0, layer = 1, scale = 100,
        duration = 1, tenths = 0, wait = 0, fixed = 1, byId = 0, id = 0, oneFrame = 0;
    cEdCommand Make() const {
        cEdCommand cmd;
        cmd.nCmdType = 32;
        for (int p : {number, pos, bx, by, dx, dy, layer, scale, duration, tenths, wait, fixed,
                      byId, id, oneFrame})
            cmd.vecParam.push_back(p);
        return cmd;
    }
};

class ShowCommands : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        game = EnterSampleStage("data\\stg4\\forest-1.stg4");
        ASSERT_NE(game, nullptr);
        ASSERT_EQ(PendingCloses(), 0);
        ASSERT_FALSE(CharaList.Empty());
        EdDatabase.vecPicture.resize(4);
        EdDatabase.vecPicture[kTallPicture].strFile = "bmp\\WorldEvent.bmp";
        EdDatabase.vecPicture[kWidePicture].strFile = "bmp\\Symbol.bmp";
        EdDatabase.vecPicture[kMissingPicture].strFile = "bmp\\Nothing.bmp";
        BuildPostLoadTables();
        game->m_ScrollX.m_dPos = kViewX;
        game->m_ScrollY.m_dPos = kViewY;
        bActiveApp = 1;
        plat::ResetFrames();
        plat::ClearShownBoxes();
        SentMessages().clear();
    }
    void TearDown() override {
        plat::ReleaseAllKeys();
        plat::ResetScriptState();
        TearDownWorld();
    }

    cActorBase& Actor() { return *CharaList.begin(); }
    void Effect(const EffectCmd& c) { CmdEffect(Actor(), c.Make()); }
    void Picture(const PictureCmd& c) { CmdPicture(Actor(), c.Make()); }
    // Frames presented while a command runs on a game thread.
    int Presented(const std::function<void()>& command) {
        const std::uint32_t before = plat::FrameCount();
        EXPECT_TRUE(OnGameThread(command));
        return static_cast<int>(plat::FrameCount() - before);
    }
    std::vector<int> Sounds() const {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    // The pictures as (number, id) pairs in list order; each must have its own surface and
    // definition.
    std::vector<std::pair<int, int>> Pictures() const {
        EXPECT_EQ(game->m_listPicSurface.size(), game->m_listPicture.size());
        EXPECT_EQ(game->m_listPicDef.size(), game->m_listPicture.size());
        std::vector<std::pair<int, int>> out;
        for (const PictureObject& p : game->m_listPicture) out.emplace_back(p.nNumber, p.nId);
        return out;
    }
    std::vector<const DDSURFACEDATA*> Surfaces() const {
        std::vector<const DDSURFACEDATA*> out;
        for (const DDSURFACEDATA& sd : game->m_listPicSurface) out.push_back(&sd);
        return out;
    }

    cGameScene* game = nullptr;
};

TEST_F(ShowCommands, DisplayPositionsOfEveryModeOnAScrolledView) {
    cActorBase& actor = Actor();
    actor.m_rcScreen = {100, 50, 132, 89};
    actor.m_nSpriteW = 33;  // halved to 16
    actor.m_nSpriteH = 40;
    cActorBase& hero = *FirstHero();
    hero.m_rcScreen = {200, 300, 231, 331};
    hero.m_nSpriteW = 32;
    hero.m_nSpriteH = 32;
    const int margin = game->m_ScrollX.m_nMargin;
    ASSERT_EQ(margin, 10);
    struct Case {
        int mode, width, height, bx, by, dx, dy;
        double x, y;
    };
    const Case cases[] = {
        // The screen's centre less half the size (65 >> 1 = 32, 31 >> 1 = 15).
        {0, 65, 31, 7, 7, 3, -4, kViewX + 320 - 32 + 3, kViewY + 240 - 15 - 4},
        // The acting character's and the hero's centres, made stage dots.
        {1, 65, 31, 7, 7, -999, 999, kViewX + 116 - 32 - 999, kViewY + 70 - 15 + 999},
        {2, 64, 32, 0, 0, 5, 6, kViewX + 216 - 32 + 5, kViewY + 316 - 16 + 6},
        // Screen blocks from the view's corner; the size does not count.
        {3, 65, 31, 2, 3, 1, 2, kViewX + 64 + 1, kViewY + 96 + 2},
        // Stage blocks past the margin; the view does not count.
        {4, 65, 31, 2, 3, 1, 2, (2 + 10) * 32 + 1, (3 + 10) * 32 + 2},
        {4, 8, 8, 511, 511, -999, -999, (511 + 10) * 32 - 999, (511 + 10) * 32 - 999},
        // Modes the editor cannot give act as the screen's centre.
        {5, 65, 31, 2, 3, 0, 0, kViewX + 320 - 32, kViewY + 240 - 15},
        {-1, 64, 32, 2, 3, 0, 0, kViewX + 320 - 32, kViewY + 240 - 16},
        // An odd negative size halves downward (-3 >> 1 = -2).
        {0, -3, -3, 0, 0, 0, 0, kViewX + 320 + 2, kViewY + 240 + 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        double x = -1, y = -1;
        CalcDisplayPos(x, y, c.width, c.height, actor, c.mode, c.bx, c.by, c.dx, c.dy);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
}

TEST_F(ShowCommands, EffectSizeFollowsTheScaleAndEffectZeroEmptiesTheList) {
    cEdEffect& record = EdDatabase.vecEffect[1];
    struct Case {
        int patWidth, patHeight, scale, width, height, stretched;
    };
    const Case cases[] = {
        {32, 32, 100, 32, 32, 0},
        {32, 32, 200, 64, 64, 1},
        {33, 31, 150, 50, 47, 1},  // 49.5 and 46.5 round away from zero
        {32, 32, 1, 0, 0, 1},
        // Sizes too large for 32 bits stay at the limit.
        {1 << 30, 1 << 30, 1000, INT32_MAX, INT32_MAX, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        record.nPatWidth = c.patWidth;
        record.nPatHeight = c.patHeight;
        Effect({.scale = c.scale});
        const EffectInstance& e = *std::prev(game->m_listEffect.end());
        EXPECT_EQ(e.nWidth, c.width);
        EXPECT_EQ(e.nHeight, c.height);
        EXPECT_EQ(e.bStretched, c.stretched);
        EXPECT_EQ(e.bKeepRunning, 0);
        EXPECT_EQ(e.dX, kViewX + 320 - (c.width >> 1));
        EXPECT_EQ(e.dY, kViewY + 240 - (c.height >> 1));
    }
    EXPECT_EQ(game->m_listEffect.size(), std::size(cases));
    EXPECT_EQ(plat::FrameCount(), 0u);

    // Effect 0 empties the list even when it asks to wait, and never waits.
    EXPECT_EQ(Presented([&] { Effect({.number = 0, .wait = 1}); }), 0);
    EXPECT_TRUE(game->m_listEffect.empty());
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(ShowCommands, AnEffectWaitLastsItsFramesTimesSix) {
    cEdEffect& record = EdDatabase.vecEffect[1];
    struct Case {
        std::vector<int> tenths;
        int frames;
    };
    const Case cases[] = {{{1, 1}, 12}, {{2, 3, 1}, 36}, {{}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        record.vecFrame.Clear();
        for (int t : c.tenths) {
            cEdEffectFrame frame;
            frame.nTime = t;
            record.vecFrame.push_back(frame);
        }
        BuildPostLoadTables();
        EXPECT_EQ(Presented([&] { Effect({.wait = 1}); }), c.frames);
        EXPECT_EQ(game->m_WaitControl.m_nKind, WAIT_EFFECT);
        EXPECT_EQ(game->m_WaitControl.m_nFrames, -1);
    }
    // The waited effect ran through the wait and is left to end by itself.
    ASSERT_FALSE(game->m_listEffect.empty());
    EXPECT_EQ(std::prev(game->m_listEffect.end())->bKeepRunning, 1);
    EXPECT_TRUE(Sounds().empty());
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(ShowCommands, PictureSizeFollowsTheScale) {
    struct Case {
        int number, scale, width, height, stretched;
    };
    const Case cases[] = {
        {kTallPicture, 100, 64, 128, 0},
        {kTallPicture, 200, 128, 256, 1},
        {kWidePicture, 150, 384, 96, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        Picture({.number = c.number, .scale = c.scale});
        const PictureObject& p = *std::prev(game->m_listPicture.end());
        EXPECT_EQ(p.nWidth, c.width);
        EXPECT_EQ(p.nHeight, c.height);
        EXPECT_EQ(p.bStretched, c.stretched);
        EXPECT_EQ(p.dX, kViewX + 320 - (c.width >> 1));
        EXPECT_EQ(p.dY, kViewY + 240 - (c.height >> 1));
        // Fixed to the screen: the view position now.
        EXPECT_EQ(p.nScreenX, static_cast<int>(p.dX) - static_cast<int>(kViewX));
    }
    EXPECT_EQ(Pictures().size(), std::size(cases));
}

// DirectDraw keeps a scaled picture in system memory unless stretching from video memory
// is allowed.
TEST_F(ShowCommands, ScaledPicturesGoToSystemMemoryUnlessVideoStretchIsOn) {
    struct Case {
        int scale, videoStretch, memory;
    };
    const Case cases[] = {{100, 0, 0}, {200, 0, 1}, {200, 1, 0}, {100, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale * 10 + c.videoStretch);
        SystemIni.DD_VideoStretch = c.videoStretch;
        Picture({.scale = c.scale});
        EXPECT_EQ(std::prev(game->m_listPicSurface.end())->nDDMemory, c.memory);
        EXPECT_EQ(std::prev(game->m_listPicDef.end())->nDDMemory, c.memory);
    }
    SystemIni.DD_VideoStretch = 0;
}

TEST_F(ShowCommands, PicturesByIdAreReplacedInPlaceAndClosed) {
    Picture({.number = kTallPicture, .byId = 1, .id = 5});
    Picture({.number = kTallPicture});  // no ID
    Picture({.number = kTallPicture, .byId = 1, .id = 6});
    Picture({.number = kTallPicture, .id = 5});  // carries 5, not managed by it
    const auto surfaces = Surfaces();
    using P = std::vector<std::pair<int, int>>;
    ASSERT_EQ(Pictures(), (P{{1, 5}, {1, 0}, {1, 6}, {1, 5}}));

    // Shown by a present ID: the new picture takes the old one's place, with a new surface.
    Picture({.number = kWidePicture, .byId = 1, .id = 6});
    EXPECT_EQ(Pictures(), (P{{1, 5}, {1, 0}, {2, 6}, {1, 5}}));
    std::vector<const DDSURFACEDATA*> now = Surfaces();
    EXPECT_EQ(now[0], surfaces[0]);
    EXPECT_EQ(now[3], surfaces[3]);
    EXPECT_EQ(std::next(game->m_listPicSurface.begin(), 2)->nWidth, 256);
    // Shown by an absent ID: appended.
    Picture({.number = kWidePicture, .byId = 1, .id = 9});
    EXPECT_EQ(Pictures(), (P{{1, 5}, {1, 0}, {2, 6}, {1, 5}, {2, 9}}));

    // Picture 0 by ID closes the first picture managed by that ID, and only it; an absent
    // ID closes nothing.
    Picture({.number = 0, .byId = 1, .id = 5});
    EXPECT_EQ(Pictures(), (P{{1, 0}, {2, 6}, {1, 5}, {2, 9}}));
    EXPECT_EQ(Surfaces()[0], surfaces[1]);
    Picture({.number = 0, .byId = 1, .id = 5});
    Picture({.number = 0, .byId = 1, .id = 42});
    EXPECT_EQ(Pictures(), (P{{1, 0}, {2, 6}, {1, 5}, {2, 9}}));
    // Picture 0 without ID takes every picture with its surface.
    Picture({.number = 0});
    EXPECT_TRUE(Pictures().empty());
    EXPECT_TRUE(game->m_listPicSurface.empty());
    EXPECT_EQ(PendingCloses(), 0);
    EXPECT_EQ(plat::FrameCount(), 0u);
}

TEST_F(ShowCommands, APictureWaitEndsByKeyOrTimeAndTakesOnlyItsOwnPicture) {
    struct Case {
        const char* what;
        PictureCmd cmd;
        const char* script;
        int frames;
        std::vector<int> sounds;
    };
    const Case cases[] = {
        // Until the key: the press in frame 4 ends it, with the confirming sound.
        {"key", {.duration = 0, .wait = 1}, "@4 key 0x5A down\n@6 key 0x5A up\n", 3, {1}},
        // Until the stage ends: nothing could end that wait, so the key does.
        {"stage end", {.duration = 1, .wait = 1}, "@4 key 0x5A down\n@6 key 0x5A up\n", 3, {1}},
        // A time of 2 tenths: 12 frames; the key counts for nothing.
        {"time", {.duration = 2, .tenths = 2, .wait = 1}, "@4 key 0x5A down\n", 12, {}},
        {"one frame", {.duration = 2, .tenths = 50, .wait = 1, .oneFrame = 1}, "", 1, {}},
        // By an ID another picture has: in its place, then gone with it.
        {"by id", {.duration = 2, .tenths = 1, .wait = 1, .byId = 1, .id = 5}, "", 6, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SentMessages().clear();
        plat::ResetFrames();
        plat::ReleaseAllKeys();
        Picture({.number = kWidePicture, .byId = 1, .id = 5});
        Picture({.number = kWidePicture, .id = 7});
        const auto surfaces = Surfaces();
        plat::LoadScriptText(c.script, "");
        EXPECT_EQ(Presented([&] { Picture(c.cmd); }), c.frames);
        EXPECT_EQ(Sounds(), c.sounds);
        // The neighbours stay with their surfaces; the waited picture has gone with its own.
        using P = std::vector<std::pair<int, int>>;
        EXPECT_EQ(Pictures(), c.cmd.byId ? (P{{2, 7}}) : (P{{2, 5}, {2, 7}}));
        if (!c.cmd.byId) {
            EXPECT_EQ(Surfaces(), surfaces);
        }
        Picture({.number = 0});
    }
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(ShowCommands, ACloseRequestEndsEachWaitAndStopsTheCommands) {
    cEdEffect& record = EdDatabase.vecEffect[1];
    cEdEffectFrame longFrame;
    longFrame.nTime = INT32_MAX;
    record.vecFrame.Clear();
    record.vecFrame.push_back(longFrame);
    record.vecFrame.push_back(longFrame);
    BuildPostLoadTables();
    struct Case {
        const char* what;
        std::function<void()> command;
        bool held;  // the frames to wait were held at the int32 limit
    };
    const Case cases[] = {
        // An effect whose play is longer than 32 bits can count.
        {"effect", [&] { Effect({.wait = 1}); }, true},
        {"key picture", [&] { Picture({.duration = 0, .wait = 1}); }, false},
        {"timed picture", [&] { Picture({.duration = 2, .tenths = INT32_MAX, .wait = 1}); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game->m_bCloseRequest = 0;
        plat::ResetFrames();
        // The window thread's part of a close: the flag, and WM_QUIT to the pause thread.
        std::atomic<bool> closed{false};
        std::thread closer([&] {
            while (plat::FrameCount() < 3)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            game->m_bCloseRequest = 1;
            plat::PostThreadMessage(thPause.ThreadId(), plat::WM_QUIT, 0, 0);
            closed = true;
        });
        const int frames = Presented(c.command);
        closer.join();
        EXPECT_TRUE(closed);
        EXPECT_GE(frames, 3);
        EXPECT_LT(frames, 100);
        EXPECT_TRUE(Pictures().empty());
        // Each frame shown counted one down.
        if (c.held) {
            EXPECT_EQ(game->m_WaitControl.m_nFrames, INT32_MAX - frames);
        }
    }

    // With the close request standing, neither command adds or removes anything.
    const std::size_t effects = game->m_listEffect.size();
    Picture({.number = kTallPicture});
    Effect({.number = 1});
    Effect({.number = 0});
    EXPECT_EQ(game->m_listEffect.size(), effects);
    EXPECT_TRUE(Pictures().empty());
}

TEST_F(ShowCommands, APictureThatCannotBeLoadedLeavesNothingAndCloses) {
    Picture({.number = kTallPicture, .byId = 1, .id = 1});
    const auto surfaces = Surfaces();
    Picture({.number = kMissingPicture, .wait = 1});
    ASSERT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_EQ(plat::ShownBoxes()[0].text,
              "bmp\\Nothing.bmp " + std::string(reinterpret_cast<const char*>(u8"読み込み失敗！")));
    EXPECT_NE(ReadFile("Error.txt").find("bmp\\Nothing.bmp 読み込み失敗！"), std::string::npos);
    EXPECT_EQ(PendingCloses(), 1);
    using P = std::vector<std::pair<int, int>>;
    EXPECT_EQ(Pictures(), (P{{kTallPicture, 1}}));
    EXPECT_EQ(Surfaces(), surfaces);
    EXPECT_EQ(plat::FrameCount(), 0u);

    // A number past the table is reported through the checked access; nothing is shown.
    SentMessages().clear();
    Picture({.number = 40});
    Effect({.number = 40});
    EXPECT_EQ(PendingCloses(), 2);
    EXPECT_EQ(Pictures(), (P{{kTallPicture, 1}}));
    EXPECT_TRUE(game->m_listEffect.empty());
}

}  // namespace

// As item commands (types 14 and 17, the hero's), the effect and the picture reach the same
// workers: a waited effect holds the list for its frames (and has ended when the wait does),
// the next effect and the picture land on their lists.
TEST_F(ShowCommands, AnItemsListReachesTheEffectAndPictureWorkers) {
    cEdEffect& record = EdDatabase.vecEffect[1];
    record.vecFrame.Clear();
    cEdEffectFrame frame;
    frame.nTime = 1;
    record.vecFrame.push_back(frame);
    BuildPostLoadTables();
    auto asItem = [](cEdCommand cmd, int type) {
        cmd.nCmdKind = 1;
        cmd.nCmdType = static_cast<std::int8_t>(type);
        return cmd;
    };
    CheckedVector<cEdCommand> list;
    list.push_back(asItem(EffectCmd{.wait = 1}.Make(), 14));
    list.push_back(asItem(EffectCmd{.scale = 200}.Make(), 14));
    list.push_back(asItem(PictureCmd{.byId = 1, .id = 4}.Make(), 17));
    ASSERT_EQ(list[0].FlowType(), 29);
    ASSERT_EQ(list[2].FlowType(), 32);
    EXPECT_EQ(Presented([&] { EXPECT_EQ(Player[0].RunItemCommands(list), 0); }), 6);
    ASSERT_EQ(game->m_listEffect.size(), 1u);
    EXPECT_EQ(game->m_listEffect.begin()->nWidth, 2 * record.nPatWidth);
    EXPECT_EQ(Pictures(), (std::vector<std::pair<int, int>>{{kTallPicture, 4}}));
    EXPECT_EQ(PendingCloses(), 0);
}
