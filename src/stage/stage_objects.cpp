#include "stage/stage_objects.h"

#include "base/checked_vector.h"

HeroVector Player;
ObjectList<cCharaActor> CharaList;
ObjectList<cItemObject> ItemList;

void HeroVector::Reset(std::size_t count) {
    m_heroes.clear();
    // Made in place: a hero cannot be copied.
    for (std::size_t i = 0; i < count; ++i) m_heroes.emplace_back();
}

cHeroActor& HeroVector::operator[](int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_heroes.size()) return m_heroes[index];
    checked_detail::ReportBadIndex('V', index, m_heroes.size(), sizeof(cHeroActor));
    if (!m_heroes.empty()) return m_heroes.front();
    return checked_detail::Standby<cHeroActor>();
}

cHeroActor* FirstHero() {
    return Player.Empty() ? nullptr : &Player[0];
}

cActorBase* FindActorBySerial(std::int32_t serial) {
    for (cHeroActor& hero : Player)
        if (hero.m_nSerial == serial) return &hero;
    for (cCharaActor& chara : CharaList)
        if (chara.m_nSerial == serial) return &chara;
    return nullptr;
}

cActorBase* FindActorById(ObjectId id) {
    for (cHeroActor& hero : Player)
        if (hero.Id() == id) return &hero;
    return CharaList.Find(id);
}
