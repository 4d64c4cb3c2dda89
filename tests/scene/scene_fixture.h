// A headless world for the scenes: the virtual clock, a fresh folder with the logs, a main
// window whose procedure records what it is sent, and (on request) a display in one of the
// player's configurations. The scene manager, the progress and the settings the scenes read
// start from their program-start values in every test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/input.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/window_requests.h"
#include "data/option_record.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "gen/project.h"
#include "gfx/display.h"
#include "gfx/frame_timing.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"
#include "platform/display_window.h"
#include "platform/frame.h"
#include "platform/host_path.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/presenter.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "platform/threads.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "scene/stage_select_scene.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_load.h"
#include "support/temp_dir.h"

struct SceneDisplay {
    const char* name;
    int direct3D;
    int bpp;
    int windowMode;
};

inline const SceneDisplay kSceneDisplays[] = {
    {"D3D32Window", 1, 32, 1}, {"D3D16Full", 1, 16, 0}, {"DD32Window", 0, 32, 1},
    {"DD16Full", 0, 16, 0},    {"DD8Full", 0, 8, 0},
};

inline std::string SceneDisplayName(const ::testing::TestParamInfo<SceneDisplay>& info) {
    return info.param.name;
}

// What the main window was sent or posted, in order.
struct SentMessage {
    std::uint32_t message;
    plat::WPARAM wParam;
    plat::LPARAM lParam;
};

inline std::vector<SentMessage>& SentMessages() {
    static std::vector<SentMessage> messages;
    return messages;
}

// Records the message; a dialog request is answered at once as cancelled, so that a sender
// polling for its end goes on, and lets every key go as a closing dialog does.
inline plat::LRESULT RecordingProc(plat::HWND, std::uint32_t msg, plat::WPARAM w, plat::LPARAM l) {
    SentMessages().push_back({msg, w, l});
    if (msg == WM_USER_NAMEENTRY) {
        plat::ReleaseAllKeys();
        bNameEntryDone = 1;
    }
    if (msg == WM_USER_LOADSTAGE || msg == WM_USER_LOADREPLAY || msg == WM_USER_SAVEREPLAY) {
        plat::ReleaseAllKeys();
        bFileDialogResult = 0;
        bFileDialogDone = 1;
    }
    return 0;
}

class SceneWorld {
public:
    void SetUpWorld() {
        saved = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::UseVirtualClock(0x00010000);
        ResetEngineGlobals();
        dir = std::make_unique<TempDir>();
        OpenReportLog("Report.txt");
        SetErrorLog(1, "Error.txt");
        SentMessages().clear();
        window = plat::CreateWindow(RecordingProc);
        plat::SetMainWindow(window);
        hWndMain = window;
        MakeGameScene = NewGameScene;
        LoadStageForPlayHook = LoadStageForPlay;
        SceneMgr.m_nFps = 60;
        SceneMgr.m_nFadeStep = 10;
        InputList[0].SetRepeat(18, 6);
    }

    bool OpenDisplay(const SceneDisplay& d) {
        if (!plat::OpenDisplayWindow(window, "scene test", 640, 480)) return false;
        windowOpen = true;
        displayOpen = DDInit(d.direct3D, window, 640, 480, d.bpp, 0, d.windowMode, 1, 60, 0, StdSD,
                             SurfaceDef, kStdSurfaceCount);
        return displayOpen;
    }

    void TearDownWorld() {
        SceneMgr.DeleteScenes();
        SceneSurfaces.clear();
        SceneSurfaceDefs.Clear();
        if (displayOpen) DDUnInit();
        if (windowOpen) plat::CloseDisplayWindow();
        plat::DestroyWindow(window);
        ResetEngineGlobals();
        dir.reset();
        plat::UseRealClock();
        plat::SetSeams(saved);
    }

    // The sample project made in the test's folder and made current (the logs with it), its
    // stage `stage` loaded for a direct play and the game scene entered from the title:
    // images loaded, the stage set up. The scene, or null after a failure.
    static cGameScene* EnterSampleStage(const char* stage) {
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        if (!gen::MakeProject("project", options, &error)) {
            ADD_FAILURE() << error;
            return nullptr;
        }
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        OpenReportLog("Report.txt");
        SetErrorLog(1, "Error.txt");
        CreateDataFolders();
        if (LoadStageForPlay(stage, 1, &EdStage) != 1) {
            ADD_FAILURE() << stage << " not loaded";
            return nullptr;
        }
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.m_nPrevScene = SCENE_TITLE;
        SceneMgr.PrepareScene(SCENE_GAME);
        if (lpGame) lpGame->Run();
        return lpGame;
    }

    // The messages of one kind the main window got, as (wParam, lParam) pairs.
    static std::vector<std::pair<int, int>> Requests(std::uint32_t msg) {
        std::vector<std::pair<int, int>> out;
        for (const SentMessage& m : SentMessages())
            if (m.message == msg)
                out.emplace_back(static_cast<int>(m.wParam), static_cast<int>(m.lParam));
        return out;
    }
    // Serves what is waiting for the window thread (sent requests, posted messages).
    static void Pump() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
    }
    // Close requests posted to the main window so far.
    static int PendingCloses() {
        Pump();
        int closes = 0;
        for (const SentMessage& m : SentMessages()) closes += m.message == plat::WM_CLOSE;
        return closes;
    }
    // Runs `body` on a thread of its own, as the game thread runs frames (a frame presented
    // by the window thread would be a repaint), while this thread serves the window. False
    // when it did not end within 20 s of real time.
    static bool OnGameThread(const std::function<void()>& body) {
        std::function<void()> copy = body;
        std::uint32_t id = 0;
        plat::HANDLE thread = plat::BeginThread(
            [](void* p) -> unsigned {
                (*static_cast<std::function<void()>*>(p))();
                return 0;
            },
            &copy, &id);
        if (!thread) return false;
        const std::uint64_t end = plat::RealMilliseconds() + 20000;
        bool ended = false;
        while (!(ended = plat::WaitForSingleObject(thread, 0) == plat::WAIT_OBJECT_0) &&
               plat::RealMilliseconds() < end) {
            Pump();
            usleep(1000);  // real time: the virtual clock's sleeps return at once
        }
        if (!ended) plat::TerminateThread(thread, 0);
        plat::CloseHandle(thread);
        Pump();
        return ended;
    }
    static std::string ReadFile(const char* name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    plat::HWND window = nullptr;
    bool displayOpen = false;
    bool windowOpen = false;

private:
    plat::Seams saved;
    std::unique_ptr<TempDir> dir;
};
