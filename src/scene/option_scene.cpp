#include "scene/option_scene.h"

#include <algorithm>
#include <string>

#include "base/globals.h"
#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/option_record.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "platform/messages.h"
#include "scene/menu_cursor.h"
#include "scene/name_entry_request.h"
#include "scene/scene_manager.h"
#include "sound/bgm_manager.h"
#include "sound/sound_effects.h"

namespace {

constexpr int kWindowSheet = 45;
constexpr int kAccessorySheet = 49;

enum : int { kStateMenu = 1, kStateLeave = 2 };

struct ValueRange {
    std::int32_t OptionData::*field;
    std::int32_t nMin;
    std::int32_t nMax;
};

// The edited field and range of items 0 to 3.
constexpr ValueRange kRanges[4] = {
    {&OptionData::nPaletteNo, 0, kMaxPaletteNo},
    {&OptionData::bBgmOn, 0, 1},
    {&OptionData::nSeVolume, 0, 10},
    {&OptionData::nRankingMode, 0, 3},
};

// The value of item id as the scene shows and edits it: within its range.
std::int32_t Shown(int id) {
    const ValueRange& r = kRanges[id];
    return std::clamp(Option.*r.field, r.nMin, r.nMax);
}

}  // namespace

void ApplySeVolume(int step) {
    const std::int32_t volume = kSeVolumeTable[std::clamp(step, 0, 10)];
    for (int i = 0; i < static_cast<int>(DSSoundData.Size()); ++i)
        DS_SetVolume(DSSoundData[i], 0, volume, 0);
}

cOptionScene::cOptionScene() : cMenuSceneStates(kMenuLatchMask, {kAccessorySheet, kWindowSheet}) {
    m_Handlers[kStateMenu] = &cOptionScene::OnMenu;
}

void cOptionScene::Enter() {
    const bool loaded = EnterCommon(3);
    cMenuSceneBase::BuildItems(EdSystem.vecOptionMenu, m_vecItems);
    m_nStep = 0;
    // Without its images the program is closing already.
    if (loaded) BuildSurface();
}

void cOptionScene::BuildSurface() {
    SceneSurfaces.clear();
    SceneSurfaceDefs.Clear();
    if (!DDAddSurfaceToVector(SceneSurfaces, SceneSurfaceDefs, 640, 480, 0, 0, 0, nullptr)) {
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    DrawSurface();
}

void cOptionScene::ValueText(int id, std::string& out) {
    out.clear();
    switch (id) {
        case OPTION_PALETTE:
        case OPTION_SEVOLUME:
            out = std::to_string(Shown(id));
            break;
        case OPTION_BGM:
            out = Shown(id) != 0 ? "ON" : "OFF";
            break;
        case OPTION_RANKINGMODE: {
            const int mode = Shown(id);
            if (mode < static_cast<int>(EdSystem.vecRankingModeNames.Size()))
                out = EdSystem.vecRankingModeNames[mode];
            break;
        }
        case OPTION_RANKINGNAME:
            out = Option.strRankingName;
            break;
        default:
            break;
    }
}

void cOptionScene::DrawSurface() {
    if (SceneSurfaces.empty()) return;
    DDSURFACEDATA* surface = &SceneSurfaces[0];
    Font32.DrawWindow(surface, 1, 1, 638, 478);
    const std::string& heading = EdSystem.vecTitleMenu[TITLE_OPTION].strItemText;
    Font32.Draw(surface, 320 - 16 * CountSjisChars(heading), 32, heading.c_str(), 0);
    std::string value;
    for (int j = 0; j < static_cast<int>(m_vecItems.Size()); ++j) {
        const int id = m_vecItems[j];
        const int y = kRowsY + 16 * j;
        Font16.Draw(surface, 64, y, EdSystem.vecOptionMenu[id].strItemText.c_str(), 0);
        ValueText(id, value);
        // Drawn as text: a '%' in a name is not a format directive.
        if (!value.empty()) Font16.Draw(surface, kValueX, y, value.c_str(), 1);
    }
}

void cOptionScene::Draw() {
    if (!SceneSurfaces.empty()) {
        DDSURFACEDATA& surface = SceneSurfaces[0];
        if (surface.bLost) {
            DrawSurface();
            surface.bLost = 0;
        }
        DDBltRect(&BackBuffer, 0, 0, 640, 480, &surface, 0, 0, 0);
    }
    AnimatePaletteColors();
}

void cOptionScene::FadeIn() {
    if (nBpp == 8) DrawSurface();
    Draw();
    if (cMenuSceneBase::FadeInStep()) m_nState = kStateMenu;
}

void cOptionScene::OnMenu() {
    if (m_nStep == 0) {
        *MenuCursor.Current() = CursorState{};
        m_nStep = 1;
    }
    if (m_nStep == 1)
        ChooseItem();
    else
        EditValue();
}

void cOptionScene::ChooseItem() {
    const cInput& input = InputList[0];
    MenuCursor.Move(input, kCursorX, kRowsY, 0, 16, 1, static_cast<int>(m_vecItems.Size()));
    PlayCursorSe(input, 2, 0);
    if (input.wButton & kMenuConfirm) {
        PlaySystemSe(1);
        const int id = m_vecItems[MenuCursor.Current()->nRow];
        m_nEditItem = id;
        if (id >= OPTION_PALETTE && id <= OPTION_RANKINGMODE) {
            const ValueRange& r = kRanges[id];
            m_lpValue = &(Option.*r.field);
            m_nMin = r.nMin;
            m_nMax = r.nMax;
            // A value from a damaged file is edited from where the scene shows it.
            *m_lpValue = Shown(id);
            m_nSavedValue = *m_lpValue;
            MenuCursor.Push(0);
            m_nStep = 2;
        } else if (id == OPTION_RANKINGNAME) {
            RequestNameEntry();
            DrawSurface();
            Draw();
        } else {
            SceneMgr.m_nNextScene = SCENE_TITLE;
            m_nStep = 0;
            m_nState = kStateLeave;
        }
        return;
    }
    if (input.wButton & kMenuCancel) {
        PlaySystemSe(2);
        SceneMgr.m_nNextScene = SCENE_TITLE;
        m_nStep = 0;
        m_nState = kStateLeave;
        return;
    }
    Draw();
    const CursorState& c = *MenuCursor.Current();
    DDBltRect(&BackBuffer, c.nX, c.nY, 16, 16, &StdSD[kAccessorySheet], 64, 0, DDBLT_COLORKEY);
}

void cOptionScene::ApplyEditedValue() {
    if (m_nEditItem == OPTION_PALETTE) LoadHbtPalette(*m_lpValue);
    if (m_nEditItem == OPTION_SEVOLUME) ApplySeVolume(*m_lpValue);
}

void cOptionScene::StepValue(int delta) {
    std::int32_t v = *m_lpValue + delta;
    if (v < m_nMin) v = m_nMax;
    if (v > m_nMax) v = m_nMin;
    *m_lpValue = v;
    ApplyEditedValue();
    DrawSurface();
}

void cOptionScene::EditValue() {
    const cInput& input = InputList[0];
    if (input.wDir & kDirUp) StepValue(1);
    if (input.wDir & kDirDown) StepValue(-1);
    PlayCursorSe(input, 2, 0);
    if (input.wButton & kMenuConfirm) {
        PlaySystemSe(1);
        MenuCursor.Pop(1);
        m_nStep = 1;
        return;
    }
    if (input.wButton & kMenuCancel) {
        PlaySystemSe(2);
        *m_lpValue = m_nSavedValue;
        ApplyEditedValue();
        MenuCursor.Pop(1);
        m_nStep = 1;
        DrawSurface();
        return;
    }
    Draw();
    const CursorState& row = *MenuCursor.Previous();
    DDBltRect(&BackBuffer, row.nX, row.nY, 16, 16, &StdSD[kAccessorySheet], 80, 0, DDBLT_COLORKEY);
    DDBltRect(&BackBuffer, 192, row.nY, 16, 16, &StdSD[kAccessorySheet], 64, 0, DDBLT_COLORKEY);
}

void cOptionScene::ApplyBgmOption() {
    const plat::LRESULT restarted = plat::RunOnWindowThread(
        []() -> plat::LRESULT {
            if (Bgm.Initialised() && Option.bBgmOn == 0) {
                Bgm.UnInit();
                return 1;
            }
            if (!Bgm.Initialised() && Option.bBgmOn != 0) {
                Bgm.UnInit();
                Bgm.Init(kBgmPlayerCount, BgmOggNames, BgmMidiNames, kBgmSlotCount);
                return 1;
            }
            return 0;
        },
        0);
    // Nothing counts as playing: the next scene asks for its music again.
    if (restarted) SceneMgr.m_nBgmPlaying = 0;
}

void cOptionScene::Leave() {
    if (!cMenuSceneBase::FadeOutStep()) return;
    ApplyBgmOption();
    SaveOption();
    MenuCursor.Reset();
    cMenuSceneBase::HandOver(SCENE_OPTION);
}
