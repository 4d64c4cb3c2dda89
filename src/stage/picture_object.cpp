#include "stage/picture_object.h"

#include <cstdint>

#include "gfx/blit.h"
#include "gfx/surface.h"
#include "platform/trunc.h"
#include "stage/game_object.h"
#include "stage/game_scene.h"

namespace {

// The view's top-left in stage dots (the origin without a scene).
int ViewX() {
    return lpGame ? plat::TruncToInt(lpGame->m_ScrollX.m_dPos) : 0;
}
int ViewY() {
    return lpGame ? plat::TruncToInt(lpGame->m_ScrollY.m_dPos) : 0;
}

}  // namespace

void PictureObject::Set(std::int16_t number, double x, double y, std::int32_t width,
                        std::int32_t height, std::int32_t fixedToScreen, std::int32_t layer,
                        std::int32_t scale, std::int32_t durationKind, std::int32_t frames,
                        std::int32_t wait, std::int32_t managedById, std::int32_t id) {
    nNumber = number;
    dX = x;
    dY = y;
    nWidth = width;
    nHeight = height;
    bFixedToScreen = fixedToScreen;
    nLayer = layer;
    bStretched = scale != 100 ? 1 : 0;
    nDurationKind = durationKind;
    nFramesLeft = frames;
    bWait = wait;
    bManagedById = managedById;
    nId = id;
    if (bFixedToScreen) {
        nScreenX = Wrap32(std::int64_t{plat::TruncToInt(dX)} - ViewX());
        nScreenY = Wrap32(std::int64_t{plat::TruncToInt(dY)} - ViewY());
        bScreenPosSet = 1;
    }
}

int PictureObject::Draw(DDSURFACEDATA* target, DDSURFACEDATA* surface, int hold) {
    if (nDurationKind == PICTURE_FOR_TIME && (bWait || !hold)) {
        --nFramesLeft;
        if (nFramesLeft < 0) return 1;
    }
    int x = nScreenX, y = nScreenY;
    if (!bFixedToScreen) {
        x = Wrap32(std::int64_t{plat::TruncToInt(dX)} - ViewX());
        y = Wrap32(std::int64_t{plat::TruncToInt(dY)} - ViewY());
    }
    if (surface == nullptr) return 0;
    if (bStretched)
        DDBltScale(target, x, y, nWidth, nHeight, surface, 0, 0, surface->nWidth, surface->nHeight,
                   DDBLT_COLORKEY);
    else
        DDBltRect(target, x, y, nWidth, nHeight, surface, 0, 0, DDBLT_COLORKEY);
    return 0;
}
