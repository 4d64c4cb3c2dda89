#include "scene/title_scene.h"

#include <algorithm>

#include "base/globals.h"
#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/system_record.h"
#include "data/world_map.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "gfx/window_frame.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/replay_request.h"
#include "scene/save_slots.h"
#include "scene/scene_manager.h"
#include "scene/stage_file_request.h"

namespace {

constexpr int kWindowSheet = 45;
constexpr int kTitlePicture = 47;
constexpr int kMenuPicture = 48;
constexpr int kAccessorySheet = 49;

// Lives of a play mode: unlimited, or the mode's start value with one life in play.
void SetModeLives(GameProgress& p, int mode) {
    if (EdSystem.vecLivesLimited[mode] == 0) {
        p.m_nContinueLives = kUnlimitedLives;
        p.m_nLives = kUnlimitedLives;
    } else {
        p.m_nContinueLives = EdSystem.vecStartLives[mode];
        p.m_nLives = p.m_nContinueLives - 1;
    }
}

// The play mode and whether it keeps rankings.
void SetPlayMode(int mode) {
    SceneMgr.m_nPlayMode = mode;
    SceneMgr.m_bRanking = EdSystem.vecRankingRules[mode].bEnabled;
}

}  // namespace

void ResetProgressForNewGame() {
    Progress.Reset();
    Progress.m_nMapX = EdWorldMap.nStartX;
    Progress.m_nMapY = EdWorldMap.nStartY;
    Progress.m_nPlayThrough = 0;
    SetModeLives(Progress, PLAYMODE_STORY);
}

cTitleScene::cTitleScene()
    : cMenuSceneStates(kMenuLatchMask,
                       {kTitlePicture, kMenuPicture, kAccessorySheet, kWindowSheet}) {
    m_Handlers[1] = &cTitleScene::OnMenu;
    m_Handlers[2] = &cTitleScene::OnLoadSlot;
}

bool cTitleScene::PictureMenu() {
    return EdSystem.bTitleMenuWindow != 0;
}

void cTitleScene::Enter() {
    const bool loaded = EnterCommon(0);
    cMenuSceneBase::BuildItems(EdSystem.vecTitleMenu, m_vecItems);
    // The cursor comes back to the item chosen last; a choice the menu does not offer puts
    // it on the first row, so a confirm before any move reads an item that exists.
    int row = 0;
    for (int j = 0; j < static_cast<int>(m_vecItems.Size()); ++j)
        if (m_vecItems[j] == SceneMgr.m_nTitleChoice) row = j;
    MenuCursor.Current()->nRow = row;
    m_nMenuX = PictureMenu() ? 288 - StdSD[kMenuPicture].nWidth / 2 : kMenuX;
    m_nMenuY = kMenuY;
    m_nStep = 0;
    // Without its images the program is closing already.
    if (loaded) BuildMenuSurface();
}

void cTitleScene::BuildMenuSurface() {
    SceneSurfaces.clear();
    SceneSurfaceDefs.Clear();
    int width = 0;
    if (PictureMenu()) {
        width = StdSD[kMenuPicture].nWidth + 32;
    } else {
        int chars = 0;
        for (std::int32_t id : m_vecItems)
            chars = std::max(chars, CountSjisChars(EdSystem.vecTitleMenu[id].strItemText));
        width = 32 * chars + 34;
    }
    const int height = 32 * static_cast<int>(m_vecItems.Size()) + 2;
    if (!DDAddSurfaceToVector(SceneSurfaces, SceneSurfaceDefs, width, height, 1, 0, 0, nullptr)) {
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    DrawMenu();
}

void cTitleScene::DrawMenu() {
    if (SceneSurfaces.empty()) return;
    DDSURFACEDATA& menu = SceneSurfaces[0];
    if (PictureMenu()) {
        DDFillSurface(&menu, 0);
        DDSURFACEDATA& strips = StdSD[kMenuPicture];
        for (int j = 0; j < static_cast<int>(m_vecItems.Size()); ++j)
            DDBltRect(&menu, 32, 32 * j, strips.nWidth, 32, &strips, 0, 32 * m_vecItems[j], 0);
        return;
    }
    DDDrawWindow(&menu, 1, 1, menu.nWidth - 2, menu.nHeight - 2, &StdSD[kWindowSheet], 1, 240);
    for (int j = 0; j < static_cast<int>(m_vecItems.Size()); ++j)
        Font32.Draw(&menu, 32, 32 * j, EdSystem.vecTitleMenu[m_vecItems[j]].strItemText.c_str(), 0);
}

void cTitleScene::Draw() {
    DDBltRect(&BackBuffer, 0, 0, 640, 480, &StdSD[kTitlePicture], 0, 0, 0);
    if (!SceneSurfaces.empty()) {
        DDSURFACEDATA& menu = SceneSurfaces[0];
        if (menu.bLost) {
            DrawMenu();
            menu.bLost = 0;
        }
        DDBltRect(&BackBuffer, m_nMenuX, m_nMenuY, menu.nWidth, menu.nHeight, &menu, 0, 0,
                  DDBLT_COLORKEY);
    }
    AnimatePaletteColors();
}

void cTitleScene::FadeIn() {
    if (nBpp == 8) DrawMenu();
    Draw();
    if (cMenuSceneBase::FadeInStep()) m_nState = 1;
}

void cTitleScene::OnMenu() {
    const cInput& input = InputList[0];
    const int count = static_cast<int>(m_vecItems.Size());
    MenuCursor.Move(input, m_nMenuX, m_nMenuY, 0, 32, 1, count);
    PlayCursorSe(input, 2, 0);
    if (!(input.wButton & kMenuConfirm)) {
        Draw();
        const CursorState& c = *MenuCursor.Current();
        DDBltRect(&BackBuffer, c.nX, c.nY, 32, 32, &StdSD[kAccessorySheet], 0, 0, DDBLT_COLORKEY);
        return;
    }
    PlaySystemSe(1);
    const std::int32_t id = m_vecItems[MenuCursor.Current()->nRow];
    SceneMgr.m_nTitleChoice = id;
    switch (id) {
        case TITLE_NEWGAME:
            SetPlayMode(PLAYMODE_STORY);
            ResetProgressForNewGame();
            SceneMgr.m_nNextScene = SCENE_WORLDMAP;
            m_nState = 3;
            break;
        case TITLE_CONTINUE:
            SetPlayMode(PLAYMODE_STORY);
            MenuCursor.Push(0);
            m_nState = 2;
            m_nStep = 0;
            break;
        case TITLE_CHALLENGE:
            SetPlayMode(PLAYMODE_CHALLENGE);
            if (!Progress.LoadChallenge()) {
                // No challenge file yet: a fresh challenge with every stage uncleared.
                Progress.Reset();
                Progress.m_vecChallenge.resize(
                    static_cast<std::size_t>(std::max(EdSystem.nChallengeStages, 0)));
            }
            SceneMgr.m_nNextScene = SCENE_STAGESELECT;
            m_nState = 3;
            break;
        case TITLE_FREE:
            SetPlayMode(PLAYMODE_FREE);
            if (RequestStageFile()) {
                SceneMgr.m_nNextScene = SCENE_GAME;
                m_nState = 3;
            }
            break;
        case TITLE_REPLAY:
            SetPlayMode(PLAYMODE_REPLAY);
            if (RequestLoadReplay()) {
                SceneMgr.m_nNextScene = SCENE_GAME;
                m_nState = 3;
            }
            break;
        case TITLE_OPTION:
            SceneMgr.m_nNextScene = SCENE_OPTION;
            m_nState = 3;
            break;
        case TITLE_EXIT:
            // The program closes; until then the menu stays.
            plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void cTitleScene::OnLoadSlot() {
    const cInput& input = InputList[0];
    if (m_nStep == 0) {
        *MenuCursor.Current() = CursorState{};
        m_nSlotTop = 0;
        ScanSaveSlots(SlotSummaries);
        m_nStep = 1;
    }
    const int count = static_cast<int>(SlotSummaries.Size());
    m_nSlotRows = std::min(count, kSlotPage);
    MenuCursor.MoveList(input, 1, &m_nSlotTop, kSlotListY, 16, kSlotListX, m_nSlotRows, count, 1);
    PlayCursorSe(input, 3, 0);
    if (input.wButton & kMenuConfirm) {
        const int row = MenuCursor.Current()->nRow;
        // An empty slot, or one whose file went bad since the list was read, is refused.
        if (row >= 0 && row < count && SlotSummaries[row].m_bUsed != 0 && Progress.LoadSlot(row)) {
            PlaySystemSe(1);
            SceneMgr.m_nNextScene = SCENE_WORLDMAP;
            m_nState = 3;
        } else {
            PlaySystemSe(3);
        }
        return;
    }
    if (input.wButton & kMenuCancel) {
        PlaySystemSe(2);
        MenuCursor.Pop(1);
        m_nState = 1;
        m_nStep = 0;
        return;
    }
    DDBltRect(&BackBuffer, 0, 0, 640, 480, &StdSD[kTitlePicture], 0, 0, 0);
    AnimatePaletteColors();
    DrawSlotList(&BackBuffer, kSlotListX, kSlotListY, SlotSummaries, m_nSlotTop, m_nSlotRows);
    const CursorState& c = *MenuCursor.Current();
    DDBltRect(&BackBuffer, c.nX, c.nY, 16, 16, &StdSD[kAccessorySheet], 64, 0, DDBLT_COLORKEY);
}

void cTitleScene::Leave() {
    if (!cMenuSceneBase::FadeOutStep()) return;
    MenuCursor.Reset();
    cMenuSceneBase::HandOver(SCENE_TITLE);
}
