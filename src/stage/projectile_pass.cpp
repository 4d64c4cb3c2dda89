// The game scene's projectiles: joining and leaving the shot lists of their groups, their
// tick in the play frame and their pass of the play screen.
//
// The projectile list is walked in place: nothing a projectile does in its tick adds or
// removes another one, and the one that ends is erased by the iterator the walk holds.
#include <cstdint>
#include <iterator>

#include "data/stage_record.h"
#include "gfx/display.h"
#include "stage/game_scene.h"
#include "stage/projectile.h"

namespace {

constexpr int kZPasses = 8;

int ZPassOf(int z) {
    return z < 0 ? 0 : (z >= kZPasses ? kZPasses - 1 : z);
}

// Leaves the shot list it joined, by the place it holds there: a volley of many thousand
// shots leaves its list without a search per shot.
void LeaveShotList(cGameScene& scene, cProjectile& shot) {
    const int list = shot.m_nShotList;
    if (list < 0 || list >= static_cast<int>(scene.m_vecShotGroupList.Size())) return;
    scene.m_vecShotGroupList[list].erase(shot.m_itShotList);
    shot.m_nShotList = -1;
}

}  // namespace

void cGameScene::AddProjectile(cProjectile& shot) {
    const int size = static_cast<int>(m_vecShotGroupList.Size());
    int list = shot.m_Shot.nSide;
    if (list < 0 || list >= size) {
        // Reported (and the program asked to close) by the checked access; the shot takes
        // list 0 when there is one.
        (void)m_vecShotGroupList.CheckedAt(list);
        list = size > 0 ? 0 : -1;
    }
    if (list < 0) return;
    CheckedList<cProjectile*>& shots = m_vecShotGroupList[list];
    shots.push_back(&shot);
    shot.m_itShotList = std::prev(shots.end());
    shot.m_nShotList = list;
}

bool cGameScene::RemoveProjectile(ObjectId id) {
    cProjectile* shot = m_listProjectile.Find(id);
    if (!shot) return false;
    LeaveShotList(*this, *shot);
    m_listProjectile.Remove(id);
    return true;
}

void cGameScene::RunProjectiles() {
    const double gravity = EdStageWork.speed.dStepGravity;
    for (auto it = m_listProjectile.begin(); it != m_listProjectile.end();) {
        cProjectile& shot = *it;
        bool remove = shot.Update() != 0;
        if (!remove) {
            if (!shot.m_bFlying) shot.m_dVY += gravity;
            shot.StepY();
            shot.StepX();
            if (m_nTick == 1 && shot.m_bIsShot &&
                shot.IsOutOfArea(EdStageWork.AreaLimit[shot.m_nOperator == 0 ? AREA_PLAYER_SHOT
                                                                             : AREA_COMPUTER_SHOT]))
                remove = true;
            else if (shot.HitsBlock())
                remove = true;
        }
        if (remove) {
            LeaveShotList(*this, shot);
            it = m_listProjectile.Erase(it);
        } else {
            ++it;
        }
    }
}

void cGameScene::DrawProjectiles(int pass, int frozen) {
    for (cProjectile& shot : m_listProjectile) {
        if (!shot.m_bOnScreen || (pass >= 0 && ZPassOf(shot.m_Shot.nZ) != pass)) continue;
        shot.UpdateScreenRect();
        shot.Draw(&BackBuffer, frozen);
    }
}
