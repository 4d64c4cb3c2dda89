#include "stage/item_object.h"

#include <cstdint>

#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "gfx/anim_pattern.h"
#include "stage/actor_geometry.h"
#include "stage/actor_services.h"
#include "stage/scroll_axis.h"

namespace {

// Every item blinks between its first two patterns, 15 frames each.
constexpr ANIMSTEPDEF kItemSeq0[] = {{0, 15, 0}, {1, 15, 0}, {ANIM_RESTART, 0, 0}};
constexpr const ANIMSTEPDEF* kItemSteps[] = {kItemSeq0, nullptr};

// Sizes come from the stage file: the halving is made in 64 bits and wraps to 32 like the
// machine's instead of being undefined for a damaged value.
std::int32_t CentredOffset(std::int32_t size) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(std::int64_t{kHalfBlockDots} - (size >> 1)));
}

}  // namespace

int cItemObject::Init(int serial, cEdItem& record, int carried) {
    if (record.nGiant == 0) record.nGiant = 1;
    m_Item = record;
    const std::int32_t w = EdStageWork.nItemBodyW;
    const std::int32_t h = EdStageWork.nItemBodyH;
    cGameObject::Init(serial, 0, 0, m_Item.nGraphic, kItemSteps, 0, CentredOffset(w),
                      CentredOffset(h), w, h, kBlockDots, kBlockDots, 0, 1, 0);
    m_bScrollSync = 0;
    m_bCarried = carried;
    if (carried)
        m_bPresent = 1;
    else
        SetScale(GiantSize(), 1);
    // A command list too large to write out is a failed allocation; the caller decides
    // what follows from it.
    m_CommandCharge.Release();
    if (UnrollAndCharge(m_Item.vecItemCommand, m_CommandCharge) == kUnrollFailed)
        return kUnrollFailed;
    return 0;
}

void cItemObject::ScaleHitBoxes(int) {}

void cItemObject::AdjustForScale(int newScale, int oldScale) {
    if (newScale == oldScale) return;
    m_dY -= WrapMul(newScale - oldScale, m_nBaseBoxH + m_nBaseOffsetY);
    ClampY(2);
}

int cItemObject::GiantSize() const {
    return GiantScale(m_Item.nGiant);
}

int cItemObject::SetBlockPos(int column, int row) {
    m_dX =
        (static_cast<double>(column) + GeomAxisX().m_nMargin) * kBlockDots + m_nBaseOffsetX + 0.5;
    m_dY = (static_cast<double>(row) + GeomAxisY().m_nMargin) * kBlockDots + m_nBaseOffsetY;
    AdjustX(GiantSize(), 1);
    ClampX(2);
    return ClampY(2);
}
