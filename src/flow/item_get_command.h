// アイテムの取得 (type 25): the hero gets an item of the common or the stage palette as if it
// had taken it: the item's commands run on the hero at once.
#pragma once

class cActorBase;
class cCommandInstance;
class cEdCommand;

enum ItemGetPalette : int {
    kItemGetCommon = 0,
    kItemGetStage = 1,
};

// Item runs started by this command nest at most this deep: an item that gets itself stops
// there instead of exhausting the stack.
inline constexpr int kMaxItemGetDepth = 8;

// Runs a copy of the palette item's command list on the first hero: 0 nothing, 1 the stage
// was cleared, 2 the hero's HP reached 0. A palette other than 0 and 1, no hero, or a run
// deeper than kMaxItemGetDepth gives 0 and runs nothing.
int CmdItemGet(cActorBase& actor, const cEdCommand& cmd);

// The command-table entry of type 25: a result other than 0 becomes the stage result (0
// leaves a result set earlier in place).
void CmdItemGetEntry(cActorBase& actor, cCommandInstance& cmd);
