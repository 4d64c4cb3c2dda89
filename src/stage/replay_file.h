// Replay files: the stage as the attempt was set up, the attempt's input log and seed, and
// the progress record at its start, so that a play-back repeats the attempt frame for frame.
// They live in "user_data\rpl4\" as NAME.rpl4_747.
#pragma once

#include <string>
#include <string_view>

class GameProgress;
class RecordReader;
class ReplayLog;
class cEdStage;

// "rpl4_747": the extension of the replay files this version writes.
std::string ReplayExtension();

// Writes the replay atomically (no partial file is ever left): the version, the stage body
// (settings from `loaded`, palettes and placements from `running`), the log, the progress
// snapshot. 1, or 0 when the file could not be written.
int SaveReplayFile(ReplayLog& log, std::string_view path, cEdStage& running, cEdStage& loaded,
                   GameProgress& snapshot);
// Reads a replay file into temporaries and takes it over only when all of it is sound: the
// stage body read whole (with its closing value where the version has one) and with a hero,
// a playable log whose counts the bytes back, and (from version 173) a whole progress
// record; older files leave the progress as it is. Then `running` is the stage (its path
// the file's), `loaded`
// takes its settings (its palettes and placements emptied), the log and the progress are
// replaced. 0 leaves everything unchanged and says why in `why` (when given).
int LoadReplayFile(ReplayLog& log, std::string_view path, cEdStage& running, cEdStage& loaded,
                   GameProgress& progress, std::string* why = nullptr);
// The same over a reader at the start of the stage body (the file's bytes after its version).
int LoadReplayRecord(ReplayLog& log, RecordReader& reader, cEdStage& running, cEdStage& loaded,
                     GameProgress& progress, std::string* why = nullptr);
// The name to save a replay of the stage key under: the first free "NAME_ij" (i, j from 0 to
// 8, j fastest) in "user_data\rpl4\", or NAME_88 when all 81 exist, offered in the save
// chooser. 1 with the chosen path in out, 0 when the player cancelled.
int ChooseReplaySaveName(std::string& out, std::string_view key);
// The proposal alone (the chooser's first name, its folder included); empty for an empty key.
std::string ProposeReplayName(std::string_view key);
