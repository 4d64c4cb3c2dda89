#include "stage/projectile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "data/database.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/surface_tables.h"
#include "platform/trunc.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/graphic_source.h"
#include "stage/formation.h"
#include "stage/game_scene.h"
#include "stage/homing.h"
#include "stage/scroll_axis.h"
#include "stage/stage_objects.h"

namespace {

// The shot sheet's animation: a sword cycles three cells of 7 steps and ends; a shot
// alternates two cells of 8 steps for ever.
const ANIMSTEPDEF kSwordSteps[] = {{0, 7, 0}, {1, 7, 0}, {2, 7, 0}, {-4, 0, 0}};
const ANIMSTEPDEF kShotSteps[] = {{0, 8, 0}, {1, 8, 0}, {-2, 0, 0}};
const ANIMSTEPDEF* const kProjectileSteps[] = {kSwordSteps, kShotSteps, nullptr};

// A shot's cell and box.
constexpr int kShotDots = 16;
// Sword frame attach kinds.
constexpr int kAttachFront = 0;
constexpr int kAttachBehind = 1;
constexpr int kAttachAbove = 2;
constexpr int kAttachBelow = 3;
// Shot sheets: the sheet of a facing is the standard surface 20 + facing.
constexpr int kShotSheetFirst = 20;
constexpr int kShotSheetColumns = 30;

const GameSpeedConstants& Speed() {
    return EdStageWork.speed;
}

// x / b, 0 while no tick runs.
double PerTick(double v) {
    const double b = Speed().dSubSteps;
    return b > 0 ? v / b : 0.0;
}

cEdSwordType& SwordType(int type) {
    return EdDatabase.vecSwordType[type];
}

// Whether stretched draws use the second copy of a surface: always, except on the DirectDraw
// back end with its video-memory stretch.
bool StretchUsesCopy() {
    return !(lpDDCon && !lpDTCon && SystemIni.DD_VideoStretch);
}

// The cells sampled along one side of a box: from `start` every 32 dots, the last at the far
// edge; limited to the map, so that a box of damaged size costs no more than the map.
template <class F>
bool SampleSide(double start, std::int32_t size, double mapEnd, F&& test) {
    const double last = start + size - 1;
    double from = start < 0 ? 0.0 : start;
    const double to = last > mapEnd - 1 ? mapEnd - 1 : last;
    if (size <= kBlockDots) {
        // The two ends only.
        return test(start) || test(last);
    }
    for (double v = from; v < to; v += kBlockDots)
        if (test(v)) return true;
    return test(to);
}

}  // namespace

int SwordFrameCount(int swordType) {
    if (swordType < 0 || swordType >= static_cast<int>(EdDatabase.vecSwordType.size())) return 0;
    return static_cast<int>(EdDatabase.vecSwordType[swordType].vecFrame.size());
}

cProjectile::~cProjectile() {
    ReleaseTarget();
}

void cProjectile::SetHomingTarget(cActorBase* target) {
    if (target == m_pTarget) {
        if (!target) return;
    } else {
        ReleaseTarget();
    }
    m_pTarget = target;
    if (!target) return;
    auto& list = target->m_vecHomingShots;
    if (std::find(list.begin(), list.end(), this) == list.end()) list.push_back(this);
}

void cProjectile::ReleaseTarget() {
    if (!m_pTarget) return;
    auto& list = m_pTarget->m_vecHomingShots;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    m_pTarget = nullptr;
}

void cProjectile::Init(int serial, cActorBase& firer, int type, const cEdShot& shot,
                       const SpawnInfo& spawn) {
    const double b = Speed().dSubSteps;
    const std::int32_t g = GiantScale(shot.nGiant);
    m_Shot = shot;
    m_Shot.nGiant = static_cast<std::int8_t>(g);

    const std::int32_t facing = spawn.dVX > 0 ? 1 : (spawn.dVX == 0 ? firer.m_bFacingRight : 0);
    const bool sword = type == kCmdSword;
    std::int32_t w = kShotDots;
    std::int32_t h = kShotDots;
    if (sword) {
        const cEdSwordFrame& frame = SwordType(shot.nHomingKind).vecFrame[0];
        w = frame.nCutWidth;
        h = frame.nCutHeight;
    }
    m_bIsShot = sword ? 0 : 1;
    m_nOwnerSerial = firer.m_nSerial;

    cGameObject::Init(serial, firer.m_nOperator, shot.nSide, shot.nGraphic, kProjectileSteps,
                      sword ? 0 : 1, 0, 0, w, h, w, h, facing, 1, spawn.nClone);
    if (m_Shot.bUserSide) {
        m_Shot.nSide = static_cast<std::int8_t>(firer.m_nGroup);
        m_nGroup = firer.m_nGroup;
    }

    if (sword) {
        m_HitBox.nOffsetX = m_HitBox.nBaseOffsetX = 0;
        m_HitBox.nOffsetY = m_HitBox.nBaseOffsetY = 0;
        m_HitBox.nWidth = m_HitBox.nBaseWidth = w;
        m_HitBox.nHeight = m_HitBox.nBaseHeight = h;
    } else {
        const bool player = firer.m_nOperator == 0;
        const std::int32_t bw = player ? EdStageWork.nHeroShotRangeW : EdStageWork.nCharaShotRangeW;
        const std::int32_t bh = player ? EdStageWork.nHeroShotRangeH : EdStageWork.nCharaShotRangeH;
        m_HitBox.nOffsetX = m_HitBox.nBaseOffsetX = Wrap32(8 - (std::int64_t{bw} >> 1));
        m_HitBox.nOffsetY = m_HitBox.nBaseOffsetY = Wrap32(8 - (std::int64_t{bh} >> 1));
        m_HitBox.nWidth = m_HitBox.nBaseWidth = bw;
        m_HitBox.nHeight = m_HitBox.nBaseHeight = bh;
    }
    SetScale(g, 1);

    m_dX = spawn.nX;
    ClampStageX();
    m_dY = spawn.nY;
    ClampY(2);
    m_dOwnVX = PerTick(spawn.dVX);
    m_dOwnVY = PerTick(spawn.dVY);

    if (m_Shot.bAccel) {
        m_bAccel = 1;
        m_dAccel =
            PerTick((m_Shot.nAccel + m_Shot.nAccelInc * static_cast<double>(m_nCloneValue)) * 0.1);
        AimAccel(spawn.dVX, spawn.dVY);
    } else {
        m_bAccel = 0;
        m_dAccel = 0;
        m_dMoveVX = m_dMoveVY = 0;
    }
    m_dVX = m_dVY = 0;
    m_bScrollSync = m_Shot.bGuided;

    const std::int64_t tenth = Speed().nSubSteps6;
    if (m_Shot.bLifeLimit) m_nLifeTicks = Wrap32(std::int64_t{spawn.nTime} * tenth);
    if (m_Shot.bRangeLimit) {
        double a = static_cast<double>(spawn.nRange) * kHalfBlockDots - m_nBoxW;
        if (a < 0) a = 0;
        const double d = std::fabs(PerTick(spawn.dSpeed));
        const std::int32_t bi = plat::TruncToInt(b);
        if (a > 0 && d > 0) {
            m_nRangeTicks = plat::TruncToInt(std::min(a / d, 2147483647.0));
        } else {
            m_nRangeTicks = bi;
            if (d > 0 && m_nBoxW < plat::TruncToInt(d * b))
                m_nRangeTicks = plat::TruncToInt(m_nBoxW / d);
        }
        if (m_nRangeTicks < b) {
            // The distance is covered in the b ticks of one frame. A spawn velocity of 0 (a
            // direction without a course) keeps its own velocity 0.
            const double sum = std::fabs(spawn.dVX) + std::fabs(spawn.dVY);
            if (sum > 0 && b > 0) {
                m_dOwnVX = (a / b) * spawn.dVX / sum;
                m_dOwnVY = (a / b) * spawn.dVY / sum;
            } else {
                m_dOwnVX = m_dOwnVY = 0;
            }
            m_nRangeTicks = bi;
        }
    }

    m_nTick = 0;
    m_nSwordFrame = 0;
    m_nHomingStart = 0;
    m_nHomingEnd = 0;
    m_bHomingDone = 0;
    // Only the kinds that home on the firer's target keep it.
    const bool homesOnTarget = !sword && (m_Shot.nHomingKind == kHomingAimTarget ||
                                          m_Shot.nHomingKind == kHomingSteerTarget);
    SetHomingTarget(homesOnTarget ? firer.m_pTarget : nullptr);
}

int cProjectile::Update() {
    if (!m_bIsShot) return UpdateSword();

    const bool sync = EdSystem.bCompat214 == 0 && m_bScrollSync;
    m_dVX = sync ? ActiveScrollSpeed(GeomAxisX()) : 0.0;
    if (m_bFlying) m_dVY = sync ? ActiveScrollSpeed(GeomAxisY()) : 0.0;

    RunHoming(*this);

    if (m_bAccel) {
        m_dOwnVX += m_dMoveVX;
        if (m_bFlying)
            m_dOwnVY += m_dMoveVY;
        else
            m_dVY += m_dMoveVY;
    }
    m_dVX += m_dOwnVX;
    if (m_bFlying) m_dVY += m_dOwnVY;

    if (m_Shot.bLifeLimit) {
        if (m_nLifeTicks < 1) return 1;
        --m_nLifeTicks;
    }
    if (m_dVX != 0) m_bFacingRight = m_dVX >= 0 ? 1 : 0;

    if (m_Shot.bRangeLimit) {
        if (m_nRangeTicks >= 1) {
            --m_nRangeTicks;
        } else if (!m_Shot.bStopAtRange) {
            return 1;
        } else {
            // Stopped for good where its range ended; it only drifts with the scroll.
            m_dOwnVX = m_dOwnVY = 0;
            m_Shot.nHomingKind = kHomingStraight;
            if (m_bScrollSync) {
                const ScrollAxis& ax = GeomAxisX();
                const ScrollAxis& ay = GeomAxisY();
                if (!ax.m_bAtLimit) m_dVX = ax.m_dAutoSpeed;
                if (m_bFlying && !ay.m_bAtLimit) m_dVY = ay.m_dAutoSpeed;
            } else {
                m_dVX = m_dVY = 0;
            }
        }
    }
    return 0;
}

int cProjectile::StepX() {
    if (m_dMoveVX != 0) m_dVX += m_dMoveVX;
    if (m_dVX != 0) {
        const double vmax = Speed().dStepSpeedLimit;
        m_dVX = std::clamp(m_dVX, -vmax, vmax);
        m_dX += m_dVX;
        ClampStageX();
    }
    return 0;
}

int cProjectile::StepY() {
    if (m_dMoveVY != 0) m_dVY += m_dMoveVY;
    if (m_dVY != 0) {
        MoveY(2);
        ClampY(2);
    }
    return 0;
}

int cProjectile::ClampStageX() {
    const std::int32_t end = GeomAxisX().m_nExtent;
    int code = 0;
    if (m_dX >= 0) {
        if (m_dX + m_nBoxW - 1 >= end) {
            m_dX = static_cast<double>(end) - m_nBoxW;
            code = 3;
        }
    } else {
        // Before the map, or not a number after damaged speeds.
        m_dX = 0;
        code = 3;
    }
    m_dRight = m_dX + m_nBoxW - 1;
    UpdateHitBoxX();
    m_nCellLeft = plat::TruncToInt(m_dX) >> 5;
    m_nCellRight = plat::TruncToInt(m_dRight) >> 5;
    return code;
}

void cProjectile::AimAccel(double vx, double vy) {
    if (vx != 0 && vy != 0) {
        const double l = std::sqrt(vx * vx + vy * vy);
        m_dMoveVX = PerFrameSpeed(vx / l * m_dAccel);
        m_dMoveVY = PerFrameSpeed(vy / l * m_dAccel);
    } else if (vx != 0) {
        m_dMoveVX = vx > 0 ? PerFrameSpeed(m_dAccel) : -PerFrameSpeed(m_dAccel);
        m_dMoveVY = 0;
    } else if (vy != 0) {
        m_dMoveVX = 0;
        m_dMoveVY = vy > 0 ? PerFrameSpeed(m_dAccel) : -PerFrameSpeed(m_dAccel);
    } else {
        m_dMoveVX = m_dMoveVY = 0;
    }
}

int cProjectile::UpdateSword() {
    cActorBase* owner = FindActorBySerial(m_nOwnerSerial);
    if (!owner) return 1;
    cEdSwordType& type = SwordType(m_Shot.nHomingKind);
    // A type without frames shows nothing and ends at once.
    if (m_nSwordFrame < 0 || m_nSwordFrame >= static_cast<int>(type.vecFrame.size())) return 1;

    owner->UpdateScreenRect();
    m_bFacingRight = owner->m_bFacingRight;
    const cEdSwordFrame& f = type.vecFrame[m_nSwordFrame];
    const std::int32_t g = GiantScale(m_Shot.nGiant);
    if (m_nTick == 0) {
        m_nBaseSpriteW = m_nBaseBoxW = m_HitBox.nBaseWidth = f.nCutWidth;
        m_nBaseSpriteH = m_nBaseBoxH = m_HitBox.nBaseHeight = f.nCutHeight;
        m_nSpriteW = m_nBoxW = m_HitBox.nWidth = WrapMul(f.nCutWidth, g);
        m_nSpriteH = m_nBoxH = m_HitBox.nHeight = WrapMul(f.nCutHeight, g);
    }

    const double sx = GeomAxisX().m_dPos;
    const double sy = GeomAxisY().m_dPos;
    const double left = owner->m_rcScreen.left + sx;
    const double right = owner->m_rcScreen.right + sx;
    const double top = owner->m_rcScreen.top + sy;
    const double bottom = owner->m_rcScreen.bottom + sy;
    const bool right_ = owner->m_bFacingRight != 0;
    switch (f.nPlace) {
        case kAttachFront:
            m_dX = right_ ? right + 1 : left - m_nSpriteW;
            m_dY = top + (owner->m_nSpriteH >> 1) - (m_nSpriteH >> 1);
            break;
        case kAttachBehind:
            m_bFacingRight = right_ ? 0 : 1;
            m_dX = right_ ? left - m_nSpriteW : right + 1;
            m_dY = top + (owner->m_nSpriteH >> 1) - (m_nSpriteH >> 1);
            break;
        case kAttachAbove:
            m_dX = left + (owner->m_nSpriteW >> 1) - (m_nSpriteW >> 1);
            m_dY = top - m_nSpriteH;
            break;
        case kAttachBelow:
            m_dX = left + (owner->m_nSpriteW >> 1) - (m_nSpriteW >> 1);
            m_dY = bottom + 1;
            break;
        default:
            break;
    }
    const double ox = static_cast<double>(f.nOffsetX) * g;
    const double oy = static_cast<double>(f.nOffsetY) * g;
    if (!right_) {
        m_dX += ox;
        m_dY += oy;
    } else {
        m_dX += f.bFlipX ? -ox : ox;
        m_dY += f.bFlipY ? -oy : oy;
    }
    ClampStageX();
    ClampY(2);

    ++m_nTick;
    if (m_nTick > std::int64_t{f.nTime} * Speed().nSubSteps6) {
        m_nTick = 0;
        if (++m_nSwordFrame >= static_cast<int>(type.vecFrame.size())) return 1;
    }
    return 0;
}

int cProjectile::HitsBlock() {
    if (m_Shot.nBlockMode == 1) return 0;
    auto solid = [this](double x, double y) {
        return BlockMap.CellAt(x, y).GetHitType(m_nGroup) != 0;
    };
    if (m_nBoxW > kBlockDots) {
        const double mapW = GeomAxisX().m_nExtent;
        const double mapH = GeomAxisY().m_nExtent;
        return SampleSide(m_dX, m_nBoxW, mapW,
                          [&](double x) {
                              return SampleSide(m_dY, m_nBoxH, mapH,
                                                [&](double y) { return solid(x, y); });
                          })
                   ? 1
                   : 0;
    }
    const double r = m_dX + m_nBoxW - 1;
    const double b = m_dY + m_nBoxH - 1;
    return (solid(m_dX, m_dY) || solid(m_dX, b) || solid(r, m_dY) || solid(r, b)) ? 1 : 0;
}

void cProjectile::Draw(DDSURFACEDATA* target, int hold) {
    if (m_Shot.bInvisible) return;
    const std::int32_t g = GiantScale(m_Shot.nGiant);
    const bool stretched = g > 1;
    DDSURFACEDATA* surface = nullptr;
    int sx = 0;
    int sy = 0;
    if (!m_bIsShot) {
        if (!lpGame) return;
        cEdSwordType& type = SwordType(m_Shot.nHomingKind);
        if (m_nSwordFrame < 0 || m_nSwordFrame >= static_cast<int>(type.vecFrame.size())) return;
        const cEdSwordFrame& f = type.vecFrame[m_nSwordFrame];
        sx = f.nSrcX;
        sy = f.nSrcY;
        const std::int64_t index = std::int64_t{m_Shot.nHomingKind} * 4 + (m_bFacingRight ? 1 : 0) +
                                   (stretched && StretchUsesCopy() ? 2 : 0);
        // A type whose images were not loaded is not drawn; its swing still hits.
        if (index < 0 || index >= static_cast<std::int64_t>(lpGame->m_vecSwordImage.size())) return;
        surface = &lpGame->m_vecSwordImage[static_cast<int>(index)];
    } else {
        const int p = hold ? m_AnimPattern.GetPattern() : m_AnimPattern.Next();
        const int n = m_nGraphicNo;
        sx = (p + (n / kShotSheetColumns) * 2) * kShotDots;
        sy = (n % kShotSheetColumns) * kShotDots;
        const int sheet = PickCharacterSheet(kShotSheetFirst + (m_bFacingRight ? 1 : 0),
                                             stretched && StretchUsesCopy() ? 1 : 0);
        surface = &StdSD[sheet];
    }
    if (!stretched)
        DDBltRect(target, m_rcScreen.left, m_rcScreen.top, m_nSpriteW, m_nSpriteH, surface, sx, sy,
                  DDBLT_COLORKEY);
    else
        DDBltScale(target, m_rcScreen.left, m_rcScreen.top, m_nSpriteW, m_nSpriteH, surface, sx, sy,
                   m_nBaseSpriteW, m_nBaseSpriteH, DDBLT_COLORKEY);
}
