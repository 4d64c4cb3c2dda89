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

// The objects of one group's list as the walk found them: their ids, and pointers that hold
// until a call that may run flows; after such a call Refresh finds each again by its id (null
// when it is gone). Walks index these, so nothing added or removed midway moves them.
template <class T, class Find>
class Roll {
public:
    explicit Roll(Find find) : m_find(find) {}
    void Take(const CheckedList<T*>& list) {
        m_ids.clear();
        m_objects.clear();
        for (T* object : list) {
            m_ids.push_back(object->Id());
            m_objects.push_back(object);
        }
    }
    void Refresh() {
        for (std::size_t i = 0; i < m_ids.size(); ++i) m_objects[i] = m_find(m_ids[i]);
    }
    // The object i was removed by the walk itself.
    void Forget(std::size_t i) { m_objects[i] = nullptr; }
    std::size_t Size() const { return m_ids.size(); }
    ObjectId Id(std::size_t i) const { return m_ids[i]; }
    T* operator[](std::size_t i) const { return m_objects[i]; }

private:
    Find m_find;
    std::vector<ObjectId> m_ids;
    std::vector<T*> m_objects;
};

// A body-contact partner: not skipped by the on-screen setting, no block character, present
// and not dying.
bool TakesPartInContact(const cActorBase* actor) {
    if (!actor || (OnScreenOnly() && !actor->m_bOnScreen)) return false;
    return !IsBlockChara(*actor) && actor->m_bPresent && !actor->m_bDying;
}

// The result of a pass that the stage or the hero ended.
bool Ends(int result) {
    return result == 1 || result == 2;
}

}  // namespace

int cGameScene::ResolveHits() {
    auto findShot = [this](ObjectId id) { return m_listProjectile.Find(id); };
    Roll<cProjectile, decltype(findShot)> shots(findShot);
    Roll<cProjectile, decltype(findShot)> others(findShot);
    Roll<cActorBase, decltype(&FindActorById)> actors(&FindActorById);
    Roll<cActorBase, decltype(&FindActorById)> partners(&FindActorById);
    const int groups = static_cast<int>(m_vecGroupList.Size());
    const int shotGroups = static_cast<int>(m_vecShotGroupList.Size());

    // --- Shots against actors, in the ticks that test them. ---
    const bool shotTick = EdStageWork.nHitFrequency == 0 ||
                          (m_nTick >= 1 && m_nTick <= static_cast<int>(m_vecHitTicks.Size()) &&
                           m_vecHitTicks[m_nTick - 1] != 0);
    for (int f = 0; shotTick && f < shotGroups; ++f) {
        for (int g = 0; g < groups; ++g) {
            if (g == f || m_vecGroupList[g].empty() || m_vecShotGroupList[f].empty()) continue;
            shots.Take(m_vecShotGroupList[f]);
            actors.Take(m_vecGroupList[g]);
            for (std::size_t s = 0; s < shots.Size(); ++s) {
                cProjectile* shot = shots[s];
                if (!shot || (OnScreenOnly() && !shot->m_bOnScreen)) continue;
                const ObjectId shotId = shots.Id(s);
                bool spent = false;
                for (std::size_t a = 0; a < actors.Size(); ++a) {
                    cActorBase* actor = actors[a];
                    // The boxes first: most pairs are apart.
                    if (!actor || !BoxesOverlap(actor->m_ShotBox, shot->m_HitBox) ||
                        (OnScreenOnly() && !actor->m_bOnScreen) || !actor->m_bPresent ||
                        actor->m_bDying || actor->m_Chara.nShotCollision == 2 ||
                        HasHit(*shot, actors.Id(a)))
                        continue;
                    const ObjectId actorId = actors.Id(a);
                    const bool blockChara = IsBlockChara(*actor);
                    // After every call that may run flows, both are found again.
                    auto findAgain = [&] {
                        shots.Refresh();
                        actors.Refresh();
                        shot = shots[s];
                        actor = actors[a];
                    };
                    actor->TriggerFlows(kTriggerShotHit);
                    findAgain();
                    if (!shot) break;
                    if (!actor) continue;
                    // A shot that does nothing is not spent: it starts the flows again in
                    // every tick it stays over the actor.
                    const cEdShot& params = shot->m_Shot;
                    if (params.nPower == 0 && params.nImpact == 0 && params.nItemPalette == 0)
                        continue;
                    if (actor->IsInvincibleNow()) continue;

                    const int emptied = actor->TakeShotDamage(*shot);
                    findAgain();
                    if (emptied) {
                        if (actor) {
                            if (actor->m_nOperator == 1) PlaySystemSe(kSeCharaDefeated);
                            const int r = KillActor(*actor);
                            if (Ends(r)) return r;
                            findAgain();
                        }
                    } else if (actor) {
                        PlaySystemSe(kSeHit);
                        actor->StartInvincibility();
                    }
                    if (!shot) break;

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
                        findAgain();
                        if (!shot) break;
                    }
                }
                if (spent && (shot = m_listProjectile.Find(shotId))) {
                    m_vecShotGroupList[f].EraseValue(shot);
                    m_listProjectile.Remove(shotId);
                    shots.Forget(s);
                }
            }
        }
    }

    // --- Body contact between groups. ---
    for (int i = 0; i < groups; ++i) {
        for (int j = i + 1; j < groups; ++j) {
            if (m_vecGroupList[i].empty() || m_vecGroupList[j].empty()) continue;
            actors.Take(m_vecGroupList[i]);
            partners.Take(m_vecGroupList[j]);
            for (std::size_t a = 0; a < actors.Size(); ++a) {
                if (!TakesPartInContact(actors[a])) continue;
                for (std::size_t p = 0; p < partners.Size(); ++p) {
                    cActorBase* g = actors[a];
                    cActorBase* other = partners[p];
                    if (!other || !BoxesOverlap(g->m_BodyBox, other->m_BodyBox) ||
                        !TakesPartInContact(other))
                        continue;
                    auto findAgain = [&] {
                        actors.Refresh();
                        partners.Refresh();
                        g = actors[a];
                        other = partners[p];
                    };

                    g->TriggerFlows(kTriggerCharaHit);
                    findAgain();
                    if (other) other->TriggerFlows(kTriggerCharaHit);
                    findAgain();

                    // Both are hurt before either death is handled.
                    auto hurts = [](const cActorBase& attacker, const cActorBase& victim) {
                        return (attacker.m_Chara.nBodyPower != 0 ||
                                attacker.m_Chara.nBodyImpact != 0) &&
                               !victim.IsImmuneTo(attacker);
                    };
                    bool gHurt = false;
                    bool iHurt = false;
                    if (g && other && hurts(*other, *g)) {
                        gHurt = true;
                        g->TakeDamage(*other);
                        findAgain();
                    }
                    if (g && other && hurts(*g, *other)) {
                        iHurt = true;
                        other->TakeDamage(*g);
                        findAgain();
                    }
                    if (gHurt || iHurt) PlaySystemSe(kSeHit);

                    // A victim that lives is immune to its attacker for a while.
                    auto settle = [this, &findAgain](cActorBase* victim, cActorBase* attacker) {
                        if (!victim) return 0;
                        if (victim->m_nHp <= 0) {
                            if (victim->m_nOperator == 1) PlaySystemSe(kSeCharaDefeated);
                            const int r = KillActor(*victim);
                            findAgain();
                            return r;
                        }
                        if (attacker)
                            victim->AddHitImmunity(*attacker);
                        else
                            victim->StartInvincibility();
                        return 0;
                    };
                    if (gHurt) {
                        const int r = settle(g, other);
                        if (Ends(r)) return r;
                    }
                    if (iHurt) {
                        const int r = settle(other, g);
                        if (Ends(r)) return r;
                    }
                    if (!TakesPartInContact(actors[a])) break;
                }
            }
        }
    }

    // --- Shots against shots. ---
    for (int j = 0; j < shotGroups; ++j) {
        for (int k = j + 1; k < shotGroups; ++k) {
            if (m_vecShotGroupList[j].empty() || m_vecShotGroupList[k].empty()) continue;
            shots.Take(m_vecShotGroupList[j]);
            others.Take(m_vecShotGroupList[k]);
            for (std::size_t a = 0; a < shots.Size(); ++a) {
                cProjectile* m = shots[a];
                if (!m) continue;
                bool mBroken = false;
                for (std::size_t b = 0; b < others.Size(); ++b) {
                    cProjectile* l = others[b];
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
                        m_listProjectile.Remove(others.Id(b));
                        others.Forget(b);
                    }
                }
                if (mBroken) {
                    m_vecShotGroupList[j].EraseValue(m);
                    m_listProjectile.Remove(shots.Id(a));
                    shots.Forget(a);
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
