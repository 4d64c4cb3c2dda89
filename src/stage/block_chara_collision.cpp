#include "stage/block_chara_collision.h"

#include "base/log.h"
#include "data/stage_record.h"
#include "stage/actor.h"
#include "stage/block_collision.h"
#include "stage/block_map.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// The strip under the feet in which a platform still carries the actor.
constexpr double kFeetReach = 5;
// The nudge out of map blocks after a push: at most this many steps of this size per side.
constexpr int kNudgeSteps = 15;
constexpr double kNudgeStep = 0.1;
// A walker pushed sideways ends this far from the pusher's edge, a flyer on the next dot.
constexpr double kWalkerSideGap = 0.5;

bool IsPlayerOperated(const cActorBase& actor) {
    return actor.m_nOperator == 0;
}

// The stage's ticks per frame as a double; 0 while no tick runs, so every threshold divided
// by it is 0 instead of a division by zero.
double PerTick(double value) {
    const double b = EdStageWork.speed.dSubSteps;
    return b > 0 ? value / b : 0.0;
}

bool IsActive(const cCharaActor& chara, const cActorBase& actor) {
    return chara.m_Chara.b32Mode != 0 && chara.m_bDying == 0 && chara.m_bPresent != 0 &&
           chara.m_nSerial != actor.m_nSerial;
}

DoubleRect BoxOf(const cGameObject& object) {
    return DoubleRect{object.m_dX, object.m_dY, object.m_dRight, object.m_dBottom};
}

// Closed-interval overlap of two boxes.
bool Intersects(const DoubleRect& a, const DoubleRect& b) {
    return a.left <= b.right && a.right >= b.left && a.top <= b.bottom && a.bottom >= b.top;
}

bool Contains(const DoubleRect& box, double x, double y) {
    return box.left <= x && x <= box.right && box.top <= y && y <= box.bottom;
}

// How far two boxes overlap on each axis, measured from the side where B's near edge lies
// inside A; 0 on both axes when they do not overlap.
struct Overlap {
    double h = 0;
    double v = 0;
};
Overlap MeasureOverlap(const DoubleRect& a, const DoubleRect& b) {
    if (!Intersects(a, b)) return {};
    Overlap o;
    o.h = (a.right >= b.left && b.left > a.left) ? a.right - b.left + 1 : b.right - a.left + 1;
    o.v = (a.bottom >= b.top && b.top > a.top) ? a.bottom - b.top + 1 : b.bottom - a.top + 1;
    return o;
}

// The edges of a box as degenerate rectangles, the corner dots left out.
DoubleRect LeftEdge(const DoubleRect& r) {
    return {r.left, r.top + 1, r.left, r.bottom - 1};
}
DoubleRect RightEdge(const DoubleRect& r) {
    return {r.right, r.top + 1, r.right, r.bottom - 1};
}
DoubleRect TopEdge(const DoubleRect& r) {
    return {r.left + 1, r.top, r.right - 1, r.top};
}
DoubleRect BottomEdge(const DoubleRect& r) {
    return {r.left + 1, r.bottom, r.right - 1, r.bottom};
}

// A push the block characters ask for on one side, with the block character that asks. A
// position may be any double (a giant actor near the map's top may need a negative one), so
// "none" is a state of its own.
struct Candidate {
    bool has = false;
    double pos = 0;
    double speed = 0;
    std::int32_t serial = 0;
    ObjectId id = kNoObject;
    DoubleRect box;

    void Offer(double p, bool larger, const cCharaActor& chara, double chargeSpeed) {
        if (has && (larger ? !(p > pos) : !(p < pos))) return;
        has = true;
        pos = p;
        speed = chargeSpeed;
        serial = chara.m_nSerial;
        id = chara.Id();
        box = BoxOf(chara);
    }
};

struct Candidates {
    Candidate pushRight;  // a block character on the left: the new left
    Candidate pushLeft;   // one on the right
    Candidate pushDown;   // one above: the new top
    Candidate stand;      // one below: the new top on it
};

void SetLeft(cActorBase& actor, double left) {
    actor.m_dX = left;
    actor.m_dRight = left + actor.m_nBoxW - 1;
    actor.OnMovedX();
}

void SetTop(cActorBase& actor, double top) {
    actor.m_dY = top;
    actor.m_dBottom = top + actor.m_nBoxH - 1;
    actor.OnMovedY();
}

bool RidesSerial(const cActorBase& actor, std::int32_t serial) {
    return actor.m_bRiding != 0 && actor.m_nRideSerial == serial;
}

// The map test of a candidate place: the corner cells of the actor's present cell rectangle.
// The candidate's own cells are not looked at; stored games were tuned on this answer.
bool ProbeMapBlocked(const cActorBase& actor) {
    const std::int32_t cell =
        FindCornerBlock(actor.m_nCellLeft, actor.m_nCellTop, actor.m_nCellRight,
                        actor.m_nCellBottom, actor.m_nGroup);
    return BlockMap.Cell(cell).GetHitType(actor.m_nGroup) != kHitNone;
}

cCharaActor* FindBySerial(ObjectList<cCharaActor>& charas, std::int32_t serial) {
    for (cCharaActor& chara : charas)
        if (chara.m_Chara.b32Mode != 0 && chara.m_nSerial == serial) return &chara;
    return nullptr;
}

// The platform's flows that a rider raises: 16 for the hero's kind only, 17 for everyone.
void RaiseRiddenTriggers(cCharaActor& platform, const cActorBase& rider) {
    if (IsPlayerOperated(rider)) platform.TriggerFlows(kTriggerRiddenByHero);
    platform.TriggerFlows(kTriggerRiddenByChara);
}

// --- Flyers ---

void GatherFlying(cActorBase& actor, ObjectList<cCharaActor>& charas, Candidates& c,
                  bool& touched) {
    const DoubleRect box = BoxOf(actor);
    for (const cCharaActor& x : charas) {
        if (!IsActive(x, actor)) continue;
        const DoubleRect xb = BoxOf(x);
        if (!Intersects(box, xb)) continue;
        touched = true;
        const Overlap o = MeasureOverlap(box, xb);
        if (o.h > o.v) {
            if (Intersects(TopEdge(box), xb)) {
                actor.m_bContactUp = 1;
                c.pushDown.Offer(xb.bottom + 1, true, x, x.m_dVY);
            }
            if (Intersects(BottomEdge(box), xb)) {
                actor.m_bContactDown = 1;
                c.stand.Offer(xb.top - actor.m_nBoxH, false, x, x.m_dVY);
            }
        } else {
            if (Intersects(LeftEdge(box), xb)) {
                actor.m_bContactLeft = 1;
                c.pushRight.Offer(xb.right + 1, true, x, x.m_dVX);
            }
            if (Intersects(RightEdge(box), xb)) {
                actor.m_bContactRight = 1;
                c.pushLeft.Offer(xb.left - actor.m_nBoxW, false, x, x.m_dVX);
            }
        }
    }
}

void ApplyFlying(cActorBase& actor, ObjectList<cCharaActor>& charas, const Candidates& c) {
    // A block character that moves away while the actor does not follow it would drag the
    // actor along: the other axis is resolved instead.
    if (c.pushRight.has) {
        actor.m_dMoveVX = 0;
        if (c.pushRight.speed < 0 && !(actor.m_dVX < 0)) {
            actor.m_bContactLeft = 0;
            RecheckAxisBlockCharas(actor, charas, true);
        } else {
            actor.m_bLeftRide = 1;
            SetLeft(actor, c.pushRight.pos);
        }
    }
    if (c.pushLeft.has) {
        actor.m_dMoveVX = 0;
        if (c.pushLeft.speed > 0 && !(actor.m_dVX > 0)) {
            actor.m_bContactRight = 0;
            RecheckAxisBlockCharas(actor, charas, true);
        } else {
            actor.m_bLeftRide = 1;
            SetLeft(actor, c.pushLeft.pos);
        }
    }
    if (c.pushDown.has) {
        actor.m_dMoveVY = 0;
        if (c.pushDown.speed < 0 && !(actor.m_dVY < 0)) {
            actor.m_bContactUp = 0;
            RecheckAxisBlockCharas(actor, charas, false);
        } else {
            SetTop(actor, c.pushDown.pos);
        }
    }
    if (c.stand.has) {
        actor.m_dMoveVY = 0;
        if (c.stand.speed > 0 && !(actor.m_dVY > 0)) {
            actor.m_bContactDown = 0;
            RecheckAxisBlockCharas(actor, charas, false);
        } else {
            SetTop(actor, c.stand.pos);
        }
    }
}

// --- Walkers ---

// Lands the actor on x, or keeps the higher platform it already found.
void OfferPlatform(cActorBase& actor, const cCharaActor& x, Candidates& c) {
    const double top = x.m_dY - actor.m_nBoxH;
    if (c.stand.has && !(top < c.stand.pos)) return;
    c.stand.Offer(top, false, x, x.m_dVY);
    actor.m_nRideSerial = x.m_nSerial;
    actor.m_rcRide = BoxOf(x);
}

void OfferPushRight(cActorBase& actor, const cCharaActor& x, Candidates& c) {
    actor.m_bContactLeft = 1;
    c.pushRight.Offer(x.m_dRight + 1 + kWalkerSideGap, true, x, x.m_dVX);
}

void OfferPushLeft(cActorBase& actor, const cCharaActor& x, Candidates& c) {
    actor.m_bContactRight = 1;
    c.pushLeft.Offer(x.m_dX - actor.m_nBoxW - kWalkerSideGap, false, x, x.m_dVX);
}

void GatherWalking(cActorBase& actor, ObjectList<cCharaActor>& charas, Candidates& c,
                   bool& touched) {
    const DoubleRect box = BoxOf(actor);
    const DoubleRect prev = actor.m_rcSaved;
    const std::int32_t h = actor.m_nBoxH;
    const DoubleRect upper{box.left, box.top, box.right, box.top + h / 2};
    const DoubleRect feet{box.left + 1, box.bottom - h / 3, box.right - 1, box.bottom};
    // Where the actor came from across, at its present height: a fall that passed a
    // platform's top within one step still meets the platform's previous box.
    const DoubleRect swept{prev.left, box.top, prev.right, box.bottom};
    const double fastFall = PerTick(2);
    const double ceilingMargin = PerTick(0.4);

    for (const cCharaActor& x : charas) {
        if (!IsActive(x, actor)) continue;
        const DoubleRect xb = BoxOf(x);
        if (!Intersects(box, xb)) continue;
        touched = true;
        const DoubleRect& xprev = x.m_rcSaved;

        if (Intersects(upper, xb)) {
            const bool sweptMeets = Intersects(swept, xprev);
            if (actor.m_dVY > fastFall && sweptMeets && prev.top < xprev.top) {
                ErrorLog("D Hit");
                if (x.m_dVY < 0) actor.m_bContactDown = 1;
                OfferPlatform(actor, x, c);
                continue;
            }
            const Overlap o = MeasureOverlap(upper, xb);
            const bool headOn = o.h - o.v > ceilingMargin && box.bottom > xb.bottom;
            const bool fromBelow = sweptMeets && prev.top > xprev.top && !Intersects(prev, xb);
            if (headOn || fromBelow) {
                if (x.m_dVY > 0) actor.m_bContactUp = 1;
                c.pushDown.Offer(xb.bottom + 1, true, x, x.m_dVY);
                if (actor.m_bRiding != 0 && actor.m_dVY < 0) actor.m_bContactDown = 1;
                continue;
            }
            // A side: the edge the actor moves toward is asked first, and decides.
            const bool leftFirst = actor.m_dVX < 0;
            const bool leftTouches = Intersects(LeftEdge(upper), xb);
            const bool rightTouches = Intersects(RightEdge(upper), xb);
            if (leftFirst) {
                if (leftTouches)
                    OfferPushRight(actor, x, c);
                else if (rightTouches)
                    OfferPushLeft(actor, x, c);
            } else {
                if (rightTouches)
                    OfferPushLeft(actor, x, c);
                else if (leftTouches)
                    OfferPushRight(actor, x, c);
            }
            continue;
        }

        // Only the lower half meets it: a side, or something to stand on.
        const Overlap o = MeasureOverlap(box, xb);
        if (o.h < o.v) {
            if (Intersects(RightEdge(box), xb)) OfferPushLeft(actor, x, c);
            if (Intersects(LeftEdge(box), xb)) OfferPushRight(actor, x, c);
        } else if (Intersects(feet, xb)) {
            if (x.m_dVY < 0) actor.m_bContactDown = 1;
            OfferPlatform(actor, x, c);
        }
    }
}

// The first active block character whose box meets the actor's upper half pushes it down
// under itself; false when there is none.
bool PushDownUnderUpperHalf(cActorBase& actor, ObjectList<cCharaActor>& charas, bool markContact) {
    const DoubleRect box = BoxOf(actor);
    const DoubleRect upper{box.left, box.top, box.right, box.top + actor.m_nBoxH / 2};
    for (const cCharaActor& x : charas) {
        if (!IsActive(x, actor)) continue;
        if (MeasureOverlap(upper, BoxOf(x)).v <= 0) continue;
        if (markContact && x.m_dVY > 0) actor.m_bContactUp = 1;
        actor.m_dMoveVY = 0;
        actor.m_bJumping = 1;
        actor.m_bAirborne = 1;
        actor.m_bHitCeiling = 1;
        actor.m_dVY = x.m_dVY;
        SetTop(actor, x.m_dBottom + 1);
        return true;
    }
    return false;
}

void StandOnPlatform(cActorBase& actor, ObjectList<cCharaActor>& charas, const Candidate& stand) {
    actor.m_dMoveVY = 0;
    if (actor.m_bRiding == 0) {
        actor.m_bRiding = 1;
        if (cCharaActor* platform = charas.Find(stand.id)) RaiseRiddenTriggers(*platform, actor);
    }
    SetTop(actor, stand.pos);
    actor.m_dVY = 0;
    actor.m_nJumpCount = 0;
    actor.m_bJumping = 0;
    actor.m_bAirborne = 0;
    actor.m_bFalling = 0;
    actor.m_bKnocked = 0;
    if (IsPlayerOperated(actor))
        Player[0].m_bJumpForbidden = 0;
    else
        actor.m_bHitCeiling = 0;
}

// Applies the walker's candidates; true when it landed on a platform in this call.
bool ApplyWalking(cActorBase& actor, ObjectList<cCharaActor>& charas, Candidates& c,
                  double startLeft) {
    bool landed = false;
    const bool squeezed = c.pushRight.has && c.pushLeft.has;
    if (!c.pushDown.has || c.stand.has) {
        if (squeezed && !c.stand.has && !c.pushDown.has) {
            PushDownUnderUpperHalf(actor, charas, false);
            actor.m_bContactLeft = 0;
            actor.m_bContactRight = 0;
            c.pushRight.has = false;
            c.pushLeft.has = false;
        } else if (c.stand.has && !squeezed) {
            // On a descending platform the place is asked first: no landing into a block.
            if (c.stand.speed > 0 && ProbeMapBlocked(actor)) {
                actor.m_bRiding = 0;
            } else {
                StandOnPlatform(actor, charas, c.stand);
                landed = true;
            }
        }
    } else if (c.pushDown.has) {
        // Under a rising block character the place is asked first: no push into a block or
        // into another block character.
        const DoubleRect place{actor.m_dX, c.pushDown.pos, actor.m_dRight, actor.m_dBottom};
        const bool refused = c.pushDown.speed < 0 &&
                             (ProbeMapBlocked(actor) ||
                              OverlapsOtherBlockChara(actor, charas, place, c.pushDown.serial));
        if (!refused) {
            actor.m_bJumping = 1;
            actor.m_bAirborne = 1;
            actor.m_bHitCeiling = 1;
            actor.m_dMoveVY = 0;
            actor.m_dVY = c.pushDown.speed;
            SetTop(actor, c.pushDown.pos);
            RecheckBlocksY(actor);
        }
    }

    // The side pushes; a push by the carrying platform is no leaving of the ride.
    for (const Candidate* push : {&c.pushRight, &c.pushLeft}) {
        if (!push->has) continue;
        actor.m_dMoveVX = 0;
        if (!RidesSerial(actor, push->serial)) actor.m_bLeftRide = 1;
        SetLeft(actor, push->pos);
    }
    if (c.pushRight.has && c.pushLeft.has && !c.stand.has) {
        SetLeft(actor, startLeft);
        PushDownUnderUpperHalf(actor, charas, true);
        actor.m_bContactLeft = 0;
        actor.m_bContactRight = 0;
    }
    return landed;
}

// After a push the actor may stand in a map block: it moves back against the push, a tenth
// of a dot at a time, a limited number of times per side.
void NudgeOutOfBlocks(cActorBase& actor) {
    struct Side {
        std::int32_t cActorBase::*flag;
        double dx;
        double dy;
    };
    const Side sides[] = {
        {&cActorBase::m_bContactLeft, -kNudgeStep, 0},
        {&cActorBase::m_bContactRight, kNudgeStep, 0},
        {&cActorBase::m_bContactUp, 0, -kNudgeStep},
        {&cActorBase::m_bContactDown, 0, kNudgeStep},
    };
    for (const Side& side : sides) {
        if (actor.*side.flag == 0) continue;
        for (int i = 0; i < kNudgeSteps && actor.TouchesSolidBlock(); ++i) {
            if (side.dx != 0)
                SetLeft(actor, actor.m_dX + side.dx);
            else
                SetTop(actor, actor.m_dY + side.dy);
        }
    }
}

// The ride goes on while the platform (or another one) is under the feet.
void KeepRide(cActorBase& actor, ObjectList<cCharaActor>& charas) {
    if (actor.m_dKnockVY < 0) {
        actor.LeaveRide(1);
        return;
    }
    const cCharaActor* platform = nullptr;
    if (IsOnRiddenBlockChara(actor, charas)) {
        platform = FindBySerial(charas, actor.m_nRideSerial);
    } else {
        platform = FindBlockCharaUnderFeet(actor, charas);
    }
    if (!platform) {
        actor.LeaveRide(1);
        return;
    }
    actor.m_nJumpCount = 0;
    actor.m_bKnocked = 0;
    actor.m_nRideSerial = platform->m_nSerial;
    actor.m_rcRide = BoxOf(*platform);
}

bool IsCrushedByContacts(const cActorBase& actor) {
    return (actor.m_bContactLeft && actor.m_bContactRight) ||
           (actor.m_bContactUp && actor.m_bContactDown);
}

DoubleRect FeetStrip(const cActorBase& actor) {
    return {actor.m_dX, actor.m_dBottom, actor.m_dRight, actor.m_dBottom + kFeetReach};
}

}  // namespace

int CollideBlockCharas(cActorBase& actor, ObjectList<cCharaActor>& charas) {
    if (actor.m_bFlying != 0 && actor.m_nBlockMode == 0) return kCollideOk;
    const DoubleRect start = BoxOf(actor);
    Candidates c;
    bool touched = false;
    bool landed = false;

    if (actor.m_bFlying != 0) {
        GatherFlying(actor, charas, c, touched);
        if (touched) actor.TriggerFlows(kTriggerBlockCharaHit);
        if (actor.m_nBlockMode == 2) {
            if (c.pushRight.has || c.pushLeft.has || c.pushDown.has || c.stand.has)
                return kCollideDeath;
        } else {
            ApplyFlying(actor, charas, c);
        }
    } else {
        GatherWalking(actor, charas, c, touched);
        landed = ApplyWalking(actor, charas, c, start.left);
        if (touched || actor.m_bRiding != 0) actor.TriggerFlows(kTriggerBlockCharaHit);
        if (actor.m_bRiding != 0) actor.TriggerFlows(kTriggerBlockCharaRide);
    }

    int result = kCollideOk;
    if (IsCrushedByContacts(actor) || AreCornersInBlockCharas(actor, charas, start))
        result = kCollideDeath;
    else
        NudgeOutOfBlocks(actor);

    if (actor.m_bRiding != 0 && !landed) KeepRide(actor, charas);
    return result;
}

void RideBlockChara(cActorBase& actor, ObjectList<cCharaActor>& charas) {
    if (actor.m_bFlying != 0) return;
    cCharaActor* platform = FindBySerial(charas, actor.m_nRideSerial);
    if (!platform) return;
    actor.m_dVX += platform->m_dX - actor.m_rcRide.left;
    if (platform->m_bFlying != 0 || platform->m_bFalling != 0)
        actor.m_dVY = platform->m_dY - actor.m_rcRide.top;
    RaiseRiddenTriggers(*platform, actor);
}

void RecheckAxisBlockCharas(cActorBase& actor, ObjectList<cCharaActor>& charas,
                            bool horizontalCandidate) {
    const DoubleRect box = BoxOf(actor);
    Candidates c;
    for (const cCharaActor& x : charas) {
        if (!IsActive(x, actor)) continue;
        const DoubleRect xb = BoxOf(x);
        if (horizontalCandidate) {
            if (Intersects(TopEdge(box), xb)) c.pushDown.Offer(xb.bottom + 1, true, x, x.m_dVY);
            if (Intersects(BottomEdge(box), xb))
                c.stand.Offer(xb.top - actor.m_nBoxH, false, x, x.m_dVY);
        } else {
            if (Intersects(LeftEdge(box), xb)) c.pushRight.Offer(xb.right + 1, true, x, x.m_dVX);
            if (Intersects(RightEdge(box), xb))
                c.pushLeft.Offer(xb.left - actor.m_nBoxW, false, x, x.m_dVX);
        }
    }
    if (c.pushDown.has) {
        actor.m_bContactUp = 1;
        SetTop(actor, c.pushDown.pos);
    }
    if (c.stand.has) {
        actor.m_bContactDown = 1;
        SetTop(actor, c.stand.pos);
    }
    for (const Candidate* push : {&c.pushRight, &c.pushLeft}) {
        if (!push->has) continue;
        (push == &c.pushRight ? actor.m_bContactLeft : actor.m_bContactRight) = 1;
        if (!RidesSerial(actor, push->serial)) actor.m_bLeftRide = 1;
        SetLeft(actor, push->pos);
    }
}

bool IsOnRiddenBlockChara(const cActorBase& actor, const ObjectList<cCharaActor>& charas) {
    const DoubleRect strip = FeetStrip(actor);
    for (const cCharaActor& x : charas) {
        if (x.m_nSerial != actor.m_nRideSerial || !IsActive(x, actor)) continue;
        if (Intersects(strip, BoxOf(x))) return true;
    }
    return false;
}

const cCharaActor* FindBlockCharaUnderFeet(const cActorBase& actor,
                                           const ObjectList<cCharaActor>& charas) {
    const DoubleRect strip = FeetStrip(actor);
    for (const cCharaActor& x : charas)
        if (IsActive(x, actor) && Intersects(strip, BoxOf(x))) return &x;
    return nullptr;
}

bool AreCornersInBlockCharas(const cActorBase& actor, const ObjectList<cCharaActor>& charas,
                             const DoubleRect& box) {
    const DoubleRect own = BoxOf(actor);
    auto corners = [](const DoubleRect& r, int i, double& x, double& y) {
        x = (i & 1) ? r.right : r.left;
        y = (i & 2) ? r.bottom - 1 : r.top;
    };
    for (int i = 0; i < 4; ++i) {
        double ax = 0, ay = 0, bx = 0, by = 0;
        corners(own, i, ax, ay);
        corners(box, i, bx, by);
        bool covered = false;
        for (const cCharaActor& x : charas) {
            if (!IsActive(x, actor)) continue;
            const DoubleRect xb = BoxOf(x);
            if (Contains(xb, ax, ay) || Contains(xb, bx, by)) {
                covered = true;
                break;
            }
        }
        if (!covered) return false;
    }
    return true;
}

bool OverlapsOtherBlockChara(const cActorBase& actor, const ObjectList<cCharaActor>& charas,
                             const DoubleRect& box, std::int32_t excludedSerial) {
    for (const cCharaActor& x : charas) {
        if (!IsActive(x, actor) || x.m_nSerial == excludedSerial) continue;
        if (Intersects(box, BoxOf(x))) return true;
    }
    return false;
}
