// What the flows of one stage may hold once their loops are written out. A stage file of a
// hundred bytes can ask for any number of commands through its loops, its placed copies and
// its summons; the stage therefore keeps one account of the commands installed in its live
// objects, weighted by the memory they take, and refuses an installation that would pass
// the account's limits before anything of it is allocated.
//
// Each object that holds installed commands keeps a charge on the account; the charge goes
// back when the object is destroyed (or its flows are replaced), so a stage that summons
// and removes characters all the time never runs out. A new stage set-up starts a new
// account: charges of the objects of an earlier attempt no longer count.
#pragma once

#include <cstdint>

#include "data/command_record.h"
#include "data/flow_records.h"

// The limits of one stage: installed commands, and the bytes of their records and running
// instances. A stage the editor saved stays far below both.
inline constexpr std::int64_t kMaxStageCommands = std::int64_t{1} << 20;
inline constexpr std::int64_t kMaxStageCommandBytes = std::int64_t{256} << 20;

// A number of commands and their weight in bytes.
struct CommandWeight {
    std::int64_t nCommands = 0;
    std::int64_t nBytes = 0;
};

// The memory of one installed command: its record (parameters, text, move and shot records
// and the flows it carries, counted through every level) and its running instance.
std::int64_t InstalledCommandBytes(const cEdCommand& cmd);
// The memory of a flow record with its conditions, key conditions and commands (their
// records only).
std::int64_t FlowRecordBytes(const cEdFlow& flow);

// Starts the account of a new stage (or attempt): nothing charged.
void ResetStageCommandBudget();
// What the account has left.
CommandWeight StageCommandRoom();
// What is charged now.
CommandWeight StageCommandsCharged();

// An object's share of the stage's account. A copy of an object holds copies of its
// commands, so copying a charge charges the account again (without a limit: the copy
// exists already); destroying it gives the share back to the account it was taken from.
class CommandCharge {
public:
    CommandCharge() = default;
    CommandCharge(const CommandCharge& source);
    CommandCharge& operator=(const CommandCharge& source);
    ~CommandCharge();

    // Adds the weight to this share when the account has room for it; false (nothing
    // charged) when it has not.
    bool Take(const CommandWeight& weight);
    // Gives the whole share back.
    void Release();
    const CommandWeight& Held() const { return m_Held; }

private:
    void Copy(const CommandCharge& source);

    CommandWeight m_Held;
    std::uint32_t m_nAccount = 0;
};
