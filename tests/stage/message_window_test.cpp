// Message windows on the sample forest: where each position mode puts a window on a
// scrolled view, keeping inside the screen, fixed or following the stage, a gone anchor, a
// timed window on frozen frames, the refresh that re-sizes, texts that fit their windows
// with glyph caches on and off, and the zoom-in and Japanese text as seen (goldens).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/fill.h"
#include "gfx/surface.h"
#include "platform/image_decoder.h"
#include "platform/png_writer.h"
#include "stage/actor_services.h"
#include "stage/message_fixture.h"
#include "stage/stage_end.h"

namespace {

class MessageWindowTest : public ::testing::Test, public MessageWorld {
protected:
    void SetUp() override { SetUpMessages(kSceneDisplays[2]); }  // DirectDraw 32
    void TearDown() override { TearDownMessages(); }

    // An icon (16 x 16, no surface) with the given place; it lasts until the stage ends.
    MessageWindow* Icon(int position, int bx, int by, int dx, int dy, int fixed, int keep = 0) {
        MessageSettings s;
        s.nKind = MESSAGE_ICON;
        s.nPosition = position;
        s.nBlockX = bx;
        s.nBlockY = by;
        s.nDotX = dx;
        s.nDotY = dy;
        s.bFixedToScreen = fixed;
        s.bKeepInside = keep;
        s.nDurationKind = MESSAGE_UNTIL_STAGE_END;
        s.nAnchor = Player[0].m_nSerial;
        return game->AddMessage(s);
    }
    void Scroll(double x, double y) {
        game->m_ScrollX.m_dPos = x;
        game->m_ScrollY.m_dPos = y;
    }
    int Update(MessageWindow& w, int frozen = 0) { return w.Update(*game, &BackBuffer, frozen); }
};

TEST_F(MessageWindowTest, PositionModesOnAScrolledView) {
    cHeroActor& hero = Player[0];
    hero.m_dX = 300.5;
    hero.m_dY = 200;
    hero.m_nSpriteW = 32;
    hero.m_nSpriteH = 48;
    hero.m_nOffsetX = 4;
    hero.m_nOffsetY = 6;
    ASSERT_EQ(game->m_ScrollX.m_nMargin, 10);
    ASSERT_EQ(game->m_ScrollY.m_nMargin, 10);
    // The view at (100.7, 50.2) counts as (100, 50); the hero at view (200, 150).
    struct Case {
        int mode, x, y;
    };
    const Case cases[] = {
        {0, 320 - 8 + 3, 240 - 8 - 2},
        {1, 200 + 16 - 8 + 3 - 4, 150 - 6 - 16 - 2},  // above
        {2, 207, 150 + 48 - 6 + 1 - 2},               // below
        {3, 207, 150 + 24 - 8 - 6 - 2},               // centre
        {4, 207, 126},
        {5, 207, 191},
        {6, 207, 158},
        {7, 2 * 32 + 3, 3 * 32 - 2},               // screen coordinates
        {8, 12 * 32 + 3 - 100, 13 * 32 - 2 - 50},  // stage coordinates
        {9, 315, 230},                             // unknown modes stand at the centre
        {-1, 315, 230},
    };
    for (const Case& c : cases) {
        game->ClearMessages();
        Scroll(100.7, 50.2);
        MessageWindow* w = Icon(c.mode, 2, 3, 3, -2, 1);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(Update(*w), 0);
        EXPECT_EQ(w->nLastX, c.x) << "mode " << c.mode;
        EXPECT_EQ(w->nLastY, c.y) << "mode " << c.mode;
    }
}

TEST_F(MessageWindowTest, FixedWindowsKeepTheirScreenPlaceAndOthersFollow) {
    cHeroActor& hero = Player[0];
    struct Case {
        int mode, fixed;
        int dx, dy;  // how far the window moves on screen when the view and the hero move
    };
    // The view moves by (32, 16); the hero by (8, 4) on the stage.
    const Case cases[] = {
        {0, 1, 0, 0}, {0, 0, -32, -16},  // not fixed: it stays on the stage
        {7, 1, 0, 0}, {7, 0, -32, -16}, {4, 1, 0, 0}, {4, 0, -24, -12},  // follows the hero
        {8, 1, 0, 0}, {8, 0, -32, -16},
    };
    for (const Case& c : cases) {
        game->ClearMessages();
        Scroll(64, 32);
        hero.m_dX = 400;
        hero.m_dY = 300;
        MessageWindow* w = Icon(c.mode, 4, 4, 0, 0, c.fixed);
        ASSERT_NE(w, nullptr);
        Update(*w);
        const int x0 = w->nLastX, y0 = w->nLastY;
        Scroll(96, 48);
        hero.m_dX = 408;
        hero.m_dY = 304;
        Update(*w);
        EXPECT_EQ(w->nLastX - x0, c.dx) << "mode " << c.mode << " fixed " << c.fixed;
        EXPECT_EQ(w->nLastY - y0, c.dy) << "mode " << c.mode << " fixed " << c.fixed;
    }
}

TEST_F(MessageWindowTest, KeepInsideHoldsTheScreenBelowTheStatusBar) {
    Scroll(0, 0);
    struct Case {
        int bx, by, dx, dy, x, y;
    };
    const Case cases[] = {
        {-1, 0, 0, 0, 0, 20},                              // off the left and over the status bar
        {0, 0, 0, 19, 0, 20},       {0, 0, 5, 20, 5, 20},  // inside: unchanged
        {19, 14, 15, 15, 624, 464},                        // 623 + 16 reaches 639: held at 640 - 16
        {19, 14, 14, 14, 622, 462},                        // 622 + 16 stays below
        {19, 14, 6, 6, 614, 454},   {40, 40, 0, 0, 624, 464},
    };
    for (const Case& c : cases) {
        game->ClearMessages();
        MessageWindow* w = Icon(MESSAGE_SCREEN_POS, c.bx, c.by, c.dx, c.dy, 1, 1);
        ASSERT_NE(w, nullptr);
        Update(*w);
        EXPECT_EQ(w->nLastX, c.x) << c.bx << "," << c.by;
        EXPECT_EQ(w->nLastY, c.y) << c.bx << "," << c.by;
    }
}

TEST_F(MessageWindowTest, AGoneAnchorEndsATextWindowButNotAnIcon) {
    cCharaActor& chara = *CharaList.begin();
    const int serial = chara.m_nSerial;
    MessageSettings s;
    s.nKind = MESSAGE_TEXT;
    s.strText = "sign";
    s.nPosition = MESSAGE_ABOVE_SELF;
    s.nDurationKind = MESSAGE_UNTIL_STAGE_END;
    s.nAnchor = serial;
    ASSERT_NE(game->AddMessage(s), nullptr);
    MessageWindow* icon = Icon(MESSAGE_ABOVE_SELF, 0, 0, 0, 0, 0);
    icon->nAnchor = serial;
    DrawFrames(1);
    ASSERT_EQ(game->m_listMessage.size(), 2u);
    ASSERT_EQ(game->m_listMsgSurface.size(), 1u);
    const int x = icon->nLastX, y = icon->nLastY;

    game->RemoveChara(chara);
    ASSERT_EQ(FindActorBySerial(serial), nullptr);
    DrawFrames(2);
    // The text window went with its surface; the icon stays where it was.
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    EXPECT_EQ(&*game->m_listMessage.begin(), icon);
    EXPECT_TRUE(game->m_listMsgSurface.empty());
    EXPECT_TRUE(game->m_listMsgDef.empty());
    EXPECT_EQ(icon->nLastX, x);
    EXPECT_EQ(icon->nLastY, y);
}

TEST_F(MessageWindowTest, ATimedWindowStandsStillWhileFrozenUnlessTheGameWaitsForIt) {
    for (int wait : {0, 1}) {
        game->ClearMessages();
        MessageSettings s;
        s.nKind = MESSAGE_TEXT;
        s.strText = "t";
        s.nDurationKind = MESSAGE_FOR_TIME;
        s.nTime = 3;
        s.bWait = wait;
        MessageWindow* w = game->AddMessage(s);
        ASSERT_NE(w, nullptr);
        if (wait) {
            // Waited for, it counts on frozen frames too and ends in its 4th.
            DrawFrames(3, 1);
            EXPECT_EQ(w->nRemaining, 0);
            DrawFrames(1, 1);
            EXPECT_TRUE(game->m_listMessage.empty());
            EXPECT_TRUE(game->m_listMsgSurface.empty());
            continue;
        }
        DrawFrames(5, 1);
        EXPECT_EQ(w->nRemaining, 3);
        DrawFrames(3);
        ASSERT_EQ(game->m_listMessage.size(), 1u);
        EXPECT_EQ(w->nRemaining, 0);
        DrawFrames(1);
        EXPECT_TRUE(game->m_listMessage.empty());
        EXPECT_TRUE(game->m_listMsgSurface.empty());
    }
}

TEST_F(MessageWindowTest, RefreshShowsNewValuesAndResizes) {
    Progress.m_vecVariable[1] = 5;
    MessageSettings s;
    s.nKind = MESSAGE_TEXT;
    s.strText = "HP #C1";
    s.nDurationKind = MESSAGE_UNTIL_STAGE_END;
    s.bExpand = 1;
    s.bRefresh = 1;
    s.nRefreshInterval = 4;
    MessageWindow* w = game->AddMessage(s);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->strText, "HP 5");
    const int width = w->nWidth;

    Progress.m_vecVariable[1] = 12345;
    game->m_nFrame = 3;  // not a multiple of 4
    Update(*w);
    EXPECT_EQ(w->strText, "HP 5");
    game->m_nFrame = 8;
    Update(*w);
    EXPECT_EQ(w->strText, "HP 12345");
    EXPECT_EQ(w->nWidth, width + 4 * Font16.nPitch);
    // The old surface went; the new one has the new size.
    ASSERT_EQ(game->m_listMsgSurface.size(), 1u);
    EXPECT_EQ(w->lpSD, &*game->m_listMsgSurface.begin());
    EXPECT_EQ(w->lpSD->nWidth, w->nWidth);

    // An interval of 0 or below never refreshes.
    for (int interval : {0, -4}) {
        w->nRefreshInterval = interval;
        Progress.m_vecVariable[1] = 7;
        game->m_nFrame = 16;
        Update(*w);
        EXPECT_EQ(w->strText, "HP 12345") << interval;
    }
}

TEST_F(MessageWindowTest, ATooLargeWindowFailsWithACloseAndAddsNothing) {
    std::string text(3000, 'W');  // far wider than any surface the display makes
    EXPECT_EQ(Text(text.c_str()), nullptr);
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(game->m_listMsgSurface.empty());
    EXPECT_TRUE(game->m_listMsgDef.empty());
    EXPECT_EQ(PendingCloses(), 1);
}

TEST_F(MessageWindowTest, SetUpAndResetRemoveEveryWindowWithItsSurface) {
    ASSERT_NE(Text("one"), nullptr);
    ASSERT_NE(Text("two"), nullptr);
    game->SetStage(1, 0);
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(game->m_listMsgSurface.empty());
    ASSERT_NE(Text("three"), nullptr);
    game->ResetPlay();
    EXPECT_TRUE(game->m_listMessage.empty());
    EXPECT_TRUE(game->m_listMsgSurface.empty());
    EXPECT_TRUE(game->m_listMsgDef.empty());
}

// Texts of single-byte, double-byte and mixed characters, measured and drawn in each back
// end with the glyph caches on and off: nothing drawn falls outside the window.
class MessageTextFit : public ::testing::TestWithParam<std::tuple<int, int>>, public MessageWorld {
protected:
    void SetUp() override {
        SetUpMessages(kSceneDisplays[std::get<0>(GetParam())], std::get<1>(GetParam()));
    }
    void TearDown() override { TearDownMessages(); }
};

TEST_P(MessageTextFit, TextsFitTheirWindows) {
    const char* texts[] = {
        "Hello, world",
        "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd",  // こんにちは
        "HP\x81\x46 100\n\x8c\xb3\x8b\x43?",         // HP： 100 / 元気?
        "W",
    };
    const bool pitched = Font16.nPitch != 0;
    for (const char* text : texts) {
        std::int32_t w = 0, h = 0;
        MeasureTextWidth(text, &w, &h);
        if (pitched) {
            // Cells of the pitch, cached or not.
            const plat::SIZE cells = Font16.GetTextSize(text);
            EXPECT_EQ(w, cells.cx + 2) << text;
            EXPECT_EQ(h, cells.cy + 2) << text;
        }
        // Drawn at (1, 1) on a large key-filled surface, as the window renders it.
        DDSURFACEDATA scratch;
        ASSERT_TRUE(DDCreateSurface(&scratch, 640, 200, 1, 0, 0, nullptr, 0));
        DDFillSurface(&scratch, 0);
        const std::uint32_t key = RawPixelOf(&scratch, 639, 199);
        Font16.Draw(&scratch, 1, 1, text, 0);
        int right = -1, bottom = -1;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 640; ++x)
                if (RawPixelOf(&scratch, x, y) != key) {
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
        EXPECT_GE(right, 0) << "nothing drawn: " << text;
        EXPECT_LT(right, w) << text;
        EXPECT_LT(bottom, h) << text;
        DDReleaseSurface(&scratch);
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, MessageTextFit,
                         ::testing::Combine(::testing::Values(0, 2, 4), ::testing::Values(0, 1)),
                         [](const auto& info) {
                             return std::string(kSceneDisplays[std::get<0>(info.param)].name) +
                                    (std::get<1>(info.param) ? "_cached" : "_plain");
                         });

// The opening of a key-wait window with zoom-in at frames 1, 5, 9 and 10, showing Japanese
// text with a formatted variable, as seen in Direct3D 32 and DirectDraw 8.
class MessageZoomFrames : public ::testing::TestWithParam<int>, public MessageWorld {
protected:
    void SetUp() override { SetUpMessages(kSceneDisplays[GetParam()]); }
    void TearDown() override { TearDownMessages(); }
    // The part of the frame around the screen centre where the window opens: what the
    // stage shows elsewhere is the play screen's own business.
    static constexpr int kLeft = 220, kTop = 190, kWidth = 200, kHeight = 100;
    static void ExpectGolden(const std::vector<std::uint32_t>& frame, const std::string& name) {
        std::vector<std::uint32_t> argb;
        for (int y = kTop; y < kTop + kHeight; ++y)
            for (int x = kLeft; x < kLeft + kWidth; ++x) argb.push_back(frame[y * 640 + x]);
        const std::string golden = std::string(K4_GOLDEN_DIR) + "/" + name;
        if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
            ASSERT_TRUE(plat::WritePng(golden, argb.data(), kWidth, kHeight, kWidth, nullptr));
            std::printf("golden written: %s\n", golden.c_str());
            return;
        }
        const std::string bytes = ReadFile(golden.c_str());
        plat::DecodedImage expected;
        ASSERT_TRUE(plat::DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size(), expected, nullptr))
            << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
        ASSERT_EQ(expected.argb.size(), argb.size());
        int differing = 0;
        for (std::size_t i = 0; i < argb.size(); ++i)
            differing += (expected.argb[i] | 0xFF000000u) != argb[i];
        EXPECT_EQ(differing, 0) << name;
    }
};

TEST_P(MessageZoomFrames, ZoomInThenTheText) {
    Progress.m_vecVariable[1] = 7;
    MessageSettings s;
    s.nKind = MESSAGE_TEXT;
    // 「#C1_3Z」の宝
    s.strText = "\x81\x75#C1_3Z\x81\x76\x82\xcc\x95\xf3\n\x82\xb2\x82\xa4\x82\xa9\x82\xad";
    s.nDurationKind = MESSAGE_UNTIL_KEY;
    s.bExpand = 1;
    s.bZoomIn = 1;
    s.bWait = 1;
    s.bFixedToScreen = 1;
    MessageWindow* w = game->AddMessage(s);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->bOpening, 1);
    const std::string config = kSceneDisplays[GetParam()].name;
    int drawn = 0;
    for (int frame : {1, 5, 9, 10}) {
        DrawFrames(frame - drawn, 1);
        drawn = frame;
        ExpectGolden(Latest(), "msg_" + config + "_zoom" + std::to_string(frame) + ".png");
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, MessageZoomFrames, ::testing::Values(0, 4),
                         [](const auto& info) {
                             return std::string(kSceneDisplays[info.param].name);
                         });

}  // namespace

namespace {

// The notices over the hero: an item's icon rising for 30 frames as the play goes on, and
// the extra-life mark, for which the play stands still 30 frames per life.
TEST_F(MessageWindowTest, NoticesRiseOverTheHeroAndGo) {
    OpenItemMessage(Player[0], 1, 1, 0);
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    const MessageWindow& icon = *game->m_listMessage.begin();
    EXPECT_EQ(icon.nKind, MESSAGE_ICON);
    EXPECT_EQ(icon.nAnchor, Player[0].m_nSerial);
    EXPECT_EQ(icon.nPosition, MESSAGE_ABOVE_HERO);
    EXPECT_TRUE(game->m_listMsgSurface.empty());
    DrawFrames(30);
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    DrawFrames(1);
    EXPECT_TRUE(game->m_listMessage.empty());

    // Two score steps: two marks of 30 frames each, each taken off after its wait.
    EdSystem.bExtraLife = 1;
    EdSystem.nExtraLifeScore = 100;
    Progress.m_nScore = 0;
    Progress.m_nStageScore = 200;
    Progress.m_nLives = 1;
    plat::ResetFrames();
    ASSERT_TRUE(OnGameThread([&] { GiveStageTotals(*game); }));
    EXPECT_EQ(plat::FrameCount(), 60u);
    EXPECT_EQ(Progress.m_nLives, 3);
    EXPECT_TRUE(game->m_listMessage.empty());
    // The last frame of the wait showed the mark; the same scene without it differs.
    const std::vector<std::uint32_t> withMark = Latest();
    DrawFrames(1, 1);
    EXPECT_NE(Latest(), withMark);
}

}  // namespace
