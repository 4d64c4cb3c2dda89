// The hero's set-up, boxes, camera, one-tick steps, flow pass, jump, item commands and its
// test-play drawing.
#include "stage/hero_actor.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "base/input.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "platform/trunc.h"
#include "stage/actor_geometry.h"
#include "stage/actor_services.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/scroll_axis.h"

namespace {

// The item command アレンジ, which applies to the next command instead of being one.
constexpr int kItemArrangeType = 23;
// The boost of a jump off a block character, as the single-precision constant it was.
constexpr double kRideJumpBoost = static_cast<double>(1.02f);

// The current offsets and sizes × g (the scale-1 values stay).
void GrowBox(HitBoxSet& box, std::int32_t g) {
    box.nOffsetX = WrapMul(box.nOffsetX, g);
    box.nOffsetY = WrapMul(box.nOffsetY, g);
    box.nWidth = WrapMul(box.nWidth, g);
    box.nHeight = WrapMul(box.nHeight, g);
}

// A command parameter; a damaged command with fewer parameters reads 0.
std::int32_t Param(const cEdCommand* cmd, int i) {
    if (!cmd || i >= static_cast<int>(cmd->vecParam.Size())) return 0;
    return cmd->vecParam[i];
}

// The camera on one axis: the view is put so that the box's centre is in the middle of it,
// then kept within the axis's limits.
void FollowOnAxis(ScrollAxis& axis, double pos, std::int32_t box, int half, int view) {
    if (axis.m_bAuto) return;
    axis.m_dPos = pos - (half - (box >> 1));
    if (axis.m_dPos < axis.m_nLow)
        axis.m_dPos = axis.m_nLow;
    else if (!(axis.m_nHigh > axis.m_dPos + view))
        axis.m_dPos = static_cast<double>(axis.m_nHigh) - view;
}

}  // namespace

int cHeroActor::Init(int serial, cEdChara& record, double homeX, double homeY) {
    // The record itself is mended, so that every later copy of it has a size.
    if (record.nGiant == 0) record.nGiant = 1;
    // The boxes are the stage's for the record's flight mode, not the record's own.
    ResetActor(*this, &record, homeX, homeY, 0);
    PlaceObjectBox(IsFlyingKind(m_Chara.nBlockCollision));
    cGameObject::Init(serial, m_Chara.nControl, m_Chara.nSide, m_Chara.nGraphic, nullptr, 0,
                      m_nOffsetX, m_nOffsetY, m_nBoxW, m_nBoxH, kBlockDots, kBlockDots,
                      m_Chara.nFacing, m_Chara.nBlockCollision, 0);
    // Only player 1 exists; a damaged player number binds no input.
    const int player = m_Chara.nPlayer;
    m_pInput =
        (player >= 0 && player < static_cast<int>(InputList.Size())) ? &InputList[player] : nullptr;
    SetFlyMode(m_Chara.nBlockCollision, 0);
    SetScale(GiantSize(), 1);

    m_bFacingRight = m_Chara.nFacing;
    m_nPrevFacing = m_Chara.nFacing;
    m_bJumpForbidden = 0;
    m_nJumpHold = 0;
    m_bHitCeiling = 0;
    m_bClearDirection = 0;
    m_bClearButtons = 0;
    m_nTouchKind = 0;
    m_dTouchValue = 0;
    m_nTouchTicks = 0;
    m_nItemBlockWait = 0;
    m_nTicks = 0;
    m_bJumpArmed = 1;
    m_bJumpDone = 0;
    const double b = EdStageWork.speed.dSubSteps;
    m_dTouchStep = b > 0 ? 4.0 / b : 0.0;
    m_pPrevLastBlock = nullptr;
    m_vecFlowChange.Clear();
    m_listItemArrange.clear();

    BuildHitBoxList();
    m_listTouchedItems.clear();
    // The record copy's flows become the hero's own, installed once.
    if (InstallFlows(*this, m_Chara.vecFlow, 0, -1) == kInstallFailed) {
        m_vecFlow.Clear();
        return kInstallFailed;
    }
    return 0;
}

void cHeroActor::SetFlyMode(int mode, int scaleFlag) {
    const std::int32_t wasFlying = m_bFlying;
    m_Chara.nBlockCollision = static_cast<std::int8_t>(mode);
    cGameObject::SetFlyMode(mode);
    // A change of flight holds crush deaths off for two ticks; landing from flight stops
    // every motion.
    if (m_bFlying != wasFlying) {
        m_nHoldFrames = 2;
        if (wasFlying) m_dVX = m_dVY = m_dMoveVX = m_dMoveVY = 0;
    }
    PlaceObjectBox(m_bFlying);

    // The body box by the record's hit-box kind; any other kind leaves it as it was.
    const cEdStage& st = EdStageWork;
    switch (m_Chara.nHitBoxKind) {
        case 0:
            if (m_bFlying)
                SetHitBoxFromSize(st.nHeroHitFlyAlign, st.nHeroHitFlyW, st.nHeroHitFlyH);
            else
                SetHitBoxFromSize(st.nHeroHitAlign, st.nHeroHitW, st.nHeroHitH);
            break;
        case 1:
            SetHitBoxFromSize(0, st.nHeroShotHitW, st.nHeroShotHitH);
            break;
        case 2:
            SetHitBoxFromSize(0, st.nHeroShotRangeW, st.nHeroShotRangeH);
            break;
        case 3:
            SetHitBoxFromSize(0, kBlockDots, kBlockDots);
            break;
        default:
            break;
    }
    m_ShotBox.SetCentred(m_nOffsetX, m_nOffsetY, st.nHeroShotHitW, st.nHeroShotHitH);
    m_ItemBox.SetCentred(m_nOffsetX, m_nOffsetY, st.nHeroItemBoxW, st.nHeroItemBoxH);

    // Grown to the giant size: the current sizes only; the scale-1 values stay, so that a
    // later change of size starts from them.
    if (scaleFlag) {
        const std::int32_t g = GiantSize();
        m_nBoxW = WrapMul(m_nBoxW, g);
        m_nBoxH = WrapMul(m_nBoxH, g);
        m_nOffsetX = WrapMul(m_nOffsetX, g);
        m_nOffsetY = WrapMul(m_nOffsetY, g);
        m_nSpriteW = WrapMul(m_nSpriteW, g);
        m_nSpriteH = WrapMul(m_nSpriteH, g);
        GrowBox(m_BodyBox, g);
        GrowBox(m_ShotBox, g);
        GrowBox(m_ItemBox, g);
    }
    BuildHitBoxList();
}

void cHeroActor::PlaceObjectBox(int flying) {
    const cEdStage& st = EdStageWork;
    const std::int32_t w = flying ? st.nHeroBodyFlyW : st.nHeroBodyW;
    const std::int32_t h = flying ? st.nHeroBodyFlyH : st.nHeroBodyH;
    std::int32_t offX = 0;
    std::int32_t offY = 0;
    BoxOffsetsInCell(w, h, flying ? st.nHeroBodyFlyAlign : st.nHeroBodyAlign, offX, offY);
    m_nBoxW = m_nBaseBoxW = w;
    m_nBoxH = m_nBaseBoxH = h;
    m_nOffsetX = m_nBaseOffsetX = offX;
    m_nOffsetY = m_nBaseOffsetY = offY;
    m_nSpriteW = m_nBaseSpriteW = kBlockDots;
    m_nSpriteH = m_nBaseSpriteH = kBlockDots;
}

void cHeroActor::BuildHitBoxList() {
    const cEdStage& st = EdStageWork;
    auto view = [&](std::int32_t kind, std::int32_t w, std::int32_t h) {
        HitBoxView v;
        v.nKind = kind;
        v.nMode = st.nHeroHitBox[kind];
        // A colour choice outside the table (a damaged file) shows as the first colour.
        const std::int32_t colour = st.nHeroHitBox[kind + 4];
        v.nColour = kHitBoxColours[(colour >= 0 && colour < 8) ? colour : 0];
        v.nWidth = w;
        v.nHeight = h;
        return v;
    };
    m_vecHitBoxView.Clear();
    m_vecHitBoxView.push_back(view(kHitBoxObject, m_nBoxW, m_nBoxH));
    m_vecHitBoxView.push_back(view(kHitBoxItem, m_ItemBox.nWidth, m_ItemBox.nHeight));
    m_vecHitBoxView.push_back(view(kHitBoxBody, m_BodyBox.nWidth, m_BodyBox.nHeight));
    m_vecHitBoxView.push_back(view(kHitBoxShot, m_ShotBox.nWidth, m_ShotBox.nHeight));
    // Largest first; a box moves only past boxes of strictly smaller area.
    std::stable_sort(m_vecHitBoxView.begin(), m_vecHitBoxView.end(),
                     [](const HitBoxView& a, const HitBoxView& b) {
                         return std::int64_t{a.nWidth} * a.nHeight >
                                std::int64_t{b.nWidth} * b.nHeight;
                     });
}

void cHeroActor::ScaleHitBoxes(int scale) {
    m_BodyBox.Scale(scale);
    m_ShotBox.Scale(scale);
    m_ItemBox.Scale(scale);
}

void cHeroActor::UpdateHitBoxX() {
    m_BodyBox.FollowX(m_dX);
    m_ShotBox.FollowX(m_dX);
    m_ItemBox.FollowX(m_dX);
}

void cHeroActor::UpdateHitBoxY() {
    m_BodyBox.FollowY(m_dY);
    m_ShotBox.FollowY(m_dY);
    m_ItemBox.FollowY(m_dY);
}

int cHeroActor::OnMovedX() {
    FollowOnAxis(GeomAxisX(), m_dX, m_nBoxW, kViewW / 2, kViewW);
    const int code = ClampX(m_bFlying ? 0 : 1);
    m_dRight = m_dX + m_nBoxW - 1;
    return code;
}

int cHeroActor::OnMovedY() {
    FollowOnAxis(GeomAxisY(), m_dY, m_nBoxH, kViewH / 2, kViewH);
    return ClampY(m_bFlying ? 0 : 1);
}

int cHeroActor::StepX() {
    if (m_dKnockVX != 0) {
        m_dVX = m_dKnockVX;
    } else if (m_dMoveVX != 0) {
        // A speed-change block scales the move by its factor, a step of 4 dots per
        // second at a time, never across 0.
        Decelerate(m_dMoveVX, m_bDecelX);
        if (m_nTouchTicks != 0 && m_nTouchKind == kTouchSpeed) {
            const double f = m_dTouchValue;
            const double s = PerFrameSpeed(m_dTouchStep);
            double& v = m_dMoveVX;
            if (v <= 0) {
                v = v - (f - 1) * s;
                if (v > 0) v = 0;
            } else {
                v = v + (f - 1) * s;
                if (v < 0) v = 0;
            }
        }
        m_dVX += m_dMoveVX;
    }
    const double limit = EdStageWork.speed.dStepSpeedLimit;
    if (m_dVX > limit)
        m_dVX = limit;
    else if (m_dVX < -limit)
        m_dVX = -limit;
    m_dX += m_dVX;
    OnMovedX();
    return 0;
}

int cHeroActor::StepY() {
    ApplyKnockbackY();
    if (m_dKnockVY == 0 && m_bFlying && m_dMoveVY != 0) {
        Decelerate(m_dMoveVY, m_bDecelY);
        m_dVY += m_dMoveVY;
    }
    const int code = MoveY(m_bFlying ? 0 : 2);
    OnMovedY();
    if (!m_bFlying && (code == 5 || code == 6)) return 7;
    return code;
}

int cHeroActor::RunFlows(int dying) {
    // The pass's own context, put back as it was however the pass ends.
    std::optional<CommandContextGuard> context(std::in_place);
    SetCommandContext(this, nullptr, nullptr);
    if (lpGame) lpGame->m_bCodeKill = 0;

    // The velocity the flows start from: the auto-scroll's, overwritten, not added.
    const double sx = ActiveScrollSpeed(GeomAxisX());
    const double sy = ActiveScrollSpeed(GeomAxisY());
    if (EdSystem.bCompat214 == 0) {
        m_dVX = m_bScrollSync ? sx : 0.0;
        if (m_bFlying) m_dVY = m_bScrollSync ? sy : 0.0;
    } else if (m_bFlying) {
        m_dVX = sx;
        m_dVY = sy;
    } else {
        m_dVX = 0;
    }

    // What the flows may set afresh in this tick.
    m_bGravityOff = 0;
    m_bDecelX = 1;
    m_bDecelY = 1;
    m_bClearDirection = 0;
    m_bClearButtons = 0;
    m_bMovedByCommand = 0;
    m_bJumpDone = 0;
    if (m_nHoldFrames > 0) --m_nHoldFrames;

    UpdateFlowCues();
    if (RunFlowInstances(dying, 0)) return 1;
    context.reset();

    RunQueuedFlowChanges();
    FinishFlowPass();

    ++m_nTicks;
    // Idle: every step of a base animation is locked, so the change is forced.
    if (!m_bMovedByCommand && m_dMoveVX == 0 && m_dMoveVY == 0)
        m_AnimPattern.ChangeSeq(m_bFlying ? 2 : 0, 1);

    // No jump command ran: the next one may launch.
    if (!m_bJumpDone) {
        m_nJumpHold = 0;
        m_bJumpArmed = 1;
        m_bHitCeiling = 0;
    }

    return m_nHp < 1 ? 1 : 0;
}

int cHeroActor::Jump(cCommandInstance* cmd) {
    // A flying hero does not jump, and one jump command acts once per tick.
    if (!cmd || m_bFlying || m_bJumpDone) return 0;
    const cEdCommand* def = cmd->m_pCmd;
    const std::int32_t mode = Param(def, 0);
    const std::int32_t b = EdStageWork.speed.nSubSteps;

    // The flow whose command this is decides by its last key condition.
    const FlowInstance* flow = lpGame ? lpGame->m_pCurFlow : nullptr;
    const bool hasKeys = flow && !flow->m_vecKeyCond.empty();
    int held = 0;
    int keyed = 0;
    if (mode == 0) {
        held = 1;
    } else if ((mode == 1 || mode == 2) && hasKeys &&
               KeyConditionHolds(*this, m_pInput, flow->m_vecKeyCond.back())) {
        held = keyed = 1;
    }

    // The height by the running speed, between the two thresholds.
    if (mode == 2) {
        const double r = 10.0 * EdStageWork.speed.dSubSteps;
        if (r > 0) {
            const double lo = Param(def, 1) / r;
            const double hi = Param(def, 3) / r;
            const double v = m_dMoveVX < 0 ? -m_dMoveVX : m_dMoveVX;
            const std::int32_t p2 = Param(def, 2);
            const std::int32_t p4 = Param(def, 4);
            std::int32_t height;
            if (v >= lo)
                height = p2;
            else if (v <= hi)
                height = p4;
            else
                height = plat::TruncToInt((static_cast<double>(p2) - p4) * v / lo + p4);
            cmd->m_dSpeed = JumpSpeedForHeight(static_cast<double>(height) * kHalfBlockDots);
        }
    }

    int launched = 0;
    const bool inAir = m_bAirborne && !m_bRiding;
    if ((mode == 0 || keyed) && !m_bJumpForbidden) {
        // Held: the rise goes on, or the jump launches.
        ++m_nJumpHold;
        if (m_nJumpHold >= cmd->m_nDuration && !inAir && m_bJumpArmed && !m_bHitCeiling &&
            (m_dVY < 0 || m_bRiding)) {
            // The rise is over.
            m_bAirborne = 1;
            m_bJumpArmed = 0;
        } else if (!m_bFalling && m_nJumpHold <= b && !inAir && m_bJumpArmed && !m_bHitCeiling &&
                   !m_bKnocked && !cmd->m_bFirstTickDone) {
            // Launch: from a block character only in the frame's last tick.
            m_bJumping = 1;
            if (!m_bRiding) {
                m_dVY = cmd->m_dSpeed;
                launched = 1;
            } else if (lpGame && lpGame->m_nTick == b) {
                m_dVY = cmd->m_dSpeed * kRideJumpBoost;
                m_bRiding = 0;
                launched = 1;
            }
            if (launched) {
                cmd->m_bFirstTickDone = 1;
                PlayCommandSound(*this, *cmd);
            }
        }
    } else {
        // Released while rising: the rise is cut to 30 %.
        if (m_nJumpHold > 0 && m_nJumpHold < cmd->m_nDuration && !m_bAirborne && !m_bHitCeiling &&
            !m_bJumpForbidden && !m_bKnocked) {
            m_bRiding = 0;
            if (m_dVY < 0) m_dVY *= 0.3;
            m_bAirborne = 1;
        }
        m_nJumpHold = 0;
        m_bJumpArmed = 1;
        m_bHitCeiling = 0;
    }

    // Landed.
    if (IsStanding() && m_dVY >= 0) {
        if (!hasKeys || !held) {
            m_nJumpHold = 0;
            m_bJumpArmed = 1;
            m_bHitCeiling = 0;
            m_bKnocked = 0;
            if (!hasKeys)
                cmd->m_bFirstTickDone = 0;
            else
                cmd->m_nRemaining = 0;
        }
    }

    m_bJumpDone = 1;
    return launched;
}

int cHeroActor::RunItemCommands(CheckedVector<cEdCommand>& commands) {
    if (lpGame) lpGame->m_nItemMessageArg = 0;
    // By index: a command may not change the list, but the count is read again.
    for (int i = 0; i < static_cast<int>(commands.Size()); ++i) {
        cEdCommand& cmd = commands[i];
        if (cmd.nCmdType != kItemArrangeType) {
            ApplyItemArranges(*this, cmd);
            m_listItemArrange.clear();
        }
        const int result = RunItemCommand(*this, cmd);
        if (m_nHp <= 0) return 2;
        if (result != 0) return result;
    }
    return m_nHp <= 0 ? 2 : 0;
}

void cHeroActor::RunQueuedFlowChanges() {
    // A pass nested in another one of the hero leaves them to the outer pass.
    if (InFlowPass()) return;
    CheckedVector<cEdCommand> changes = std::move(m_vecFlowChange);
    m_vecFlowChange.Clear();
    for (cEdCommand& cmd : changes) RunFlowChange(*this, cmd);
}

bool cHeroActor::IsItemUntouched(const cItemObject& item) const {
    for (ObjectId id : m_listTouchedItems)
        if (id == item.Id()) return false;
    return true;
}

void cHeroActor::ForgetItem(const cItemObject& item) {
    // Every entry of it: the list never holds one twice, but a damaged order of calls
    // must not leave one behind.
    while (m_listTouchedItems.EraseValue(item.Id()) != m_listTouchedItems.end()) {
    }
}

void cHeroActor::TouchItem(const cItemObject& item) {
    m_listTouchedItems.push_back(item.Id());
}

void cHeroActor::ShowItemMessage(int message, std::int16_t a, std::int16_t b) {
    OpenItemMessage(*this, message, a, b);
}

void cHeroActor::DrawHitBoxes(DDSURFACEDATA* target, int hold) {
    DrawActor(target, hold);
    // At 8 bits per pixel with the palette animation on, the palette itself blinks.
    const bool paletteBlinks = nBpp == 8 && EdSystem.bPaletteAnimation != 0;
    for (HitBoxView& v : m_vecHitBoxView) {
        if (v.nMode != 1 && v.nMode != 2) continue;
        // The object box lies at the sprite offsets; the hit boxes at their own offsets
        // from it.
        std::int64_t x = std::int64_t{m_rcScreen.left} + m_nOffsetX;
        std::int64_t y = std::int64_t{m_rcScreen.top} + m_nOffsetY;
        const HitBoxSet* box = v.nKind == kHitBoxBody   ? &m_BodyBox
                               : v.nKind == kHitBoxItem ? &m_ItemBox
                               : v.nKind == kHitBoxShot ? &m_ShotBox
                                                        : nullptr;
        if (box) {
            x += box->nOffsetX;
            y += box->nOffsetY;
        }
        v.nX = Wrap32(x);
        v.nY = Wrap32(y);
        const std::uint32_t colour =
            static_cast<std::uint32_t>(paletteBlinks ? v.nColour : v.nColour + v.nBlink / 8);
        // A box of no size (a damaged stage) shows nothing but still blinks.
        if (v.nWidth > 0 && v.nHeight > 0) {
            const std::int64_t w = v.nWidth;
            const std::int64_t h = v.nHeight;
            if (v.nMode == 1) {
                DDFillRect(target, v.nX, v.nY, v.nWidth, v.nHeight, colour);
            } else {
                // A frame one dot thick: the top and bottom rows, then the sides between.
                DDFillRect(target, v.nX, v.nY, v.nWidth, 1, colour);
                DDFillRect(target, v.nX, Wrap32(y + h - 1), v.nWidth, 1, colour);
                DDFillRect(target, v.nX, Wrap32(y + 1), 1, Wrap32(h - 2), colour);
                DDFillRect(target, Wrap32(x + w - 1), Wrap32(y + 1), 1, Wrap32(h - 2), colour);
            }
        }
        v.nBlink = (v.nBlink + 1) % 32;
    }
}

void cHeroActor::DrawSight(DDSURFACEDATA* target) {
    const int shape = m_Chara.nSightShape;
    if (shape == 0) return;
    DDSURFACEDATA& mask = StdSD[kSightMaskSurface];
    // The mask's window lies at its centre; the source point puts it over the hero (ahead
    // of it for the forward shapes), and stays on the mask.
    std::int64_t sx = (mask.nWidth >> 1) - (m_nSpriteW >> 1) - std::int64_t{m_rcScreen.left};
    if (shape == 2 || shape == 4)
        sx +=
            std::int64_t{FacingSign()} * (m_nSpriteW >> 1) - std::int64_t{FacingSign()} * m_nSight;
    std::int64_t sy = (mask.nHeight >> 1) - (m_nSpriteH >> 1) - std::int64_t{m_rcScreen.top};
    const std::int64_t maxX = mask.nWidth - 640 > 0 ? mask.nWidth - 640 : 0;
    const std::int64_t maxY = mask.nHeight - 480 > 0 ? mask.nHeight - 480 : 0;
    sx = sx < 0 ? 0 : (sx > maxX ? maxX : sx);
    sy = sy < 0 ? 0 : (sy > maxY ? maxY : sy);
    DDBltRect(target, 0, 0, 640, 480, &mask, static_cast<int>(sx), static_cast<int>(sy),
              DDBLT_COLORKEY);
}

void cHeroActor::UpdateScreenRect() {
    cGameObject::UpdateScreenRect();
    // On an axis that scrolls by itself the position and the scroll are cut apart, so the
    // hero does not shimmer against the moving view.
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    if (ax.m_bAuto) {
        m_rcScreen.left =
            Wrap32(std::int64_t{plat::TruncToInt(m_dX - m_nOffsetX)} - plat::TruncToInt(ax.m_dPos));
        m_rcScreen.right = Wrap32(std::int64_t{m_rcScreen.left} + m_nSpriteW - 1);
    }
    if (ay.m_bAuto) {
        m_rcScreen.top =
            Wrap32(std::int64_t{plat::TruncToInt(m_dY - m_nOffsetY)} - plat::TruncToInt(ay.m_dPos));
        m_rcScreen.bottom = Wrap32(std::int64_t{m_rcScreen.top} + m_nSpriteH - 1);
    }
}

void cHeroActor::KeepPreviousContact() {
    m_pPrevLastBlock = m_pLastBlock;
}
