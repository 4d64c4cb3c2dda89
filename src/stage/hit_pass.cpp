// Who hits whom in a tick: shots and swords against the actors of other groups, actors of
// different groups against each other by body contact, and shots against shots; then the
// hero's pickup of the items it touches.
//
// Flows started here (contact, damage, death and item flows) may add or remove actors,
// projectiles and items, or end the stage. The walks therefore go over ids taken before they
// start, find each object again after every call that may run flows, skip what is gone and
// never hold a pointer across such a call.
#include <cstdint>
#include <vector>

#include "base/message_box.h"
#include "base/window_requests.h"
#include "data/common_palette.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

// System sounds of a hit.
constexpr int kSeHit = 7;
constexpr int kSeCharaDefeated = 9;

// Closed intervals: boxes that share an edge overlap.
bool Overlap(double l1, double t1, double r1, double b1, double l2, double t2, double r2,
             double b2) {
    return l1 <= r2 && r1 >= l2 && t1 <= b2 && b1 >= t2;
}
bool BoxesOverlap(const HitBoxSet& a, const HitBoxSet& b) {
    return Overlap(a.dLeft, a.dTop, a.dRight, a.dBottom, b.dLeft, b.dTop, b.dRight, b.dBottom);
}
bool ObjectsOverlap(const cGameObject& a, const cGameObject& b) {
    return Overlap(a.m_dX, a.m_dY, a.m_dRight, a.m_dBottom, b.m_dX, b.m_dY, b.m_dRight,
                   b.m_dBottom);
}

bool IsBlockChara(const cActorBase& actor) {
    return actor.m_Chara.b32Mode != 0;
}

// Whether only objects on screen take part in the shot and contact tests.
bool OnScreenOnly() {
    return EdStageWork.bActorMeet != 0;
}

bool HasHit(const cProjectile& shot, ObjectId actor) {
    for (ObjectId id : shot.m_listHit)
        if (id == actor) return true;
    return false;
}

template <class T>
void CollectIds(const CheckedList<T*>& list, std::vector<ObjectId>& ids) {
    ids.clear();
    ids.reserve(list.size());
    for (const T* object : list) ids.push_back(object->Id());
}

// A body-contact partner: not skipped by the on-screen setting, no block character, present
// and not dying.
bool TakesPartInContact(const cActorBase& actor) {
    if (OnScreenOnly() && !actor.m_bOnScreen) return false;
    return !IsBlockChara(actor) && actor.m_bPresent && !actor.m_bDying;
}

// The result of a pass that the stage or the hero ended.
bool Ends(int result) {
    return result == 1 || result == 2;
}

}  // namespace

int cGameScene::ResolveHits() {
    std::vector<ObjectId> shots;
    std::vector<ObjectId> actors;
    std::vector<ObjectId> others;
    const int groups = static_cast<int>(m_vecGroupList.Size());
    const int shotGroups = static_cast<int>(m_vecShotGroupList.Size());

    // --- Shots against actors, in the ticks that test them. ---
    const bool shotTick = EdStageWork.nHitFrequency == 0 ||
                          (m_nTick >= 1 && m_nTick <= static_cast<int>(m_vecHitTicks.Size()) &&
                           m_vecHitTicks[m_nTick - 1] != 0);
    for (int f = 0; shotTick && f < shotGroups; ++f) {
        for (int g = 0; g < groups; ++g) {
            if (g == f || m_vecGroupList[g].empty() || m_vecShotGroupList[f].empty()) continue;
            CollectIds(m_vecShotGroupList[f], shots);
            for (ObjectId shotId : shots) {
                cProjectile* shot = m_listProjectile.Find(shotId);
                if (!shot || (OnScreenOnly() && !shot->m_bOnScreen)) continue;
                bool spent = false;
                CollectIds(m_vecGroupList[g], actors);
                for (ObjectId actorId : actors) {
                    cActorBase* actor = FindActorById(actorId);
                    if (!(shot = m_listProjectile.Find(shotId))) break;
                    if (!actor || (OnScreenOnly() && !actor->m_bOnScreen) || !actor->m_bPresent ||
                        actor->m_bDying || actor->m_Chara.nShotCollision == 2 ||
                        !BoxesOverlap(actor->m_ShotBox, shot->m_HitBox) || HasHit(*shot, actorId))
                        continue;
                    const bool blockChara = IsBlockChara(*actor);
                    actor->TriggerFlows(kTriggerShotHit);
                    if (!(shot = m_listProjectile.Find(shotId))) break;
                    if (!(actor = FindActorById(actorId))) continue;
                    // A shot that does nothing is not spent: it starts the flows again in
                    // every tick it stays over the actor.
                    const cEdShot& params = shot->m_Shot;
                    if (params.nPower == 0 && params.nImpact == 0 && params.nItemPalette == 0)
                        continue;
                    if (actor->IsInvincibleNow()) continue;

                    if (actor->TakeShotDamage(*shot)) {
                        if ((actor = FindActorById(actorId))) {
                            if (actor->m_nOperator == 1) PlaySystemSe(kSeCharaDefeated);
                            const int r = KillActor(*actor);
                            if (Ends(r)) return r;
                        }
                    } else if ((actor = FindActorById(actorId))) {
                        PlaySystemSe(kSeHit);
                        actor->StartInvincibility();
                    }
                    if (!(shot = m_listProjectile.Find(shotId))) break;

                    // A sword, and a shot that pierces this kind of actor, go on; any other
                    // shot is spent once the group has been walked.
                    if (!shot->m_bIsShot ||
                        (blockChara ? shot->m_Shot.bPierce32 : shot->m_Shot.bPierceChara) != 0)
                        shot->m_listHit.push_back(actorId);
                    else
                        spent = true;

                    // The item the shot gives the hero on a hit.
                    const cEdItem* found =
                        FindPaletteItem(shot->m_Shot.nItemPalette, shot->m_Shot.nItemIndex);
                    cHeroActor* hero = FirstHero();
                    if (found && hero) {
                        cEdItem record = *found;
                        cItemObject item;
                        if (item.Init(m_nItemSerial, record, 1) == kUnrollFailed) {
                            MemoryErrorAndClose();
                        } else {
                            item.m_bPresent = 1;
                            const int r = GiveItem(&item, *hero);
                            if (r != 0) return r;
                        }
                    }
                }
                if (spent && (shot = m_listProjectile.Find(shotId))) {
                    m_vecShotGroupList[f].EraseValue(shot);
                    m_listProjectile.Remove(shotId);
                }
            }
        }
    }

    // --- Body contact between groups. ---
    for (int i = 0; i < groups; ++i) {
        for (int j = i + 1; j < groups; ++j) {
            if (m_vecGroupList[i].empty() || m_vecGroupList[j].empty()) continue;
            CollectIds(m_vecGroupList[i], actors);
            CollectIds(m_vecGroupList[j], others);
            for (ObjectId gId : actors) {
                for (ObjectId iId : others) {
                    cActorBase* g = FindActorById(gId);
                    if (!g || !TakesPartInContact(*g)) break;
                    cActorBase* other = FindActorById(iId);
                    if (!other || !TakesPartInContact(*other) ||
                        !BoxesOverlap(g->m_BodyBox, other->m_BodyBox))
                        continue;

                    g->TriggerFlows(kTriggerCharaHit);
                    if ((other = FindActorById(iId))) other->TriggerFlows(kTriggerCharaHit);

                    // Both are hurt before either death is handled.
                    auto hurts = [](const cActorBase& attacker, const cActorBase& victim) {
                        return (attacker.m_Chara.nBodyPower != 0 ||
                                attacker.m_Chara.nBodyImpact != 0) &&
                               !victim.IsImmuneTo(attacker);
                    };
                    bool gHurt = false;
                    bool iHurt = false;
                    g = FindActorById(gId);
                    other = FindActorById(iId);
                    if (g && other && hurts(*other, *g)) {
                        gHurt = true;
                        g->TakeDamage(*other);
                    }
                    g = FindActorById(gId);
                    other = FindActorById(iId);
                    if (g && other && hurts(*g, *other)) {
                        iHurt = true;
                        other->TakeDamage(*g);
                    }
                    if (gHurt || iHurt) PlaySystemSe(kSeHit);

                    // A victim that lives is immune to its attacker for a while.
                    auto settle = [this](ObjectId victimId, ObjectId attackerId) {
                        cActorBase* victim = FindActorById(victimId);
                        if (!victim) return 0;
                        if (victim->m_nHp <= 0) {
                            if (victim->m_nOperator == 1) PlaySystemSe(kSeCharaDefeated);
                            return KillActor(*victim);
                        }
                        if (const cActorBase* attacker = FindActorById(attackerId))
                            victim->AddHitImmunity(*attacker);
                        else
                            victim->StartInvincibility();
                        return 0;
                    };
                    if (gHurt) {
                        const int r = settle(gId, iId);
                        if (Ends(r)) return r;
                    }
                    if (iHurt) {
                        const int r = settle(iId, gId);
                        if (Ends(r)) return r;
                    }
                }
            }
        }
    }

    // --- Shots against shots. ---
    for (int j = 0; j < shotGroups; ++j) {
        for (int k = j + 1; k < shotGroups; ++k) {
            if (m_vecShotGroupList[j].empty() || m_vecShotGroupList[k].empty()) continue;
            CollectIds(m_vecShotGroupList[j], shots);
            for (ObjectId mId : shots) {
                cProjectile* m = m_listProjectile.Find(mId);
                if (!m) continue;
                bool mBroken = false;
                CollectIds(m_vecShotGroupList[k], others);
                for (ObjectId lId : others) {
                    cProjectile* l = m_listProjectile.Find(lId);
                    if (!l) continue;
                    const bool mBreaks = m->m_Shot.bClash != 0;
                    const bool lBreaks = l->m_Shot.bClash != 0;
                    if ((!mBreaks && !lBreaks) || !ObjectsOverlap(*m, *l)) continue;
                    bool lBroken = false;
                    if (mBreaks && lBreaks) {
                        mBroken = mBroken || m->m_Shot.nVanish <= l->m_Shot.nVanish;
                        lBroken = l->m_Shot.nVanish <= m->m_Shot.nVanish;
                    } else {
                        mBroken = mBroken || mBreaks;
                        lBroken = lBreaks;
                    }
                    if (lBroken) {
                        m_vecShotGroupList[k].EraseValue(l);
                        m_listProjectile.Remove(lId);
                    }
                }
                if (mBroken) {
                    m_vecShotGroupList[j].EraseValue(m);
                    m_listProjectile.Remove(mId);
                }
            }
        }
    }
    return 0;
}

int cGameScene::PickUpItems(cHeroActor& hero) {
    std::vector<ObjectId> ids;
    ItemList.CollectIds(ids);
    for (ObjectId id : ids) {
        cItemObject* item = ItemList.Find(id);
        if (!item || !item->m_bPresent || item->m_Item.bHidden || item->m_Item.nTakeMode == 2)
            continue;
        const HitBoxSet& box = hero.m_ItemBox;
        const int kind = item->m_Item.nTakeMode;
        if (!Overlap(box.dLeft, box.dTop, box.dRight, box.dBottom, item->m_dX, item->m_dY,
                     item->m_dRight, item->m_dBottom)) {
            // Off it: the next contact takes it again.
            if (kind == 1) hero.ForgetItem(*item);
            continue;
        }
        hero.TriggerFlows(kTriggerItemHit);
        if (!(item = ItemList.Find(id))) continue;
        // An item that stays is taken once per contact.
        if (kind == 1) {
            if (!hero.IsItemUntouched(*item)) continue;
            hero.TouchItem(*item);
        }
        const int r = GiveItem(item, hero);
        if (kind == 0) ItemList.Remove(id);
        if (r != 0) return r;
    }
    return 0;
}
