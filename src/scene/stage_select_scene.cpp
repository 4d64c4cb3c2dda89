#include "scene/stage_select_scene.h"

#include <algorithm>
#include <cstdio>

#include "base/globals.h"
#include "base/message_box.h"
#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/ranking.h"
#include "scene/scene_manager.h"

StageForPlayLoader LoadStageForPlayHook = nullptr;

namespace {

constexpr int kWindowSheet = 45;
constexpr int kAccessorySheet = 49;

constexpr int kTextRowLabel = 0;
constexpr int kTextBestHeading = 3;
constexpr int kTextTotal = 4;

enum : int { kStateList = 1, kStateLeave = 2 };

bool ChallengeKeepsRankings() {
    return EdSystem.vecRankingRules[PLAYMODE_CHALLENGE].bEnabled != 0;
}

int Digits(std::int32_t value) {
    int n = 1;
    for (long long v = value; v >= 10; v /= 10) ++n;
    return std::min(n, 11);
}

// The record of challenge stage index s; a list shorter than the stages shows them as not
// cleared, without a score.
const ChallengeRecord* Record(int s) {
    if (s < 0 || s >= static_cast<int>(Progress.m_vecChallenge.Size())) return nullptr;
    return &Progress.m_vecChallenge[s];
}

}  // namespace

std::string ChallengeStageName(int n) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%02d-1.%s", "data\\stg4\\c", n, "stg4");
    return name;
}

cStageSelectScene::cStageSelectScene()
    : cMenuSceneStates(kWideMenuLatchMask, {kAccessorySheet, kWindowSheet}) {
    m_Handlers[kStateList] = &cStageSelectScene::OnList;
}

void cStageSelectScene::UpdateCounts() {
    m_nStageCount = std::max(
        EdSystem.bChallengeAllOpen != 0 ? EdSystem.nChallengeStages : Progress.m_nChallengeOpen, 0);
    // A remembered top past the list (fewer stages open than before) comes back into it.
    m_nTop = std::clamp(m_nTop, 0, std::max(m_nStageCount - kPage, 0));
    m_nRows = std::min(m_nStageCount - m_nTop, kPage);
}

void cStageSelectScene::Enter() {
    const bool loaded = EnterCommon(2);
    MenuCursor.Current()->nRow = SceneMgr.m_nSelectRow;
    m_nTop = SceneMgr.m_nSelectTop;
    SelectStage(MenuCursor.Current()->nRow + 1);
    m_nStep = 0;
    // Without its images the program is closing already.
    if (loaded) BuildListSurface();
}

void cStageSelectScene::SelectStage(int n) {
    Progress.SetStageFile(ChallengeStageName(n).c_str());
    if (SceneMgr.m_bRanking != 0)
        LoadRankingFile(Ranking, SceneMgr.m_nPlayMode, Progress.m_strStageBase);
}

void cStageSelectScene::BuildListSurface() {
    SceneSurfaces.clear();
    SceneSurfaceDefs.Clear();
    if (!DDAddSurfaceToVector(SceneSurfaces, SceneSurfaceDefs, 640, 480, 0, 0, 0, nullptr)) {
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    DrawList();
}

bool cStageSelectScene::TotalLine(int* lpX) {
    const std::int32_t total = Progress.m_nTotalBest;
    if (EdSystem.bChallengeShowTotal == 0 || total <= 0) return false;
    *lpX = 320 - (CountSjisChars(EdSystem.vecTexts[kTextTotal]) + Digits(total)) * 16 / 2;
    return true;
}

void cStageSelectScene::DrawList() {
    if (SceneSurfaces.empty()) return;
    DDSURFACEDATA* list = &SceneSurfaces[0];
    Font32.DrawWindow(list, 1, 1, 638, 478);
    const std::string& heading = EdSystem.vecTitleMenu[TITLE_CHALLENGE].strItemText;
    Font32.DrawF(list, 320 - 16 * CountSjisChars(heading), 32, "%s", heading.c_str());
    int x = 0;
    if (TotalLine(&x))
        Font16.DrawF(list, x, 88, "%s%d", EdSystem.vecTexts[kTextTotal].c_str(),
                     Progress.m_nTotalBest);
    const bool showBest = EdSystem.bChallengeShowHighScore != 0;
    if (Progress.m_bShowRanking == 0 && showBest)
        Font32.DrawF(list, 32, 128, "         %s", EdSystem.vecTexts[kTextBestHeading].c_str());
    UpdateCounts();
    const std::string& label = EdSystem.vecTexts[kTextRowLabel];
    const int c = (CountSjisChars(label) + 4) * 32;
    for (int i = 0; i < m_nRows; ++i) {
        const int s = m_nTop + i;
        const int y = kRowsY + kRowStep * i;
        Font32.DrawF(list, 64, y, "%s%d", label.c_str(), s + 1);
        const ChallengeRecord* record = Record(s);
        if (record && record->m_bCleared != 0)
            DDBltRect(list, c, y, 32, 32, &StdSD[kAccessorySheet], 96, 0, DDBLT_COLORKEY);
        if (showBest) Font32.DrawF(list, c + 64, y, "%d", record ? record->m_nBest : 0);
    }
    if (ChallengeKeepsRankings() && Progress.m_bShowRanking != 0)
        Ranking.DrawTable(list, 292, 108, Progress.m_nRankTable, -1);
}

void cStageSelectScene::Draw() {
    if (!SceneSurfaces.empty()) {
        DDSURFACEDATA& list = SceneSurfaces[0];
        if (list.bLost) {
            DrawList();
            list.bLost = 0;
        }
        DDBltRect(&BackBuffer, 0, 0, 640, 480, &list, 0, 0, 0);
    }
    AnimatePaletteColors();
}

void cStageSelectScene::FadeIn() {
    if (nBpp == 8) DrawList();
    Draw();
    if (cMenuSceneBase::FadeInStep()) m_nState = kStateList;
}

void cStageSelectScene::OnList() {
    const cInput& input = InputList[0];
    UpdateCounts();
    MenuCursor.MoveList(input, 1, &m_nTop, kRowsY, kRowStep, kCursorX, m_nRows, m_nStageCount, 1);
    PlayCursorSe(input, 3, 0);
    const int row = MenuCursor.Current()->nRow;
    if (input.wDir != 0) {
        SelectStage(row + 1);
        DrawList();
    }
    if (input.wButton & kMenuConfirm) {
        const std::string name = ChallengeStageName(row + 1);
        if (!LoadStageForPlayHook || !LoadStageForPlayHook(name, 1, &EdStage)) {
            PlaySystemSe(3);
            ErrorBoxF("ステージファイル %s が読み込めません！", name.c_str());
            return;
        }
        PlaySystemSe(1);
        GameProgress& p = Progress;
        p.SetStageFile(EdStageWork.strPath.c_str());
        p.m_nSeriesIndex = 1;
        p.m_nClearSwitch = row + 1;
        if (EdSystem.vecLivesLimited[PLAYMODE_CHALLENGE] == 0) {
            p.m_nContinueLives = kUnlimitedLives;
            p.m_nLives = kUnlimitedLives;
        } else {
            p.m_nContinueLives = EdSystem.vecStartLives[PLAYMODE_CHALLENGE];
            p.m_nLives = p.m_nContinueLives - 1;
        }
        // The stage goes on with its further parts.
        p.m_bSeries = 1;
        SceneMgr.m_nSelectRow = row;
        SceneMgr.m_nSelectTop = m_nTop;
        SceneMgr.m_nNextScene = SCENE_GAME;
        SceneMgr.m_nPrevScene = SCENE_STAGESELECT;
        m_nState = kStateLeave;
        return;
    }
    if (input.wButton & kMenuCancel) {
        PlaySystemSe(2);
        SceneMgr.m_nNextScene = SCENE_TITLE;
        SceneMgr.m_nPrevScene = SCENE_STAGESELECT;
        m_nState = kStateLeave;
        return;
    }
    if (input.wButton & kMenuButton3) {
        if (ChallengeKeepsRankings()) {
            PlaySystemSe(6);
            Progress.m_bShowRanking = Progress.m_bShowRanking != 0 ? 0 : 1;
            DrawList();
        } else {
            Progress.m_bShowRanking = 0;
        }
    } else if ((input.wButton & kMenuButton4) && ChallengeKeepsRankings()) {
        if (EdSystem.CountEnabled(SceneMgr.m_nPlayMode) >= 2) {
            PlaySystemSe(6);
            Progress.CycleRankingTable(SceneMgr.m_nPlayMode, 1);
        }
        DrawList();
    }
    Draw();
    const CursorState& cur = *MenuCursor.Current();
    DDBltRect(&BackBuffer, cur.nX, cur.nY, 32, 32, &StdSD[kAccessorySheet], 0, 0, DDBLT_COLORKEY);
}

void cStageSelectScene::Leave() {
    if (!cMenuSceneBase::FadeOutStep()) return;
    MenuCursor.Reset();
    cMenuSceneBase::HandOver(SCENE_STAGESELECT);
}
