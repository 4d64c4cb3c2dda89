// Loading a stage for play: the newest numbered version of the file, refused when damaged,
// read on the stage-load thread while the calling thread keeps serving its messages, refused
// when no hero is placed, and handed over to the caller's stage record.
//
// Values of a damaged file that the engine cannot play with are repaired once the file is
// read (stage_value_repair.h). After a load the palettes and placements live only in EdStageWork;
// the destination (in practice EdStage) gets the settings, result lines, area limits, backgrounds
// and texts.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/stage_record.h"

// 1 when the stage was loaded (and handed to `destination` when it is given), 0 otherwise:
// no numbered file (no box), a damaged file, a failed or partial read, a stage without a
// hero (each with its box; the damaged file and the missing hero also close the program),
// a quit message during the load, or an earlier load's thread still alive (the read-failure
// box; EdStageWork is left to that thread).
//
// While the load thread reads, the calling thread's messages are served; a quit message
// taken then ends the load and is consumed, so a caller on the window thread that gets 0
// must post the quit again. A load thread stuck in its read cannot be stopped: the quit
// then waits up to about 3.2 s before the thread is abandoned to run on by itself.
int LoadStageForPlay(std::string_view path, int numbered, cEdStage* destination);

// True from the start of a load's thread until its body has ended, also for one that a
// quit abandoned.
bool StageLoadThreadAlive();

// 1 when the file may be played, or cannot be opened (the load then reports it); 0 when a
// file of version 174 or later does not end with STAGE_END_MARK, after the damaged-file box
// and a close request.
int CheckStageFileTerminator(std::string_view path);

// The common start of a single stage file (free play, a stage given at start-up, the free
// play's retry): the progress reset, the stage loaded into EdStage (with `latest` set the
// path is a base name whose newest numbered version is loaded), the lives of free play
// (unlimited in a test play) and the stage key. 1 when loaded, 0 when the stage could not
// be loaded (the loader has said why).
std::int32_t StartPlayFromStageFile(std::string_view path, int latest);
