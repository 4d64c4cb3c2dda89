#include "flow/command_budget.h"

#include "flow/flow_instance.h"

namespace {

struct StageAccount {
    CommandWeight charged;
    // Numbers the accounts: a charge taken from an earlier one is not given back to this.
    std::uint32_t nAccount = 1;
};
StageAccount s_account;

std::int64_t TextBytes(const std::string& text) {
    return static_cast<std::int64_t>(text.size());
}

}  // namespace

std::int64_t InstalledCommandBytes(const cEdCommand& cmd) {
    std::int64_t bytes = sizeof(cEdCommand) + sizeof(cCommandInstance);
    bytes += static_cast<std::int64_t>(cmd.vecParam.size()) * sizeof(std::int32_t);
    bytes += TextBytes(cmd.strText);
    if (cmd.spMove) bytes += sizeof(cEdMove);
    if (cmd.spShot) bytes += sizeof(cEdShot);
    for (const cEdFlow& flow : cmd.vecFlow) bytes += FlowRecordBytes(flow);
    return bytes;
}

std::int64_t FlowRecordBytes(const cEdFlow& flow) {
    std::int64_t bytes = sizeof(cEdFlow) + TextBytes(flow.strText);
    bytes += static_cast<std::int64_t>(flow.vecCondition.size()) * sizeof(cEdCondition);
    for (const cEdKeyCondition& key : flow.vecKeyCondition)
        bytes += sizeof(cEdKeyCondition) + static_cast<std::int64_t>(key.vecKeyState.size());
    // The nested commands are records only; an instance is made when they are installed.
    for (const cEdCommand& cmd : flow.vecCommand)
        bytes += InstalledCommandBytes(cmd) - static_cast<std::int64_t>(sizeof(cCommandInstance));
    return bytes;
}

void ResetStageCommandBudget() {
    s_account.charged = CommandWeight{};
    ++s_account.nAccount;
}

CommandWeight StageCommandRoom() {
    return CommandWeight{kMaxStageCommands - s_account.charged.nCommands,
                         kMaxStageCommandBytes - s_account.charged.nBytes};
}

CommandWeight StageCommandsCharged() {
    return s_account.charged;
}

CommandCharge::CommandCharge(const CommandCharge& source) {
    Copy(source);
}

CommandCharge& CommandCharge::operator=(const CommandCharge& source) {
    if (this != &source) {
        Release();
        Copy(source);
    }
    return *this;
}

CommandCharge::~CommandCharge() {
    Release();
}

void CommandCharge::Copy(const CommandCharge& source) {
    // A share of an earlier account stays out of this one, as the source's does.
    if (source.m_nAccount != s_account.nAccount) return;
    m_Held = source.m_Held;
    m_nAccount = s_account.nAccount;
    s_account.charged.nCommands += m_Held.nCommands;
    s_account.charged.nBytes += m_Held.nBytes;
}

bool CommandCharge::Take(const CommandWeight& weight) {
    const CommandWeight room = StageCommandRoom();
    if (weight.nCommands > room.nCommands || weight.nBytes > room.nBytes) return false;
    if (m_nAccount != s_account.nAccount) {
        // What was held of an earlier account is not part of this one.
        m_Held = CommandWeight{};
        m_nAccount = s_account.nAccount;
    }
    m_Held.nCommands += weight.nCommands;
    m_Held.nBytes += weight.nBytes;
    s_account.charged.nCommands += weight.nCommands;
    s_account.charged.nBytes += weight.nBytes;
    return true;
}

void CommandCharge::Release() {
    if (m_nAccount == s_account.nAccount) {
        s_account.charged.nCommands -= m_Held.nCommands;
        s_account.charged.nBytes -= m_Held.nBytes;
    }
    m_Held = CommandWeight{};
    m_nAccount = 0;
}
