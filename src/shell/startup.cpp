#include "shell/startup.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/globals.h"
#include "base/input.h"
#include "base/key_config.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/paths.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/option_record.h"
#include "data/serial_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "data/window_placement.h"
#include "data/world_map.h"
#include "flow/param_desc_table.h"
#include "gfx/display.h"
#include "gfx/font_tables.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/surface.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/host_path.h"
#include "platform/messages.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "scene/stage_select_scene.h"
#include "shell/main_window.h"
#include "shell/palette_key.h"
#include "shell/start_dialog.h"
#include "shell/system_info.h"
#include "sound/bgm_manager.h"
#include "sound/midi_player_set.h"
#include "sound/sound_effects.h"
#include "stage/game_scene.h"
#include "stage/post_load_tables.h"
#include "stage/stage_load.h"

int nDisplayBpp = 0;
int bWindowed = 0;
int bInitDone = 0;

namespace {

constexpr int kShowEditorLaunch = 5;

const char kTextureWarning[] =
    "テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\n"
    "System.iniファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性があり"
    "ます。";

// One slot per system sound (0 to 16) and per record of the sound table from record 1 on
// (slot 16 + n). There are always the 17 system slots: a system sound list shorter than that
// leaves the missing ones without a file (silent).
void MakeSoundSlots() {
    const int records = static_cast<int>(EdDatabase.vecSound.Size());
    const int count = std::max(kSystemSeCount, records + kDataSeBase);
    DSSoundData.Clear();
    SoundFileList.Clear();
    DSSoundData.resize(count);
    SoundFileList.resize(count);
    auto fill = [](DSSOUNDDEF& def, const std::string& file) {
        std::snprintf(def.szFileName, sizeof def.szFileName, "%s", file.c_str());
        def.nCopies = 1;
        def.nVolume = 0;
        def.nUsed = 1;
    };
    const int systemFiles = std::min<int>(kSystemSeCount, EdSystem.vecSystemSeFiles.Size());
    for (int i = 0; i < systemFiles; ++i) fill(SoundFileList[i], EdSystem.vecSystemSeFiles[i]);
    for (int n = 1; n < records; ++n)
        fill(SoundFileList[kDataSeBase + n], EdDatabase.vecSound[n].strFile);
}

bool OpenDisplay() {
    return DDInit(SystemIni.Direct3D, hWndMain, 640, 480, nDisplayBpp, SystemIni.VSync != 0,
                  bWindowed, 1, 60, SystemIni.VSync != 0, StdSD, SurfaceDef, kStdSurfaceCount);
}

// The depth of the display: the setting, the desktop's in a window, else the system
// settings' choice for the back end.
int ChooseDepth() {
    if (SystemIni.Bpp != 0) return SystemIni.Bpp;
    if (bWindowed) return plat::GetDesktopBitsPerPixel();
    if (SystemIni.Direct3D != 0) return EdSystem.nDepthD3D == 1 ? 16 : 32;
    if (EdSystem.nDepthDD == 1) return 16;
    if (EdSystem.nDepthDD == 2) return EdSystem.nColourMode == 0 ? 8 : 32;
    return 32;
}

// The check of the screen mode: false (after the box) when the depth cannot be shown.
bool CheckScreenMode() {
    const int depth = nDisplayBpp;
    const bool allowed = depth == 16 || depth == 32 ||
                         (depth == 8 && SystemIni.Direct3D == 0 && EdSystem.nColourMode == 0);
    if (!bWindowed) {
        if (allowed) return true;
    } else if ((depth == 16 || depth == 32) && depth == plat::GetDesktopBitsPerPixel()) {
        return true;
    } else if (depth == 16 || depth == 32) {
        ErrorBox(
            "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせ"
            "て下さい！");
        return false;
    }
    ErrorBox("画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！");
    return false;
}

// Where the window stood at the last close in a window: the corner (brought inside the work
// area when it would stand off it), the client size of a sizable Direct3D window, and the
// maximised state, which becomes the show command. A missing or damaged file changes nothing.
int ApplyWindowPlacement(int showCmd) {
    if (!LoadWindowPlacement()) return showCmd;
    MainWnd.MoveTo(WindowPlacement.x, WindowPlacement.y);
    if (lpDTCon && SystemIni.WindowMode == 2) {
        // A size the window could never have had is not restored.
        const int width =
            std::clamp(WindowPlacement.width, 100, plat::GetSystemMetrics(plat::SM_CXSCREEN));
        const int height =
            std::clamp(WindowPlacement.height, 100, plat::GetSystemMetrics(plat::SM_CYSCREEN));
        MainWnd.SetClientSize(width, height);
    }
    MainWnd.nPlaceX = MainWnd.ptWindow.x;
    MainWnd.nPlaceY = MainWnd.ptWindow.y;
    MainWnd.Place();
    MainWnd.nPlaceX = MainWnd.nPlaceY = -1000;
    return WindowPlacement.maximised ? plat::SW_MAXIMIZE : showCmd;
}

// The direct play: a stage file given at start-up is played at once.
bool StartDirectPlay() {
    std::string& stage = SystemIni.FreeStage;
    if (stage.empty()) return true;
    FindLatestNumberedFile(stage, ExtensionTable[kExtStage]);
    if (!plat::FileExists(stage)) {
        ReportLogErr("「%s」の読み込みに失敗しました！", stage.c_str());
        stage.clear();
        return true;
    }
    bTestPlay = 1;
    if (!StartPlayFromStageFile(stage, 1)) return false;
    // The progress record's stage-select flag is cleared here; the record has no such field
    // yet, so this has no effect until the stage select brings it.
    SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    SceneMgr.m_bRanking = 1;
    SceneMgr.m_nTitleChoice = TITLE_FREE;
    SceneMgr.m_nScene = SCENE_GAME;
    SceneMgr.m_nPrevScene = SCENE_TITLE;
    return true;
}

// The three fonts from their definitions, with the system settings' face and the back end's
// cache setting, then their digit strips; the menu windows draw with Font16 from then on.
bool MakeFonts() {
    const Label face = EdSystem.FontName();
    for (FONTDEF& def : FontDef) {
        const std::size_t n = std::min(face.size(), sizeof def.szFaceName - 1);
        std::memcpy(def.szFaceName, face.data(), n);
        def.szFaceName[n] = '\0';
        if (def.bCache == 2)
            def.bCache = lpDTCon ? SystemIni.D3D_FontCache : SystemIni.DD_FontCache;
    }
    if (!InitFonts(Fonts, FontDef, kFontCount)) return false;
    Font16.bIcons = EdSystem.nFont16Switch;
    Font16.bCentre = EdSystem.nFont16Option;
    // The caches were drawn before the setting: drawn again, so cached glyphs sit in their
    // cells as the ones drawn directly do.
    if (Font16.bCentre != 0) {
        Font16.MakeHalfCache();
        Font16.MakeFullCache(1);
    }
    if (!CreateNumberSurfaces(NumberSD, NumberSDDef, kFontCount, Fonts, FontDef)) return false;
    DrawMenuWindow = DrawMenuWindowFont16;
    ErrorLog("3");
    return true;
}
}  // namespace

bool InitGame(const std::string& commandLine, int showCmd) {
    // The platform clock already counts whole milliseconds: there is no timer period to set.
    plat::srand(plat::timeGetTime());
    dwDataVersion = kCurrentDataVersion;
    bStripCR = 1;
    MakeGameScene = NewGameScene;
    LoadStageForPlayHook = LoadStageForPlay;
    BuildParamDescTable();
    if (!CreateDefaultData(hWndMain)) {
        ReportLogBox(
            "「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");
        return false;
    }
    CreateDataFolders();
    if (!EdDatabase.LoadAll()) {
        ReportLogBox("データベースの読み込みに失敗…");
        return false;
    }
    BuildPostLoadTables();
    if (!EdSystem.LoadFromFile(DataPathTable[kPathSystem])) {
        ReportLogBox("%s の読み込みに失敗…", DataPathTable[kPathSystem]);
        return false;
    }
    LoadSystemIni();
    if (!ChooseDrawingMode(MainWnd)) return false;
    if (!commandLine.empty()) {
        // A path that does not fit is refused whole: a cut path could name another file.
        if (commandLine.size() <= kFreeStageMaxLength)
            SystemIni.FreeStage = commandLine;
        else
            ReportLogErr("「%s」の読み込みに失敗しました！", commandLine.c_str());
    }
    SceneMgr.m_nFps = 60;
    SceneMgr.m_nFadeStep = 10;
    for (cInput& input : InputList) input.SetRepeat(18, 6);

    if (SystemIni.Direct3D != 0) {
        bWindowed = SystemIni.WindowMode != 0;
        if (SystemIni.VSync >= 2) SystemIni.VSync = 1;
    } else if (SystemIni.WindowMode != 0) {
        bWindowed = 1;
        SystemIni.VSync = 0;
    } else {
        bWindowed = 0;
        // Later systems than the one this automatic choice was made for: no vertical sync.
        if (SystemIni.VSync >= 2) SystemIni.VSync = 0;
    }
    nDisplayBpp = ChooseDepth();
    SystemIni.Bpp = nDisplayBpp;
    if (!CheckScreenMode()) return false;
    if (bWindowed && SystemIni.Direct3D != 0 && SystemIni.WindowMode == 2) {
        MainWnd.AddStyle(plat::WS_THICKFRAME);
        plat::SetWindowResizable(hWndMain, true);
    }
    MainWnd.Init(0, nullptr, &WindowList);
    plat::SetWindowText(hWndMain, EdSystem.strTitle.c_str());
    if (nDisplayBpp == 8) SystemIni.DD_VideoStretch = 0;

    if (!OpenDisplay()) {
        if (SystemIni.Direct3D != 0) {
            DDUnInit();
            SystemIni.Direct3D = 0;
            plat::ShowWindow(hWndMain, SystemIni.WindowMode != 0 ? showCmd : plat::SW_MAXIMIZE);
            if (!OpenDisplay()) {
                ReportLogErr("DDInit失敗");
                return false;
            }
        } else {
            ReportLogErr("DDInit失敗");
            return false;
        }
    }
    if (lpDTCon) {
        lpDTCon->strTextureWarning = kTextureWarning;
        LinkSharedSurfaces();
    }
    // A DirectDraw window shows the frame unscaled: it is never sized beyond it.
    if (!lpDTCon && bWindowed) plat::SetWindowSizeLimits(hWndMain, 100, 100, 640, 480);
    if (SystemIni.WindowMode != 0) showCmd = ApplyWindowPlacement(showCmd);
    plat::ShowWindow(hWndMain, (!lpDTCon && !bWindowed) ? plat::SW_MAXIMIZE : showCmd);
    LogDisplayInfo(1);
    ErrorLog("DDInit成功");
    if (!LoadPaletteAndKey()) return false;

    if (lpDDCon && !lpDTCon) {
        bBltPresent = 1;
        if (!bWindowed && lpDD) {
            plat::DWORD hz = 0;
            lpDD->GetMonitorFrequency(&hz);
            if (SystemIni.VSync != 0 && static_cast<int>(hz) >= SceneMgr.m_nFps) bBltPresent = 0;
        }
    }
    const int debugSheet[] = {1};
    if (!DDLoadSurfaceSet(StdSD, debugSheet, 1)) return false;
    if (!MakeFonts()) return false;

    for (cInput& input : InputList) input.ResetJoyButtons();
    if (!ReadKeyConfig(DataPathTable[kPathKeyConfig], KeyConfig)) DefaultKeyConfig(KeyConfig);
    LoadOption();
    if (nBpp == 8 && !LoadHbtPalette(Option.PaletteNumber())) return false;
    Bgm.SetMidiEngine(&BgmMidiPlayers);
    if (Option.bBgmOn != 0) Bgm.Init(kBgmPlayerCount, BgmOggNames, BgmMidiNames, kBgmSlotCount);
    MakeSoundSlots();
    if (!DS_Init(hWndMain, 22050, 8, 1)) {
        ReportLogErr("DS_Init失敗！");
        return false;
    }
    DS_LoadSoundEffects(DSSoundData, SoundFileList, kSeVolumeTable[Option.SeVolumeStep()]);

    if (!LoadWorldMap()) {
        ReportLogBox("%s のロードに失敗！", DataPathTable[kPathWorldMap]);
        return false;
    }
    if (!EdCommonPalette.LoadFromFile(DataPathTable[kPathCommonPalette])) {
        ReportLogBox("%s のロードに失敗！", DataPathTable[kPathCommonPalette]);
        return false;
    }
    ErrorLog("4");
    return StartDirectPlay();
}

void UnInitGame() {
    if (lpDTCon || lpDDCon) {
        if (Font10.m_lpFastFont_FullAdd)
            ReportLog("Font10 : %d", Font10.m_lpFastFont_FullAdd->nCount);
        if (Font16.m_lpFastFont_FullAdd)
            ReportLog("Font16 : %d", Font16.m_lpFastFont_FullAdd->nCount);
    }
    DS_UnInit();
    Bgm.UnInit();
    SceneMgr.DeleteScenes();
    SceneSurfaces.clear();
    DrawMenuWindow = nullptr;
    for (Font& font : Fonts) font.Release();
    for (DDSURFACEDATA& strip : NumberSD) DDReleaseSurface(&strip);
    DDReleaseSurface(&StdSD[1]);
    DDUnInit();
}
