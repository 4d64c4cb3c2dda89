#include "stage/block_map.h"

#include <climits>
#include <cstddef>
#include <functional>

#include "base/log.h"
#include "data/stage_record.h"
#include "platform/trunc.h"
#include "stage/actor.h"

cBlockMap BlockMap;

namespace {

// The default while no game scene has installed the evaluation of the flow conditions: every
// condition list holds.
bool AllConditionsHold(cBlock&) {
    return true;
}

BlockConditionEvaluator conditionEvaluator = &AllConditionsHold;

// The character record's block-character flag (the byte after the invincible blend colour).
bool IsBlockChara(const cCharaActor& chara) {
    return chara.m_Chara.b32Mode != 0;
}

}  // namespace

std::int32_t BlockMapRowShift(std::int64_t width) {
    if (width < 0) return 0;
    // Halving until nothing is left counts the bits of the last column's index.
    std::int64_t last = width + (2 * kMapMarginBlocks - 1);
    std::int32_t shift = 0;
    while (last > 0) {
        last /= 2;
        ++shift;
    }
    return shift;
}

// cBlock

cBlock::cBlock() {
    nGraphic = 0;
    nHitType = kHitNone;
    bProtected = 0;
}

cBlock::~cBlock() = default;

void cBlock::CopyBlock(const cEdBlock& block) {
    static_cast<cEdBlock&>(*this) = block;
}

std::int8_t cBlock::GetHitType(std::int32_t group) {
    if (!vecCondition.empty() && !TestBlockConditions(*this)) return kHitNone;
    // 255 exempts nobody, whatever group number the caller passes.
    if (nExemptSide != kNoExemptGroup && static_cast<std::int8_t>(nExemptSide) == group) {
        return kHitNone;
    }
    return nHitType;
}

// cBlockMap

bool cBlockMap::IsPlayableSize(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0) return false;
    // A side beyond the cell budget cannot fit whatever the other one is; this also keeps
    // the shift and the product below far from overflowing.
    if (width > kMaxBlockMapCells || height > kMaxBlockMapCells) return false;
    const std::int64_t pitch = std::int64_t{1} << BlockMapRowShift(width);
    return pitch * (height + 2 * kMapMarginBlocks) <= kMaxBlockMapCells;
}

void cBlockMap::Clear() {
    m_vecCell.Destroy();
    m_nShift = 0;
    m_nColumns = 0;
    m_nRows = 0;
}

bool cBlockMap::Build(std::int32_t width, std::int32_t height) {
    Clear();
    if (!IsPlayableSize(width, height)) {
        ReportLogErr("block map refused: stage of %d x %d blocks", width, height);
        return false;
    }
    m_nShift = BlockMapRowShift(width);
    m_nColumns = width + 2 * kMapMarginBlocks;
    m_nRows = height + 2 * kMapMarginBlocks;
    const cBlock blank;
    m_vecCell.resize(static_cast<std::size_t>(Pitch()) * static_cast<std::size_t>(m_nRows), blank);
    return true;
}

bool cBlockMap::Build(const cEdStage& stage) {
    if (!Build(stage.nWidth, stage.nHeight)) return false;
    int outside = 0;
    for (const cEdBlock& block : stage.vecBlock) {
        const std::int32_t column = block.nPlaceX + kMapMarginBlocks;
        const std::int32_t row = block.nPlaceY + kMapMarginBlocks;
        // Off the map a block would land in another row's cell (or beyond the map): it
        // cannot be shown where the stage puts it, so it is not placed at all.
        if (column < 0 || column >= m_nColumns || row < 0 || row >= m_nRows) {
            ++outside;
            continue;
        }
        Cell(CellIndex(column, row)).CopyBlock(block);
    }
    if (outside != 0) ReportLog("block map: %d blocks outside the stage left out", outside);
    return true;
}

std::int32_t cBlockMap::CellIndex(std::int32_t column, std::int32_t row) const {
    const std::int64_t index = std::int64_t{column} + (std::int64_t{row} << m_nShift);
    if (index < INT_MIN || index > INT_MAX) return -1;
    return static_cast<std::int32_t>(index);
}

std::int32_t cBlockMap::CellIndexAt(double x, double y) const {
    return CellIndex(plat::TruncToInt(x) >> 5, plat::TruncToInt(y) >> 5);
}

std::int32_t cBlockMap::IndexOf(const cBlock* cell) const {
    const cBlock* first = m_vecCell.data();
    const cBlock* end = first + m_vecCell.size();
    const std::less<const cBlock*> before;
    if (cell == nullptr || before(cell, first) || !before(cell, end)) return -1;
    return static_cast<std::int32_t>(cell - first);
}

// Existence and hit types

BlockConditionEvaluator SetBlockConditionEvaluator(BlockConditionEvaluator evaluator) {
    const BlockConditionEvaluator previous = conditionEvaluator;
    conditionEvaluator = evaluator != nullptr ? evaluator : &AllConditionsHold;
    return previous;
}

bool TestBlockConditions(cBlock& cell) {
    if (cell.vecCondition.empty()) return true;
    if (cell.bCondLatch != 0 && cell.m_bLatch != 0) return true;
    if (!conditionEvaluator(cell)) return false;
    cell.m_bLatch = 1;
    return true;
}

std::int32_t FindCornerBlock(std::int32_t left, std::int32_t top, std::int32_t right,
                             std::int32_t bottom, std::int32_t group) {
    const std::int32_t corners[4] = {
        BlockMap.CellIndex(left, top),
        BlockMap.CellIndex(right, top),
        BlockMap.CellIndex(left, bottom),
        BlockMap.CellIndex(right, bottom),
    };
    std::int32_t best = corners[0];
    std::int8_t bestType = BlockMap.Cell(best).GetHitType(group);
    for (int i = 1; i < 4; ++i) {
        const std::int8_t type = BlockMap.Cell(corners[i]).GetHitType(group);
        if (type > bestType) {
            best = corners[i];
            bestType = type;
        }
    }
    return best;
}

// Free places

bool IsBlocked(const cActorBase& actor, const ObjectList<cCharaActor>& charas) {
    if (actor.m_bFlying != 0 && actor.m_nBlockMode == 0) return false;
    const std::int32_t cell =
        FindCornerBlock(actor.m_nCellLeft, actor.m_nCellTop, actor.m_nCellRight,
                        actor.m_nCellBottom, actor.m_nGroup);
    if (BlockMap.Cell(cell).GetHitType(actor.m_nGroup) != kHitNone) return true;
    return OverlapsBlockChara(actor, charas);
}

bool OverlapsBlockChara(const cActorBase& actor, const ObjectList<cCharaActor>& charas) {
    for (const cCharaActor& chara : charas) {
        if (!IsBlockChara(chara) || chara.m_bDying != 0 || chara.m_bPresent == 0) continue;
        if (chara.m_nSerial == actor.m_nSerial) continue;
        if (chara.m_dX <= actor.m_dRight && chara.m_dRight >= actor.m_dX &&
            chara.m_dY <= actor.m_dBottom && chara.m_dBottom >= actor.m_dY) {
            return true;
        }
    }
    return false;
}
