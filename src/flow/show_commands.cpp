// The animation effect (type 29) and the picture (type 32): an entry on the scene's effect or
// picture list, placed by CalcDisplayPos, and, when the command asks for it, a wait on the
// pause thread while the entry is shown.
#include <algorithm>
#include <cstdint>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "data/command_record.h"
#include "data/database.h"
#include "data/effect_records.h"
#include "data/media_records.h"
#include "data/system_ini.h"
#include "flow/blocking_commands.h"
#include "flow/conditions.h"
#include "flow/display_pos.h"
#include "flow/flow_instance.h"
#include "gfx/display.h"
#include "platform/messages.h"
#include "stage/effect_instance.h"
#include "stage/game_scene.h"
#include "stage/picture_object.h"
#include "stage/wait_control.h"
#include "stage/wait_threads.h"

namespace {

// The DirectDraw placements of a surface.
constexpr int kVideoMemory = 0;
constexpr int kSystemMemory = 1;

// The table index of a record number: its low 16 bits, signed. An index outside the table
// is reported through the checked access (which closes the program) and gives -1, so that
// nothing is shown from the stand-by record meanwhile.
template <class Table>
int RecordIndex(const Table& table, std::int32_t number) {
    const int index = static_cast<std::int16_t>(number);
    if (index >= 0 && index < static_cast<int>(table.Size())) return index;
    (void)table[index];
    return -1;
}

// The frames of one play of an effect: every frame's time in tenths of a second.
std::int32_t EffectFrames(const cEdEffect& record) {
    std::int64_t tenths = 0;
    for (const cEdEffectFrame& frame : record.vecFrame) tenths += frame.nTime;
    return FramesOfTenthsHeld(tenths);
}

// Where a picture surface goes in DirectDraw: a scaled one that may not stretch from video
// memory lives in system memory. The software device has no fixed video memory, so it is
// never too full for the rest. Direct3D chooses by itself.
int PictureMemory(std::int32_t scale) {
    if (lpDTCon) return kVideoMemory;
    return scale != 100 && !SystemIni.DD_VideoStretch ? kSystemMemory : kVideoMemory;
}

// The picture that has `id` and is managed by it, first from the head; end() when none.
CheckedList<PictureObject>::iterator FindPictureById(cGameScene& scene, std::int32_t id) {
    return std::find_if(scene.m_listPicture.begin(), scene.m_listPicture.end(),
                        [id](const PictureObject& p) { return p.bManagedById && p.nId == id; });
}

// After its wait a command takes away its own picture and no other: the one at `picture`'s
// address, unless its time ended it meanwhile. Nothing is added to the list during a wait,
// so the address cannot have been taken by another picture.
void ErasePictureAt(cGameScene& scene, const PictureObject* picture) {
    for (auto it = scene.m_listPicture.begin(); it != scene.m_listPicture.end(); ++it) {
        if (&*it != picture) continue;
        scene.ErasePicture(it);
        return;
    }
}

}  // namespace

void CmdEffect(cActorBase& actor, const cEdCommand& cmd) {
    if (!lpGame || lpGame->m_bCloseRequest) return;
    cGameScene& scene = *lpGame;
    const std::int32_t number = cmd.vecParam[0];
    if (number == 0) {
        scene.m_listEffect.clear();
        return;
    }
    const int index = RecordIndex(EdDatabase.vecEffect, number);
    if (index < 0) return;
    const cEdEffect& record = EdDatabase.vecEffect[index];
    const std::int32_t scale = cmd.vecParam[6];
    const std::int32_t width = PercentOf(scale, record.nPatWidth);
    const std::int32_t height = PercentOf(scale, record.nPatHeight);
    double x = 0, y = 0;
    CalcDisplayPos(x, y, width, height, actor, cmd.vecParam[1], cmd.vecParam[2], cmd.vecParam[3],
                   cmd.vecParam[4], cmd.vecParam[5]);
    const std::int32_t wait = cmd.vecParam[7];
    scene.m_listEffect.push_back(EffectInstance(number, x, y, width, height, wait));
    if (!wait) return;
    // The effect keeps running while the game waits and ends by itself: it stays on its list.
    scene.m_WaitControl.Set(WAIT_EFFECT, 0, EffectFrames(record), 0);
    RunPauseThread(scene, 0);
}

void CmdPicture(cActorBase& actor, const cEdCommand& cmd) {
    if (!lpGame || lpGame->m_bCloseRequest) return;
    cGameScene& scene = *lpGame;
    const std::int32_t number = cmd.vecParam[0];
    const std::int32_t byId = cmd.vecParam[12];
    const std::int32_t id = cmd.vecParam[13];
    if (number == 0 && !byId) {
        scene.ClearPictures();
        return;
    }
    // Picture 0 by ID closes that picture; another number shows its picture in the place of
    // the one with the same ID, or at the end.
    auto place = scene.m_listPicture.end();
    if (byId) {
        const auto found = FindPictureById(scene, id);
        if (found != scene.m_listPicture.end()) place = scene.ErasePicture(found);
        if (number == 0) return;
    }
    const int index = RecordIndex(EdDatabase.vecPicture, number);
    if (index < 0) return;
    const char* file = EdDatabase.vecPicture[index].strFile.c_str();
    const std::int32_t scale = cmd.vecParam[7];
    CheckedList<PictureObject>::iterator picture;
    const DDSURFACEDATA* surface = scene.InsertPicture(place, file, PictureMemory(scale), &picture);
    if (!surface) {
        ErrorBoxF("%s 読み込み失敗！", file);
        ErrorLog("%s 読み込み失敗！", file);
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        return;
    }
    const std::int32_t width = PercentOf(surface->nWidth, scale);
    const std::int32_t height = PercentOf(surface->nHeight, scale);
    double x = 0, y = 0;
    CalcDisplayPos(x, y, width, height, actor, cmd.vecParam[1], cmd.vecParam[2], cmd.vecParam[3],
                   cmd.vecParam[4], cmd.vecParam[5]);
    const std::int32_t duration = cmd.vecParam[8];
    const std::int32_t frames = cmd.vecParam[14] ? 1 : FramesOfTenthsHeld(cmd.vecParam[9]);
    const std::int32_t wait = cmd.vecParam[10];
    picture->Set(static_cast<std::int16_t>(number), x, y, width, height, cmd.vecParam[11],
                 cmd.vecParam[6], scale, duration, frames, wait, byId, id);
    if (!wait) return;
    // A picture that would stay until the stage ends cannot be waited for: the game waits
    // for the progress key instead, as for a picture shown until then.
    if (duration == PICTURE_FOR_TIME)
        scene.m_WaitControl.Set(WAIT_PICTURE, 0, frames, 0);
    else
        scene.m_WaitControl.Set(WAIT_PICTURE, 1, 0, 0);
    RunPauseThread(scene, 0);
    ErasePictureAt(scene, &*picture);
}
