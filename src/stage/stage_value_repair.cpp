#include "stage/stage_value_repair.h"

#include <cmath>
#include <cstdint>

#include "base/log.h"

namespace {

// Beyond this a double of a stage means nothing the engine could show: a million dots per
// frame, or a million times a speed.
constexpr double kMaxMagnitude = 1e6;

constexpr double kDefaultGravity = 0.4;
constexpr double kDefaultRate = 0.1;
constexpr double kDefaultTurnFactor = 1.0;

constexpr std::int32_t kMinLevel = 1;
constexpr std::int32_t kMaxLevel = 100;

bool Damaged(double value) {
    return !std::isfinite(value) || std::fabs(value) > kMaxMagnitude;
}

// The counts of the values repaired inside the flows and commands.
struct ListRepairs {
    int nTurnFactors = 0;
    int nKeyConditions = 0;
};

void RepairFlows(CheckedVector<cEdFlow>& flows, ListRepairs& repairs);

void RepairCommands(CheckedVector<cEdCommand>& commands, ListRepairs& repairs) {
    for (cEdCommand& cmd : commands) {
        if (cEdMove* move = cmd.spMove.get(); move && Damaged(move->fTurnFactor)) {
            move->fTurnFactor = kDefaultTurnFactor;
            ++repairs.nTurnFactors;
        }
        // Flows nest no deeper than the reader allows (kMaxFlowNesting).
        RepairFlows(cmd.vecFlow, repairs);
    }
}

void RepairFlows(CheckedVector<cEdFlow>& flows, ListRepairs& repairs) {
    for (cEdFlow& flow : flows) {
        for (cEdKeyCondition& key : flow.vecKeyCondition) {
            const std::size_t wanted = cEdKeyCondition::kKeyStateCount;
            if (key.vecKeyState.size() < wanted) {
                key.vecKeyState.resize(wanted, 0);
                ++repairs.nKeyConditions;
            }
        }
        RepairCommands(flow.vecCommand, repairs);
    }
}

int RepairDouble(double& value, double fallback, const char* what) {
    if (!Damaged(value)) return 0;
    ReportLog("stage: %s %g is damaged, %g used", what, value, fallback);
    value = fallback;
    return 1;
}

}  // namespace

int RepairDamagedStageValues(cEdStage& stage) {
    int repaired = RepairDouble(stage.dGravity, kDefaultGravity, "gravity");

    int rates = 0;
    int offsets = 0;
    for (cEdBackground& bg : stage.vecBackground) {
        for (double* rate : {&bg.dRateX, &bg.dRateY}) {
            if (!Damaged(*rate)) continue;
            *rate = kDefaultRate;
            ++rates;
        }
        for (double* offset : {&bg.dOffsetX, &bg.dOffsetY}) {
            if (!Damaged(*offset)) continue;
            *offset = 0;
            ++offsets;
        }
    }
    if (rates) ReportLog("stage: %d background scroll rates damaged, %g used", rates, kDefaultRate);
    if (offsets) ReportLog("stage: %d background scroll offsets damaged, 0 used", offsets);
    repaired += rates + offsets;

    if (stage.nLevel < kMinLevel || stage.nLevel > kMaxLevel) {
        const std::int32_t held = stage.nLevel < kMinLevel ? kMinLevel : kMaxLevel;
        ReportLog("stage: level %d out of range, %d used", stage.nLevel, held);
        stage.nLevel = held;
        ++repaired;
    }

    ListRepairs lists;
    for (auto* charas : {&stage.vecCharaPalette, &stage.vecChara}) {
        for (cEdChara& chara : *charas) RepairFlows(chara.vecFlow, lists);
    }
    for (auto* items : {&stage.vecItemPalette, &stage.vecItem}) {
        for (cEdItem& item : *items) RepairCommands(item.vecItemCommand, lists);
    }
    if (lists.nTurnFactors) {
        ReportLog("stage: %d move turn factors damaged, %g used", lists.nTurnFactors,
                  kDefaultTurnFactor);
    }
    if (lists.nKeyConditions) {
        ReportLog("stage: %d key conditions with fewer than %d key states padded",
                  lists.nKeyConditions, cEdKeyCondition::kKeyStateCount);
    }
    repaired += lists.nTurnFactors + lists.nKeyConditions;

    stage.SetGameSpeed(stage.nLevel);
    return repaired;
}
