#include "stage/game_object.h"

#include <atomic>

ObjectId NewObjectId() {
    // Shared by every thread that makes objects (the game thread, the tests' threads); 64
    // bits never wrap in a run.
    static std::atomic<ObjectId> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

cGameObject::cGameObject() = default;
cGameObject::~cGameObject() = default;

void cGameObject::CopyFrom(const cGameObject& source) {
    if (&source == this) return;
    cGameObject::operator=(source);
}

void cGameObject::SetScale(int newScale, int oldScale) {
    if (newScale == oldScale) return;
    m_nBoxW = WrapMul(newScale, m_nBaseBoxW);
    m_nBoxH = WrapMul(newScale, m_nBaseBoxH);
    m_nSpriteW = WrapMul(newScale, m_nBaseSpriteW);
    m_nSpriteH = WrapMul(newScale, m_nBaseSpriteH);
    m_nOffsetX = WrapMul(newScale, m_nBaseOffsetX);
    m_nOffsetY = WrapMul(newScale, m_nBaseOffsetY);
    AdjustX(newScale, oldScale);
    AdjustForScale(newScale, oldScale);
    ScaleHitBoxes(newScale);
}

void cGameObject::ScaleHitBoxes(int) {}
void cGameObject::AdjustForScale(int, int) {}
void cGameObject::UpdateHitBoxX() {}
void cGameObject::UpdateHitBoxY() {}
void cGameObject::SetPos(int, int) {}
void cGameObject::MoveTo(int, int, cCommandInstance*) {}
void cGameObject::SetCenterX(int) {}
void cGameObject::MoveToX(int, cCommandInstance*) {}
void cGameObject::SetCenterY(int) {}
void cGameObject::MoveToY(int, cCommandInstance*) {}
