// The effects as they are seen on the sample forest, in each display configuration: the
// thirteen screen effects, a frozen frame, a picture at twice its size with a stretched
// animation effect, and the layering of pictures, blocks, actors, effects, the screen effect
// and the status bar, as one sheet of half-size frames; and the sixteen character effects on
// normal and on giant (×2) characters as two full frames. The effects are started directly
// and drawn a few frames on; the frames are compared with
// tests/golden/effects_<configuration>_<what>.png (K4_UPDATE_GOLDEN=1 writes them instead).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/database.h"
#include "data/effect_records.h"
#include "gfx/fill.h"
#include "gfx/hbt_table.h"
#include "gfx/palette_file.h"
#include "platform/ddraw.h"
#include "platform/image_decoder.h"
#include "platform/png_writer.h"
#include "platform/presenter.h"
#include "scene/scene_fixture.h"
#include "stage/post_load_tables.h"
#include "stage/sample_forest.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kWalkerRecord = 1;
// Frames drawn after an effect starts before the frame is taken.
constexpr int kEffectFrames = 8;
constexpr int kTile = 2;  // the sheet's frames are halved
constexpr int kSheetColumns = 4;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

class EffectFrames : public ::testing::TestWithParam<SceneDisplay>, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(GetParam()));
        LinkSharedSurfaces();
        // The images are read from the project in this test's own folder.
        ASSERT_TRUE(UseSampleForestImages());
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        // Every effect kind with the editor's defaults: screen effect n and character
        // effect n are of kind n.
        EdDatabase.vecScrEffect.resize(kScreenEffectKinds);
        for (int k = 1; k < kScreenEffectKinds; ++k) {
            EdDatabase.vecScrEffect[k].nKind = k;
            for (int i = 0; i < kEffectParamCount; ++i)
                EdDatabase.vecScrEffect[k].anParam[i] = ScreenEffectParamTable[k][i].nDefault;
            EdDatabase.vecScrEffect[k].anParam[0] = 10;
        }
        EdDatabase.vecCharaEffect.resize(kCharaEffectKinds);
        for (int k = 1; k < kCharaEffectKinds; ++k) {
            EdDatabase.vecCharaEffect[k].nKind = k;
            for (int i = 0; i < kEffectParamCount; ++i)
                EdDatabase.vecCharaEffect[k].anParam[i] = CharaEffectParamTable[k][i].nDefault;
            EdDatabase.vecCharaEffect[k].anParam[0] = 10;
        }
        // Strengths that show at once: a colour change at full strength in a red, a blur
        // and a mosaic that start strong.
        EdDatabase.vecCharaEffect[13].anParam[1] = 3;
        EdDatabase.vecCharaEffect[13].anParam[2] = 3;
        EdDatabase.vecCharaEffect[13].anParam[3] = 20;
        EdDatabase.vecCharaEffect[15].anParam[1] = 4;
        EdDatabase.vecCharaEffect[16].anParam[1] = 3;
        // The sample's hit effect: two cells of a tenth of a second.
        EdDatabase.vecEffect.resize(2);
        EdDatabase.vecEffect[1].strFile = "bmp\\effect\\Hit.bmp";
        EdDatabase.vecEffect[1].vecFrame.resize(2);
        EdDatabase.vecEffect[1].vecFrame[1].nPattern = 1;
        BuildPostLoadTables();
        // The scene's images, then the stage.
        game->Enter();
        ASSERT_FALSE(game->SetStageFailed());
        ASSERT_GT(StdSD[2].nWidth, 0);
        game->m_nState = GAMESTATE_PLAY;
    }
    void TearDown() override { TearDownWorld(); }

    // Draws frames as the play does, without the game's ticks: the objects stand still and
    // only what drawing advances moves.
    void DrawFrames(int n, int frozen = 0) {
        for (int i = 0; i < n; ++i) {
            game->Draw(1, frozen, 0, 0);
            // DirectDraw's back buffer goes to the presenter as it is: the test's window has
            // no place on a desktop to be copied to.
            if (lpDTCon)
                PresentFrame();
            else
                plat::PresentFrame(BackBuffer.lpDS->lpDDSurface->Pixels(), PaletteOrg);
        }
    }
    // A picture of one colour in the scene's lists, as a picture command leaves it.
    PictureObject& AddSolidPicture(int layer, int x, int y, int w, int h, std::uint32_t colour) {
        PictureObject& picture = game->m_listPicture.emplace_back();
        picture.Set(1, x, y, w, h, 0, layer, 100, PICTURE_UNTIL_KEY, 0, 0, 0, 0);
        DDSURFACEDATA& sd = game->m_listPicSurface.emplace_back();
        EXPECT_TRUE(DDCreateSurface(&sd, w, h, 1, 0, 0, nullptr, 0));
        DDFillSurface(&sd, colour);
        game->m_listPicDef.emplace_back();
        return picture;
    }
    static Image Latest() {
        Image image;
        EXPECT_TRUE(plat::LatestFrame(image.argb, image.width, image.height));
        for (std::uint32_t& p : image.argb) p |= 0xFF000000u;
        return image;
    }
    // Copies of the walker at (column, row) of the view, giant or not, each running
    // character effect `first` + its index.
    void PlaceWalkers(int giant) {
        cEdChara record = EdStageWork.vecChara[kWalkerRecord];
        record.nGiant = static_cast<std::int16_t>(giant);
        CharaList.Clear();
        std::int32_t serial = 100;
        for (int k = 1; k < kCharaEffectKinds; ++k) {
            const int i = k - 1;
            const int column = giant > 1 ? 1 + 2 * (i % 8) : 2 + 2 * (i % 8);
            const int row = giant > 1 ? 2 + 5 * (i / 8) : 3 + 4 * (i / 8);
            ASSERT_EQ(game->PlaceChara(CharaList, column, row, serial, record, nullptr), 0);
        }
        int k = 1;
        for (cCharaActor& chara : CharaList) {
            chara.m_bPresent = 1;
            chara.m_bOnScreen = 1;
            chara.m_CharaEffect.Start(k++, 0, 1);
        }
    }
    static void ExpectGolden(const Image& image, const std::string& what) {
        const std::string name = std::string("effects_") + GetParam().name + "_" + what + ".png";
        const std::string golden = std::string(K4_GOLDEN_DIR) + "/" + name;
        if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
            ASSERT_TRUE(plat::WritePng(golden, image.argb.data(), image.width, image.height,
                                       image.width, nullptr));
            std::printf("golden written: %s\n", golden.c_str());
            return;
        }
        const std::string bytes = ReadFile(golden.c_str());
        plat::DecodedImage expected;
        ASSERT_TRUE(plat::DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size(), expected, nullptr))
            << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
        ASSERT_EQ(expected.width, image.width);
        ASSERT_EQ(expected.height, image.height);
        int differing = 0;
        for (std::size_t i = 0; i < image.argb.size(); ++i)
            differing += (expected.argb[i] | 0xFF000000u) != image.argb[i];
        if (differing != 0) {
            const std::string actual =
                (std::filesystem::temp_directory_path() / ("actual_" + name)).string();
            plat::WritePng(actual, image.argb.data(), image.width, image.height, image.width,
                           nullptr);
            ADD_FAILURE() << differing << " pixels differ from " << golden << "; actual in "
                          << actual;
        }
    }

    cGameScene* game = nullptr;
};

// Tile t of the sheet: the frame halved (every other dot of every other row).
void PutTile(Image& sheet, int t, const Image& frame) {
    const int tw = 640 / kTile, th = 480 / kTile;
    const int ox = (t % kSheetColumns) * tw, oy = (t / kSheetColumns) * th;
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x)
            sheet.argb[(oy + y) * sheet.width + ox + x] =
                frame.argb[(y * kTile) * frame.width + x * kTile];
}

TEST_P(EffectFrames, ScreenEffectsFrozenPicturesAndLayers) {
    Image sheet;
    sheet.width = 640 / kTile * kSheetColumns;
    sheet.height = 480 / kTile * 4;
    sheet.argb.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0xFF000000u);
    DrawFrames(2);
    const Image plain = Latest();
    const int statusBar = 20;

    for (int kind = 1; kind < kScreenEffectKinds; ++kind) {
        SCOPED_TRACE(kind);
        game->m_ScreenEffect.Start(kind, 0, 1);
        DrawFrames(kEffectFrames);
        const Image frame = Latest();
        PutTile(sheet, kind - 1, frame);
        // The status bar stays as it was; the stage below it changed (the blink hides the
        // objects only).
        int barDiffers = 0, stageDiffers = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const bool differs = frame.argb[y * 640 + x] != plain.argb[y * 640 + x];
                (y < statusBar ? barDiffers : stageDiffers) += differs;
            }
        EXPECT_EQ(barDiffers, 0);
        EXPECT_GT(stageDiffers, 100);
    }

    // Frozen: the rotation shows at the angle it had (the clouds drift on).
    game->m_ScreenEffect.Start(9, 0, 1);
    DrawFrames(kEffectFrames);
    const double angle = game->m_ScreenEffect.dLevel;
    DrawFrames(4, 1);
    EXPECT_EQ(game->m_ScreenEffect.dLevel, angle);
    PutTile(sheet, 13, Latest());
    game->m_ScreenEffect.nNumber = 0;
    D3DSetVirBackBuffer(0);

    // Layering. Screen positions become stage positions through the view's top-left.
    const int vx = static_cast<int>(game->m_ScrollX.m_dPos);
    const int vy = static_cast<int>(game->m_ScrollY.m_dPos);
    // A plain picture of layer 0 half under the left wall, which covers it.
    AddSolidPicture(0, vx + 0, vy + 100, 64, 64, 40);
    // An image at 200 % on layer 0.
    PictureObject scaled;
    scaled.Set(1, vx + 200, vy + 60, 128, 128, 0, 0, 200, PICTURE_UNTIL_KEY, 0, 0, 0, 0);
    ASSERT_TRUE(game->AddPicture(scaled, "bmp\\Mark.bmp"));
    // A plain picture of layer 1 over the hero, held at its screen place, and an animation
    // effect at twice its cells' size over its right part.
    const IntRect hero = Player[0].m_rcScreen;
    const int ox = hero.left - 16, oy = hero.top - 8;
    AddSolidPicture(1, vx + ox, vy + oy, 64, 48, 41)
        .Set(2, vx + ox, vy + oy, 64, 48, 1, 1, 100, PICTURE_UNTIL_KEY, 0, 0, 0, 0);
    const cEdEffect& hit = EdDatabase.vecEffect[1];
    const EffectInstance& effect = game->m_listEffect.emplace_back(
        EffectInstance(1, vx + ox + 40, vy + oy, hit.nPatWidth * 2, hit.nPatHeight * 2, 1));
    EXPECT_EQ(effect.bStretched, 1);
    DrawFrames(1);
    const Image layers = Latest();
    PutTile(sheet, 14, layers);
    auto at = [](const Image& f, int x, int y) { return f.argb[y * 640 + x]; };
    // The wall covers the layer-0 picture; beside it the picture covers the background.
    EXPECT_EQ(at(layers, 16, 130), at(plain, 16, 130));
    EXPECT_EQ(at(layers, 48, 130), at(layers, 60, 160));
    EXPECT_NE(at(layers, 48, 130), at(plain, 48, 130));
    // The layer-1 picture covers the hero wholly.
    const std::uint32_t over = at(layers, ox + 1, oy + 1);
    for (int y = hero.top; y < hero.top + 32; ++y)
        for (int x = hero.left; x < ox + 40; ++x)
            ASSERT_EQ(at(layers, x, y), over) << x << "," << y;
    // The effect is drawn over it, from the image's second copy (in Direct3D one that draws
    // with the first copy's texture).
    int effectDots = 0;
    for (int y = oy; y < oy + 48; ++y)
        for (int x = ox + 40; x < ox + 64; ++x) effectDots += at(layers, x, y) != over;
    EXPECT_GT(effectDots, 0) << GetParam().name;

    // The same layers under a shrinking zoom: what it uncovers is colour 16, the status bar
    // stays whole.
    EdDatabase.vecScrEffect[11].anParam[1] = 480;
    EdDatabase.vecScrEffect[11].anParam[2] = 320;
    BuildPostLoadTables();
    game->m_ScreenEffect.Start(11, 0, 1);
    DrawFrames(1);
    const Image layered = Latest();
    PutTile(sheet, 15, layered);
    const std::uint32_t uncovered = layered.argb[470 * 640 + 2];
    EXPECT_EQ(layered.argb[300 * 640 + 2], uncovered);
    EXPECT_EQ(layered.argb[30 * 640 + 635], uncovered);
    for (int x = 0; x < 640; x += 7) EXPECT_EQ(layered.argb[5 * 640 + x], plain.argb[5 * 640 + x]);
    ExpectGolden(sheet, "screen");
}

TEST_P(EffectFrames, CharacterEffectsOnNormalAndGiantCharacters) {
    for (int giant : {1, 2}) {
        SCOPED_TRACE(giant);
        PlaceWalkers(giant);
        DrawFrames(kEffectFrames);
        ExpectGolden(Latest(), giant > 1 ? "chara_giant" : "chara");
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, EffectFrames, ::testing::ValuesIn(kSceneDisplays),
                         SceneDisplayName);

}  // namespace
