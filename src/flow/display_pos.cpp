#include "flow/display_pos.h"

#include "stage/actor.h"
#include "stage/game_object.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// The centre of an actor's sprite in map dots: its screen rectangle is in view coordinates.
void ActorCenter(const cActorBase& actor, double sx, double sy, double& x, double& y) {
    x = static_cast<double>(std::int64_t{actor.m_rcScreen.left} + (actor.m_nSpriteW >> 1)) + sx;
    y = static_cast<double>(std::int64_t{actor.m_rcScreen.top} + (actor.m_nSpriteH >> 1)) + sy;
}

}  // namespace

void CalcDisplayPos(double& outX, double& outY, std::int32_t width, std::int32_t height,
                    const cActorBase& actor, std::int32_t mode, std::int32_t blockX,
                    std::int32_t blockY, std::int32_t dotX, std::int32_t dotY) {
    const double sx = lpGame ? lpGame->m_ScrollX.m_dPos : 0.0;
    const double sy = lpGame ? lpGame->m_ScrollY.m_dPos : 0.0;
    const std::int64_t marginX = lpGame ? lpGame->m_ScrollX.m_nMargin : 0;
    const std::int64_t marginY = lpGame ? lpGame->m_ScrollY.m_nMargin : 0;
    const std::int32_t hw = width >> 1;
    const std::int32_t hh = height >> 1;
    const cActorBase* anchor = nullptr;
    if (mode == DISPPOS_ACTOR_CENTER) anchor = &actor;
    if (mode == DISPPOS_HERO_CENTER) anchor = FirstHero();
    if (anchor) {
        double cx = 0, cy = 0;
        ActorCenter(*anchor, sx, sy, cx, cy);
        outX = cx - hw + dotX;
        outY = cy - hh + dotY;
    } else if (mode == DISPPOS_SCREEN) {
        outX = sx + static_cast<double>(std::int64_t{blockX} * kBlockDots) + dotX;
        outY = sy + static_cast<double>(std::int64_t{blockY} * kBlockDots) + dotY;
    } else if (mode == DISPPOS_STAGE) {
        outX = static_cast<double>((blockX + marginX) * kBlockDots + dotX);
        outY = static_cast<double>((blockY + marginY) * kBlockDots + dotY);
    } else {
        outX = sx + (kViewW / 2) - hw + dotX;
        outY = sy + (kViewH / 2) - hh + dotY;
    }
}
