// ステージクリア (type 17): the stage is cleared. The command says where the story goes next
// (the next stage of the series, a numbered one, a stage file, or the world's end), where
// the world map puts the hero afterwards, and where and how the hero starts the next stage.
#pragma once

#include <cstdint>

class cActorBase;
class cCommandInstance;
class cEdCommand;

// Where to go (parameter 0).
enum StageClearGoal : int {
    kClearNextStage = 0,
    kClearByNumber = 1,
    kClearByPath = 2,
    kClearWorld = 3,
};

// Stores the next stage in the game scene and the map and start positions in the progress
// record. The path form rewrites the command's text in place to the file name without its
// extension followed by one dot (so a second run keeps it). A goal outside 0..3 acts as 0.
// The result is always 1, the stage result of a clear.
int CmdStageClear(cActorBase& actor, cEdCommand& cmd);

// The command-table entry of type 17: the worker's result becomes the stage result.
void StageClearEntry(cActorBase& actor, cCommandInstance& cmd);
