#include "stage/item_object.h"

#include "stage/actor_geometry.h"
#include "stage/scroll_axis.h"

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
