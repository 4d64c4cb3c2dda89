#include "stage/stage_load.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/paths.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "data/system_record.h"
#include "platform/clock.h"
#include "platform/host_path.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/scene.h"
#include "stage/stage_value_repair.h"

namespace {

// What the load thread shares with its caller. Static: a load thread that a close could not
// end in time may still finish after its caller has returned.
struct StageLoadJob {
    // From before the thread is created until its body has ended: while set, a new load
    // would share EdStageWork with a thread that may still write it.
    std::atomic<bool> bAlive{false};
    // The wake message carries the number of its load, so that one posted by an abandoned
    // load is never taken for the end of a later one.
    std::atomic<std::uintptr_t> nLoad{0};
    std::atomic<std::uint32_t> dwCaller{0};
    // Only for a wake message that could not be posted: the pump then polls this.
    std::atomic<bool> bEnded{false};
    std::atomic<bool> bPostFailed{false};
};
StageLoadJob stageLoadJob;

unsigned StageLoadBody(void* argument) {
    const auto load = reinterpret_cast<std::uintptr_t>(argument);
    // Ended also when the thread is unwound by a forced exit.
    struct Ended {
        std::uintptr_t load;
        ~Ended() {
            if (!plat::PostThreadMessage(stageLoadJob.dwCaller.load(), WM_USER_STAGELOADED,
                                         static_cast<plat::WPARAM>(load), 0)) {
                stageLoadJob.bPostFailed.store(true, std::memory_order_release);
            }
            stageLoadJob.bEnded.store(true, std::memory_order_release);
            // Last: from here on the thread touches nothing a new load uses.
            stageLoadJob.bAlive.store(false, std::memory_order_release);
        }
    } ended{load};
    // A partial read is a failed read: a stage is never played half-read.
    bool stoppedEarly = false;
    if (EdStageWork.LoadFromFile(EdStageWork.strPath, &stoppedEarly) && !stoppedEarly) {
        EdStageWork.bLoadSucceeded = 1;
    }
    return 0;
}

// Serves the calling thread's messages until it takes the load thread's wake message (or,
// should that message not have been posted, until the thread has ended). False when a quit
// message came first (it is consumed, and the load thread is ended).
bool PumpUntilLoadEnded(std::uintptr_t load) {
    for (;;) {
        if (stageLoadJob.bPostFailed.load(std::memory_order_acquire) &&
            stageLoadJob.bEnded.load(std::memory_order_acquire)) {
            return true;
        }
        plat::MSG msg;
        if (plat::PeekMessage(&msg, nullptr, true)) {
            if (msg.message == plat::WM_QUIT) {
                ErrorLog("msg.message == WM_QUIT");
                thStageLoad.Exit();
                return false;
            }
            if (msg.message == WM_USER_STAGELOADED && msg.hwnd == nullptr) {
                // One of an abandoned load is dropped.
                if (static_cast<std::uintptr_t>(msg.wParam) == load) return true;
                continue;
            }
            plat::DispatchMessage(&msg);
            continue;
        }
        // A failed post cannot wake the wait: poll the end flag instead.
        if (stageLoadJob.bPostFailed.load(std::memory_order_acquire)) {
            plat::Sleep(1);
        } else {
            plat::WaitMessage();
        }
    }
}

void RequestClose() {
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

// A replay file ("NAME.rpl4_NNN") holds the stage body first and the replay after it, so its
// stage's end value stands where the body ends, not in the file's last four bytes.
bool IsReplayFile(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    constexpr std::string_view kReplayExtension = "rpl4_";
    const std::string_view ext = path.substr(dot + 1);
    if (ext.size() < kReplayExtension.size()) return false;
    for (std::size_t i = 0; i < kReplayExtension.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(ext[i])) != kReplayExtension[i]) return false;
    return true;
}

void RefuseDamagedStage(std::string_view path) {
    const std::string name(path);
    ErrorBoxF("ステージファイル %s が破損しています！", name.c_str());
    RequestClose();
}

}  // namespace

bool StageLoadThreadAlive() {
    return stageLoadJob.bAlive.load(std::memory_order_acquire);
}

int CheckStageFileTerminator(std::string_view path) {
    std::FILE* file = plat::FileOpen(path, "rb");
    if (!file) return 1;
    std::uint32_t version = 0;
    const bool hasVersion = std::fread(&version, 4, 1, file) == 1;
    if (!hasVersion) {
        // No version: the load's open fails the same way and reports it.
        std::fclose(file);
        return 1;
    }
    dwFileVersion = version;
    // A replay's end value is tested once its stage body has been read.
    if (version < kStageEndMarkCheckedVersion || IsReplayFile(path)) {
        std::fclose(file);
        return 1;
    }
    std::uint32_t end = 0;
    const bool read = std::fseek(file, -4, SEEK_END) == 0 && std::fread(&end, 4, 1, file) == 1;
    std::fclose(file);
    if (read && end == STAGE_END_MARK) return 1;
    RefuseDamagedStage(path);
    return 0;
}

int LoadStageForPlay(std::string_view path, int numbered, cEdStage* destination) {
    if (StageLoadThreadAlive()) {
        // An earlier load that a quit could not end may still write the load buffer.
        const std::string name(path);
        ErrorBoxF("ステージファイル %s の読み込みに失敗しました！", name.c_str());
        return 0;
    }
    EdStageWork.bNumbered = numbered;
    if (numbered) {
        std::string found;
        if (!FindLatestNumberedFile(found, path, ExtensionTable[kExtStage])) return 0;
        EdStageWork.strPath = found;
    } else {
        EdStageWork.strPath = std::string(path);
    }
    MakeRelativePath(EdStageWork.strPath);
    // The path is the caller's for the boxes below; the load thread reads its own copy.
    const std::string stagePath = EdStageWork.strPath;
    if (!CheckStageFileTerminator(stagePath)) return 0;

    EdStageWork.bLoadSucceeded = 0;
    const std::uintptr_t load = stageLoadJob.nLoad.fetch_add(1) + 1;
    stageLoadJob.bEnded.store(false);
    stageLoadJob.bPostFailed.store(false);
    stageLoadJob.dwCaller.store(plat::GetCurrentThreadId());
    stageLoadJob.bAlive.store(true, std::memory_order_release);
    if (thStageLoad.Create(StageLoadBody, reinterpret_cast<void*>(load))) {
        if (!PumpUntilLoadEnded(load)) return 0;
        // The thread has ended or is about to: this releases it.
        thStageLoad.Wait();
    } else {
        stageLoadJob.bAlive.store(false, std::memory_order_release);
    }

    if (!EdStageWork.bLoadSucceeded) {
        ErrorBoxF("ステージファイル %s の読み込みに失敗しました！", stagePath.c_str());
        return 0;
    }
    if (IsReplayFile(stagePath) && dwFileVersion >= kStageEndMarkCheckedVersion &&
        EdStageWork.dwEndMark != STAGE_END_MARK) {
        RefuseDamagedStage(stagePath);
        return 0;
    }
    RepairDamagedStageValues(EdStageWork);
    if (!EdStageWork.HasHero()) {
        ErrorBoxF("主人公が配置されていないのでプレイできません！");
        RequestClose();
        return 0;
    }
    if (destination && destination != &EdStageWork) {
        destination->CopySettingsFrom(EdStageWork);
        destination->FreePalettes();
    }
    return 1;
}

// ---------------------------------------------------------------- direct start of a stage

std::int32_t StartPlayFromStageFile(std::string_view path, int latest) {
    // The path may be the stage record's own (a retry of the file last loaded), which the
    // load replaces.
    std::string file(path);
    Progress.Reset();
    if (!LoadStageForPlay(file, latest, &EdStage)) return 0;
    Progress.m_nClearSwitch = 1;
    Progress.m_nSeriesIndex = 1;
    // The free-play mode's lives: a test play, or a mode whose lives are not counted,
    // never runs out.
    if (bTestPlay || EdSystem.vecLivesLimited[PLAYMODE_FREE] == 0) {
        Progress.m_nContinueLives = kUnlimitedLives;
        Progress.m_nLives = kUnlimitedLives;
    } else {
        Progress.m_nContinueLives = EdSystem.vecStartLives[PLAYMODE_FREE];
        Progress.m_nLives = Progress.m_nContinueLives - 1;
    }
    MakeRelativePath(file);
    Progress.SetStageFile(file.c_str());
    return 1;
}
