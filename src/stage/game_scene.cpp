#include "stage/game_scene.h"

#include <cstring>

#include "base/globals.h"
#include "base/input.h"
#include "base/log.h"
#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/option_record.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/conditions.h"
#include "flow/flow_install.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/effect_strips.h"
#include "gfx/fade.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "gfx/number_sprite.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/ranking.h"
#include "scene/replay_log.h"
#include "scene/scene_manager.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/graphic_source.h"
#include "stage/stage_end.h"
#include "stage/stage_load.h"
#include "stage/stage_objects.h"
#include "stage/state_log.h"

cGameScene* lpGame = nullptr;

ScenePoint PauseMenuPos = kPauseMenuStart;
ScenePoint ContinueMenuPos = kContinueMenuStart;
ScenePoint RankingTablePos = kRankingTableStart;

const int kGameSurfaces[kGameSurfaceCount] = {
    2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
    24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
    46, 47, 49, 50, 51, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70};

namespace {

constexpr int kWordSheet = 51;       // "bmp\Word.bmp": the captions
constexpr int kAccessorySheet = 49;  // "bmp\Accessory.bmp": the 16 x 16 cursor at (64, 0)
constexpr std::uint16_t kButtonConfirm = 1;
constexpr std::uint16_t kButtonCancel = 2;
// The System text of the result screen's hint to enter the ranking with F3.
constexpr int kTextRankingHint = 27;

constexpr int kBackgroundSurfaces[kBackgroundCount] = {55, 56, 57, 58, 59, 60, 61, 62};

bool KeyDown(int vk) {
    return (plat::GetAsyncKeyState(vk) & 0x8000) != 0;
}

void PostClose() {
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

// The menus filter the player's input once per frame: one report per button press, and the
// direction keys repeat.
cInput& MenuInput() {
    cInput& input = InputList[0];
    input.LatchButtons(0);
    input.ApplyRepeat();
    return input;
}

// The background layers of the running stage: a layer whose record names its own image
// loads it, any other layer has no surface.
void PrepareBackgroundDefinitions() {
    for (int i = 0; i < kBackgroundCount; ++i) {
        DDSURFACEDEF& def = SurfaceDef[kBackgroundSurfaceFirst + i];
        def.szFileName[0] = '\0';
        if (i >= static_cast<int>(EdStageWork.vecBackground.Size())) continue;
        const cEdBackground& bg = EdStageWork.vecBackground[i];
        if (bg.bPlainColour != 0 || bg.strImage.empty()) continue;
        std::strncpy(def.szFileName, bg.strImage.c_str(), sizeof def.szFileName - 1);
        def.szFileName[sizeof def.szFileName - 1] = '\0';
        int tooLarge = 0;
        // Larger than the screen: kept in system memory.
        if (DDCheckBitmapSize(&tooLarge, def.szFileName, 640, 480)) def.nDDMemory = tooLarge;
    }
}

// Palette keeps the loaded colours; PaletteOrg is what the 8-bit display shows.
bool FadeInStep() {
    return DDFadeIn(PaletteOrg, 0, 255, 0, 0, 0, SceneMgr.m_nFadeStep, Palette, false);
}

bool FadeOutStep() {
    return DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, SceneMgr.m_nFadeStep, Palette, false);
}

void DrawCursor(int x, int y) {
    DDBltRect(&BackBuffer, x, y, 16, 16, &StdSD[kAccessorySheet], 64, 0, 1);
}

}  // namespace

cGameScene::cGameScene() {
    m_Handlers[GAMESTATE_STAGESTART] = &cGameScene::StageStart;
    m_Handlers[GAMESTATE_PLAY] = &cGameScene::PlayFrame;
    m_Handlers[GAMESTATE_PAUSE] = &cGameScene::PauseMenu;
    m_Handlers[GAMESTATE_RESULT] = &cGameScene::ResultScreen;
    m_Handlers[GAMESTATE_CONTINUE] = &cGameScene::ContinueMenu;
    m_Handlers[GAMESTATE_GAMEOVER] = &cGameScene::WaitButton;
    m_nState = -1;
    m_nStep = 0;
    // The seed of an attempt until the stage set-up draws its own.
    m_nSeed = plat::timeGetTime();
    m_vecStageVar.resize(255, 0);
    m_vecGroupFlag.resize(60, 0);
    m_vecGroupList.resize(kActorGroupCount);
    m_vecShotGroupList.resize(kActorGroupCount);
    // The geometry of the objects measures against this scene's view, and a reset actor
    // targets its first hero.
    SetGeometryAxes(&m_ScrollX, &m_ScrollY);
    SetFirstHeroLookup([]() -> cActorBase* { return FirstHero(); });
    // A block with conditions exists while they hold for the first hero.
    SetBlockConditionEvaluator(&TestBlockConditionsOfHero);
    m_ScreenColor.Reset();
    m_ScreenEffect.nNumber = 0;
    // PLACEHOLDER(commands): a wait that is not done is set here, once the blocking waits
    // exist.
    Progress.m_nStageBgm = 0;
}

cScene* NewGameScene() {
    lpGame = new cGameScene;
    return lpGame;
}

cGameScene::~cGameScene() {
    // Cleared first: nothing may reach the scene through lpGame while it is destroyed.
    if (lpGame == this) lpGame = nullptr;
    // The objects of the stage go with the scene; they point at its lists and axes.
    CharaList.Clear();
    ItemList.Clear();
    Player.Clear();
    SetFirstHeroLookup(nullptr);
    SetBlockConditionEvaluator(nullptr);
    SetGeometryAxes(nullptr, nullptr);
    SetStageImageRestorer(nullptr);
    for (int i : kGameSurfaces) DDReleaseSurface(&StdSD[i]);
    ReleaseStageImages();
    ClearPictures();
}

void cGameScene::Run() {
    // Unlike the menus, the game scene filters no input here: each state does what it needs.
    if (m_nState == -1) EnterGuarded();
    CallStateHandler();
    LogPlayState(*this);
}

void cGameScene::Enter() {
    m_vecRank.resize(5, 0);
    m_vecRankValue.resize(5, 0);
    SetDrawSurfaces();
    PrepareBackgroundDefinitions();
    const bool again = SceneMgr.m_nPrevScene == SCENE_GAME;
    if (!again) {
        if (!DDLoadSurfaceSet(StdSD, kGameSurfaces, kGameSurfaceCount)) {
            PostClose();
            return;
        }
        LoadCharaBitmaps();
        LoadSwordImages();
        LoadEffectImages();
        BuildShotCellSheets();
        SetStageImageRestorer(
            []() -> bool { return lpGame == nullptr || lpGame->RestoreStageImages(); });
        ResetPlay();
        if (SceneMgr.m_nTitleChoice != TITLE_REPLAY) UseLife(Progress);
    } else if (!DDLoadSurfaceSet(StdSD, kBackgroundSurfaces, kBackgroundCount)) {
        PostClose();
        return;
    }
    SetStage(again ? 1 : 0, 1);
    MenuCursor.Reset();
    m_nStep = 0;
}

void cGameScene::FadeIn() {
    Draw(1, 0, 0, 1);
    if (FadeInStep()) m_nState = GAMESTATE_STAGESTART;
}

void cGameScene::StageStart() {
    Draw(1, 0, 0, 1);
    const bool editorTestPlay = bEditorLaunch != 0 && bTestPlay != 0;
    if (!editorTestPlay) {
        if (SceneMgr.m_nTitleChoice == TITLE_REPLAY) {
            if (++m_nCaptionFrames < kCaptionFrames) {
                DDBltRect(&BackBuffer, 256, 224, 128, 32, &StdSD[kWordSheet], 0, 32, 1);
                return;
            }
        } else if (EdStageWork.bStartCaption != 0) {
            if (++m_nCaptionFrames < kCaptionFrames) {
                DDBltRect(&BackBuffer, 256, 224, 128, 32, &StdSD[kWordSheet], 0, 0, 1);
                // The series number runs to the right of the caption in its 32 x 32 digits.
                DDDrawNumber(&BackBuffer, 384, 224, 32, 32, &StdSD[kWordSheet], 0, 128, 1,
                             Progress.m_nSeriesIndex, 1, 0);
                return;
            }
        } else if (EdStageWork.bStartCaption2 != 0) {
            if (++m_nCaptionFrames2 < kCaptionFrames) {
                DDBltRect(&BackBuffer, 280, 224, 80, 32, &StdSD[kWordSheet], 0, 160, 1);
                return;
            }
        }
    }
    if (!Player.Empty()) {
        cHeroActor& hero = Player[0];
        hero.m_AnimPattern.SetSeq(hero.m_bFlying ? 2 : 0, 1);
    }
    m_nCaptionFrames = 0;
    m_nState = GAMESTATE_PLAY;
}

int cGameScene::PauseMenuRows() const {
    switch (SceneMgr.m_nPlayMode) {
        case PLAYMODE_FREE:
            return 3;
        // A stage number that names no switch or challenge stage has not been cleared: the
        // menu must not close the program for it.
        case PLAYMODE_STORY: {
            const int n = Progress.m_nClearSwitch;
            const bool cleared = n >= 0 && n < static_cast<int>(Progress.m_vecSwitch.Size()) &&
                                 Progress.m_vecSwitch[n] != 0;
            return EdSystem.bStoryPauseSwitch != 0 && cleared ? 3 : 2;
        }
        case PLAYMODE_CHALLENGE: {
            const int n = Progress.m_nClearSwitch - 1;
            const bool cleared = n >= 0 && n < static_cast<int>(Progress.m_vecChallenge.Size()) &&
                                 Progress.m_vecChallenge[n].m_bCleared != 0;
            return EdSystem.bChallengePauseSwitch != 0 && cleared ? 3 : 2;
        }
        default:
            return 2;
    }
}

void cGameScene::MoveMenuCursor(const ScenePoint& at, int rows) {
    const cInput& input = InputList[0];
    MenuCursor.Move(input, at.x, at.y, 0, 16, 1, rows);
    PlayCursorSe(input, 2, 0);
}

void cGameScene::LeaveTo(int nextScene) {
    SceneMgr.m_nNextScene = nextScene;
    // The title menu's cursor goes back to the item that started this play.
    MenuCursor.Current()->nRow = SceneMgr.m_nTitleChoice;
    m_nStep = 0;
    m_nState = GAMESTATE_LEAVE;
}

void cGameScene::PauseMenu() {
    if (CheckReplayHotKeys()) return;
    const int rows = PauseMenuRows();
    if (m_nStep == 0) {
        MenuCursor.Current()->nRow = 1;
        m_nStep = 1;
    }
    cInput& input = MenuInput();
    // The two-row menu stands where the three-row menu would.
    PauseMenuPos.x = EdSystem.MenuLeft(320, 19, 3, 1);
    MoveMenuCursor(PauseMenuPos, rows);
    if (input.wButton & kButtonConfirm) {
        PlaySystemSe(1);
        switch (MenuCursor.Current()->nRow) {
            case 0:
                if (rows == 3 && bTestPlay) {
                    // A stage played from the command line closes the player.
                    PostClose();
                    m_nState = GAMESTATE_LEAVE;
                } else {
                    LeaveTo(SCENE_TITLE);
                }
                return;
            case 1:
                m_bHoldButtons = 1;
                m_nState = m_nSavedState;
                m_nStep = m_nSavedStep;
                return;
            default:
                m_bHoldButtons = 1;
                Progress.RestoreCheckpoint(1);
                SetStage(1, 0);
                m_nStep = 0;
                m_nState = GAMESTATE_STAGESTART;
                return;
        }
    }
    if (input.wButton & kButtonCancel) {
        PlaySystemSe(2);
        m_bHoldButtons = 1;
        m_nState = m_nSavedState;
        // A result screen paused through the short menu starts its counter again.
        m_nStep = rows == 3 ? m_nSavedStep : 0;
        return;
    }
    // The pause may hide the stage; nothing moves and the time warning stays quiet.
    Draw(0, 1, 0, 1);
    EdSystem.DrawMenu(PauseMenuPos.x, PauseMenuPos.y, 19, rows, 1);
    DrawCursor(MenuCursor.Current()->nX, MenuCursor.Current()->nY);
}

void cGameScene::ResultScreen() {
    const bool autoClose = EdStageWork.bResultAutoClose != 0;
    if (!autoClose) {
        if (CheckPauseKey()) {
            m_nStep = 0;
            m_nState = GAMESTATE_PAUSE;
            return;
        }
        CheckReplayHotKeys();
        if ((Option.nRankingMode == 0 || Option.nRankingMode == 1) && KeyDown(VK_F3))
            EnterRanking(*this);
    }
    if (m_nStep == 0) {
        m_nCaptionFrames = 0;
        m_nStep = 1;
    }
    cInput& input = MenuInput();
    if (m_nCaptionFrames >= kResultMinFrames) {
        bool leave = autoClose;
        if (!autoClose && (input.wButton & kButtonConfirm)) {
            leave = true;
            if (m_bRankAchieved && (Option.nRankingMode == 2 || Option.nRankingMode == 3))
                EnterRanking(*this);
            else
                PlaySystemSe(1);
        }
        if (leave) {
            SceneMgr.m_nNextScene = ChooseNextScene(*this);
            m_nCaptionFrames = 0;
            m_nStep = 0;
            m_nState = GAMESTATE_LEAVE;
            return;
        }
    }
    // A place to enter by hand: the F3 hint stands where the help line would.
    const bool offerEntry = !autoClose && m_bRankingDone == 0 &&
                            CountValue(m_vecRank, -1) < static_cast<int>(m_vecRank.Size()) &&
                            (Option.nRankingMode == 0 || Option.nRankingMode == 1);
    Draw(1, 0, 0, offerEntry ? 0 : 1);
    if (offerEntry) {
        const std::string hint = kTextRankingHint < static_cast<int>(EdSystem.vecTexts.Size())
                                     ? EdSystem.vecTexts[kTextRankingHint]
                                     : std::string();
        Font16.DrawF(&BackBuffer, 320 - CountSjisChars(hint) * 16 / 2, 456, "%s", hint.c_str());
    }
    if (EdStageWork.bClearCaption != 0) {
        m_nCaptionFrames += 4;
        // Below 100 the caption comes in interlaced: rows of 4 dots sliding in from both
        // sides as the counter grows; from 100 on it stands still.
        if (m_nCaptionFrames < 100)
            DDBltInterlace(&BackBuffer, 256, 192, 128, 32, 4, 100 - m_nCaptionFrames,
                           &StdSD[kWordSheet], 0, 64, 1, 0);
        else
            DDBltRect(&BackBuffer, 256, 192, 128, 32, &StdSD[kWordSheet], 0, 64, 1);
    } else {
        m_nCaptionFrames = kResultMinFrames;
    }
    if (m_nCaptionFrames >= kResultMinFrames && SceneMgr.m_bRanking != 0 && !autoClose)
        DrawStageResult(&BackBuffer, 336, 224, m_vecRank);
}

void cGameScene::ContinueMenu() {
    if (CheckReplayHotKeys()) return;
    if (m_nStep == 0) {
        MenuCursor.Current()->nRow = 0;
        m_nStep = 1;
    }
    cInput& input = MenuInput();
    ContinueMenuPos.x = EdSystem.MenuLeft(320, 22, 2, 1);
    MoveMenuCursor(ContinueMenuPos, 2);
    if (input.wButton & kButtonConfirm) {
        PlaySystemSe(1);
        if (MenuCursor.Current()->nRow == 0) {
            SetStage(1, 0);
            m_nState = GAMESTATE_STAGESTART;
        } else {
            Progress.m_bBackToMap = 1;
            LeaveTo(SCENE_WORLDMAP);
        }
        return;
    }
    Draw(1, 0, 0, 1);
    EdSystem.DrawMenu(ContinueMenuPos.x, ContinueMenuPos.y, 22, 2, 1);
    DrawCursor(MenuCursor.Current()->nX, MenuCursor.Current()->nY);
}

void cGameScene::WaitButton() {
    if (CheckPauseKey()) {
        m_nStep = 0;
        m_nState = GAMESTATE_PAUSE;
        return;
    }
    if (CheckReplayHotKeys()) return;
    // The last input as read: a button still held from play ends the screen at once.
    if (InputList[0].wButton & kButtonConfirm) {
        PlaySystemSe(1);
        SceneMgr.m_nNextScene = SCENE_TITLE;
        m_nState = GAMESTATE_LEAVE;
        return;
    }
    Draw(1, 0, 0, 1);
    if (EdStageWork.bWaitCaption != 0)
        DDBltRect(&BackBuffer, 248, 224, 144, 32, &StdSD[kWordSheet], 0, 96, 1);
}

void cGameScene::Leave() {
    Draw(1, 0, 0, 1);
    if (!FadeOutStep()) return;
    DDFillSurface(&BackBuffer, 16);
    if (SceneMgr.m_nTitleChoice == TITLE_FREE && Progress.m_bSeries == 0) {
        // The free play's stage is read again for its next attempt.
        const std::string path = EdStageWork.strPath;
        if (!StartPlayFromStageFile(path, 0)) PostClose();
    }
    SceneMgr.m_nFps = 60;
    SceneMgr.m_nScene = SceneMgr.m_nNextScene;
    SceneMgr.m_nPrevScene = SCENE_GAME;
    m_nState = -1;
}

int cGameScene::CheckPauseKey() {
    if (!KeyDown(VK_SPACE)) return 0;
    PlaySystemSe(4);
    m_nSavedState = m_nState;
    m_nSavedStep = m_nStep;
    return 1;
}

int cGameScene::UseLife(GameProgress& progress) {
    if (bTestPlay) return 1;
    if (progress.m_nLives == kUnlimitedLives) return 1;
    if (progress.m_nLives >= 1) {
        --progress.m_nLives;
        return 1;
    }
    return 0;
}

void cGameScene::ResetPlay() {
    // A replay plays with the progress it was saved with.
    const bool replay = SceneMgr.m_nTitleChoice == TITLE_REPLAY;
    if (!replay) {
        Progress.m_nLives = Progress.m_nContinueLives;
        Progress.m_nStageScore = 0;
        Progress.m_nScore = 0;
        Progress.m_nRestTime = 0;
        Progress.m_nClearTime = 0;
        Progress.m_nRestHP = 0;
        Progress.m_nRestSP = 0;
        Progress.m_bWarpPos = 0;
    }
    m_nStep = 0;
    m_nFrame = 0;
    m_nPlayFrames = 0;
    m_ScrollX.m_dPos = 0;
    m_ScrollY.m_dPos = 0;
    ClearMessages();
    if (!replay) {
        CurReplay.Clear();
        PrevReplay.Clear();
    }
    if (bTestPlay) LoadRankingFile(Ranking, SceneMgr.m_nPlayMode, Progress.m_strStageBase);
}
