#include "stage/formation.h"

#include <cmath>
#include <cstdint>
#include <new>

#include "base/message_box.h"
#include "data/common_palette.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/game_scene.h"
#include "stage/projectile.h"
#include "stage/scroll_axis.h"
#include "stage/stage_objects.h"

const double kFormationK = 1 / std::sqrt(2.0);

namespace {

constexpr double kDegToRad = kPi / 180;
constexpr double kRadToDeg = 57.29577951308232;

using plat::TruncToInt;

// The formations' view of the scroll: the positions as doubles and their truncations.
struct View {
    double sx;
    double sy;
    std::int32_t ix;
    std::int32_t iy;
};
View CurrentView() {
    const double sx = GeomAxisX().m_dPos;
    const double sy = GeomAxisY().m_dPos;
    return View{sx, sy, TruncToInt(sx), TruncToInt(sy)};
}

// An actor's screen rectangle and sprite size as the formations read them.
struct Rim {
    std::int32_t L, T, R, B, SW, SH;
};
Rim RimOf(const cActorBase& a) {
    return Rim{a.m_rcScreen.left,   a.m_rcScreen.top, a.m_rcScreen.right,
               a.m_rcScreen.bottom, a.m_nSpriteW,     a.m_nSpriteH};
}

void SetAngleVelocity(SpawnInfo& spawn, double angle) {
    AngleVelocity(angle, spawn.dSpeed, spawn.dVX, spawn.dVY);
}

void AddOffsets(SpawnInfo& spawn) {
    spawn.nBaseX = Wrap32(std::int64_t{spawn.nBaseX} + spawn.nOffsetX);
    spawn.nBaseY = Wrap32(std::int64_t{spawn.nBaseY} + spawn.nOffsetY);
}

// The two diagonal heights the row and the fan share: beside the firer's upper half (Y1)
// and its lower half (Y2).
double RowY1(const Rim& F, const View& v, std::int32_t h) {
    const double K = kFormationK;
    return TruncToInt(v.iy + F.T + (F.SH >> 1) - K * ((F.SH >> 1) + (h >> 1)) - (h >> 1));
}
double RowY2(const Rim& F, const View& v, std::int32_t h) {
    const double K = kFormationK;
    return TruncToInt(v.iy + F.T + (F.SH >> 1) + K * (F.B + (h >> 1) - F.T - (F.SH >> 1) + 1) -
                      (h >> 1));
}

// The reference actor of 落雷 and 包囲: the firer's target, the hero or the firer; null when
// there is none (nothing is made then).
cActorBase* ReferenceActor(cActorBase& firer, const cEdShot& shot) {
    switch (shot.nAimAt) {
        case 0:
            return firer.m_pTarget;
        case 1:
            return FirstHero();
        case 2:
            return &firer;
        default:
            return nullptr;
    }
}

bool Angled(const cEdShot& shot, const SpawnInfo& spawn) {
    return spawn.nAngle != 0 || shot.bAimTarget;
}

void SpawnRow(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
              const cEdShot& shot, SpawnInfo& spawn) {
    spawn.nX = spawn.nBaseX;
    spawn.nY = spawn.nBaseY;
    for (int i = 0; i < shot.nCount; ++i) {
        SpawnFormationObject(list, spawn, firer, cmd, shot);
        spawn.nX = Wrap32(std::int64_t{spawn.nX} + spawn.nStepX);
        spawn.nY = Wrap32(std::int64_t{spawn.nY} + spawn.nStepY);
    }
}

void FormationRowA(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                   const cEdShot& shot, SpawnInfo& spawn) {
    if (shot.nCount <= 0) return;
    if (Angled(shot, spawn))
        PlaceRowAAngled(spawn, firer, shot);
    else
        PlaceRowA(spawn, firer, shot);
    SpawnRow(list, firer, cmd, shot, spawn);
}

void FormationStackB(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                     const cEdShot& shot, SpawnInfo& spawn) {
    if (shot.nCount <= 0) return;
    if (Angled(shot, spawn))
        PlaceStackBAngled(spawn, firer, shot);
    else
        PlaceStackB(spawn, firer, shot);
    SpawnRow(list, firer, cmd, shot, spawn);
}

void FormationFan(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                  const cEdShot& shot, SpawnInfo& spawn) {
    const int n = shot.nCount;
    if (n <= 0) return;
    if (Angled(shot, spawn))
        PlaceFanAngled(spawn, firer, shot);
    else
        PlaceFan(spawn, firer, shot);
    const int c = shot.bAimTarget
                      ? AimAngle(spawn.nBaseX + (spawn.nWidth >> 1),
                                 spawn.nBaseY + (spawn.nHeight >> 1), firer, shot, spawn)
                      : DirectionAngle(spawn.nDirection);
    const int p1 = shot.nFormationParam[0];
    const double h0 = (n & 1) ? c + spawn.nAngle - static_cast<double>(p1) * (n >> 1)
                              : c + spawn.nAngle - p1 * ((n >> 1) - 0.5);
    spawn.nX = spawn.nBaseX;
    spawn.nY = spawn.nBaseY;
    for (int i = 0; i < n; ++i) {
        SetAngleVelocity(spawn, h0 + static_cast<double>(i) * p1);
        SpawnFormationObject(list, spawn, firer, cmd, shot);
    }
}

void FormationThunder(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                      const cEdShot& shot, SpawnInfo& spawn) {
    const int n = shot.nCount;
    const int m = shot.nFormationParam[1];
    if (n <= 0 || m <= 0) return;
    const cActorBase* ref = ReferenceActor(firer, shot);
    if (!ref) return;
    if (spawn.nAngle != 0)
        PlaceThunderAngled(spawn, *ref, shot);
    else
        PlaceThunder(spawn, *ref, shot);
    for (int i = 0; i < n; ++i) {
        const std::int64_t rowX = spawn.nBaseX + std::int64_t{i} * spawn.nStepX;
        const std::int64_t rowY = spawn.nBaseY + std::int64_t{i} * spawn.nStepY;
        for (int k = 0; k < m; ++k) {
            spawn.nX = Wrap32(rowX + std::int64_t{k} * spawn.nColStepX);
            spawn.nY = Wrap32(rowY + std::int64_t{k} * spawn.nColStepY);
            SpawnFormationObject(list, spawn, firer, cmd, shot);
        }
    }
}

void FormationBurst(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                    const cEdShot& shot, SpawnInfo& spawn) {
    const int n = shot.nCount;
    if (n <= 0) return;
    PlaceCentre(spawn, firer);
    spawn.nX = spawn.nBaseX;
    spawn.nY = spawn.nBaseY;
    const double start = DirectionAngle(spawn.nDirection) + spawn.nAngle;
    for (int i = 0; i < n; ++i) {
        SetAngleVelocity(spawn, start + i * (360.0 / n));
        SpawnFormationObject(list, spawn, firer, cmd, shot);
    }
}

void FormationSurround(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                       const cEdShot& shot, SpawnInfo& spawn) {
    const int n = shot.nCount;
    if (n <= 0) return;
    const cActorBase* ref = ReferenceActor(firer, shot);
    if (!ref) return;
    const View v = CurrentView();
    const Rim Q = RimOf(*ref);
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    const std::int32_t cx = TruncToInt(Q.L + (Q.SW >> 1) + v.sx - (w >> 1) + spawn.nOffsetX);
    const std::int32_t cy = TruncToInt(Q.T + (Q.SH >> 1) + v.sy - (h >> 1) + spawn.nOffsetY);
    const double r = shot.nFormationParam[0] * 16;
    const double start = DirectionAngle(spawn.nDirection) + spawn.nAngle;
    for (int i = 0; i < n; ++i) {
        const double u = (start + i * (360.0 / n)) * kDegToRad;
        spawn.nX = Wrap32(std::int64_t{TruncToInt(r * std::cos(u) + 0.5)} + cx);
        spawn.nY = Wrap32(std::int64_t{TruncToInt(r * std::sin(u) + 0.5)} + cy);
        spawn.dVX = -std::cos(u) * spawn.dSpeed;
        spawn.dVY = -std::sin(u) * spawn.dSpeed;
        SpawnFormationObject(list, spawn, firer, cmd, shot);
    }
}

// A record of a palette by the summon's palette choice; null for a number outside it.
template <class T>
const T* PaletteEntry(const CheckedVector<T>& common, const CheckedVector<T>& stage,
                      const cEdShot& shot) {
    const CheckedVector<T>& palette = shot.nSummonPalette == 0 ? common : stage;
    return &palette[shot.nSummonIndex];
}

}  // namespace

const FormationFn FormationTable[kFormationKinds] = {
    FormationRowA,    FormationStackB, FormationFan,
    FormationThunder, FormationBurst,  FormationSurround,
};

void RunFormation(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                  const cEdShot& shot, SpawnInfo& spawn) {
    if (shot.nFormation < 0 || shot.nFormation >= kFormationKinds) return;
    FormationTable[shot.nFormation](list, firer, cmd, shot, spawn);
}

int DirectionAngle(int direction) {
    switch (direction) {
        case 2:
            return 0;
        case 3:
            return 180;
        case 6:
            return 90;
        case 7:
            return 270;
        case 8:
            return 45;
        case 9:
            return 315;
        case 10:
            return 135;
        case 11:
            return 225;
        default:
            return 0;
    }
}

void AngleVelocity(double angle, double speed, double& vx, double& vy) {
    const double a = angle * kDegToRad;
    vx = -std::cos(a) * speed;
    vy = -std::sin(a) * speed;
}

int AimAngle(int x, int y, cActorBase& firer, const cEdShot& shot, SpawnInfo& spawn) {
    const cActorBase* target = firer.m_pTarget;
    if (!target) return firer.m_bFacingRight ? 180 : 0;
    const View v = CurrentView();
    const Rim T = RimOf(*target);
    const bool scrolling =
        ActiveScrollSpeed(GeomAxisX()) != 0 || ActiveScrollSpeed(GeomAxisY()) != 0;
    if (scrolling && !shot.bGuided && target->m_bScrollSync) {
        // Lead the target: aim as a shot that does not follow the scroll would fly.
        cProjectile probe;
        probe.Init(0, firer, kCmdShot, shot, spawn);
        const double b = EdStageWork.speed.dSubSteps;
        const double speed =
            b > 0 ? (shot.nSpeed + shot.nSpeedInc * static_cast<double>(probe.m_nCloneValue)) *
                        0.1 / b
                  : 0.0;
        double vx = 0;
        double vy = 0;
        std::int32_t direction = 0;
        AimVelocity(vx, vy, direction, &probe, x - v.ix, y - v.iy, T.L + (T.SW >> 1),
                    T.T + (T.SH >> 1), speed, 0, 1, 0);
        spawn.dSpeed = std::sqrt(vx * vx + vy * vy) * b;
        return TruncToInt(std::atan2(vy, vx) * kRadToDeg + 180);
    }
    const double dx = static_cast<double>(v.ix) + (T.SW >> 1) + T.L - x;
    const double dy = static_cast<double>(v.iy) + (T.SH >> 1) + T.T - y;
    return TruncToInt(std::atan2(dy, dx) * kRadToDeg + 180 + 0.5);
}

void RotateAroundFirer(SpawnInfo& spawn, const cActorBase& firer, int angle) {
    const double K = kFormationK;
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    const double r = (F.B + (h >> 1) - F.T - (F.SH >> 1) + 1) * K;
    const double t = K * ((w >> 1) + F.R - F.L - (F.SW >> 1) + 1);
    const double theta = (angle + 225.0) * kDegToRad;
    spawn.nBaseX = TruncToInt(F.L + (F.SW >> 1) + v.sx +
                              (r * std::sin(theta) + t * std::cos(theta)) - (w >> 1));
    spawn.nBaseY = TruncToInt(F.T + (F.SH >> 1) + v.sy +
                              (t * std::sin(theta) - r * std::cos(theta)) - (h >> 1));
}

void PlaceRowA(SpawnInfo& spawn, const cActorBase& firer, const cEdShot& shot) {
    const double K = kFormationK;
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    const std::int32_t n = shot.nCount;
    const std::int32_t sp = shot.nFormationParam[0] * 16;
    const std::int32_t hs = shot.nFormationParam[0] * 8;
    const double s = spawn.dSpeed;
    const double sK = s * K;
    const std::int32_t rowY = v.iy + (F.SH >> 1) + F.T - (n - 1) * hs - n * (h >> 1);
    const std::int32_t rowX = v.ix + (F.SW >> 1) + F.L - (n - 1) * hs - n * (w >> 1);
    auto x1 = [&] {
        return TruncToInt(
            TruncToInt((F.SW >> 1) + v.ix + F.L + (1 - (F.SW >> 1) - (w >> 1)) * K - (w >> 1)) -
            K * (n - 1) * (hs + (w >> 1)));
    };
    auto x2 = [&] {
        return TruncToInt(TruncToInt((F.R + (w >> 1) - (F.SW >> 1) - F.L + 1) * K + (F.SW >> 1) +
                                     v.ix + F.L - (w >> 1)) -
                          K * (n - 1) * (hs + (w >> 1)));
    };
    const double y1 = RowY1(F, v, h);
    const double y2 = RowY2(F, v, h);
    const std::int32_t lift = (n - 1) * ((h >> 1) + hs);
    switch (spawn.nDirection) {
        case 2:
        case 3:
            spawn.nBaseX =
                spawn.nDirection == 2 ? TruncToInt(F.L + v.sx + 1 - w) : TruncToInt(v.sx + F.R + 1);
            spawn.nBaseY = rowY;
            spawn.nStepX = 0;
            spawn.nStepY = sp + h;
            spawn.dVX = spawn.nDirection == 2 ? -s : s;
            spawn.dVY = 0;
            break;
        case 6:
        case 7:
            spawn.nBaseX = rowX;
            spawn.nBaseY = spawn.nDirection == 6 ? v.iy + F.T - h : v.iy + F.B + 1;
            spawn.nStepX = sp + w;
            spawn.nStepY = 0;
            spawn.dVX = 0;
            spawn.dVY = spawn.nDirection == 6 ? -s : s;
            break;
        case 8:
            spawn.nBaseX = x1();
            spawn.nBaseY = TruncToInt(lift * K + y1);
            spawn.nStepX = TruncToInt(K * (sp + w));
            spawn.nStepY = TruncToInt(K * (-sp - h));
            spawn.dVX = -sK;
            spawn.dVY = -sK;
            break;
        case 9:
            spawn.nBaseX = x1();
            spawn.nBaseY = TruncToInt(y2 - lift * K);
            spawn.nStepX = TruncToInt(K * (sp + w));
            spawn.nStepY = TruncToInt(K * (sp + h));
            spawn.dVX = -sK;
            spawn.dVY = sK;
            break;
        case 10:
            spawn.nBaseX = x2();
            spawn.nBaseY = TruncToInt(y1 - lift * K);
            spawn.nStepX = TruncToInt(K * (sp + w));
            spawn.nStepY = TruncToInt(K * (sp + h));
            spawn.dVX = sK;
            spawn.dVY = -sK;
            break;
        case 11:
            spawn.nBaseX = x2();
            spawn.nBaseY = TruncToInt(lift * K + y2);
            spawn.nStepX = TruncToInt(K * (sp + w));
            spawn.nStepY = TruncToInt(K * (-h - sp));
            spawn.dVX = sK;
            spawn.dVY = sK;
            break;
        default:
            break;
    }
    AddOffsets(spawn);
}

void PlaceRowAAngled(SpawnInfo& spawn, cActorBase& firer, const cEdShot& shot) {
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    if (!shot.bAnglePlacement) {
        PlaceRowA(spawn, firer, shot);
        const int c = shot.bAimTarget ? AimAngle(spawn.nBaseX + (w >> 1), spawn.nBaseY + (h >> 1),
                                                 firer, shot, spawn)
                                      : DirectionAngle(spawn.nDirection);
        SetAngleVelocity(spawn, static_cast<double>(c) + spawn.nAngle);
        return;
    }
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    const std::int32_t n = shot.nCount;
    const std::int32_t sp = shot.nFormationParam[0] * 16;
    const std::int32_t hs = shot.nFormationParam[0] * 8;
    int c = shot.bAimTarget
                ? AimAngle(v.ix + (F.SW >> 1) + spawn.nOffsetX + F.L,
                           v.iy + (F.SH >> 1) + spawn.nOffsetY + F.T, firer, shot, spawn) +
                      spawn.nAngle
                : DirectionAngle(spawn.nDirection) + spawn.nAngle;
    RotateAroundFirer(spawn, firer, c);
    if (shot.bAimTarget)
        c = AimAngle(spawn.nOffsetX + (w >> 1) + spawn.nBaseX,
                     spawn.nOffsetY + (h >> 1) + spawn.nBaseY, firer, shot, spawn) +
            spawn.nAngle;
    const double d = std::sin(c * kDegToRad);
    const double e = std::cos(c * kDegToRad);
    if ((d >= 0) == (e >= 0)) {
        spawn.nBaseX = TruncToInt(spawn.nBaseX - d * (hs + (w >> 1)) * (n - 1));
        spawn.nStepX = TruncToInt(d * (sp + w));
        spawn.nBaseY = TruncToInt(e * (hs + (h >> 1)) * (n - 1) + spawn.nBaseY);
        spawn.nStepY = TruncToInt(e * (-sp - h));
    } else {
        spawn.nBaseX = TruncToInt(d * (hs + (w >> 1)) * (n - 1) + spawn.nBaseX);
        spawn.nStepX = TruncToInt(d * (-sp - w));
        spawn.nBaseY = TruncToInt(spawn.nBaseY - e * (hs + (h >> 1)) * (n - 1));
        spawn.nStepY = TruncToInt(e * (sp + h));
    }
    AddOffsets(spawn);
    spawn.dVX = -e * spawn.dSpeed;
    spawn.dVY = -d * spawn.dSpeed;
}

void PlaceStackB(SpawnInfo& spawn, const cActorBase& firer, const cEdShot& shot) {
    const double K = kFormationK;
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    const std::int32_t sp = shot.nFormationParam[0] * 16;
    const double s = spawn.dSpeed;
    const double sK = s * K;
    const std::int32_t left = TruncToInt(F.L + v.sx + 1 - w);
    const std::int32_t right = TruncToInt(v.sx + F.R + 1);
    spawn.nBaseY = v.iy + F.B - h + 1;
    spawn.nStepX = 0;
    spawn.nStepY = -sp - h;
    struct Course {
        int dir;
        int side;  // -1 left, 1 right, 0 by the facing
        double vx, vy;
    };
    const Course courses[] = {{2, -1, -s, 0},   {3, 1, s, 0},      {6, 0, 0, -s},
                              {7, 0, 0, s},     {8, -1, -sK, -sK}, {9, -1, -sK, sK},
                              {10, 1, sK, -sK}, {11, 1, sK, sK}};
    for (const Course& course : courses) {
        if (course.dir != spawn.nDirection) continue;
        const int side = course.side != 0 ? course.side : (firer.m_bFacingRight ? 1 : -1);
        spawn.nBaseX = side > 0 ? right : left;
        spawn.dVX = course.vx;
        spawn.dVY = course.vy;
    }
    AddOffsets(spawn);
}

void PlaceStackBAngled(SpawnInfo& spawn, cActorBase& firer, const cEdShot& shot) {
    PlaceStackB(spawn, firer, shot);
    const int c = shot.bAimTarget
                      ? AimAngle(spawn.nBaseX + (spawn.nWidth >> 1),
                                 spawn.nBaseY + (spawn.nHeight >> 1), firer, shot, spawn)
                      : DirectionAngle(spawn.nDirection);
    SetAngleVelocity(spawn, static_cast<double>(c) + spawn.nAngle);
}

void PlaceFan(SpawnInfo& spawn, const cActorBase& firer, const cEdShot& shot) {
    (void)shot;
    const double K = kFormationK;
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    const std::int32_t midY = v.iy + (F.SH >> 1) + F.T - (h >> 1);
    const std::int32_t midX = v.ix + (F.SW >> 1) + F.L - (w >> 1);
    const std::int32_t xLeft =
        TruncToInt((F.SW >> 1) + v.ix + F.L + (1 - (F.SW >> 1) - (w >> 1)) * K - (w >> 1));
    const std::int32_t xRight = TruncToInt((F.SW >> 1) + v.ix + F.L +
                                           K * (F.R + (w >> 1) - (F.SW >> 1) - F.L + 1) - (w >> 1));
    const std::int32_t y1 = static_cast<std::int32_t>(RowY1(F, v, h));
    const std::int32_t y2 = static_cast<std::int32_t>(RowY2(F, v, h));
    switch (spawn.nDirection) {
        case 2:
            spawn.nBaseX = v.ix + F.L - w + 1;
            spawn.nBaseY = midY;
            break;
        case 3:
            spawn.nBaseX = v.ix + F.R + 1;
            spawn.nBaseY = midY;
            break;
        case 6:
            spawn.nBaseX = midX;
            spawn.nBaseY = v.iy + F.T - h;
            break;
        case 7:
            spawn.nBaseX = midX;
            spawn.nBaseY = v.iy + F.B + 1;
            break;
        case 8:
        case 9:
            spawn.nBaseX = xLeft;
            spawn.nBaseY = spawn.nDirection == 8 ? y1 : y2;
            break;
        case 10:
        case 11:
            spawn.nBaseX = xRight;
            spawn.nBaseY = spawn.nDirection == 10 ? y1 : y2;
            break;
        default:
            break;
    }
    AddOffsets(spawn);
}

void PlaceFanAngled(SpawnInfo& spawn, cActorBase& firer, const cEdShot& shot) {
    if (!shot.bAnglePlacement) {
        PlaceFan(spawn, firer, shot);
        return;
    }
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    const int a =
        (shot.bAimTarget ? AimAngle(v.ix + (F.SW >> 1) + spawn.nOffsetX + F.L,
                                    v.iy + (F.SH >> 1) + spawn.nOffsetY + F.T, firer, shot, spawn)
                         : DirectionAngle(spawn.nDirection)) +
        spawn.nAngle;
    RotateAroundFirer(spawn, firer, a);
    AddOffsets(spawn);
}

void PlaceThunder(SpawnInfo& spawn, const cActorBase& ref, const cEdShot& shot) {
    const double K = kFormationK;
    const View v = CurrentView();
    const Rim Q = RimOf(ref);
    const std::int32_t w = spawn.nWidth;
    const std::int32_t h = spawn.nHeight;
    const double s = spawn.dSpeed;
    const double sK = s * K;
    const std::int32_t t = shot.nFormationParam[0] * 16;
    const std::int32_t m = shot.nFormationParam[1];
    const std::int32_t c = shot.nFormationParam[2] * 16;
    const std::int32_t e = ((m - 1) >> 1) * c;
    const std::int32_t f = (m & 1) ? e : e + shot.nFormationParam[2] * 8;
    const bool z = EdSystem.bCompat555 != 0;
    const std::int32_t qx = Q.L + (Q.SW >> 1);
    const std::int32_t qy = Q.T + (Q.SH >> 1);
    const int dir = spawn.nDirection;
    switch (dir) {
        case 2:
        case 3:
            spawn.nBaseX = dir == 2 ? TruncToInt(v.sx + 640 - w) : v.ix;
            spawn.nBaseY = v.iy + (Q.SH >> 1) + Q.T - (h >> 1);
            spawn.nStepX = dir == 2 ? -w - (z ? 0 : t) : (z ? w : t + w);
            spawn.nStepY = 0;
            spawn.dVX = dir == 2 ? -s : s;
            spawn.dVY = 0;
            if (m >= 2) {
                spawn.nColStepX = 0;
                spawn.nColStepY = c;
                spawn.nBaseY -= f;
            }
            break;
        case 6:
        case 7:
            spawn.nBaseX = v.ix + (Q.SW >> 1) + Q.L - (w >> 1);
            spawn.nBaseY = dir == 6 ? TruncToInt(v.sy + 480 - h) : v.iy;
            spawn.nStepX = 0;
            spawn.nStepY = dir == 6 ? (z ? -h : -t - h) : (z ? h : t + h);
            spawn.dVX = 0;
            spawn.dVY = dir == 6 ? -s : s;
            if (m >= 2) {
                spawn.nColStepX = c;
                spawn.nColStepY = 0;
                spawn.nBaseX -= f;
            }
            break;
        case 8: {
            const std::int32_t G = 640 - qx;
            const std::int32_t H = 480 - qy;
            if (G < H) {
                spawn.nBaseX = TruncToInt(v.sx + 640 - w);
                spawn.nBaseY = TruncToInt(v.sy + qy + G - h);
            } else {
                spawn.nBaseX = TruncToInt(v.sx + qx + H - w);
                spawn.nBaseY = TruncToInt(v.sy + 480 - h);
            }
            spawn.nStepX = TruncToInt(K * (z ? -w : -w - t));
            spawn.nStepY = TruncToInt(K * (z ? -h : -t - h));
            spawn.dVX = -sK;
            spawn.dVY = -sK;
            break;
        }
        case 9: {
            const std::int32_t G = 640 - qx;
            const std::int32_t H = qy;
            if (G < H) {
                spawn.nBaseX = TruncToInt(v.sx + 640 - w);
                spawn.nBaseY = TruncToInt(v.sy + qy - G);
            } else {
                spawn.nBaseX = TruncToInt(v.sx + qx + H - w);
                spawn.nBaseY = TruncToInt(v.sy);
            }
            spawn.nStepX = TruncToInt(K * (z ? -w : -t - w));
            spawn.nStepY = TruncToInt(K * (z ? h : t + h));
            spawn.dVX = -sK;
            spawn.dVY = sK;
            break;
        }
        case 10: {
            const std::int32_t G = qx;
            const std::int32_t H = 480 - qy;
            if (G < H) {
                spawn.nBaseX = TruncToInt(v.sx);
                spawn.nBaseY = TruncToInt(v.sy + qy + G - h);
            } else {
                spawn.nBaseX = TruncToInt(v.sx + G - H);
                spawn.nBaseY = TruncToInt(v.sy + 480 - h);
            }
            spawn.nStepX = TruncToInt(K * (z ? w : t + w));
            spawn.nStepY = TruncToInt(K * (z ? -h : -t - h));
            spawn.dVX = sK;
            spawn.dVY = -sK;
            break;
        }
        case 11: {
            const std::int32_t G = qx;
            const std::int32_t H = qy;
            if (G < H) {
                spawn.nBaseX = TruncToInt(v.sx);
                spawn.nBaseY = TruncToInt(v.sy + qy - G);
            } else {
                spawn.nBaseX = TruncToInt(v.sx + G - H);
                spawn.nBaseY = TruncToInt(v.sy);
            }
            spawn.nStepX = TruncToInt(K * (z ? w : t + w));
            spawn.nStepY = TruncToInt(K * (z ? h : t + h));
            spawn.dVX = sK;
            spawn.dVY = sK;
            break;
        }
        default:
            break;
    }
    if (m >= 2 && dir >= 8 && dir <= 11) {
        const std::int32_t kf = TruncToInt(K * f);
        if (dir == 8 || dir == 11) {
            spawn.nColStepX = TruncToInt(c * K);
            spawn.nColStepY = TruncToInt(-c * K);
            spawn.nBaseX -= kf;
            spawn.nBaseY += kf;
        } else {
            spawn.nColStepX = TruncToInt(c * K);
            spawn.nColStepY = TruncToInt(c * K);
            spawn.nBaseX -= kf;
            spawn.nBaseY -= kf;
        }
    }
    AddOffsets(spawn);
}

void PlaceThunderAngled(SpawnInfo& spawn, const cActorBase& ref, const cEdShot& shot) {
    PlaceThunder(spawn, ref, shot);
    SetAngleVelocity(spawn, static_cast<double>(spawn.nAngle) + DirectionAngle(spawn.nDirection));
}

void PlaceCentre(SpawnInfo& spawn, const cActorBase& firer) {
    const View v = CurrentView();
    const Rim F = RimOf(firer);
    spawn.nBaseX = Wrap32(std::int64_t{TruncToInt(F.L + (F.SW >> 1) + v.sx - (spawn.nWidth >> 1))} +
                          spawn.nOffsetX);
    spawn.nBaseY = Wrap32(
        std::int64_t{TruncToInt(F.T + (F.SH >> 1) + v.sy - (spawn.nHeight >> 1))} + spawn.nOffsetY);
}

void SpawnFormationObject(ObjectList<cProjectile>* list, SpawnInfo& spawn, cActorBase& firer,
                          cCommandInstance& cmd, const cEdShot& shot) {
    cGameScene* scene = lpGame;
    if (!scene || !cmd.m_pCmd) return;
    const double x = spawn.nX;
    const double y = spawn.nY;
    switch (cmd.m_pCmd->FlowType()) {
        case kCmdShot: {
            if (!list) return;
            try {
                cProjectile& made = list->Add();
                try {
                    made.Init(scene->m_nShotSerial, firer, kCmdShot, shot, spawn);
                    scene->AddProjectile(made);
                } catch (const std::bad_alloc&) {
                    scene->RemoveProjectile(made.Id());
                    throw;
                }
            } catch (const std::bad_alloc&) {
                MemoryErrorAndClose();
                return;
            }
            ++scene->m_nShotSerial;
            break;
        }
        case kCmdSummonBlock: {
            const cEdBlock* record =
                PaletteEntry(EdCommonPalette.vecBlock, EdStageWork.vecBlockPalette, shot);
            scene->SpawnBlock(x, y, shot, *record);
            break;
        }
        case kCmdSummonChara: {
            int facing = firer.m_bFacingRight ? 1 : 0;
            if (shot.bReverseFacing) facing = 1 - facing;
            const cEdChara* record =
                PaletteEntry(EdCommonPalette.vecChara, EdStageWork.vecCharaPalette, shot);
            int group = record->nSide;
            if (shot.nSummonSideMode == 1)
                group = firer.m_nGroup;
            else if (shot.nSummonSideMode == 2)
                group = shot.nSide;
            scene->SpawnChara(CharaList, x, y, group, facing, shot, *record, scene->m_nCharaSerial);
            break;
        }
        case kCmdSummonItem: {
            const cEdItem* record =
                PaletteEntry(EdCommonPalette.vecItem, EdStageWork.vecItemPalette, shot);
            scene->SpawnItem(ItemList, x, y, shot, *record, scene->m_nItemSerial);
            break;
        }
        default:
            break;
    }
}
