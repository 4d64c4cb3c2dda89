// The item commands: an item carries a list of them instead of flows, and the whole list runs
// at once on the hero when the hero takes the item or a flow gets it for the hero. Item type
// n from 2 on runs the worker of character command type n + 15; type 1, the flow change, is
// the items' own: it teaches the hero new flows or takes flows away.
#pragma once

class cEdCommand;
class cHeroActor;

// The number of item-command types.
inline constexpr int kItemCommandTypes = 25;

// Item-command types the runner and the tests name.
inline constexpr int kItemFlowChange = 1;
inline constexpr int kItemMessage = 4;
inline constexpr int kItemArrange = 23;

// The operations of the flow change (parameter 0); parameter 1 is the flow ID, 0 for all.
enum FlowChangeOp : int {
    kFlowChangeAdd = 0,
    kFlowChangeReplace = 1,
    kFlowChangeDelete = 2,
};

// One item command on the hero: 0 go on, 1 the stage was cleared. An item get nested in the
// list passes its own list's end on (1 a clear, 2 the hero's HP gone), so that a clear
// inside it ends this list and the stage too. A type outside 0..24 does nothing.
using ItemCommandHandler = int (*)(cHeroActor& hero, cEdCommand& cmd);
extern const ItemCommandHandler ItemCommandTable[kItemCommandTypes];
int RunItemCommandOnHero(cHeroActor& hero, cEdCommand& cmd);

// フローの変更 on the hero. Asked while a flow pass of the hero is under way, at any depth
// (a character's death flows run inside it, a stage-start flow run at once), and not
// deferred yet: a copy of the command waits in m_vecFlowChange and runs, deferred, once the
// outermost pass has ended, so that no instance moves under a flow that runs. Otherwise:
// add installs the command's flows after the hero's; replace removes the flows of the ID
// (every flow and every animation for ID 0) and installs the command's flows where the
// first removed one stood, at the end when none was removed; delete removes them only;
// other operations do nothing. Flows that cannot be installed (their loops too large) end
// the program as a failed allocation does.
void CmdFlowChange(cHeroActor& hero, const cEdCommand& cmd, int deferred);
