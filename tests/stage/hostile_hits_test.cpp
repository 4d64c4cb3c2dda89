// Flows that change the scene while the hit pass and the item pickup walk it: a death flow
// that vanishes its attacker's group or every shot, one that summons characters and items,
// and item commands that clear the stage. The walks must skip what went, leave alone what
// came, stop where the stage ends and never read a freed object (the sanitizer build checks
// the last).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "base/window_requests.h"
#include "data/command_record.h"
#include "data/common_palette.h"
#include "data/flow_records.h"
#include "data/item_record.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "flow/item_get_command.h"
#include "flow/stage_clear_command.h"
#include "flow/vanish_command.h"
#include "stage/post_load_tables.h"
#include "stage/projectile_world.h"

namespace {

constexpr int kSeHit = 7;
constexpr int kSeCharaDefeated = 9;
constexpr int kCmdVanish = 24;
// Item command types.
constexpr int kItemStageClear = 2;
constexpr int kItemGetItem = 10;
constexpr int kStageClearParams = 9;

// Map dots of the left-top corner of 32 × 32 boxes: two apart from each other and from the
// hero's own place.
constexpr double kHereX = 640, kHereY = 640;
constexpr double kAwayX = 1200, kAwayY = 640;

cEdCommand Command(int type, std::initializer_list<std::int32_t> params, int count = 0) {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    for (std::int32_t p : params) cmd.vecParam.push_back(p);
    while (static_cast<int>(cmd.vecParam.Size()) < count) cmd.vecParam.push_back(0);
    return cmd;
}
cEdCommand VanishShots(int group) {
    return Command(kCmdVanish, {kVanishShots, group, 1});
}
cEdCommand VanishCharas(int group) {
    return Command(kCmdVanish, {kVanishCharas, group, 1});
}
// A summon of `count` objects of the stage palette's entry 1.
cEdCommand Summon(int type, int count) {
    cEdCommand cmd = Command(type, {});
    cEdShot::Create(cmd.spShot);
    cEdShot& shot = *cmd.spShot;
    shot.nCount = static_cast<decltype(shot.nCount)>(count);
    shot.nSpeed = 10;
    shot.nBlockMode = 1;
    shot.bMirrorAngle = 0;
    shot.nSummonPalette = 1;
    shot.nSummonIndex = 1;
    return cmd;
}
cEdCommand ItemCommand(int type, std::initializer_list<std::int32_t> params, int count) {
    cEdCommand cmd = Command(type, params, count);
    cmd.nCmdKind = 1;
    return cmd;
}
cEdCommand ClearStage() {
    return ItemCommand(kItemStageClear, {kClearNextStage}, kStageClearParams);
}

class HostileHitsTest : public ProjectileWorld {
protected:
    void SetUp() override {
        ProjectileWorld::SetUp();
        Fresh();
    }
    void TearDown() override {
        EdCommonPalette.vecItem.Clear();
        EdStageWork.vecCharaPalette.Clear();
        EdStageWork.vecItemPalette.Clear();
        ProjectileWorld::TearDown();
    }
    // The settings of these tests and an empty scene but for the hero, away from everything.
    void Fresh() {
        game->m_listProjectile.Clear();
        for (int g = 0; g < kActorGroupCount; ++g) game->m_vecShotGroupList[g].clear();
        ClearCharas();
        ItemList.Clear();
        EdStageWork.nHitFrequency = 0;
        EdStageWork.bActorMeet = 0;
        EdStageWork.nHeroInvincible = EdStageWork.nCharaInvincible = 1;
        EdStageWork.nHeroHitInterval = EdStageWork.nCharaHitInterval = 3;
        BuildHitTicks(game->m_vecHitTicks, kB, 0);
        game->m_nTick = 1;
        game->m_nStageResult = 0;
        game->m_nNextStage = -1;
        game->m_bCodeKill = 0;
        Progress.m_nSeriesIndex = 4;
        cHeroActor& hero = Player[0];
        hero.m_nHp = hero.m_Chara.nMaxHp = 10;
        Boxes(hero, 100, 100);
        hero.m_ItemBox = hero.m_BodyBox;
        // The summons' records: a computer character of group 1, and an item.
        EdStageWork.vecCharaPalette.Clear();
        EdStageWork.vecCharaPalette.resize(2);
        EdStageWork.vecCharaPalette[1].nControl = 1;
        EdStageWork.vecCharaPalette[1].nSide = 1;
        EdStageWork.vecCharaPalette[1].nMaxHp = 5;
        EdStageWork.vecItemPalette.Clear();
        EdStageWork.vecItemPalette.resize(2);
        EdStageWork.vecItemPalette[1].nGraphic = 3;
        SentMessages().clear();
    }
    // Every box of the actor and its place: 32 × 32 dots at (x, y).
    static void Boxes(cActorBase& a, double x, double y) {
        for (HitBoxSet* box : {&a.m_BodyBox, &a.m_ShotBox}) {
            box->dLeft = x;
            box->dTop = y;
            box->dRight = x + 31;
            box->dBottom = y + 31;
        }
        a.m_dX = x;
        a.m_dY = y;
        a.m_dRight = x + 31;
        a.m_dBottom = y + 31;
    }
    // A character of `group` with `hp` and a body attack of `power`, at (x, y).
    cCharaActor& Fighter(int group, std::int32_t hp, std::int32_t power = 0, double x = kHereX,
                         double y = kHereY) {
        cCharaActor& c = Chara(++serial, group, x, y);
        c.m_nHp = c.m_Chara.nMaxHp = hp;
        c.m_Chara.nBodyPower = power;
        Boxes(c, x, y);
        return c;
    }
    // Its flow of death: started and run at once by its death. Every command but the last
    // runs in parallel with the next, so that all of them act in the death's tick.
    static void DeathFlow(cActorBase& a, const std::vector<cEdCommand>& commands) {
        cEdFlow flow;
        flow.nTrigger = kTriggerDeath;
        for (const cEdCommand& c : commands) {
            flow.vecCommand.push_back(c);
            flow.vecCommand.back().bParallel = 1;
        }
        if (!commands.empty()) flow.vecCommand.back().bParallel = 0;
        a.m_vecVar.resize(kCharaVarCount, 0);
        a.m_Chara.vecFlow.Clear();
        a.m_Chara.vecFlow.push_back(flow);
        ASSERT_EQ(InstallFlows(a, a.m_Chara.vecFlow, 0, -1), 1);
    }
    // A shot of shot group `group` with `power`, over (x, y).
    cProjectile& Shot(int group, std::int32_t power, double x = kHereX, double y = kHereY) {
        cProjectile& shot = game->m_listProjectile.Add();
        shot.m_nGroup = group;
        shot.m_bIsShot = 1;
        shot.m_bPresent = 1;
        shot.m_bOnScreen = 1;
        shot.m_Shot.nPower = power;
        shot.m_Shot.nSide = static_cast<decltype(shot.m_Shot.nSide)>(group);
        shot.m_HitBox = {x, y, x + 31, y + 31};
        shot.m_dX = x;
        shot.m_dY = y;
        shot.m_dRight = x + 31;
        shot.m_dBottom = y + 31;
        // Joined as the shot command does, so that a vanish finds it in its group's list.
        game->AddProjectile(shot);
        return shot;
    }
    // A lying item of take `kind` whose commands are `commands`, under the hero.
    cItemObject& Item(int kind, int sound, std::initializer_list<cEdCommand> commands = {}) {
        cItemObject& item = ItemList.Add();
        item.m_nGraphicNo = item.m_Item.nGraphic = 3;
        item.m_Item.nTakeMode = static_cast<std::int8_t>(kind);
        item.m_Item.nTakeSound = static_cast<std::int16_t>(sound);
        for (const cEdCommand& c : commands) item.m_Item.vecItemCommand.push_back(c);
        item.m_bPresent = 1;
        item.m_dX = 100;
        item.m_dY = 100;
        item.m_dRight = 131;
        item.m_dBottom = 131;
        return item;
    }
    static std::vector<int> Sounds() {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    std::size_t ShotsListed() const {
        std::size_t n = 0;
        for (int g = 0; g < kActorGroupCount; ++g) n += game->m_vecShotGroupList[g].size();
        return n;
    }

    int serial = 0;
};

// The victim's death flow vanishes a group while the contact walk is inside the attacker's.
// Vanishing only marks characters (and takes the hero's HP): they stay in the lists for the
// rest of the pass, and the sweep after the flows takes them out or loses the hero.
TEST_F(HostileHitsTest, DeathFlowVanishesAGroupDuringTheContactWalk) {
    struct Case {
        const char* name;
        int vanished;  // the group the death flow vanishes
        bool attackersGo, victimGoes, heroLost;
    };
    const Case cases[] = {
        {"the attacker's group", 1, true, false, false},
        {"its own group", 2, false, true, false},
        {"the hero's group", 0, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        cCharaActor& attacker = Fighter(1, 10, 5);
        cCharaActor& mate = Fighter(1, 10, 5);  // walked after the attacker
        cCharaActor& victim = Fighter(2, 3);
        DeathFlow(victim, {VanishCharas(c.vanished)});
        const ObjectId attackerId = attacker.Id();
        const ObjectId mateId = mate.Id();
        const ObjectId victimId = victim.Id();

        EXPECT_EQ(game->ResolveHits(), 0);
        EXPECT_EQ(victim.m_nHp, 0);
        EXPECT_EQ(victim.m_bDying, 1);
        // The mate met a partner already dying: it hurt no one and took nothing.
        EXPECT_EQ(mate.m_nHp, 10);
        EXPECT_EQ(attacker.m_bVanish, c.attackersGo ? 1 : 0);
        EXPECT_EQ(mate.m_bVanish, c.attackersGo ? 1 : 0);
        EXPECT_EQ(Player[0].m_nHp, c.heroLost ? 0 : 10);
        EXPECT_EQ(game->m_bCodeKill, c.victimGoes ? 0 : 1);
        EXPECT_EQ(Sounds(), (std::vector<int>{kSeHit, kSeCharaDefeated}));
        ASSERT_EQ(CharaList.Size(), 3u);

        // The sweep after the flows takes the vanished ones out of the stage.
        EXPECT_EQ(game->SweepDeadActors(), c.heroLost ? 1 : 0);
        if (c.heroLost) continue;
        EXPECT_EQ(CharaList.Find(attackerId) == nullptr, c.attackersGo);
        EXPECT_EQ(CharaList.Find(mateId) == nullptr, c.attackersGo);
        EXPECT_EQ(game->m_vecGroupList[1].empty(), c.attackersGo);
        EXPECT_EQ(CharaList.Find(victimId) == nullptr, c.victimGoes);
        EXPECT_EQ(game->m_vecGroupList[2].empty(), c.victimGoes);
        // A later pass walks what is left, without the dying victim.
        EXPECT_EQ(game->ResolveHits(), 0);
        if (!c.attackersGo) EXPECT_EQ(mate.m_nHp, 10);
    }
}

// A shot kills a character whose death flow destroys shots: the killing shot's own group
// (the rest of that walk), a group whose walk comes later, or both.
TEST_F(HostileHitsTest, DeathFlowVanishesShotsWhileTheShotWalkRuns) {
    struct Case {
        const char* name;
        std::vector<int> vanished;  // shot groups the death flow destroys
        std::size_t shotsLeft;
        std::int32_t laterHp;  // the character a shot of group 3 hits later
    };
    const Case cases[] = {
        // Group 3's shot pierces: it stays after its hit.
        {"the killer's group", {0}, 1, 8},
        // The killing shot is spent when its group's walk ends; the two behind it met only a
        // dying character.
        {"a later group", {3}, 2, 10},
        {"every shot", {0, 3}, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        cCharaActor& victim = Fighter(1, 3);
        cCharaActor& later = Fighter(2, 10, 0, kAwayX, kAwayY);
        std::vector<cEdCommand> commands;
        for (int g : c.vanished) commands.push_back(VanishShots(g));
        DeathFlow(victim, commands);
        const ObjectId killer = Shot(0, 5).Id();
        Shot(0, 5);
        Shot(0, 5);
        cProjectile& piercing = Shot(3, 2, kAwayX, kAwayY);
        piercing.m_Shot.bPierceChara = 1;

        EXPECT_EQ(game->ResolveHits(), 0);
        EXPECT_EQ(victim.m_nHp, 0);
        EXPECT_EQ(victim.m_bDying, 1);
        EXPECT_EQ(later.m_nHp, c.laterHp);
        EXPECT_EQ(game->m_listProjectile.Find(killer), nullptr);
        EXPECT_EQ(game->m_listProjectile.Size(), c.shotsLeft);
        EXPECT_EQ(ShotsListed(), c.shotsLeft);
        const std::vector<int> heard = c.laterHp < 10 ? std::vector<int>{kSeCharaDefeated, kSeHit}
                                                      : std::vector<int>{kSeCharaDefeated};
        EXPECT_EQ(Sounds(), heard);
    }
}

// A death flow summons characters into the group being walked, and items, both in the
// contact walk and in the shot walk. What came during a walk is not met in it; nothing
// walked moves.
TEST_F(HostileHitsTest, DeathFlowSummonsWhileThePassWalks) {
    struct Case {
        const char* name;
        bool byShot;
        int charas, items;
    };
    const Case cases[] = {
        {"characters, body contact", false, 3, 0},
        {"items, body contact", false, 0, 2},
        {"characters, shot", true, 3, 0},
        {"both, shot", true, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        cCharaActor& attacker = Fighter(1, 10, c.byShot ? 0 : 5);
        cCharaActor& victim = Fighter(2, 3);
        std::vector<cEdCommand> commands;
        if (c.charas) commands.push_back(Summon(kCmdSummonChara, c.charas));
        if (c.items) commands.push_back(Summon(kCmdSummonItem, c.items));
        DeathFlow(victim, commands);
        if (c.byShot) Shot(1, 5);

        EXPECT_EQ(game->ResolveHits(), 0);
        EXPECT_EQ(victim.m_bDying, 1);
        EXPECT_EQ(attacker.m_nHp, 10);
        ASSERT_EQ(CharaList.Size(), 2u + c.charas);
        EXPECT_EQ(ItemList.Size(), static_cast<std::size_t>(c.items));
        // The summoned characters joined their record's group, untouched in this pass.
        EXPECT_EQ(game->m_vecGroupList[1].size(), 1u + c.charas);
        for (const cCharaActor& made : CharaList) {
            if (&made == &attacker || &made == &victim) continue;
            EXPECT_EQ(made.m_nGroup, 1);
            EXPECT_EQ(made.m_nHp, 5);
            EXPECT_EQ(made.m_bDying, 0);
        }
        EXPECT_EQ(Sounds(), c.byShot ? std::vector<int>{kSeCharaDefeated}
                                     : (std::vector<int>{kSeHit, kSeCharaDefeated}));
    }
}

// The carried item of a character killed in the pass clears the stage: the pass ends there,
// and the actors after it are not handled.
TEST_F(HostileHitsTest, CarriedItemThatClearsTheStageEndsThePass) {
    for (bool byShot : {false, true}) {
        SCOPED_TRACE(byShot ? "shot" : "body contact");
        Fresh();
        Fighter(1, 10, byShot ? 0 : 5);
        cCharaActor& carrier = Fighter(2, 3);
        carrier.m_CarriedItem.m_nGraphicNo = 3;
        carrier.m_CarriedItem.m_bPresent = 1;
        carrier.m_CarriedItem.m_Item.vecItemCommand.push_back(ClearStage());
        cCharaActor& next = Fighter(2, 3);
        cCharaActor& laterGroup = Fighter(4, 3);
        if (byShot) {
            cProjectile& shot = Shot(1, 5);
            shot.m_Shot.bPierceChara = 1;
        }

        EXPECT_EQ(game->ResolveHits(), 1);
        EXPECT_EQ(game->m_nNextStage, 5);
        EXPECT_EQ(carrier.m_nHp, 0);
        // A stage that ends leaves the dead as it is.
        EXPECT_EQ(carrier.m_bDying, 0);
        EXPECT_EQ(next.m_nHp, 3);
        EXPECT_EQ(next.m_bDying, 0);
        EXPECT_EQ(laterGroup.m_nHp, 3);
        const std::vector<int> heard = Sounds();
        EXPECT_EQ(std::count(heard.begin(), heard.end(), kSeCharaDefeated), 1);
    }
}

class HostilePickUpTest : public HostileHitsTest {
protected:
    int Takes(int sound) const {
        int n = 0;
        for (int s : Sounds()) n += s == kDataSeBase + sound;
        return n;
    }
};

// The hero's item clears the stage, by its own command or through an item it gets: the walk
// ends there and the items after it are neither taken nor read.
TEST_F(HostilePickUpTest, ItemThatClearsTheStageEndsTheWalk) {
    struct Case {
        const char* name;
        int kind;
        bool viaItemGet;
        bool itemGoes;
    };
    const Case cases[] = {
        {"taken once", 0, false, true},
        {"stays", 1, false, false},
        {"through an item it gets", 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        EdStageWork.vecItemPalette.resize(3);
        EdStageWork.vecItemPalette[2].vecItemCommand.push_back(ClearStage());
        cHeroActor& hero = Player[0];
        const cEdCommand command =
            c.viaItemGet ? ItemCommand(kItemGetItem, {kItemGetStage, 2}, 2) : ClearStage();
        const ObjectId clearing = Item(c.kind, 1, {command}).Id();
        const ObjectId after = Item(0, 2).Id();

        EXPECT_EQ(game->PickUpItems(hero), 1);
        EXPECT_EQ(game->m_nNextStage, 5);
        EXPECT_EQ(ItemList.Find(clearing) == nullptr, c.itemGoes);
        EXPECT_NE(ItemList.Find(after), nullptr);
        EXPECT_EQ(Takes(1), 1);
        EXPECT_EQ(Takes(2), 0);
    }
}

// Only death flows run inside the walk: the hero's item-contact flow, which summons items, is
// started there and summons in the hero's next flow pass; the walk takes what lay there.
TEST_F(HostilePickUpTest, ContactFlowOnlyStartsInTheWalk) {
    cHeroActor& hero = Player[0];
    cEdFlow flow;
    flow.nTrigger = kTriggerItemHit;
    flow.vecCommand.push_back(Summon(kCmdSummonItem, 2));
    hero.m_vecVar.resize(kCharaVarCount, 0);
    hero.m_Chara.vecFlow.Clear();
    hero.m_Chara.vecFlow.push_back(flow);
    ASSERT_EQ(InstallFlows(hero, hero.m_Chara.vecFlow, 0, -1), 1);
    const ObjectId coin = Item(0, 1).Id();
    const ObjectId spring = Item(1, 2).Id();

    EXPECT_EQ(game->PickUpItems(hero), 0);
    EXPECT_EQ(ItemList.Find(coin), nullptr);
    EXPECT_NE(ItemList.Find(spring), nullptr);
    EXPECT_EQ(Takes(1), 1);
    EXPECT_EQ(Takes(2), 1);
    EXPECT_EQ(ItemList.Size(), 1u);
    EXPECT_EQ(hero.m_vecFlow[0].m_bRunning, 1);
}

}  // namespace
