#include "flow/conditions.h"

#include <cmath>
#include <cstdlib>

#include "base/globals.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/status_tables.h"
#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "platform/trunc.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/stage_objects.h"

bool CompareByOp(std::int32_t v, std::int32_t n, int code) {
    // In 64 bits |INT_MIN| exists and INT_MIN % −1 is simply 0.
    const std::int64_t value = v;
    const std::int64_t operand = n;
    switch (code) {
        case kCmpEqual:
            return value == operand;
        case kCmpNotEqual:
            return value != operand;
        case kCmpAtLeast:
            return value >= operand;
        case kCmpAtMost:
            return value <= operand;
        case kCmpGreater:
            return value > operand;
        case kCmpLess:
            return value < operand;
        case kCmpMultiple:
            return operand == 0 || std::llabs(value) % operand == 0;
        case kCmpNotMultiple:
            return operand != 0 && std::llabs(value) % operand != 0;
        default:
            return false;
    }
}

std::int32_t PercentOf(std::int32_t a, std::int32_t b) {
    // The product is taken in 64 bits, so a large status and percentage do not wrap into
    // a value of the other sign; the result is held to the int32 limits.
    const double x = static_cast<double>(std::int64_t{a} * b) * 0.01;
    const double r = x >= 0 ? x + 0.5 : x - 0.5;
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return plat::TruncToInt(r);
}

bool TestConditionList(const CheckedVector<cEdCondition>& conditions, int combination,
                       cActorBase* actor) {
    if (combination == 0) {
        for (const cEdCondition& condition : conditions)
            if (!TestCondition(condition, actor)) return false;
        return true;
    }
    if (combination == 1) {
        for (const cEdCondition& condition : conditions)
            if (TestCondition(condition, actor)) return true;
        return false;
    }
    return false;
}

bool TestCondition(const cEdCondition& condition, cActorBase* actor) {
    std::int32_t value = 0;
    switch (condition.nKind) {
        case kCondCommonVar:
            value = Progress.m_vecVariable[condition.nVarIndex];
            break;
        case kCondStageVar:
            if (!ReadScopedVariable(1, condition.nVarIndex, value)) return false;
            break;
        case kCondCharaVar:
            if (actor == nullptr) return false;
            value = actor->m_vecVar[condition.nVarIndex];
            break;
        case kCondStatus:
            return TestStatusCondition(condition, actor);
        case kCondStatusFlag:
            return TestStatusCondition2(actor, condition);
        case kCondState:
            return actor != nullptr && TestStatusCondition3(*actor, condition);
        case kCondDistance:
            return actor != nullptr && TestDistanceCondition(*actor, condition);
        default:
            return false;
    }
    return CompareByOp(value, condition.nValue, condition.nOp);
}

bool TestStatusCondition2(const cActorBase* actor, const cEdCondition& condition) {
    const int item = condition.nItem;
    std::int32_t value = 0;
    if (condition.nWhose == kWhoseSystem) {
        // The system's flags are the running stage's auto-scroll switches.
        if (item == 0)
            value = EdStageWork.nScrollKindX;
        else if (item == 1)
            value = EdStageWork.nScrollKindY;
        else
            return false;
        return CompareByOp(value, condition.nVarIndex, condition.nOp);
    }
    const cActorBase* subject = actor;
    if (subject != nullptr && condition.nWhose == kWhoseTarget) subject = actor->m_pTarget;
    if (subject == nullptr) return false;
    const cEdChara& c = subject->m_Chara;
    switch (item) {
        case kFlagTransparent:
            value = static_cast<std::uint8_t>(c.bTransparent);
            break;
        case kFlagFixedFacing:
            value = c.bFixedFacing;
            break;
        case kFlagFly:
            value = c.nBlockCollision;
            break;
        case kFlagInvincible:
            value = c.nShotCollision;
            break;
        case kFlagGiant:
            value = c.nGiant;
            break;
        case kFlagScrollSync:
            value = static_cast<std::uint8_t>(c.bScrollSync);
            break;
        default:
            // Vanishing is something done, not a state to test.
            return false;
    }
    return CompareByOp(value, condition.nVarIndex, condition.nOp);
}

bool TestStatusCondition3(const cActorBase& actor, const cEdCondition& condition) {
    const cActorBase* subject = condition.nWhose == kWhoseTarget ? actor.m_pTarget : &actor;
    if (subject == nullptr) return false;
    bool holds = false;
    switch (condition.nItem) {
        case 0:
            holds = subject->m_bFacingRight == 0;
            break;
        case 1:
            holds = subject->m_bFacingRight != 0;
            break;
        case 2:
            // Standing: not a flyer, and either riding a block character or neither
            // jumping nor falling.
            holds =
                subject->m_Chara.nBlockCollision == 0 &&
                (subject->m_bRiding != 0 || (subject->m_bJumping == 0 && subject->m_bFalling == 0));
            break;
        case 3:
            // The player's actors are asked now; the computer's answer as of the presence
            // pass of this tick, like everything else that runs them.
            holds =
                subject->m_nOperator == 0 ? subject->IsOnScreen() != 0 : subject->m_bOnScreen != 0;
            break;
        default:
            holds = false;
            break;
    }
    return condition.nOp == 1 ? !holds : holds;
}

namespace {

// A distance beyond any stage, so that the interval arithmetic of a damaged condition stays
// within 32 bits.
constexpr std::int64_t kMaxDistanceDots = std::int64_t{1} << 28;

// The before and after ranges of one straight shape for the facing, and its flags.
struct StraightShape {
    int vertical;
    int whole;
    int beforeLeft, afterLeft;    // factors of D when facing left
    int beforeRight, afterRight;  // factors of D when facing right
};

// Shapes 0..5: 横, 前, 後, 縦, 前Y, 後Y. "Before" is the lower coordinate side.
constexpr StraightShape kStraightShapes[6] = {
    {0, 1, 1, 1, 1, 1}, {0, 0, 1, 0, 0, 1}, {0, 0, 0, 1, 1, 0},
    {1, 1, 1, 1, 1, 1}, {1, 0, 1, 0, 0, 1}, {1, 0, 0, 1, 1, 0},
};

constexpr int kShapeCircle = 6;

// D of a distance condition: the half blocks and the extra dots, held within the bound.
int DistanceDots(const cEdCondition& condition) {
    std::int64_t dots = std::int64_t{condition.nValue} * kHalfBlockDots + condition.nVarIndex2;
    if (dots > kMaxDistanceDots) dots = kMaxDistanceDots;
    if (dots < -kMaxDistanceDots) dots = -kMaxDistanceDots;
    return static_cast<int>(dots);
}

bool InStraightShape(cActorBase& actor, const cGameObject& other, const StraightShape& shape,
                     int d) {
    actor.UpdateScreenRect();
    const bool right = actor.m_bFacingRight != 0;
    const int before = (right ? shape.beforeRight : shape.beforeLeft) * d;
    const int after = (right ? shape.afterRight : shape.afterLeft) * d;
    int low = 0;
    int high = 0;
    if (shape.vertical) {
        MakeRangeInterval(actor.m_rcScreen.top, actor.m_nSpriteH, before, after, shape.whole, low,
                          high);
        const int margin = other.m_nOffsetY;
        // A box that fills its sprite from the margin down keeps the sprite's bottom.
        const int keepTop = std::int64_t{other.m_nBoxH} + margin >= other.m_nSpriteH ? 1 : 0;
        return InDistanceRange(low, high, other.m_rcScreen.top, other.m_rcScreen.bottom, margin,
                               keepTop);
    }
    MakeRangeInterval(actor.m_rcScreen.left, actor.m_nSpriteW, before, after, shape.whole, low,
                      high);
    return InDistanceRange(low, high, other.m_rcScreen.left, other.m_rcScreen.right,
                           other.m_nOffsetX, 0);
}

bool InCircle(const cActorBase& actor, const cGameObject& other, int d) {
    const double dx =
        std::fabs((other.m_dX + other.m_nBoxW / 2) - (actor.m_dX + actor.m_nBoxW / 2));
    const double dy =
        std::fabs((other.m_dY + other.m_nBoxH / 2) - (actor.m_dY + actor.m_nBoxH / 2));
    return d >= std::sqrt(dx * dx + dy * dy);
}

}  // namespace

bool TestDistanceCondition(cActorBase& actor, const cEdCondition& condition) {
    const cGameObject* other = nullptr;
    if (condition.nWhose == 0)
        other = FirstHero();
    else if (condition.nWhose == 1)
        other = actor.m_pTarget;
    // Without the other object there is nothing to measure: neither inside nor outside.
    if (other == nullptr) return false;

    const int d = DistanceDots(condition);

    bool inside = false;
    const int shape = condition.nShape;
    if (shape >= 0 && shape < kShapeCircle)
        inside = InStraightShape(actor, *other, kStraightShapes[shape], d);
    else if (shape == kShapeCircle)
        inside = InCircle(actor, *other, d);
    return (inside && condition.nOp == 0) || (!inside && condition.nOp == 1);
}

bool TestBlockConditionsOfHero(cBlock& cell) {
    return TestConditionList(cell.vecCondition, cell.nCondMode, FirstHero());
}

namespace {

// Display settings of a distance condition.
constexpr int kAreaHidden = 0;
constexpr int kAreaTestPlayOnly = 2;
// Palette rows of the area colours: four shades per colour.
constexpr int kAreaColourBase = 208;
// A circle wider than this is drawn small and stretched in DirectDraw.
constexpr int kSmallCircleRadius = 64;
constexpr int kWorkSurface = 67;

// One counter for the program: the area colours cycle through their four shades.
int g_nAreaColourCounter = 0;

bool OneColour() {
    return nBpp == 8 && EdSystem.bPaletteAnimation != 0;
}

void DrawArea(cActorBase& actor, const cEdCondition& condition) {
    const int display = condition.nSubject;
    if (display == kAreaHidden || (display == kAreaTestPlayOnly && !bTestPlay)) return;
    if (condition.nSource == 0 && !actor.m_bPresent) return;
    if (condition.nWhose2 == 0 && (actor.m_bVanish || actor.m_Chara.bTransparent != 0)) return;
    std::uint32_t colour = static_cast<std::uint32_t>(kAreaColourBase + 4 * (condition.nItem & 7));
    if (!OneColour()) colour += static_cast<std::uint32_t>(g_nAreaColourCounter / 8);
    const int d = DistanceDots(condition);
    const int shape = condition.nShape;
    DDSURFACEDATA* target = &BackBuffer;
    if (shape >= 0 && shape < kShapeCircle) {
        actor.UpdateScreenRect();
        const StraightShape& s = kStraightShapes[shape];
        const bool right = actor.m_bFacingRight != 0;
        const int before = (right ? s.beforeRight : s.beforeLeft) * d;
        const int after = (right ? s.afterRight : s.afterLeft) * d;
        int low = 0, high = 0;
        if (s.vertical) {
            MakeRangeInterval(actor.m_rcScreen.top, actor.m_nSpriteH, before, after, s.whole, low,
                              high);
            DDFillRect(target, 0, low, 640, 1, colour);
            DDFillRect(target, 0, high, 640, 1, colour);
        } else {
            MakeRangeInterval(actor.m_rcScreen.left, actor.m_nSpriteW, before, after, s.whole, low,
                              high);
            DDFillRect(target, low, 0, 1, 480, colour);
            DDFillRect(target, high, 0, 1, 480, colour);
        }
        return;
    }
    if (shape != kShapeCircle) return;
    const int cx = actor.m_rcScreen.left + actor.m_nSpriteW / 2;
    const int cy = actor.m_rcScreen.top + actor.m_nSpriteH / 2;
    if (d > kSmallCircleRadius && lpDTCon == nullptr && lpDDCon != nullptr) {
        // DirectDraw draws a large circle small and stretches it.
        DDSURFACEDATA* work = &StdSD[kWorkSurface];
        const int side = 2 * kSmallCircleRadius + 1;
        DDFillRect(work, 0, 0, side, side, 0);
        DDDrawCircle(work, kSmallCircleRadius, kSmallCircleRadius, kSmallCircleRadius, colour);
        DDBltScale(target, cx - d, cy - d, 2 * d, 2 * d, work, 0, 0, side, side, DDBLT_COLORKEY);
        return;
    }
    DDDrawCircle(target, cx, cy, d, colour);
}

bool IsDistance(const cEdCondition& condition) {
    return condition.nKind == 7;
}

// The characters whose areas show: alive and on screen.
bool ShowsAreas(const cCharaActor& chara) {
    return !chara.m_bDying && chara.IsOnScreen();
}

}  // namespace

void DrawDistanceConditionAreas(DDSURFACEDATA*) {
    if (!OneColour()) g_nAreaColourCounter = (g_nAreaColourCounter + 1) % 32;
    DDBeginRectBatch();
    for (cCharaActor& chara : CharaList) {
        if (!ShowsAreas(chara)) continue;
        if (chara.m_Chara.bCondLatch != 0 && chara.m_bAppearLatch != 0) continue;
        for (const cEdCondition& condition : chara.m_Chara.vecCondition)
            if (IsDistance(condition)) DrawArea(chara, condition);
    }
    DDEndRectBatch();
    DDBeginRectBatch();
    for (cCharaActor& chara : CharaList) {
        if (!ShowsAreas(chara)) continue;
        for (const cEdFlow& flow : chara.m_Chara.vecFlow) {
            if (flow.bCondLatch != 0 && chara.m_bAppearLatch != 0) continue;
            for (const cEdCondition& condition : flow.vecCondition)
                if (IsDistance(condition)) DrawArea(chara, condition);
        }
    }
    DDEndRectBatch();
}

void ResetDistanceAreaColour() {
    g_nAreaColourCounter = 0;
}
