// A character's set-up from its record, its placement, the view test and activation, its
// one-tick steps, its jump and its flow pass.
#include <cstdint>
#include <optional>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/actor_services.h"
#include "stage/game_scene.h"
#include "stage/scroll_axis.h"

namespace {

void SetFixedBox(HitBoxSet& box, int w, int h) {
    box.nOffsetX = box.nBaseOffsetX = 0;
    box.nOffsetY = box.nBaseOffsetY = 0;
    box.nWidth = box.nBaseWidth = w;
    box.nHeight = box.nBaseHeight = h;
}

// A group number from the record names one of the scene's group flags; a damaged one
// outside them names none.
bool ValidGroup(const CheckedVector<std::uint8_t>& flags, int group) {
    return group >= 0 && group < static_cast<int>(flags.Size());
}

}  // namespace

int cCharaActor::Init(int serial, cEdChara& record, const cItemObject* carried, double homeX,
                      double homeY, int cloneValue) {
    // The record itself is mended, so that every later copy of it has a size.
    if (record.nGiant == 0) record.nGiant = 1;
    ResetActor(*this, &record, homeX, homeY, cloneValue);
    const cEdStage& st = EdStageWork;
    const bool flying = IsFlyingKind(m_Chara.nBlockCollision);

    // The collision box inside the 32-dot cell; a block character is the whole cell.
    std::int32_t boxW = kBlockDots;
    std::int32_t boxH = kBlockDots;
    std::int32_t offX = 0;
    std::int32_t offY = 0;
    if (!m_Chara.b32Mode) {
        boxW = flying ? st.nCharaBodyFlyW : st.nCharaBodyW;
        boxH = flying ? st.nCharaBodyFlyH : st.nCharaBodyH;
        BoxOffsetsInCell(boxW, boxH, flying ? st.nCharaBodyFlyAlign : st.nCharaBodyAlign, offX,
                         offY);
    }

    // No step table: the base animation is the one the reset built from the record.
    cGameObject::Init(serial, m_Chara.nControl, m_Chara.nSide, m_Chara.nGraphic, nullptr, 0, offX,
                      offY, boxW, boxH, kBlockDots, kBlockDots, m_Chara.nFacing,
                      m_Chara.nBlockCollision, cloneValue);

    // Hit boxes.
    if (m_Chara.b32Mode) {
        SetFixedBox(m_BodyBox, 0, 0);
        SetFixedBox(m_ShotBox, kBlockDots, kBlockDots);
    } else {
        switch (m_Chara.nHitBoxKind) {
            case 0:
                if (m_bFlying)
                    SetHitBoxFromSize(st.nCharaHitFlyAlign, st.nCharaHitFlyW, st.nCharaHitFlyH);
                else
                    SetHitBoxFromSize(st.nCharaHitAlign, st.nCharaHitW, st.nCharaHitH);
                break;
            case 1:
                SetHitBoxFromSize(0, st.nCharaShotHitW, st.nCharaShotHitH);
                break;
            case 2:
                SetHitBoxFromSize(0, st.nCharaShotRangeW, st.nCharaShotRangeH);
                break;
            case 3:
                SetHitBoxFromSize(0, m_nSpriteW, m_nSpriteH);
                break;
            default:
                break;
        }
        m_ShotBox.SetCentred(m_nOffsetX, m_nOffsetY, st.nCharaShotHitW, st.nCharaShotHitH);
    }

    SetScale(GiantSize(), 1);

    // The carried item, or none.
    m_nItemBlink = 0;
    if (carried)
        m_CarriedItem = *carried;
    else
        m_CarriedItem.m_nGraphicNo = 0;

    // Which axes the view test looks at.
    m_bIgnoreViewX = 0;
    m_bIgnoreViewY = 0;
    switch (m_Chara.nActiveArea) {
        case 1:
            m_bIgnoreViewY = 1;
            break;
        case 2:
            m_bIgnoreViewX = 1;
            break;
        case 3:
            m_bIgnoreViewX = 1;
            m_bIgnoreViewY = 1;
            break;
        default:
            break;
    }
    m_bActivated = 0;

    // The base sequence: walking 1, flying 0.
    m_AnimPattern.SetSeq(m_bFlying ? 0 : 1, 1);

    // Its own flows, in place of any it had. A flow too large to unroll is a failed
    // allocation, and what follows from it is the caller's to decide. The instances left
    // from before point into the record copy the reset replaced, so none may stay.
    if (InstallFlows(*this, m_Chara.vecFlow, 0, -1) == kInstallFailed) {
        m_vecFlow.Clear();
        return kInstallFailed;
    }
    return 0;
}

void cCharaActor::PlaceOnBlock(int column, int row) {
    m_dX =
        (static_cast<double>(GeomAxisX().m_nMargin) + column) * kBlockDots + m_nBaseOffsetX + 0.5;
    m_dY = (static_cast<double>(GeomAxisY().m_nMargin) + row) * kBlockDots + m_nBaseOffsetY;
    const int size = GiantSize();
    AdjustX(size, 1);
    AdjustForScale(size, 1);
    OnMovedX();
    OnMovedY();
}

int cCharaActor::UpdateInView(CheckedVector<std::uint8_t>& groupFlags) {
    if (!IsInView(m_bIgnoreViewX, m_bIgnoreViewY)) {
        m_bInView = 0;
        return 0;
    }
    m_bInView = 1;
    if (m_Chara.bActiveGroup && ValidGroup(groupFlags, m_Chara.nActiveGroup))
        groupFlags[m_Chara.nActiveGroup] = 1;
    return 1;
}

int cCharaActor::ActivateCheck(const CheckedVector<std::uint8_t>& groupFlags) {
    bool runs = m_bInView != 0;
    if (!runs && m_Chara.bActiveGroup && ValidGroup(groupFlags, m_Chara.nActiveGroup))
        runs = groupFlags[m_Chara.nActiveGroup] != 0;
    // A walker in the air goes on moving until it lands, also off screen.
    if (!runs && !m_bFlying) runs = m_bJumping || (m_bFalling && m_bActivated);
    if (!runs) return 0;
    m_bActivated = 1;
    if (m_Chara.nActiveMode == 1) {
        m_bIgnoreViewX = 1;
        m_bIgnoreViewY = 1;
    }
    UpdateScreenRect();
    return 1;
}

int cCharaActor::StepX() {
    if (m_dKnockVX != 0) {
        m_dVX = m_dKnockVX;
    } else if (m_dMoveVX != 0) {
        Decelerate(m_dMoveVX, m_bDecelX);
        m_dVX += m_dMoveVX;
    }
    const int r = MoveX(2);
    OnMovedX();
    return r == 3 ? 4 : r;
}

int cCharaActor::StepY() {
    ApplyKnockbackY();
    if (m_dKnockVY == 0 && m_bFlying && m_dMoveVY != 0) {
        Decelerate(m_dMoveVY, m_bDecelY);
        m_dVY += m_dMoveVY;
    }
    const int r = MoveY(2);
    OnMovedY();
    if (m_bFlying) {
        if (r == 3 || r == 6) return 8;
    } else if (r == 5 || r == 6) {
        return 7;
    }
    return r;
}

int cCharaActor::Jump(cCommandInstance* cmd) {
    if (!cmd) return 0;
    if (m_bFalling || m_bHitCeiling || m_bKnocked || m_nJumpCount) return 0;
    PlayCommandSound(*this, *cmd);
    m_dVY = cmd->m_dSpeed;
    m_bAirborne = 1;
    m_bJumping = 1;
    m_bRiding = 0;
    return 1;
}

int cCharaActor::RunFlows(int dying) {
    // The pass's own context, put back as it was however the pass ends.
    std::optional<CommandContextGuard> context(std::in_place);
    SetCommandContext(this, nullptr, nullptr);
    if (lpGame) lpGame->m_bCodeKill = 0;

    // The velocity the flows start from.
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    if (EdSystem.bCompat214) {
        m_dVX = 0;
        if (m_bFlying) m_dVY = 0;
    } else if (m_bScrollSync) {
        m_dVX = ax.m_bAtLimit ? 0.0 : ax.m_dAutoSpeed;
        if (m_bFlying) m_dVY = ay.m_bAtLimit ? 0.0 : ay.m_dAutoSpeed;
    } else {
        m_dVX = 0;
        if (m_bFlying) m_dVY = 0;
    }

    // What the flows may set afresh in this tick.
    m_bGravityOff = 0;
    m_bDecelX = 1;
    m_bDecelY = 1;
    m_bMovedByCommand = 0;
    if (m_nHoldFrames > 0) --m_nHoldFrames;

    UpdateFlowCues();
    if (RunFlowInstances(dying, 1)) return 1;
    context.reset();
    FinishFlowPass();

    // Idle: every step of a base animation is locked, so the change is forced.
    if (!m_bMovedByCommand && m_dMoveVX == 0 && m_dMoveVY == 0)
        m_AnimPattern.ChangeSeq(m_bFlying ? 2 : 0, 1);

    return m_nHp <= 0 ? 1 : 0;
}
