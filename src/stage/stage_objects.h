// The actors and items of the running stage, beside the game scene: the heroes (one per
// player; only player 1 exists), the placed and summoned characters and the items lying in
// the stage. The stage set-up rebuilds all three at every attempt.
//
// Objects live in place: others point at them while they live, so no container here moves
// an element once it is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "stage/actor.h"
#include "stage/game_object.h"
#include "stage/hero_actor.h"
#include "stage/item_object.h"

// The heroes, by player index. An index outside them is logged, asks the program to close
// and yields a stand-by hero, like every checked container.
class HeroVector {
public:
    using iterator = std::deque<cHeroActor>::iterator;

    // Every hero is destroyed, then `count` new default heroes are made.
    void Reset(std::size_t count);
    void Clear() { m_heroes.clear(); }
    cHeroActor& operator[](int index);
    std::size_t Size() const { return m_heroes.size(); }
    bool Empty() const { return m_heroes.empty(); }
    iterator begin() { return m_heroes.begin(); }
    iterator end() { return m_heroes.end(); }

private:
    std::deque<cHeroActor> m_heroes;
};

extern HeroVector Player;
extern ObjectList<cCharaActor> CharaList;
extern ObjectList<cItemObject> ItemList;

// The first hero, or null while there is none.
cHeroActor* FirstHero();
// The first hero with that serial, else the first character with it, else null.
cActorBase* FindActorBySerial(std::int32_t serial);
// The hero or the character of that id, or null when it is gone.
cActorBase* FindActorById(ObjectId id);
