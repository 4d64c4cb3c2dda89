#include "stage/actor.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "flow/flow_install.h"
#include "platform/trunc.h"
#include "stage/actor_geometry.h"
#include "stage/actor_services.h"
#include "stage/projectile.h"

// --- HitBoxSet ---

void HitBoxSet::Scale(int scale) {
    nOffsetX = WrapMul(scale, nBaseOffsetX);
    nOffsetY = WrapMul(scale, nBaseOffsetY);
    nWidth = WrapMul(scale, nBaseWidth);
    nHeight = WrapMul(scale, nBaseHeight);
}

void HitBoxSet::SetCentred(std::int32_t spriteX, std::int32_t spriteY, std::int32_t w,
                           std::int32_t h) {
    nOffsetX = nBaseOffsetX = Wrap32(std::int64_t{kHalfBlockDots} - spriteX - (w >> 1));
    nOffsetY = nBaseOffsetY = Wrap32(std::int64_t{kHalfBlockDots} - spriteY - (h >> 1));
    nWidth = nBaseWidth = w;
    nHeight = nBaseHeight = h;
}

void HitBoxSet::FollowX(double x) {
    dLeft = static_cast<double>(plat::TruncToInt(x)) + nOffsetX;
    dRight = dLeft + nWidth - 1;
}

void HitBoxSet::FollowY(double y) {
    dTop = static_cast<double>(plat::TruncToInt(y)) + nOffsetY;
    dBottom = dTop + nHeight - 1;
}

// --- cActorBase ---

cActorBase::cActorBase() = default;

cActorBase::~cActorBase() {
    ReleaseTargets();
    // A pass that runs inside another one keeps the outer pass's context aside; it must not
    // give the outer pass back an actor that is gone.
    DropActorFromCommandContexts(this);
    ReleaseHomingShots();
}

void cActorBase::ReleaseHomingShots() {
    // The projectile lets go by itself; its list is this one, so it is taken over first.
    CheckedVector<cProjectile*> homing = std::move(m_vecHomingShots);
    m_vecHomingShots.Clear();
    for (cProjectile* shot : homing)
        if (shot && shot->m_pTarget == this) shot->m_pTarget = nullptr;
}

void cActorBase::ReleaseTargets() {
    // The relations are kept on both sides (a target lists the actors that target it), so
    // whichever of two actors goes first leaves the other with no pointer to it.
    for (cActorBase* other : m_vecTargetedBy)
        if (other && other != this && other->m_pTarget == this) other->m_pTarget = nullptr;
    m_vecTargetedBy.Clear();
    if (m_pTarget && m_pTarget != this) {
        CheckedVector<cActorBase*>& list = m_pTarget->m_vecTargetedBy;
        for (auto it = list.begin(); it != list.end();)
            it = (*it == this) ? list.erase(it) : it + 1;
    }
    m_pTarget = nullptr;
}

void cActorBase::SetPos(int x, int y) {
    SetCenterX(x);
    SetCenterY(y);
}

void cActorBase::MoveTo(int x, int y, cCommandInstance* cmd) {
    SetPos(x, y);
    if (cmd) cmd->m_dVX = cmd->m_dVY = 0;
}

void cActorBase::SetCenterX(int x) {
    const std::int64_t centre = std::int64_t{m_rcScreen.left} + m_nSpriteW / 2;
    m_dX += static_cast<double>(x - centre);
    OnMovedX();
}

void cActorBase::MoveToX(int x, cCommandInstance* cmd) {
    SetCenterX(x);
    if (cmd) cmd->m_dVX = cmd->m_dVY = 0;
}

void cActorBase::SetCenterY(int y) {
    const std::int64_t centre = std::int64_t{m_rcScreen.top} + m_nSpriteH / 2;
    m_dY += static_cast<double>(y - centre);
    OnMovedY();
}

void cActorBase::MoveToY(int y, cCommandInstance* cmd) {
    SetCenterY(y);
    if (cmd) cmd->m_dVX = cmd->m_dVY = 0;
}

void cActorBase::Assign(const cActorBase& source) {
    if (&source == this) return;
    // The relations belong to this actor: other objects point at it, not at the source.
    cActorBase* target = m_pTarget;
    CheckedVector<cActorBase*> targetedBy = std::move(m_vecTargetedBy);
    CheckedVector<cProjectile*> homing = std::move(m_vecHomingShots);
    // Whether this actor's flow pass runs is its own affair, not the source's.
    const std::int32_t passDepth = m_nFlowPassDepth;
    cActorBase::operator=(source);
    m_nFlowPassDepth = passDepth;
    m_pTarget = target;
    m_vecTargetedBy = std::move(targetedBy);
    m_vecHomingShots = std::move(homing);
    RelinkFlows();
}

void cCharaActor::AssignChara(const cCharaActor& source) {
    if (&source == this) return;
    Assign(source);
    m_bInView = source.m_bInView;
    m_bRunning = source.m_bRunning;
    m_CarriedItem = source.m_CarriedItem;
    m_nItemBlink = source.m_nItemBlink;
    m_bIgnoreViewX = source.m_bIgnoreViewX;
    m_bIgnoreViewY = source.m_bIgnoreViewY;
    m_bActivated = source.m_bActivated;
}

cItemObject* cActorBase::GetCarriedItem() {
    return nullptr;
}
int cActorBase::OnMovedX() {
    return 0;
}
int cActorBase::OnMovedY() {
    return 0;
}
int cActorBase::StepX() {
    return 0;
}
int cActorBase::StepY() {
    return 0;
}
int cActorBase::RunFlows(int) {
    return 0;
}
int cActorBase::Jump(cCommandInstance*) {
    return 0;
}

void cActorBase::ApplyKnockbackY() {
    if (m_dKnockVY != 0) {
        if (m_bFlying)
            m_dVY += m_dKnockVY;
        else if (m_dKnockVY > 0 && IsStanding())
            m_dKnockVY = 0;
        else
            m_dVY = m_dKnockVY + (m_dVY - m_dKnockVYApplied);
        m_dKnockVYApplied = m_dKnockVY;
    }
}

void cActorBase::RelinkFlows() {
    const int defs = static_cast<int>(m_Chara.vecFlow.Size());
    for (int i = 0; i < static_cast<int>(m_vecFlow.Size()); ++i) {
        FlowInstance& inst = m_vecFlow[i];
        inst.m_nIndex = i;
        cEdFlow* def = i < defs ? &m_Chara.vecFlow[i] : nullptr;
        inst.m_pFlow = def;
        const int keys = def ? static_cast<int>(def->vecKeyCondition.Size()) : 0;
        for (int j = 0; j < static_cast<int>(inst.m_vecKeyCond.Size()); ++j)
            inst.m_vecKeyCond[j] = j < keys ? &def->vecKeyCondition[j] : nullptr;
        const int cmds = def ? static_cast<int>(def->vecCommand.Size()) : 0;
        for (int j = 0; j < static_cast<int>(inst.m_vecCmd.Size()); ++j)
            inst.m_vecCmd[j].m_pCmd = j < cmds ? &def->vecCommand[j] : nullptr;
    }
}

int cActorBase::RunFlowInstances(int dying, int stopOnVanish) {
    // Flows added or removed by the commands wait for the end of the pass (FinishFlowPass),
    // so the instances keep their places while one of them runs.
    const FlowPassScope pass(*this);
    // By index, the count read again each time.
    for (int i = 0; i < static_cast<int>(m_vecFlow.Size()); ++i) {
        {
            FlowInstance& flow = m_vecFlow[i];
            if (!flow.m_bRunning) continue;
            if (flow.m_vecCmd.empty()) {
                flow.Stop(*this);
                continue;
            }
            if (flow.m_bPaused || flow.m_bHalted) continue;
        }
        const bool death = m_vecFlow[i].m_pFlow && m_vecFlow[i].m_pFlow->nTrigger == kTriggerDeath;
        if (dying && !death) continue;
        // A flow of another actor run inside this pass (a death) may have left its own.
        SetCommandContext(this, nullptr, nullptr);
        if (m_vecFlow[i].Update(*this)) m_vecFlow[i].Stop(*this);
        if ((stopOnVanish && m_bVanish) || (!dying && !death && m_nHp <= 0)) return 1;
    }
    return 0;
}

void cActorBase::FinishFlowPass() {
    // A pass of this actor nested in another one of it leaves the list to the outer pass.
    if (InFlowPass()) return;
    // From the back, so that the indices of the flows still to be looked at stay put.
    if (m_bFlowDeleted) {
        for (int i = static_cast<int>(m_vecFlow.Size()) - 1; i >= 0; --i)
            if (m_vecFlow[i].m_bDeleteRequest) RemoveFlow(i);
        m_bFlowDeleted = 0;
    }
    // Then the flows added during the pass, in the order they were asked for.
    if (!m_listPendingFlowChange.empty()) ApplyPendingFlowChanges(*this);
    if (m_bGroupFreed) {
        const int groups =
            static_cast<int>(std::min(m_vecGroupFreed.Size(), m_vecGroupBusy.Size()));
        for (int g = 0; g < groups; ++g) {
            if (m_vecGroupFreed[g]) {
                m_vecGroupBusy[g] = 0;
                m_vecGroupFreed[g] = 0;
            }
        }
        m_bGroupFreed = 0;
    }
}

// --- cCharaActor ---

void cCharaActor::ScaleHitBoxes(int scale) {
    if (m_Chara.b32Mode) {
        for (HitBoxSet* box : {&m_BodyBox, &m_ShotBox}) {
            box->nOffsetX = 0;
            box->nOffsetY = 0;
            box->nWidth = m_nBoxW;
            box->nHeight = m_nBoxH;
        }
        return;
    }
    m_BodyBox.Scale(scale);
    m_ShotBox.Scale(scale);
}

void cCharaActor::UpdateHitBoxX() {
    m_BodyBox.FollowX(m_dX);
    m_ShotBox.FollowX(m_dX);
}

void cCharaActor::UpdateHitBoxY() {
    m_BodyBox.FollowY(m_dY);
    m_ShotBox.FollowY(m_dY);
}

int cCharaActor::OnMovedX() {
    return ClampX(2);
}

int cCharaActor::OnMovedY() {
    return ClampY(2);
}
