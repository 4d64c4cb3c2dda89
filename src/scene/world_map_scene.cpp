#include "scene/world_map_scene.h"

#include <cstdint>
#include <cstdio>

#include "base/globals.h"
#include "base/input.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "data/world_map.h"
#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "gfx/surface_tables.h"
#include "scene/game_progress.h"
#include "scene/ranking.h"
#include "scene/scene_manager.h"
#include "scene/stage_select_scene.h"

namespace {

constexpr int kBackImage = 54;
constexpr int kChipImage = 52;
constexpr int kIconImage = 53;
constexpr int kAccessoryImage = 49;
constexpr int kWindowImage = 45;
constexpr int kCanvasImage = 67;
constexpr int kImages[] = {kBackImage,      kChipImage,   kIconImage,
                           kAccessoryImage, kWindowImage, kCanvasImage};

constexpr int kCell = 32;
constexpr int kViewColumns = 20;
constexpr int kViewRows = 15;
constexpr int kChipsPerRow = 5;

constexpr int kMusicIndex = 1;
constexpr int kConfirmTop = 260;
constexpr int kConfirmCentre = 304;
constexpr int kConfirmTextFirst = 10;  // "take the stage on", then "not now"
constexpr int kScoreText = 2;
constexpr int kRankingX = 367;
constexpr int kRankingY = 64;
constexpr int kRankingWidth = 272;
constexpr int kRankingHeight = 352;

constexpr std::uint16_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8;
constexpr std::uint16_t kButtonConfirm = 1, kButtonCancel = 2, kButtonRanking = 4,
                        kButtonRankingTable = 8;

enum Facing { kFaceDown = 0, kFaceUp = 1, kFaceLeft = 2, kFaceRight = 3 };

CursorState& Hero() {
    return *MenuCursor.Current();
}

int Digits(std::int32_t value) {
    char text[16];
    return std::snprintf(text, sizeof text, "%d", value);
}

bool StoryKeepsRankings() {
    return EdSystem.vecRankingRules[PLAYMODE_STORY].bEnabled != 0;
}

// Where a view-relative copy lands: the source offset and screen offset of one axis, in 64
// bits so that no stored position can overflow them.
void ShiftAxis(std::int32_t view, std::int64_t& screen, std::int64_t& source) {
    const std::int64_t shift = std::int64_t{kCell} * view;
    screen = shift < 0 ? -shift : 0;
    source = shift < 0 ? 0 : shift;
}

}  // namespace

cWorldMapScene::cWorldMapScene() {
    m_Handlers[kWalk] = &cWorldMapScene::OnWalk;
    m_Handlers[kConfirm] = &cWorldMapScene::OnConfirmStage;
}

cWorldMapScene::~cWorldMapScene() {
    for (int i : kImages) DDReleaseSurface(&StdSD[i]);
    DDReleaseSurfaceVector(SceneSurfaces);
}

void cWorldMapScene::Run() {
    cInput& input = InputList[0];
    input.ApplyRepeat();
    input.LatchButtons(kWideMenuLatchMask);
    if (m_nState == -1) EnterGuarded();
    CallStateHandler();
}

int cWorldMapScene::HeroX() const {
    return MenuCursor.Current()->nColumn;
}

int cWorldMapScene::HeroY() const {
    return MenuCursor.Current()->nRow;
}

// ---------------------------------------------------------------- entering

void cWorldMapScene::Enter() {
    // The map names its own background picture.
    SurfaceDef[kBackImage].Set(EdWorldMap.strBgPicture.c_str(), SurfaceDef[kBackImage].bColorKey,
                               SurfaceDef[kBackImage].nDDMemory, SurfaceDef[kBackImage].nMemoryType,
                               SurfaceDef[kBackImage].lpSrcSD, SurfaceDef[kBackImage].lpPalData,
                               SurfaceDef[kBackImage].bOptional,
                               SurfaceDef[kBackImage].nMirrorWidth,
                               SurfaceDef[kBackImage].nMirrorHeight, SurfaceDef[kBackImage].nWidth,
                               SurfaceDef[kBackImage].nHeight);
    cMenuSceneBase::EnterCommon(kMusicIndex, kImages, static_cast<int>(std::size(kImages)));
    MenuCursor.Reset();
    Progress.RecountTotal();

    CursorState& hero = Hero();
    hero.nColumn = Progress.m_nMapX;
    hero.nRow = Progress.m_nMapY;
    hero.nX = kHeroX;
    hero.nY = kHeroY;
    m_nViewX = hero.nColumn - kHeroViewColumn;
    m_nViewY = hero.nRow - kHeroViewRow;
    m_nFacing = Progress.m_nMapFacing;

    UpdateNodeAtHero();
    m_SavedCursor = hero;
    CreateRankingSurface();
    if (m_pEntry && m_pEntry->nKind == 0) ShowEntryInfo();

    if (Progress.m_bAutoSave != 0 && SceneMgr.m_nPrevScene == SCENE_GAME) {
        if (Progress.m_nSlot < 0 || Progress.m_nSlot >= kSaveSlotCount)
            ReportLog("autosave skipped: the play has no save slot (%d)", Progress.m_nSlot);
        else
            Progress.SaveSlot(Progress.m_nSlot);
    }
    RedrawMap();
    m_nStep = 0;
}

void cWorldMapScene::UpdateNodeAtHero() {
    m_pNode = EdWorldMap.FindNodeAt(HeroX(), HeroY());
    m_pEntry = FindActiveEntry(m_pNode);
}

// ---------------------------------------------------------------- the rules of the map

cEdMapStage* cWorldMapScene::FindActiveEntry(cEdMapNode* lpNode) {
    if (!lpNode) return nullptr;
    const int index = lpNode->FirstCountingEntry(
        [](std::int32_t n) { return Progress.m_vecSwitch[n] != 0; },
        [](std::int32_t n) { return Progress.m_vecVariable[n]; }, Progress.m_nPlayThrough);
    return index < 0 ? nullptr : &lpNode->vecStages[index];
}

bool cWorldMapScene::IsEntryCleared(const cEdMapStage& entry) {
    return Progress.m_vecSwitch[entry.nClearedSwitch] != 0;
}

bool cWorldMapScene::IsEntryDone(const cEdMapStage& entry) {
    return entry.bNoAutoConfirm != 0 || IsEntryCleared(entry);
}

void cWorldMapScene::MoveHero(std::uint16_t wDir) {
    CursorState& hero = Hero();
    if (wDir & (kLeft | kRight | kUp | kDown)) {
        Progress.m_nEntryX = hero.nColumn;
        Progress.m_nEntryY = hero.nRow;
        m_SavedCursor = hero;
    }
    const cEdWorldMap& map = EdWorldMap;
    if (wDir & kLeft) {
        m_nFacing = kFaceLeft;
        hero.nColumn = hero.nColumn - 1 < 0 ? 0 : hero.nColumn - 1;
    } else if (wDir & kRight) {
        m_nFacing = kFaceRight;
        if (hero.nColumn < map.nWidth - 1)
            ++hero.nColumn;
        else
            hero.nColumn = map.nWidth - 1;
    } else if (wDir & kUp) {
        m_nFacing = kFaceUp;
        hero.nRow = hero.nRow - 1 < 0 ? 0 : hero.nRow - 1;
    } else if (wDir & kDown) {
        m_nFacing = kFaceDown;
        if (hero.nRow < map.nHeight - 1)
            ++hero.nRow;
        else
            hero.nRow = map.nHeight - 1;
    }

    UpdateNodeAtHero();
    bool blocked;
    if (m_pEntry) {
        blocked = m_pEntry->nKind == 2;
    } else {
        const cEdMapEvent* tile = map.TileAt(hero.nColumn, hero.nRow);
        blocked = tile && tile->bImpassable != 0;
    }
    if (blocked) {
        hero = m_SavedCursor;
    } else {
        m_nViewX = hero.nColumn - kHeroViewColumn;
        m_nViewY = hero.nRow - kHeroViewRow;
        Progress.m_nMapFacing = m_nFacing;
        if (m_nViewX != m_nDrawnViewX || m_nViewY != m_nDrawnViewY) RedrawMap();
    }
    hero.nX = kHeroX;
    hero.nY = kHeroY;
}

void cWorldMapScene::ShowEntryInfo() {
    if (!m_pEntry) return;
    Progress.SetStageFile(m_pEntry->strStageFile.c_str());
    m_nShownBest = Progress.GetStageScore(Progress.m_strStageBase);
    if (SceneMgr.m_bRanking != 0) {
        LoadRankingFile(Ranking, SceneMgr.m_nPlayMode, Progress.m_strStageBase);
        Progress.CycleRankingTable(SceneMgr.m_nPlayMode, 0);
        if (!SceneSurfaces.empty()) DrawRanking();
    }
}

void cWorldMapScene::PrepareStageEntry() {
    GameProgress& p = Progress;
    p.SetStageFile(EdStageWork.strPath.c_str());
    p.m_nClearSwitch = m_pEntry ? m_pEntry->nClearedSwitch : 0;
    p.m_nSeriesIndex = 1;
    if (EdSystem.bStoryCarryLives != 0)
        p.m_nContinueLives =
            EdSystem.vecLivesLimited[PLAYMODE_STORY] == 0 ? kUnlimitedLives : p.m_nLives + 1;
    else
        p.m_nContinueLives = EdSystem.vecStartLives[PLAYMODE_STORY];
    p.m_pPlayingEntry = m_pEntry;
}

bool cWorldMapScene::LoadEntryStage(const cEdMapStage& entry) {
    // The newest numbered version of the entry's file.
    if (LoadStageForPlayHook && LoadStageForPlayHook(entry.strStageFile, 1, &EdStage) != 0)
        return true;
    ErrorBoxF("ステージファイル %s が読み込めません！", entry.strStageFile.c_str());
    return false;
}

// ---------------------------------------------------------------- the states

void cWorldMapScene::FadeIn() {
    if (nBpp == 8) DrawRanking();
    Draw(Progress.m_bBackToMap == 0);
    if (!cMenuSceneBase::FadeInStep()) return;
    if (!m_pEntry || m_pEntry->nKind != 0) {
        m_nState = kWalk;
        return;
    }
    if (Progress.m_bBackToMap != 0) {
        Progress.m_bBackToMap = 0;
        if (!IsEntryCleared(*m_pEntry)) {
            CursorState& hero = Hero();
            hero.nColumn = Progress.m_nEntryX;
            hero.nRow = Progress.m_nEntryY;
            m_nViewX = hero.nColumn - kHeroViewColumn;
            m_nViewY = hero.nRow - kHeroViewRow;
            RedrawMap();
        }
        m_nState = kWalk;
        return;
    }
    if (SceneMgr.m_nPrevScene == SCENE_MAPMENU || IsEntryDone(*m_pEntry)) {
        m_nState = kWalk;
        return;
    }
    // The hero arrived on a stage that asks to be played: it starts by itself. A stage that
    // cannot be loaded closes the program; its box is shown once.
    if (m_bAutoEntryFailed) return;
    if (!LoadEntryStage(*m_pEntry)) {
        m_bAutoEntryFailed = true;
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    PrepareStageEntry();
    Progress.m_nEntryX = HeroX();
    Progress.m_nEntryY = HeroY();
    m_nStep = 0;
    SceneMgr.m_nNextScene = SCENE_GAME;
    m_nState = kLeave;
}

void cWorldMapScene::OnWalk() {
    cInput& input = InputList[0];
    MoveHero(input.wDir);
    if (input.wDir & (kLeft | kRight | kUp | kDown)) PlayCursorSe(input, 3, 0);
    UpdateNodeAtHero();
    if (m_pEntry && m_pEntry->nKind == 0) {
        const CursorState& hero = Hero();
        if (hero.nColumn != m_InfoCursor.nColumn || hero.nRow != m_InfoCursor.nRow) {
            ShowEntryInfo();
            m_InfoCursor = hero;
        }
        if (!IsEntryDone(*m_pEntry)) {
            OpenConfirmation();
            return;
        }
        if (input.wButton & kButtonConfirm) {
            if (m_pEntry->bReplay != 0 || !IsEntryCleared(*m_pEntry)) {
                OpenConfirmation();
                return;
            }
        } else {
            RankingKeys();
        }
    }
    if (input.wButton & kButtonCancel) {
        PlaySystemSe(4);
        Progress.m_nMapX = HeroX();
        Progress.m_nMapY = HeroY();
        m_nStep = 0;
        SceneMgr.m_nNextScene = SCENE_MAPMENU;
        m_nState = kLeave;
        return;
    }
    Draw(true);
}

void cWorldMapScene::OpenConfirmation() {
    Progress.m_nMapX = HeroX();
    Progress.m_nMapY = HeroY();
    MenuCursor.Push(0);
    m_nStep = 0;
    m_nState = kConfirm;
}

void cWorldMapScene::OnConfirmStage() {
    cInput& input = InputList[0];
    if (m_nStep == 0) {
        PlaySystemSe(1);
        m_bStageLoaded = m_pEntry && LoadEntryStage(*m_pEntry);
        // "Not now" comes preselected.
        Hero().nRow = 1;
        m_nStep = 1;
    }
    const int x = EdSystem.MenuLeft(kConfirmCentre, kConfirmTextFirst, 2, 1);
    MenuCursor.Move(input, x, kConfirmTop, 0, 16, 1, 2);
    PlayCursorSe(input, 2, 0);
    if (input.wButton & kButtonConfirm) {
        PlaySystemSe(1);
        if (Hero().nRow == 0 && m_bStageLoaded) {
            // The hero's place is the state under the question's.
            MenuCursor.Pop(1);
            Progress.m_nMapFacing = m_nFacing;
            PrepareStageEntry();
            m_nStep = 0;
            SceneMgr.m_nNextScene = SCENE_GAME;
            m_nState = kLeave;
        } else {
            RefuseStage();
        }
        return;
    }
    if (input.wButton & kButtonCancel) {
        PlaySystemSe(2);
        RefuseStage();
        return;
    }
    RankingKeys();
    Draw(true);
    EdSystem.DrawMenu(x, kConfirmTop, kConfirmTextFirst, 2, 1);
    const CursorState& cursor = Hero();
    DDBltRect(&BackBuffer, cursor.nX, cursor.nY, 16, 16, &StdSD[kAccessoryImage], 64, 0,
              DDBLT_COLORKEY);
}

void cWorldMapScene::RefuseStage() {
    MenuCursor.Pop(1);
    if (m_pEntry && !IsEntryDone(*m_pEntry)) Hero() = m_SavedCursor;
    m_nStep = 0;
    m_nState = kWalk;
}

void cWorldMapScene::RankingKeys() {
    const cInput& input = InputList[0];
    const bool keeps = StoryKeepsRankings();
    if (input.wButton & kButtonRanking) {
        if (keeps) {
            PlaySystemSe(6);
            Progress.m_bShowRanking = Progress.m_bShowRanking ? 0 : 1;
            DrawRanking();
        } else if (Progress.m_bShowRanking != 0) {
            Progress.m_bShowRanking = 0;
            DrawRanking();
        }
    }
    if ((input.wButton & kButtonRankingTable) && keeps) {
        if (EdSystem.CountEnabled(SceneMgr.m_nPlayMode) >= 2) {
            PlaySystemSe(6);
            Progress.CycleRankingTable(SceneMgr.m_nPlayMode, 1);
        }
        DrawRanking();
    }
}

void cWorldMapScene::Leave() {
    Draw(true);
    if (!cMenuSceneBase::FadeOutStep()) return;
    MenuCursor.Reset();
    cMenuSceneBase::HandOver(SCENE_WORLDMAP);
}

// ---------------------------------------------------------------- drawing

void cWorldMapScene::RedrawMap() {
    DDSURFACEDATA* canvas = &StdSD[kCanvasImage];
    const cEdWorldMap& map = EdWorldMap;
    DDFillSurface(canvas, static_cast<std::uint32_t>(map.nBgColour));
    if (map.bBgPicture != 0) {
        std::int64_t dx, sx, dy, sy;
        ShiftAxis(m_nViewX, dx, sx);
        ShiftAxis(m_nViewY, dy, sy);
        // A picture shifted by a whole screen or more shows nothing of itself.
        if (dx < 640 && dy < 480 && sx < INT32_MAX && sy < INT32_MAX)
            DDBltRect(canvas, static_cast<int>(dx), static_cast<int>(dy), 640, 480,
                      &StdSD[kBackImage], static_cast<int>(sx), static_cast<int>(sy), 0);
    }
    DDBeginSpriteBatch(0);
    for (int row = 0; row < kViewRows; ++row) {
        const std::int64_t y = std::int64_t{m_nViewY} + row;
        if (y < 0 || y >= map.nHeight) continue;
        for (int column = 0; column < kViewColumns; ++column) {
            const std::int64_t x = std::int64_t{m_nViewX} + column;
            if (x < 0 || x >= map.nWidth) continue;
            const cEdMapEvent* tile =
                map.TileAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
            if (!tile || tile->nGraphic < 0) continue;
            const int chip = tile->nGraphic;
            DDBltRect(canvas, kCell * column, kCell * row, kCell, kCell, &StdSD[kChipImage],
                      kCell * (chip % kChipsPerRow), kCell * (chip / kChipsPerRow), DDBLT_COLORKEY);
        }
    }
    for (cEdMapNode& node : EdWorldMap.vecNodes) {
        const cEdMapStage* entry = FindActiveEntry(&node);
        if (!entry) continue;
        const std::int64_t x = std::int64_t{kCell} * (std::int64_t{node.nX} - m_nViewX);
        const std::int64_t y = std::int64_t{kCell} * (std::int64_t{node.nY} - m_nViewY);
        if (x <= -kCell || x >= 640 || y <= -kCell || y >= 480) continue;
        const std::int64_t iconY = std::int64_t{kCell} * entry->nIconRow;
        if (iconY < 0 || iconY > INT32_MAX - kCell) continue;
        DDBltRect(canvas, static_cast<int>(x), static_cast<int>(y), kCell, kCell,
                  &StdSD[kIconImage], IsEntryCleared(*entry) ? kCell : 0, static_cast<int>(iconY),
                  DDBLT_COLORKEY);
    }
    DDEndSpriteBatch();
    m_nDrawnViewX = m_nViewX;
    m_nDrawnViewY = m_nViewY;
    ++m_nRedraws;
}

void cWorldMapScene::Draw(bool bInfo) {
    DDSURFACEDATA* canvas = &StdSD[kCanvasImage];
    if (canvas->bLost) {
        canvas->bLost = 0;
        RedrawMap();
    }
    DDBltRect(&BackBuffer, 0, 0, 640, 480, canvas, 0, 0, 0);
    DrawHero();
    if (EdSystem.bMapShowLives != 0) DrawLives();
    if (bInfo && m_pEntry && m_pEntry->nKind == 0) DrawStageInfo();
}

void cWorldMapScene::DrawLives() {
    const std::int32_t lives = Progress.m_nLives;
    const bool unlimited = lives == kUnlimitedLives;
    const int w = 16 * ((unlimited ? 1 : Digits(lives)) + 1);
    Font16.DrawWindow(&BackBuffer, 621 - w, 17, w, 20);
    DDBltRect(&BackBuffer, 621 - w, 19, 16, 16, &StdSD[kAccessoryImage], 0, 48, DDBLT_COLORKEY);
    if (unlimited)
        Font16.DrawF(&BackBuffer, 621 - w + 16, 19, "∞");
    else
        Font16.DrawF(&BackBuffer, 621 - w + 16, 19, "%d", lives);
}

void cWorldMapScene::DrawStageInfo() {
    if (StoryKeepsRankings() && Progress.m_bShowRanking != 0 && !SceneSurfaces.empty()) {
        DDSURFACEDATA& panel = SceneSurfaces[0];
        if (panel.bLost) {
            panel.bLost = 0;
            DrawRanking();
        }
        DDBltRect(&BackBuffer, kRankingX, kRankingY, kRankingWidth, kRankingHeight, &panel, 0, 0,
                  DDBLT_COLORKEY);
    }
    const bool showBest = EdSystem.bStoryShowScore != 0 && m_nShownBest > 0;
    const int top = showBest ? 184 : 204;
    const int k = CountSjisChars(m_pEntry->strTitle);
    if (k > 0)
        // The title is the author's text, never a format.
        Font16.DrawWindowF(&BackBuffer, kConfirmCentre - 8 * k, top, 16 * k, 16, "%s",
                           m_pEntry->strTitle.c_str());
    if (showBest) {
        const std::string& label = EdSystem.vecTexts[kScoreText];
        const int w = 16 * (CountSjisChars(label) + Digits(m_nShownBest));
        Font16.DrawWindowF(&BackBuffer, kConfirmCentre - w / 2, top + 20, w, 16, "%s%d",
                           label.c_str(), m_nShownBest);
    }
}

void cWorldMapScene::DrawHero() {
    const int tick = ++m_nHeroTicks;
    if (m_nHeroTicks >= 80) m_nHeroTicks = 0;
    const int sy = m_nFacing == kFaceLeft || m_nFacing == kFaceRight ? 96 : 64;
    int sx = m_nFacing == kFaceUp || m_nFacing == kFaceLeft ? 64 : 0;
    if (tick > 40) sx += kCell;
    DDBltRect(&BackBuffer, kHeroX, kHeroY, kCell, kCell, &StdSD[kAccessoryImage], sx, sy,
              DDBLT_COLORKEY);
}

void cWorldMapScene::CreateRankingSurface() {
    DDReleaseSurfaceVector(SceneSurfaces);
    SceneSurfaces.clear();
    SceneSurfaceDefs.Clear();
    if (!DDAddSurfaceToVector(SceneSurfaces, SceneSurfaceDefs, kRankingWidth, kRankingHeight, 1, 0,
                              0, nullptr)) {
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    DrawRanking();
}

void cWorldMapScene::DrawRanking() {
    if (SceneSurfaces.empty()) return;
    Ranking.DrawTable(&SceneSurfaces[0], 0, 0, Progress.m_nRankTable, -1);
}
