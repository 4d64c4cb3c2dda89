// How characters, items and blocks enter the running stage: from the placement lists at the
// stage set-up (positions in blocks) and from the summon commands while it runs (positions
// in map dots). Objects are made in place in their list and taken out again when they would
// lie outside the stage, so only the objects that stay take a serial number.
#include <cstdint>
#include <iterator>

#include "base/message_box.h"
#include "data/common_palette.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_install.h"
#include "platform/trunc.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

// The block-summon modes.
constexpr int kSummonPlace = 0;
constexpr int kSummonErase = 1;
constexpr int kSummonToggle = 2;

// The centre of stage block (column, row) in map dots.
double BlockCentre(int block) {
    return (static_cast<double>(block) + kMapMarginBlocks) * kBlockDots + kHalfBlockDots;
}

// Copy i of a multi-placed record stands at its offsets from the first.
void AddCopyOffsets(cGameObject& object, const cEdChara& record, int i) {
    const int dx = record.PlaceOffsetX(i, record.nFacing);
    const int dy = record.PlaceOffsetY(i, record.nFacing);
    object.m_dX += dx;
    object.m_dRight += dx;
    object.m_dY += dy;
    object.m_dBottom += dy;
}

// An item record's own offsets in dots.
void AddItemOffsets(cItemObject& item, const cEdItem& record) {
    item.m_dX += record.nField5;
    item.m_dRight += record.nField5;
    item.m_dY += record.nField6;
    item.m_dBottom += record.nField6;
}

// The box at map dots (x, y) by its sprite offsets.
void PutBoxAt(cGameObject& object, double x, double y) {
    object.m_dX = x + object.m_nOffsetX;
    object.m_dY = y + object.m_nOffsetY;
    object.m_dRight = object.m_dX + object.m_nBoxW - 1;
    object.m_dBottom = object.m_dY + object.m_nBoxH - 1;
}

// Life in tenths of a second as ticks: b ticks a frame, 6 frames a tenth (the 32-bit
// product).
std::int32_t LifeTicks(std::int32_t tenths) {
    return WrapMul(WrapMul(tenths, EdStageWork.speed.nSubSteps), 6);
}

// Takes the newest element of the list out again.
template <class T>
void DropLast(ObjectList<T>& list) {
    list.Erase(std::prev(list.end()));
}

}  // namespace

int cGameScene::PlaceChara(ObjectList<cCharaActor>& list, int column, int row, std::int32_t& serial,
                           const cEdChara& record, const cItemObject* item) {
    cEdChara copy = record;
    for (int i = 0; i <= copy.nClones; ++i) {
        cCharaActor& chara = list.Add();
        if (chara.Init(serial, copy, item, BlockCentre(column), BlockCentre(row), i) ==
            kInstallFailed) {
            DropLast(list);
            return kInstallFailed;
        }
        chara.PlaceOnBlock(column, row);
        AddCopyOffsets(chara, copy, i);
        if (!chara.IsInStage(1)) {
            DropLast(list);
            continue;
        }
        chara.OnMovedX();
        chara.OnMovedY();
        chara.UpdateScreenRect();
        ++serial;
    }
    return 0;
}

int cGameScene::PlaceItem(ObjectList<cItemObject>& list, int column, int row, std::int32_t& serial,
                          const cEdItem& record) {
    cEdItem copy = record;
    cItemObject& item = list.Add();
    if (item.Init(serial, copy, 0) == kUnrollFailed) {
        DropLast(list);
        return kUnrollFailed;
    }
    item.SetBlockPos(column, row);
    AddItemOffsets(item, copy);
    if (!item.IsInStage(1)) {
        DropLast(list);
        return 0;
    }
    item.ClampX(2);
    item.ClampY(2);
    item.UpdateScreenRect();
    ++serial;
    return 0;
}

void cGameScene::SpawnChara(ObjectList<cCharaActor>& list, double x, double y, int group,
                            int facing, const cEdShot& params, const cEdChara& record,
                            std::int32_t& serial) {
    // The home point lies 320 dots right of and below the appearance point, as the
    // summons have always put it: the movement commands measure from it.
    const double homeX = kMapMarginDots + x + kHalfBlockDots;
    const double homeY = kMapMarginDots + y + kHalfBlockDots;
    for (int i = 0; i <= record.nClones; ++i) {
        cEdChara copy = record;
        copy.nFacing = static_cast<std::int8_t>(facing);
        copy.nSide = static_cast<std::int8_t>(group);
        if (params.bNoScore) copy.nScore = 0;
        cCharaActor& chara = list.Add();
        if (chara.Init(serial, copy, nullptr, homeX, homeY, i) == kInstallFailed) {
            DropLast(list);
            MemoryErrorAndClose();
            return;
        }
        PutBoxAt(chara, x, y);
        AddCopyOffsets(chara, copy, i);
        if (!chara.IsInStage(1)) {
            DropLast(list);
            continue;
        }
        chara.OnMovedX();
        chara.OnMovedY();
        chara.UpdateScreenRect();
        // Summoned into a wall or a block character: taken back at once.
        if (IsBlocked(chara, list)) {
            DropLast(list);
            continue;
        }
        if (params.bLifeLimit) chara.m_nLifeFrames = LifeTicks(params.nLife);
        m_vecGroupList[GroupListIndex(chara.m_nGroup)].push_front(&chara);
        ++serial;
    }
}

void cGameScene::SpawnItem(ObjectList<cItemObject>& list, double x, double y, const cEdShot& params,
                           const cEdItem& record, std::int32_t& serial) {
    cEdItem copy = record;
    cItemObject& item = list.Add();
    if (item.Init(serial, copy, 0) == kUnrollFailed) {
        DropLast(list);
        MemoryErrorAndClose();
        return;
    }
    PutBoxAt(item, x, y);
    AddItemOffsets(item, copy);
    if (!item.IsInStage(1)) {
        DropLast(list);
        return;
    }
    item.ClampX(2);
    item.ClampY(2);
    if (params.bLifeLimit) item.m_nLifeFrames = LifeTicks(params.nLife);
    ++serial;
}

void cGameScene::SpawnBlock(double x, double y, const cEdShot& params, const cEdBlock& record) {
    // The cell nearest to a block whose top-left corner is at (x, y).
    const std::int32_t column = plat::TruncToInt(x + 16.5) >> 5;
    const std::int32_t row = plat::TruncToInt(y + 16.5) >> 5;
    const std::int32_t index = BlockMap.CellIndex(column, row);
    cBlock& cell = BlockMap.Cell(index);

    // A guarded cell stays; with the newer rule only while its block is there.
    if (cell.bProtected) {
        if (EdSystem.bCompat637) return;
        if (cell.nGraphic != 0 && TestBlockConditions(cell)) return;
    }

    auto erase = [&] {
        cell.CopyBlock(EdCommonPalette.vecBlock[0]);
        cell.m_bLatch = 0;
    };
    // The block goes in; false when it covers an actor that the summon spares.
    auto place = [&] {
        if (!params.bNoSummonOnHero && !params.bNoSummonOnChara) {
            cell.CopyBlock(record);
            cell.m_bLatch = 0;
            CheckBlockOverlap(index, column, row, params);
            return true;
        }
        const cBlock kept = cell;
        cell.CopyBlock(record);
        cell.m_bLatch = 0;
        if (CheckBlockOverlap(index, column, row, params) == 1) {
            cell = kept;
            return false;
        }
        return true;
    };

    switch (params.nBlockSummonMode) {
        case kSummonPlace:
            place();
            break;
        case kSummonErase:
            erase();
            break;
        case kSummonToggle: {
            for (std::int32_t done : m_vecSummonedBlock)
                if (done == index) return;
            if (cell.nGraphic != 0 && TestBlockConditions(cell))
                erase();
            else if (!place())
                return;
            m_vecSummonedBlock.push_back(index);
            break;
        }
        default:
            break;
    }
}

int cGameScene::CheckBlockOverlap(int index, int column, int row, const cEdShot& params) {
    const double left = static_cast<double>(column) * kBlockDots;
    const double top = static_cast<double>(row) * kBlockDots;
    const double right = left + kBlockDots - 0.1;
    const double bottom = top + kBlockDots - 0.1;
    cBlock& cell = BlockMap.Cell(index);
    // Heroes, then the characters that take part.
    for (cHeroActor& hero : Player) {
        if (hero.m_bDying || cell.GetHitType(hero.m_nGroup) == 0) continue;
        if (!hero.RectOverlaps(left, top, right, bottom)) continue;
        hero.m_nHoldFrames = 2;
        if (params.bNoSummonOnHero) return 1;
    }
    for (cCharaActor& chara : CharaList) {
        if (!chara.m_bPresent || chara.m_bDying || cell.GetHitType(chara.m_nGroup) == 0) continue;
        if (!chara.RectOverlaps(left, top, right, bottom)) continue;
        chara.m_nHoldFrames = 2;
        if (params.bNoSummonOnChara) return 1;
    }
    return 0;
}
