// A stage file over hostile bytes: loaded with its palettes, placements, backgrounds, texts
// and the upgrades of older versions; copied, written back, written as a replay body, and
// read again. A second save of a re-read file must be its own fixed point (the first may
// still change: entry 0 of a palette padded from nothing is given its fixed defaults only
// when it is read). A stage that the player would play (read whole, with a hero) is then
// repaired as the load for play repairs it, set up and played for a few frames on a
// headless display: whatever it asks for, the set-up either builds it or fails in order.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/globals.h"
#include "base/input.h"
#include "data/stage_record.h"
#include "gfx/display.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"
#include "platform/display_window.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "scene/scene_manager.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"
#include "stage/stage_value_repair.h"

namespace {

void Fail(const char* what, const RecordReader* reader = nullptr) {
    if (reader) {
        std::fprintf(stderr, "%s (stopped %d at %zu: %s)\n", what, reader->StoppedEarly(),
                     reader->ProblemOffset(), reader->Problem().c_str());
    } else {
        std::fprintf(stderr, "%s\n", what);
    }
    __builtin_trap();
}

std::vector<std::uint8_t> Resave(const std::vector<std::uint8_t>& bytes) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    cEdStage stage;
    stage.Load(reader);
    if (reader.StoppedEarly() || reader.Remaining() != 0)
        Fail("a saved stage reads short", &reader);
    return stage.SaveToBytes();
}

constexpr int kFramesPlayed = 3;
plat::HWND s_window = nullptr;

plat::LRESULT IgnoringProc(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

// A headless player once per process: a main window, a DirectDraw display and the game
// scene's maker, as start-up leaves them.
bool SetUpPlayer() {
    plat::Seams seams;
    seams.headless = true;
    plat::SetSeams(seams);
    plat::UseVirtualClock(0x00010000);
    ResetEngineGlobals();
    const plat::HWND window = plat::CreateWindow(IgnoringProc);
    plat::SetMainWindow(window);
    s_window = window;
    if (!plat::OpenDisplayWindow(window, "fuzz_stage", 640, 480)) return false;
    return DDInit(0, window, 640, 480, 32, 0, 1, 1, 60, 0, StdSD, SurfaceDef, kStdSurfaceCount);
}

// The stage as the load for play hands it over, set up and played.
void Play(const cEdStage& loaded) {
    static const bool ready = SetUpPlayer();
    if (!ready) Fail("no headless display");
    // The engine's reset after each run puts these back to their program-start values.
    hWndMain = s_window;
    MakeGameScene = NewGameScene;
    EdStageWork = loaded;
    RepairDamagedStageValues(EdStageWork);
    EdStage.CopySettingsFrom(EdStageWork);
    EdStage.FreePalettes();
    SceneMgr.m_nScene = SCENE_GAME;
    SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    SceneMgr.PrepareScene(SCENE_GAME);
    cGameScene* game = lpGame;
    if (!game) Fail("no game scene");
    game->SetStage(0, 1);
    if (!game->SetStageFailed()) {
        game->m_nState = GAMESTATE_PLAY;
        for (int i = 0; i < kFramesPlayed && Player.Size() != 0; ++i) game->PlayFrame();
    }
    // What the run asked of the window (close requests after checked-access errors, music)
    // and the boxes it showed are dropped before the next input.
    plat::MSG msg;
    while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
    plat::ClearShownBoxes();
    SceneMgr.DeleteScenes();
    ResetEngineGlobals();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cEdStage stage;
    stage.Load(reader);
    stage.HasHero();

    cEdStage copy = stage;
    const std::vector<std::uint8_t> saved = stage.SaveToBytes();
    if (copy.SaveToBytes() != saved) Fail("copy differs");

    const std::vector<std::uint8_t> second = Resave(saved);
    if (Resave(second) != second) Fail("a re-read stage saves differently");

    // A replay body of two stages, one of them without palettes, reads back whole.
    cEdStage source = copy;
    source.FreePalettes();
    RecordWriter writer;
    stage.SaveForReplay(writer, source);
    RecordReader replay(writer.Bytes(), kCurrentDataVersion);
    cEdStage back;
    back.Load(replay);
    if (replay.StoppedEarly() || replay.Remaining() != 0)
        Fail("a replay body reads short", &replay);

    // The load for play refuses a stage read short or without a hero.
    if (!reader.StoppedEarly() && copy.HasHero()) Play(copy);
    return 0;
}
