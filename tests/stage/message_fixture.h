// The sample forest set up in a game scene with the fonts made, for the tests of message
// windows and the commands that open them: windows are opened through the scene, drawn as
// the play draws them, and the frames taken from the presenter.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/font_tables.h"
#include "gfx/hbt_table.h"
#include "gfx/palette_file.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/presenter.h"
#include "scene/scene_fixture.h"
#include "stage/message_window.h"
#include "stage/post_load_tables.h"
#include "stage/sample_forest.h"
#include "stage/stage_objects.h"

// A pixel as the surface stores it, in either back end.
inline std::uint32_t RawPixelOf(DDSURFACEDATA* sd, int x, int y) {
    if (sd->lpDT) {
        if (sd->lpShareSD) sd = sd->lpShareSD;
        if (sd->lpDT->lpTexture) return sd->lpDT->lpTexture->Pixels().Pixel(x, y);
        return sd->lpDT->lpSurface->Pixels().Pixel(x, y);
    }
    return sd->lpDS->lpDDSurface->Pixels().Pixel(x, y);
}

class MessageWorld : public SceneWorld {
protected:
    // The forest in a game scene on the display; `cache` is Font16's glyph-cache mode.
    void SetUpMessages(const SceneDisplay& display, int cache = 2) {
        SetUpWorld();
        savedColorKey = dwColorKey;
        ASSERT_TRUE(OpenDisplay(display));
        ASSERT_TRUE(UseSampleForestImages());
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.m_nPrevScene = SCENE_TITLE;
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        BuildPostLoadTables();
        game->Enter();
        ASSERT_FALSE(game->SetStageFailed());
        game->m_nState = GAMESTATE_PLAY;
        ResetFontDefs();
        // The cache mode as start-up decides it: 2 takes the back end's choice.
        for (FONTDEF& def : FontDef)
            if (def.bCache == 2) def.bCache = cache == 2 ? (lpDTCon ? 0 : 1) : cache;
        ASSERT_TRUE(InitFonts(Fonts, FontDef, kFontCount));
        bActiveApp = 1;
        plat::ResetFrames();
        SentMessages().clear();
    }
    void TearDownMessages() {
        for (Font& font : Fonts) font.Release();
        ResetFontDefs();
        TearDownWorld();
        // The sample's transparent colour must not reach the tests that run after.
        dwColorKey = savedColorKey;
    }

    // Draws frames as the play does (frozen: as a pause or a wait does) and presents them.
    void DrawFrames(int n, int frozen = 0) {
        for (int i = 0; i < n; ++i) {
            game->Draw(1, frozen, 0, 0);
            if (lpDTCon)
                PresentFrame();
            else
                plat::PresentFrame(BackBuffer.lpDS->lpDDSurface->Pixels(), PaletteOrg);
        }
    }
    static std::vector<std::uint32_t> Latest() {
        std::vector<std::uint32_t> argb;
        int w = 0, h = 0;
        EXPECT_TRUE(plat::LatestFrame(argb, w, h));
        for (std::uint32_t& p : argb) p |= 0xFF000000u;
        return argb;
    }
    // A text window on the scene: shown at once (no opening), fixed to the screen.
    MessageWindow* Text(const char* text, int position = MESSAGE_SCREEN_CENTRE) {
        MessageSettings s;
        s.nKind = MESSAGE_TEXT;
        s.strText = text;
        s.nPosition = position;
        s.nDurationKind = MESSAGE_UNTIL_STAGE_END;
        s.bFixedToScreen = 1;
        return game->AddMessage(s);
    }

    cGameScene* game = nullptr;
    std::uint32_t savedColorKey = 0;
};
