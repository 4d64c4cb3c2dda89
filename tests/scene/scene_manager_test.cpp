// The scene manager's frame on the virtual clock in both back ends: pacing, the present,
// lost surfaces and a lost device, the frame-rate overlay; the scene objects' lives; the
// palette functions beside the manager.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "gen/bmp_writer.h"
#include "gfx/fade.h"
#include "gfx/hbt_table.h"
#include "platform/cp932.h"
#include "platform/ddraw.h"
#include "platform/host_path.h"
#include "platform/scripted_input.h"
#include "scene/menu_scenes.h"
#include "scene_fixture.h"

namespace {

// A title scene that works for a fixed time every frame.
class BusyTitle : public cTitleScene {
public:
    explicit BusyTitle(std::uint32_t ms) : work(ms) {}
    void Run() override {
        ++runs;
        plat::Sleep(work);
    }
    std::uint32_t work;
    int runs = 0;
};

// A title scene that records the buttons of input 0 as each frame's Run sees them.
class RecordingTitle : public cTitleScene {
public:
    void Run() override { buttons.push_back(InputList[0].wButton); }
    std::vector<int> buttons;
};

class SceneManagerTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override { SetUpWorld(); }
    void TearDown() override { TearDownWorld(); }
};

class SceneFrame : public ::testing::TestWithParam<SceneDisplay>, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(GetParam()));
    }
    void TearDown() override { TearDownWorld(); }
    bool Direct3D() const { return GetParam().direct3D != 0; }
    // n frames on the game thread; the results of UpdateFrame.
    std::vector<int> Frames(int n) {
        std::vector<int> results;
        EXPECT_TRUE(OnGameThread([&] {
            for (int i = 0; i < n; ++i) results.push_back(SceneMgr.UpdateFrame());
        }));
        return results;
    }
};

using DirectDrawFrame = SceneFrame;

// ---------------------------------------------------------------- scene objects

TEST_F(SceneManagerTest, PrepareSceneMakesTheSceneAndDeletesTheOthers) {
    SceneMgr.PrepareScene(SCENE_GAME);
    ASSERT_NE(SceneMgr.m_pGame, nullptr);
    EXPECT_EQ(lpGame, SceneMgr.m_pGame);
    EXPECT_EQ(SceneMgr.m_pGame->m_nState, -1);
    cGameScene* game = lpGame;
    SceneMgr.PrepareScene(SCENE_GAME);  // kept while it is current
    EXPECT_EQ(SceneMgr.m_pGame, game);

    SceneMgr.PrepareScene(SCENE_TITLE);
    EXPECT_EQ(SceneMgr.m_pGame, nullptr);
    EXPECT_EQ(lpGame, nullptr);
    ASSERT_NE(SceneMgr.m_pTitle, nullptr);

    SceneMgr.PrepareScene(SCENE_OPTION);
    EXPECT_EQ(SceneMgr.m_pTitle, nullptr);
    ASSERT_NE(SceneMgr.m_pOption, nullptr);

    // Not a scene: nothing is made, everything else goes.
    SceneMgr.PrepareScene(9);
    for (int id = 0; id < kSceneCount; ++id) EXPECT_EQ(SceneMgr.SceneById(id), nullptr) << id;
}

TEST_F(SceneManagerTest, KeptScenesSurviveAndResumeInTheirState) {
    SceneMgr.m_bKeepScenes = 1;
    SceneMgr.PrepareScene(SCENE_TITLE);
    SceneMgr.m_pTitle->m_nState = 1;
    SceneMgr.PrepareScene(SCENE_GAME);
    SceneMgr.PrepareScene(SCENE_STAGESELECT);
    ASSERT_NE(SceneMgr.m_pTitle, nullptr);
    EXPECT_NE(SceneMgr.m_pGame, nullptr);
    EXPECT_EQ(lpGame, SceneMgr.m_pGame);
    EXPECT_EQ(SceneMgr.m_pTitle->m_nState, 1);
    SceneMgr.DeleteScenes();
    for (int id = 0; id < kSceneCount; ++id) EXPECT_EQ(SceneMgr.SceneById(id), nullptr) << id;
    EXPECT_EQ(lpGame, nullptr);
}

TEST_F(SceneManagerTest, MenuItemsAreTheEnabledRecordsOrItemZero) {
    CheckedVector<std::int32_t> items;
    EdSystem.vecTitleMenu[0].bEnabled = 0;
    EdSystem.vecTitleMenu[1].bEnabled = 0;
    EdSystem.vecTitleMenu[2].bEnabled = 0;
    EdSystem.vecTitleMenu[4].bEnabled = 0;
    EdSystem.vecTitleMenu[5].bEnabled = 0;
    cMenuSceneBase::BuildItems(EdSystem.vecTitleMenu, items);
    EXPECT_EQ(items, (CheckedVector<std::int32_t>{3, 6}));
    for (auto& record : EdSystem.vecTitleMenu) record.bEnabled = 0;
    cMenuSceneBase::BuildItems(EdSystem.vecTitleMenu, items);
    EXPECT_EQ(items, (CheckedVector<std::int32_t>{0}));
}

TEST_F(SceneManagerTest, SceneMusicRequestFollowsThePlayingEntry) {
    struct Case {
        int playing;
        int entry;
        bool request;
    };
    const Case cases[] = {
        {5, 5, false},  // the same music runs on
        {5, 7, true},   // another music
        {0, 0, true},   // an empty entry always stops the music
        {3, 0, true},
    };
    for (const Case& c : cases) {
        SentMessages().clear();
        SceneMgr.m_nBgmPlaying = c.playing;
        EdSystem.vecSceneBgm[3] = c.entry;
        cMenuSceneBase::EnterCommon(3, nullptr, 0);
        const auto sent = Requests(WM_USER_PLAYBGM);
        if (c.request) {
            ASSERT_EQ(sent.size(), 1u) << c.playing << " " << c.entry;
            EXPECT_EQ(sent[0], std::make_pair(3, 0));
        } else {
            EXPECT_TRUE(sent.empty()) << c.playing << " " << c.entry;
        }
        EXPECT_EQ(SceneMgr.m_nBgmPlaying, c.entry);
    }
}

TEST_F(SceneManagerTest, ReturningToADeletedSceneEntersAFreshOne) {
    EdSystem.vecSceneBgm[0] = 0;
    SceneMgr.PrepareScene(SCENE_TITLE);
    SceneMgr.m_pTitle->Run();  // entered; without a display its images fail to load
    EXPECT_EQ(SceneMgr.m_pTitle->m_nState, 0);
    EXPECT_EQ(PendingCloses(), 1);
    EXPECT_GE(SceneMgr.m_pTitle->m_vecItems.Size(), 1u);
    SceneMgr.PrepareScene(SCENE_OPTION);
    EXPECT_EQ(SceneMgr.m_pTitle, nullptr);
    SceneMgr.PrepareScene(SCENE_TITLE);
    EXPECT_EQ(SceneMgr.m_pTitle->m_nState, -1);
    SentMessages().clear();
    SceneMgr.m_pTitle->Run();
    EXPECT_EQ(Requests(WM_USER_PLAYBGM).size(), 1u);  // entered again: music rule and all
}

TEST_F(SceneManagerTest, MenuScenesLatchTheirButtons) {
    struct Case {
        int id;
        std::uint16_t reported;  // buttons 1 to 4 held in the frame after their press
    };
    const Case cases[] = {{SCENE_TITLE, 0xC},
                          {SCENE_WORLDMAP, 0x0},
                          {SCENE_MAPMENU, 0xC},
                          {SCENE_STAGESELECT, 0x0},
                          {SCENE_OPTION, 0xC}};
    for (const Case& c : cases) {
        SceneMgr.PrepareScene(c.id);
        cScene* scene = SceneMgr.SceneById(c.id);
        ASSERT_NE(scene, nullptr);
        scene->m_nState = 1;  // entered
        InputList[0].bLatch = 0;
        InputList[0].wButton = 0xF;
        scene->Run();
        EXPECT_EQ(InputList[0].wButton, 0xF) << c.id;  // the press itself is reported
        InputList[0].wButton = 0xF;
        scene->Run();
        EXPECT_EQ(InputList[0].wButton, c.reported) << c.id;
    }
}

// ---------------------------------------------------------------- the frame

TEST_P(SceneFrame, RunsTheCurrentSceneAndPresentsOneFrame) {
    auto* title = new BusyTitle(0);
    SceneMgr.m_pTitle = title;
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(Frames(1), std::vector<int>{1});
        EXPECT_EQ(title->runs, i);
        EXPECT_EQ(plat::FrameCount(), static_cast<std::uint32_t>(i));
    }
    // An id that names no scene runs nothing and still presents.
    SceneMgr.m_nScene = 9;
    EXPECT_EQ(Frames(1), std::vector<int>{1});
    EXPECT_EQ(plat::FrameCount(), 4u);
    EXPECT_EQ(SceneMgr.m_pTitle, nullptr);
}

TEST_P(SceneFrame, FramesArePacedOnTheClock) {
    SceneMgr.m_nScene = 9;
    // In full screen DirectDraw the blit present waits for nothing, the flip for the
    // vertical blank.
    for (int blt : {1, 0}) {
        bBltPresent = blt;
        std::vector<std::uint32_t> times;
        ASSERT_TRUE(OnGameThread([&] {
            for (int i = 0; i < 4; ++i) {
                SceneMgr.UpdateFrame();
                times.push_back(plat::timeGetTime());
            }
        }));
        const bool waitsForBlank = GetParam().windowMode != 0 || blt == 0;
        for (int i = 1; i < 4; ++i) {
            const std::uint32_t d = times[i] - times[i - 1];
            // Direct3D: 1000 / 60 in whole milliseconds. DirectDraw: the limiter lets a frame
            // through every 16 ms, and a present that waits shows it at the next blank.
            if (Direct3D() || waitsForBlank) {
                EXPECT_TRUE(d == 16 || d == 17) << blt << " " << d;
            } else {
                EXPECT_EQ(d, 16u) << i;
            }
        }
        // 16-ms frames shown at 60 blanks a second: one blank each, three blanks in 50 ms.
        if (!Direct3D() && waitsForBlank) {
            EXPECT_EQ(times[3] - times[0], 50u) << blt;
        }
    }
}

TEST_P(SceneFrame, SceneSeesAScriptedButtonInTheFrameItIsPressed) {
    // Z (button 1) is down in frame 3 only: the input is read before the scene runs.
    plat::LoadScriptText("@3 key 0x5A down\n@4 key 0x5A up\n", "");
    InputList[0].ResetJoyButtons();
    plat::ApplyStartInput();
    auto* title = new RecordingTitle;
    SceneMgr.m_pTitle = title;
    EXPECT_EQ(Frames(4), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(title->buttons, (std::vector<int>{0, 0, 1, 0}));
}

TEST_P(SceneFrame, FpsOverlayAveragesTheLastRingOfSixteenFrames) {
    SystemIni.ShowFps = GetParam().windowMode ? 1 : 2;
    SceneMgr.m_pTitle = new BusyTitle(5);
    for (int i = 1; i <= 15; ++i) {
        Frames(1);
        EXPECT_EQ(LastFpsOverlay().nAverage, 0) << i;
    }
    Frames(1);
    EXPECT_EQ(LastFpsOverlay().nAverage, 5);
    // A second has passed by frame 60 or so; then the counted frames show.
    Frames(70);
    EXPECT_GT(LastFpsOverlay().nFps, 0);
    char expected[32];
    std::snprintf(expected, sizeof expected, "FPS%2d(%2d)", LastFpsOverlay().nFps, 5);
    EXPECT_STREQ(LastFpsOverlay().szText, expected);
}

TEST_P(SceneFrame, FpsOverlayIsNotKeptWhileHidden) {
    SystemIni.ShowFps = 0;
    SceneMgr.m_pTitle = new BusyTitle(5);
    Frames(20);
    EXPECT_EQ(LastFpsOverlay().nAverage, 0);
    EXPECT_STREQ(LastFpsOverlay().szText, "");
}

TEST_P(SceneFrame, LostDisplayIsRecovered) {
    plat::Seams seams = plat::GetSeams();
    seams.loseDeviceFrame = 2;
    plat::SetSeams(seams);
    SceneMgr.m_nScene = 9;
    EXPECT_EQ(Frames(4), (std::vector<int>{1, 1, 1, 1}));
    if (Direct3D()) {
        // The failed present asked the window thread to reset the device.
        EXPECT_GE(Requests(WM_USER_RESTORE).size(), 1u);
    } else {
        EXPECT_TRUE(Requests(WM_USER_RESTORE).empty());
        ASSERT_NE(PrimarySD.lpDS, nullptr);
        EXPECT_NE(PrimarySD.lpDS->lpDDSurface->IsLost(), plat::DDERR_SURFACELOST);
    }
}

TEST_P(DirectDrawFrame, LimiterSleepsInWholeMilliseconds) {
    EXPECT_TRUE(CheckFrameTime(60));  // the first frame passes
    const std::uint32_t start = plat::timeGetTime();
    LimitFrameRate();
    EXPECT_EQ(plat::timeGetTime() - start, 16u);
    LimitFrameRate();
    EXPECT_EQ(plat::timeGetTime() - start, 32u);
}

TEST_P(DirectDrawFrame, SurfaceThatCannotBeReloadedEndsTheFrames) {
    ASSERT_TRUE(DDAddSurfaceToVector(SceneSurfaces, SceneSurfaceDefs, 8, 8, 1, 0, 0, nullptr));
    std::snprintf(SceneSurfaces.back().szFileName, 260, "bmp\\Gone.bmp");
    lpDD->SimulateSurfaceLoss();
    SceneMgr.m_nScene = 9;
    EXPECT_EQ(Frames(1), std::vector<int>{0});
    EXPECT_EQ(plat::FrameCount(), 0u);  // nothing presented
}

TEST_P(DirectDrawFrame, BlankSceneSurfacesAreMarkedForRedrawAfterALoss) {
    ASSERT_TRUE(DDAddSurfaceToVector(SceneSurfaces, SceneSurfaceDefs, 8, 8, 1, 0, 0, nullptr));
    SceneSurfaces.back().bLost = 0;
    lpDD->SimulateSurfaceLoss();
    SceneMgr.m_nScene = 9;
    EXPECT_EQ(Frames(1), std::vector<int>{1});
    EXPECT_EQ(SceneSurfaces.back().bLost, 1);
    EXPECT_EQ(plat::FrameCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Displays, SceneFrame, ::testing::ValuesIn(kSceneDisplays),
                         SceneDisplayName);
INSTANTIATE_TEST_SUITE_P(Displays, DirectDrawFrame,
                         ::testing::Values(kSceneDisplays[2], kSceneDisplays[3], kSceneDisplays[4]),
                         SceneDisplayName);

// ---------------------------------------------------------------- palettes

TEST(PingPongStep, StepsBackAndForthWithoutSettlingOnABound) {
    std::int32_t value = 0, dir = 0;
    std::vector<std::int32_t> seen;
    std::vector<std::int32_t> turns;
    for (int i = 0; i < 52; ++i) {
        turns.push_back(PingPongStep(&value, &dir, 10, 0, 255));
        seen.push_back(value);
    }
    EXPECT_EQ(seen[0], 10);
    EXPECT_EQ(seen[24], 250);
    EXPECT_EQ(seen[25], 250);  // 260 reaches the bound: undone, now falling
    EXPECT_EQ(dir, 0);
    EXPECT_EQ(seen[26], 240);
    EXPECT_EQ(seen[49], 10);
    EXPECT_EQ(seen[50], 10);  // 0 would reach the low bound: undone, rising again
    EXPECT_EQ(seen[51], 20);
    for (int i = 0; i < 52; ++i) EXPECT_EQ(turns[i], i == 50 ? 1 : 0) << i;
}

class PaletteTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override { SetUpWorld(); }
    void TearDown() override { TearDownWorld(); }
    // A palette image whose entry i is (i, 255 - i, i / 2), and the half-mix table n.
    static void WritePaletteFiles(int n) {
        std::vector<plat::PALETTEENTRY> colours(256);
        for (int i = 0; i < 256; ++i)
            colours[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                          static_cast<std::uint8_t>(i / 2), 0};
        ASSERT_TRUE(gen::WriteFileBytes(
            "bmp/plt/Palette.bmp",
            gen::EncodeIndexedBmp(16, 16, 8, colours, std::vector<std::uint8_t>(256, 0))));
        char name[64];
        std::snprintf(name, sizeof name, "bmp/hbt/hbt%02d.dat", n);
        ASSERT_TRUE(gen::WriteFileBytes(name, std::vector<std::uint8_t>(65536, 7)));
    }
};

TEST_F(PaletteTest, HbtPaletteDoesNothingOutsideEightBitDirectDraw) {
    for (const SceneDisplay& d : {kSceneDisplays[0], kSceneDisplays[2], kSceneDisplays[3]}) {
        ASSERT_TRUE(OpenDisplay(d));
        Palette[20] = {1, 2, 3, 0};
        EXPECT_EQ(LoadHbtPalette(11), 1) << d.name;  // no files needed
        EXPECT_EQ(Palette[20].peRed, 1) << d.name;
        DDUnInit();
        displayOpen = false;
        plat::CloseDisplayWindow();
        windowOpen = false;
    }
}

TEST_F(PaletteTest, HbtPaletteRotatesOrCopiesTheColourGroups) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[4]));
    WritePaletteFiles(11);
    WritePaletteFiles(12);
    HbtTable[0] = 0;
    ASSERT_EQ(LoadHbtPalette(11), 1);
    EXPECT_EQ(HbtTable[0], 7);
    // Entries 16-207 rotated by 176: entry 16 shows what entry 192 had.
    EXPECT_EQ(Palette[16].peRed, 192);
    EXPECT_EQ(Palette[207].peRed, 191);
    EXPECT_EQ(Palette[15].peRed, 15);  // outside the groups: untouched
    EXPECT_EQ(Palette[208].peRed, 208);
    EXPECT_EQ(PaletteOrg[16].peRed, 192);
    EXPECT_EQ(lpDDPalette->Entries()[16].peRed, 192);

    ASSERT_EQ(LoadHbtPalette(12), 1);
    for (int g = 1; g <= 12; ++g)
        for (int i = 0; i < 16; ++i) EXPECT_EQ(Palette[16 * g + i].peRed, 16 + i) << g << " " << i;
}

TEST_F(PaletteTest, MissingFilesFailWithTheirMessages) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[4]));
    WritePaletteFiles(4);

    EXPECT_EQ(LoadHbtPalette(3), 0);
    auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(plat::Utf8ToCp932(boxes[0].text),
              "bmp\\hbt\\hbt03.dat "
              "\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x81\x49");

    ASSERT_EQ(LoadHbtPalette(4), 1);
    EXPECT_EQ(lpDDPalette->Entries()[16].peRed, 80);  // rotated by 64

    // The palette image gone: logged, no box.
    ASSERT_TRUE(plat::DeleteFile("bmp\\plt\\Palette.bmp"));
    EXPECT_EQ(LoadHbtPalette(4), 0);
    EXPECT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_NE(ReadFile("Error.txt").find("DDLoadPaletteFromFile\x8E\xB8\x94\x73"),
              std::string::npos);
}

TEST_F(PaletteTest, OutOfRangeNumbersLoadTheNearestVariant) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[4]));
    WritePaletteFiles(0);
    WritePaletteFiles(23);
    ASSERT_EQ(LoadHbtPalette(-7), 1);
    EXPECT_EQ(Palette[16].peRed, 16);  // variant 0: no rotation
    ASSERT_EQ(LoadHbtPalette(99), 1);
    // Variant 23: group 12 (entries 192-207) in every group.
    EXPECT_EQ(Palette[16].peRed, 192);
    EXPECT_TRUE(plat::ShownBoxes().empty());
}

TEST_F(PaletteTest, EightBitFadesKeepTheLoadedColoursAndDarkenTheDisplay) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[4]));
    WritePaletteFiles(0);
    ASSERT_EQ(LoadHbtPalette(0), 1);
    SceneMgr.PrepareScene(SCENE_GAME);
    cGameScene* game = lpGame;
    ASSERT_NE(game, nullptr);
    SceneMgr.m_nNextScene = SCENE_TITLE;
    game->m_nState = GAMESTATE_LEAVE;
    for (int i = 0; i < 40 && game->m_nState == GAMESTATE_LEAVE; ++i) game->Run();
    ASSERT_EQ(game->m_nState, -1);
    const plat::PALETTEENTRY* shown = lpDDPalette->Entries();
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(Palette[i].peRed, i) << i;
        EXPECT_EQ(Palette[i].peGreen, 255 - i) << i;
        EXPECT_EQ(Palette[i].peBlue, i / 2) << i;
        EXPECT_EQ(shown[i].peRed | shown[i].peGreen | shown[i].peBlue, 0) << i;
    }
    // A menu's fade-in brings the loaded colours back to the display.
    int frames = 1;
    while (!cMenuSceneBase::FadeInStep() && frames < 40) ++frames;
    EXPECT_EQ(frames, 10);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(shown[i].peRed, Palette[i].peRed) << i;
        EXPECT_EQ(shown[i].peGreen, Palette[i].peGreen) << i;
        EXPECT_EQ(shown[i].peBlue, Palette[i].peBlue) << i;
    }
}

TEST_F(PaletteTest, AnimatedColoursOfDirect3D) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[0]));
    EdSystem.nColourAnimStep = 64;
    AnimatePaletteColors();  // built from the values before the step: all 0
    EXPECT_EQ(AnimatedColorTable[1].dwColor, 0xFF000000u);
    EXPECT_EQ(AnimatedColorTable[2].nMode, 10);
    EXPECT_EQ(AnimatedColorTable[3].nMode, 7);
    AnimatePaletteColors();  // v = 64
    EXPECT_EQ(AnimatedColorTable[1].dwColor, 0xFF404040u);
    EXPECT_EQ(AnimatedColorTable[3].dwColor, 0xFF400000u);
    EXPECT_EQ(AnimatedColorTable[4].dwColor, 0xFF004000u);
    EXPECT_EQ(AnimatedColorTable[5].dwColor, 0xFF000040u);
    EXPECT_EQ(AnimatedColorTable[6].dwColor, 0xFF404000u);
    EXPECT_EQ(AnimatedColorTable[7].dwColor, 0xFF400010u);
    EXPECT_EQ(AnimatedColorTable[8].dwColor, 0xFF100040u);
    EXPECT_EQ(AnimatedColorTable[9].dwColor, 0xFF400000u);  // mix 0: red
    // 128, 192, 192 (turned), 128, 64, 64 (turned at the bottom: the mix advances), 128.
    std::vector<std::uint32_t> nine;
    for (int i = 0; i < 7; ++i) {
        AnimatePaletteColors();
        nine.push_back(AnimatedColorTable[9].dwColor);
    }
    EXPECT_EQ(nine[0], 0xFF800000u);
    EXPECT_EQ(nine[1], 0xFFC00000u);
    EXPECT_EQ(nine[4], 0xFF400000u);
    EXPECT_EQ(nine[5], 0xFF004000u);  // turned at the bottom: mix 1, green
    EXPECT_EQ(nine[6], 0xFF008000u);
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(AnimatedColorTable[i].dwColor >> 24, 0xFFu) << i;
}

TEST_F(PaletteTest, ColourStepsOutsideTheColourRangeAreHeldToIt) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[0]));
    struct Case {
        std::int32_t step;
        std::uint32_t second;  // entry 1 in the second frame
    };
    // Below 0 nothing moves; above 255 every step reaches a bound and is taken back.
    const Case cases[] = {{-5, 0xFF000000u},      {INT_MIN, 0xFF000000u}, {300, 0xFF000000u},
                          {INT_MAX, 0xFF000000u}, {255, 0xFF000000u},     {254, 0xFFFEFEFEu}};
    for (const Case& c : cases) {
        ResetPaletteAnimation();
        EdSystem.nColourAnimStep = c.step;
        AnimatePaletteColors();
        AnimatePaletteColors();
        EXPECT_EQ(AnimatedColorTable[1].dwColor, c.second) << c.step;
        for (int frame = 0; frame < 1000; ++frame) {
            AnimatePaletteColors();
            // Entry 1 is grey: its three channels show the channel value itself.
            const std::uint32_t grey = AnimatedColorTable[1].dwColor;
            ASSERT_EQ(grey & 0xFF, (grey >> 8) & 0xFF) << c.step;
            if (c.step != 254) {
                ASSERT_EQ(grey, 0xFF000000u) << c.step << " " << frame;
            }
        }
    }
}

TEST_F(PaletteTest, EightBitPaletteGroupsTurnEverySixthFrame) {
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[4]));
    EdSystem.bPaletteAnimation = 1;
    for (int i = 0; i < 256; ++i) PaletteOrg[i] = {static_cast<std::uint8_t>(i), 0, 0, 0};
    for (int i = 0; i < 5; ++i) AnimatePaletteColors();
    EXPECT_EQ(PaletteOrg[208].peRed, 208);
    AnimatePaletteColors();
    for (int first = 208; first < 240; first += 4) {
        std::vector<int> group;
        for (int i = 0; i < 4; ++i) group.push_back(PaletteOrg[first + i].peRed);
        EXPECT_EQ(group, (std::vector<int>{first + 3, first, first + 1, first + 2})) << first;
    }
    EXPECT_EQ(lpDDPalette->Entries()[208].peRed, 211);
    EXPECT_EQ(PaletteOrg[207].peRed, 207);
    EXPECT_EQ(PaletteOrg[240].peRed, 240);
    EdSystem.bPaletteAnimation = 0;
    for (int i = 0; i < 12; ++i) AnimatePaletteColors();
    EXPECT_EQ(PaletteOrg[208].peRed, 211);
}

}  // namespace
