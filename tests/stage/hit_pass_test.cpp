// The hit pass and the item pickup on small scenes built in code: shots against actors,
// body contact between groups, shots against shots, the ticks that test shots, and the
// hero taking the items it touches.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "data/common_palette.h"
#include "data/database.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "scene/scene_fixture.h"
#include "stage/post_load_tables.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kSeHit = 7;
constexpr int kSeCharaDefeated = 9;
constexpr int kDataSeBase = 16;

// A box of map dots: left, top, right, bottom.
struct Box {
    double l, t, r, b;
};
constexpr Box kHere{100, 100, 131, 131};
constexpr Box kAway{400, 100, 431, 131};

void SetBox(HitBoxSet& box, const Box& b) {
    box.dLeft = b.l;
    box.dTop = b.t;
    box.dRight = b.r;
    box.dBottom = b.b;
}
void SetPlace(cGameObject& object, const Box& b) {
    object.m_dX = b.l;
    object.m_dY = b.t;
    object.m_dRight = b.r;
    object.m_dBottom = b.b;
}

class HitPassTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        Fresh();
    }
    // An empty stage and the settings of these tests, within one test as well.
    void Fresh() {
        EdStageWork.SetGameSpeed(10);
        EdStageWork.nHitFrequency = 0;
        EdStageWork.bActorMeet = 0;
        EdStageWork.nHeroInvincible = EdStageWork.nCharaInvincible = 1;
        EdStageWork.nHeroHitInterval = EdStageWork.nCharaHitInterval = 3;
        game->m_vecGroupList.Clear();
        game->m_vecGroupList.resize(kActorGroupCount);
        game->m_vecShotGroupList.Clear();
        game->m_vecShotGroupList.resize(kActorGroupCount);
        game->m_nTick = 1;
        game->m_nStageResult = 0;
        game->m_listProjectile.Clear();
        BuildHitTicks(game->m_vecHitTicks, 10, 0);
        Player.Reset(1);
        CharaList.Clear();
        ItemList.Clear();
        SentMessages().clear();
    }
    void TearDown() override {
        CharaList.Clear();
        ItemList.Clear();
        Player.Clear();
        TearDownWorld();
    }

    static void Prepare(cActorBase& actor, int group, const Box& box, std::int32_t hp) {
        actor.m_nGroup = group;
        actor.m_Chara.nMaxHp = hp;
        actor.m_nHp = hp;
        actor.m_bPresent = 1;
        actor.m_bOnScreen = 1;
        SetBox(actor.m_BodyBox, box);
        SetBox(actor.m_ShotBox, box);
        SetPlace(actor, box);
    }
    cHeroActor& Hero(int group = 0, const Box& box = kAway, std::int32_t hp = 10) {
        cHeroActor& hero = Player[0];
        Prepare(hero, group, box, hp);
        hero.m_nOperator = 0;
        SetBox(hero.m_ItemBox, box);
        game->m_vecGroupList[group].push_back(&hero);
        return hero;
    }
    cCharaActor& Chara(int group, const Box& box = kHere, std::int32_t hp = 10,
                       std::int32_t power = 0, int impact = 0) {
        cCharaActor& chara = CharaList.Add();
        Prepare(chara, group, box, hp);
        chara.m_nOperator = 1;
        chara.m_nSerial = static_cast<std::int32_t>(CharaList.Size());
        chara.m_Chara.nBodyPower = power;
        chara.m_Chara.nBodyImpact = static_cast<std::int8_t>(impact);
        game->m_vecGroupList[group].push_back(&chara);
        return chara;
    }
    cProjectile& Shot(int group, const Box& box = kHere, std::int32_t power = 1, int impact = 0,
                      int isShot = 1) {
        cProjectile& shot = game->m_listProjectile.Add();
        shot.m_nGroup = group;
        shot.m_bIsShot = isShot;
        shot.m_bOnScreen = 1;
        shot.m_Shot.nPower = power;
        shot.m_Shot.nImpact = static_cast<std::int8_t>(impact);
        SetBox(shot.m_HitBox, box);
        SetPlace(shot, box);
        game->m_vecShotGroupList[group].push_back(&shot);
        return shot;
    }

    // An idle flow of each kind on the actor; Started tells and makes it idle again.
    static void WatchTriggers(cActorBase& actor, std::initializer_list<int> kinds) {
        actor.m_Chara.vecFlow.resize(kinds.size());
        actor.m_vecFlow.resize(kinds.size());
        int i = 0;
        for (int kind : kinds) {
            actor.m_Chara.vecFlow[i].nTrigger = static_cast<std::int8_t>(kind);
            actor.m_vecFlow[i].m_vecCmd.resize(1);
            ++i;
        }
        actor.RelinkFlows();
    }
    static bool Started(cActorBase& actor, int kind) {
        bool started = false;
        for (int i = 0; i < static_cast<int>(actor.m_vecFlow.Size()); ++i) {
            FlowInstance& flow = actor.m_vecFlow[i];
            if (actor.m_Chara.vecFlow[i].nTrigger != kind) continue;
            started = started || flow.m_bRunning != 0;
            flow.m_bRunning = 0;
        }
        // The next test is in another frame: a flow starts once a frame at most.
        actor.ResetFlowFrameFlags();
        return started;
    }
    static std::vector<int> Sounds() {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    std::size_t ShotsLeft() const { return game->m_listProjectile.Size(); }
    std::size_t ShotListed(int group) const { return game->m_vecShotGroupList[group].size(); }

    cGameScene* game = nullptr;
};

// --- Who takes part ---

TEST_F(HitPassTest, OnlyDifferentGroupsMeetAndBlockCharactersStayOutOfContact) {
    struct Case {
        const char* name;
        int otherGroup;
        int block;
        bool hurt;
    };
    const Case cases[] = {
        {"other group", 3, 0, true},
        {"same group", 1, 0, false},
        {"block character", 3, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        cCharaActor& a = Chara(1, kHere, 10, 4);
        cCharaActor& b = Chara(c.otherGroup, kHere, 10, 4);
        b.m_Chara.b32Mode = static_cast<std::int8_t>(c.block);
        WatchTriggers(a, {kTriggerCharaHit});
        EXPECT_EQ(game->ResolveHits(), 0);
        EXPECT_EQ(a.m_nHp, c.hurt ? 6 : 10);
        EXPECT_EQ(b.m_nHp, c.hurt ? 6 : 10);
        EXPECT_EQ(Started(a, kTriggerCharaHit), c.hurt);
        EXPECT_EQ(Sounds(), c.hurt ? std::vector<int>{kSeHit} : std::vector<int>{});
        // A shot of the one group does not touch its own group either.
        Shot(1, kHere, 5);
        game->ResolveHits();
        EXPECT_EQ(a.m_nHp, c.hurt ? 6 : 10);
    }
}

TEST_F(HitPassTest, InvincibleStatusTwoIsPassedByShotsOnly) {
    Hero(0, kHere);
    cCharaActor& ghost = Chara(2, kHere, 10, 0, 3);
    ghost.m_Chara.nShotCollision = 2;
    WatchTriggers(ghost, {kTriggerShotHit, kTriggerCharaHit});
    cProjectile& shot = Shot(0, kHere, 5);
    const ObjectId shotId = shot.Id();
    EXPECT_EQ(game->ResolveHits(), 0);
    EXPECT_FALSE(Started(ghost, kTriggerShotHit));
    EXPECT_NE(game->m_listProjectile.Find(shotId), nullptr);
    // The body still meets the hero, which is pushed by its impact.
    EXPECT_TRUE(Started(ghost, kTriggerCharaHit));
    EXPECT_EQ(Player[0].m_bKnocked, 1);
}

TEST_F(HitPassTest, OnScreenSettingLeavesOutWhatIsNotOnScreen) {
    struct Case {
        int setting, charaOn, shotOn;
        bool shotHits, bodyHits;
    };
    const Case cases[] = {
        {0, 0, 0, true, true},
        {1, 1, 1, true, true},
        {1, 0, 1, false, false},
        {1, 1, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setting << c.charaOn << c.shotOn);
        Fresh();
        EdStageWork.bActorMeet = c.setting;
        EdStageWork.nCharaInvincible = 0;  // the shot's hit leaves the body free to hit
        cCharaActor& a = Chara(1, kHere, 100);
        a.m_bOnScreen = c.charaOn;
        Chara(2, kHere, 100, 10);
        cProjectile& shot = Shot(3, kHere, 1);
        shot.m_bOnScreen = c.shotOn;
        game->ResolveHits();
        EXPECT_EQ(a.m_nHp, 100 - (c.bodyHits ? 10 : 0) - (c.shotHits ? 1 : 0));
    }
}

// --- Shots against actors ---

TEST_F(HitPassTest, ShotWithoutPowerImpactOrItemIsNotSpentAndTriggersEveryTick) {
    cCharaActor& a = Chara(1);
    WatchTriggers(a, {kTriggerShotHit});
    cProjectile& shot = Shot(0, kHere, 0, 0);
    const ObjectId id = shot.Id();
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(game->ResolveHits(), 0);
        EXPECT_TRUE(Started(a, kTriggerShotHit)) << tick;
    }
    ASSERT_NE(game->m_listProjectile.Find(id), nullptr);
    EXPECT_TRUE(shot.m_listHit.empty());
    EXPECT_EQ(a.m_nHp, 10);
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(HitPassTest, SwordHitsEachActorOnceInItsLife) {
    EdStageWork.nCharaInvincible = 0;
    cCharaActor& a = Chara(1);
    cCharaActor& b = Chara(2);
    cProjectile& sword = Shot(0, kHere, 2, 0, 0);
    for (int tick = 0; tick < 4; ++tick) {
        EXPECT_EQ(game->ResolveHits(), 0);
        a.TickImmunity();
        b.TickImmunity();
    }
    EXPECT_EQ(a.m_nHp, 8);
    EXPECT_EQ(b.m_nHp, 8);
    EXPECT_EQ(sword.m_listHit.size(), 2u);
    EXPECT_EQ(ShotsLeft(), 1u);
    EXPECT_EQ(Sounds(), (std::vector<int>{kSeHit, kSeHit}));
}

TEST_F(HitPassTest, VanishingShotHurtsEveryActorOfTheGroupInThatTickThenGoes) {
    cCharaActor& a = Chara(1);
    cCharaActor& b = Chara(1);
    cCharaActor& later = Chara(2);  // the next group no longer sees the shot
    Shot(0, kHere, 3);
    EXPECT_EQ(game->ResolveHits(), 0);
    EXPECT_EQ(a.m_nHp, 7);
    EXPECT_EQ(b.m_nHp, 7);
    EXPECT_EQ(later.m_nHp, 10);
    EXPECT_EQ(ShotsLeft(), 0u);
    EXPECT_EQ(ShotListed(0), 0u);
    // Hurt and still alive: invincible for the stage's time.
    EXPECT_EQ(a.m_nInvincibleFrames, 10);
}

TEST_F(HitPassTest, PiercingFollowsTheBlockCharacterFlag) {
    struct Case {
        int block, pierceChara, pierce32;
        bool spent;
    };
    const Case cases[] = {
        {0, 0, 0, true}, {0, 1, 0, false}, {0, 0, 1, true},
        {1, 0, 0, true}, {1, 0, 1, false}, {1, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.block << c.pierceChara << c.pierce32);
        Fresh();
        cCharaActor& a = Chara(1);
        a.m_Chara.b32Mode = static_cast<std::int8_t>(c.block);
        cProjectile& shot = Shot(0, kHere, 1);
        shot.m_Shot.bPierceChara = static_cast<std::int8_t>(c.pierceChara);
        shot.m_Shot.bPierce32 = static_cast<std::int8_t>(c.pierce32);
        const ObjectId id = shot.Id();
        game->ResolveHits();
        EXPECT_EQ(a.m_nHp, 9);
        const cProjectile* left = game->m_listProjectile.Find(id);
        EXPECT_EQ(left == nullptr, c.spent);
        if (left) EXPECT_EQ(left->m_listHit.size(), 1u);
    }
}

TEST_F(HitPassTest, KillingShotStillGivesItsItemUnlessTheDeathEndedTheStage) {
    EdCommonPalette.vecItem.resize(3);
    cEdItem& prize = EdCommonPalette.vecItem[2];
    prize.nGraphic = 5;
    prize.nTakeSound = 4;
    for (int ended : {0, 1}) {
        SCOPED_TRACE(ended);
        Fresh();
        Hero();
        cCharaActor& a = Chara(1, kHere, 3);
        cProjectile& shot = Shot(0, kHere, 5);
        shot.m_Shot.nItemPalette = 1;
        shot.m_Shot.nItemIndex = 2;
        game->m_nStageResult = ended;
        EXPECT_EQ(game->ResolveHits(), ended);
        EXPECT_EQ(a.m_nHp, 0);
        EXPECT_EQ(a.m_bDying, ended ? 0 : 1);
        EXPECT_EQ(Sounds(), ended ? std::vector<int>{kSeCharaDefeated}
                                  : (std::vector<int>{kSeCharaDefeated, kDataSeBase + 4}));
    }
    // Without a hero nothing is given, and nothing breaks.
    Fresh();
    Player.Clear();
    Chara(1, kHere, 3);
    cProjectile& shot = Shot(0, kHere, 1);
    shot.m_Shot.nItemPalette = 1;
    shot.m_Shot.nItemIndex = 2;
    EXPECT_EQ(game->ResolveHits(), 0);
    EXPECT_EQ(Sounds(), std::vector<int>{kSeHit});
}

TEST_F(HitPassTest, ShotThatKillsTheHeroLosesIt) {
    cHeroActor& hero = Hero(0, kHere, 2);
    Shot(4, kHere, 2);
    EXPECT_EQ(game->ResolveHits(), 2);
    EXPECT_EQ(hero.m_nHp, 0);
    // The hero's loss is the play frame's: no character's sound, nothing started here.
    EXPECT_TRUE(Sounds().empty());
    EXPECT_EQ(hero.m_bDying, 0);
}

// --- Body contact ---

TEST_F(HitPassTest, BothPartnersAreHurtBeforeEitherDeathIsHandled) {
    cCharaActor& g = Chara(1, kHere, 3, 5);
    cCharaActor& i = Chara(2, kHere, 4, 9);
    EXPECT_EQ(game->ResolveHits(), 0);
    EXPECT_EQ(g.m_nHp, 0);
    EXPECT_EQ(i.m_nHp, 0);
    EXPECT_EQ(g.m_bDying, 1);
    EXPECT_EQ(i.m_bDying, 1);
    EXPECT_EQ(Sounds(), (std::vector<int>{kSeHit, kSeCharaDefeated, kSeCharaDefeated}));
}

TEST_F(HitPassTest, WhenTheFirstDeathEndsTheStageTheSecondIsNotHandled) {
    cCharaActor& g = Chara(1, kHere, 3, 5);
    cCharaActor& i = Chara(2, kHere, 4, 9);
    game->m_nStageResult = 1;
    EXPECT_EQ(game->ResolveHits(), 1);
    EXPECT_EQ(i.m_nHp, 0);
    EXPECT_EQ(i.m_bDying, 0);
    EXPECT_EQ(g.m_bDying, 0);
    EXPECT_EQ(Sounds(), (std::vector<int>{kSeHit, kSeCharaDefeated}));
}

TEST_F(HitPassTest, SurvivorIsImmuneToItsAttackerOnlyForAWhile) {
    cHeroActor& hero = Hero(0, kHere, 20);
    cCharaActor& enemy = Chara(1, kHere, 50, 6);
    hero.m_Chara.nBodyPower = 1;
    EXPECT_EQ(game->ResolveHits(), 0);
    EXPECT_EQ(hero.m_nHp, 14);
    EXPECT_EQ(enemy.m_nHp, 49);
    EXPECT_EQ(hero.IsImmuneTo(enemy), 1);
    EXPECT_EQ(hero.m_listHitBy.size(), 1u);
    // 30 ticks of immunity to each other: the contact hurts no one meanwhile.
    for (int tick = 1; tick < 30; ++tick) {
        hero.TickImmunity();
        enemy.TickImmunity();
        game->ResolveHits();
    }
    EXPECT_EQ(hero.m_nHp, 14);
    EXPECT_EQ(enemy.m_nHp, 49);
    hero.TickImmunity();
    enemy.TickImmunity();
    game->ResolveHits();
    EXPECT_EQ(hero.m_nHp, 8);
    EXPECT_EQ(enemy.m_nHp, 48);
}

// --- Shots against shots ---

TEST_F(HitPassTest, BreakableShotsBreakByStrength) {
    struct Case {
        const char* name;
        int mClash, lClash, mVanish, lVanish;
        bool mGone, lGone;
    };
    const Case cases[] = {
        {"equal strength: both", 1, 1, 3, 3, true, true},
        {"weaker M", 1, 1, 2, 3, true, false},
        {"weaker L", 1, 1, 4, 3, false, true},
        {"only M breakable", 1, 0, 9, 0, true, false},
        {"only L breakable", 0, 1, 0, 9, false, true},
        {"neither", 0, 0, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        cProjectile& m = Shot(1);
        cProjectile& l = Shot(5);
        m.m_Shot.bClash = static_cast<std::int8_t>(c.mClash);
        l.m_Shot.bClash = static_cast<std::int8_t>(c.lClash);
        m.m_Shot.nVanish = static_cast<std::int8_t>(c.mVanish);
        l.m_Shot.nVanish = static_cast<std::int8_t>(c.lVanish);
        const ObjectId mId = m.Id();
        const ObjectId lId = l.Id();
        EXPECT_EQ(game->ResolveHits(), 0);
        EXPECT_EQ(game->m_listProjectile.Find(mId) == nullptr, c.mGone);
        EXPECT_EQ(game->m_listProjectile.Find(lId) == nullptr, c.lGone);
        EXPECT_EQ(ShotListed(1), c.mGone ? 0u : 1u);
        EXPECT_EQ(ShotListed(5), c.lGone ? 0u : 1u);
    }
}

TEST_F(HitPassTest, ShotBrokenBySeveralIsRemovedOnceAndSameGroupShotsNeverMeet) {
    cProjectile& m = Shot(0);
    m.m_Shot.bClash = 1;
    const ObjectId mId = m.Id();
    Shot(2);
    Shot(2);
    Shot(3);
    cProjectile& mate = Shot(0);  // the same group
    mate.m_Shot.bClash = 1;
    const ObjectId mateId = mate.Id();
    cProjectile& apart = Shot(4, kAway);
    apart.m_Shot.bClash = 1;
    EXPECT_EQ(game->ResolveHits(), 0);
    EXPECT_EQ(game->m_listProjectile.Find(mId), nullptr);
    EXPECT_EQ(game->m_listProjectile.Find(mateId), nullptr);  // broken by the others too
    EXPECT_EQ(ShotListed(0), 0u);
    EXPECT_EQ(ShotsLeft(), 4u);
    EXPECT_EQ(ShotListed(4), 1u);
}

// --- The ticks that test shots ---

// The table as the first set-up built it, from a real step: the reference it must keep.
std::vector<std::int32_t> RealStepTicks(std::int32_t b, std::int32_t n) {
    if (n == 0 || n >= b) return std::vector<std::int32_t>(b, 1);
    std::vector<std::int32_t> ticks(b, 0);
    const double step = static_cast<double>(b) / n;
    double pos = 0;
    std::int32_t count = 0;
    do {
        ticks[static_cast<int>(pos)] = 1;
        ++count;
        pos += step;
    } while (step > 0 && static_cast<std::int64_t>(pos) < b);
    if (count < n) ticks[b - 1] = 1;
    return ticks;
}

TEST(HitTicks, AgreeWithTheRealStepForEveryStoredSettingAndCountWholeTicks) {
    CheckedVector<std::int32_t> ticks;
    for (std::int32_t b = 1; b <= 30; ++b) {
        for (std::int32_t n = 0; n <= 5; ++n) {
            BuildHitTicks(ticks, b, n);
            EXPECT_EQ(std::vector<std::int32_t>(ticks.begin(), ticks.end()), RealStepTicks(b, n))
                << "b " << b << " n " << n;
        }
    }
    struct Case {
        std::int32_t b, n;
        std::vector<std::int32_t> expected;
    };
    const std::vector<Case> cases = {
        {10, 9, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},  // nine ticks, not ten
        {10, 1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {10, 3, {1, 0, 0, 1, 0, 0, 1, 0, 0, 0}},
        {4, 7, {1, 1, 1, 1}},
        {4, -2, {1, 0, 0, 0}},
        {0, 3, {}},
    };
    for (const Case& c : cases) {
        BuildHitTicks(ticks, c.b, c.n);
        EXPECT_EQ(std::vector<std::int32_t>(ticks.begin(), ticks.end()), c.expected)
            << "b " << c.b << " n " << c.n;
    }
}

TEST_F(HitPassTest, WithOneTestPerFrameOnlyTheFirstTickTestsShots) {
    EdStageWork.nHitFrequency = 1;
    BuildHitTicks(game->m_vecHitTicks, 10, 1);
    cCharaActor& a = Chara(1, kHere, 100);
    Shot(0, kHere, 1, 0, 0);  // a sword would hit in any tick it is tested
    cCharaActor& b = Chara(2, kHere, 100);
    for (int tick = 1; tick <= 10; ++tick) {
        game->m_nTick = tick;
        const std::int32_t before = b.m_nHp;
        game->ResolveHits();
        EXPECT_EQ(b.m_nHp < before, tick == 1) << tick;
    }
    EXPECT_EQ(a.m_nHp, 99);
}

// --- Hit effects ---

TEST_F(HitPassTest, HitEffectsJoinTheSceneAdvanceWhenDrawnAndGoAtTheirEnd) {
    // Effect 1: two cells of a tenth of a second (12 drawn frames); effect 2 has no cells.
    EdDatabase.vecEffect.Clear();
    EdDatabase.vecEffect.resize(3);
    EdDatabase.vecEffect[1].vecFrame.resize(2);
    BuildEffectPatternTable(EffectPatternTable);
    Hero(0, kHere, 50);
    cCharaActor& a = Chara(1, kHere, 10, 1);
    a.m_Chara.nEffect = 1;
    cCharaActor& b = Chara(2, kAway, 10, 1);
    b.m_Chara.nEffect = 2;
    b.m_Chara.nShotCollision = 1;
    cProjectile& shot = Shot(3, kAway, 1);
    shot.m_Shot.nEffect = 1;
    EXPECT_EQ(game->ResolveHits(), 0);
    ASSERT_EQ(game->m_listEffect.size(), 2u);  // a's on the hero and the shot's on b
    // Held frames stand still; drawn ones run the effects to their end.
    for (int i = 0; i < 5; ++i) game->Draw(1, 1);
    EXPECT_EQ(game->m_listEffect.size(), 2u);
    int frames = 0;
    while (frames < 50 && !game->m_listEffect.empty()) {
        game->Draw();
        ++frames;
    }
    EXPECT_EQ(frames, 12);

    // One without cells goes in its first drawn frame.
    game->m_listEffect.emplace_back().InitHit(2, {}, {}, 1);
    game->Draw();
    EXPECT_TRUE(game->m_listEffect.empty());
}

// --- Items ---

class PickUpTest : public HitPassTest {
protected:
    cItemObject& Item(int kind, const Box& box = kHere, int sound = 1) {
        cItemObject& item = ItemList.Add();
        item.m_nGraphicNo = 3;
        item.m_Item.nGraphic = 3;
        item.m_Item.nTakeMode = static_cast<std::int8_t>(kind);
        item.m_Item.nTakeSound = static_cast<std::int16_t>(sound);
        item.m_bPresent = 1;
        SetPlace(item, box);
        return item;
    }
    int Takes(int sound) const {
        int n = 0;
        for (int s : Sounds()) n += s == kDataSeBase + sound;
        return n;
    }
};

TEST_F(PickUpTest, ItemsOfEachKindAreTakenAsTheyShould) {
    cHeroActor& hero = Hero(0, kHere);
    WatchTriggers(hero, {kTriggerItemHit});
    const ObjectId coin = Item(0, kHere, 1).Id();
    Item(1, kHere, 2);
    Item(2, kHere, 3);
    Item(0, kHere, 4).m_Item.bHidden = 1;
    Item(0, kHere, 5).m_bPresent = 0;
    Item(0, kAway, 6);

    EXPECT_EQ(game->PickUpItems(hero), 0);
    EXPECT_TRUE(Started(hero, kTriggerItemHit));
    EXPECT_EQ(ItemList.Find(coin), nullptr);
    EXPECT_EQ(ItemList.Size(), 5u);
    // Staying on the spring takes it no more; the contact flows start on every tick.
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(game->PickUpItems(hero), 0);
        EXPECT_TRUE(Started(hero, kTriggerItemHit)) << tick;
    }
    EXPECT_EQ(Takes(1), 1);
    EXPECT_EQ(Takes(2), 1);
    // Off it for a tick, then on it again: taken again.
    SetBox(hero.m_ItemBox, kAway);
    EXPECT_EQ(game->PickUpItems(hero), 0);
    EXPECT_EQ(Takes(6), 1);  // the coin lying there is taken instead
    SetBox(hero.m_ItemBox, kHere);
    EXPECT_EQ(game->PickUpItems(hero), 0);
    EXPECT_EQ(Takes(2), 2);
    for (int never : {3, 4, 5}) EXPECT_EQ(Takes(never), 0) << never;
}

TEST_F(PickUpTest, ResultOfAnItemEndsTheWalkAfterTheItemIsGone) {
    cHeroActor& hero = Hero(0, kHere);
    cItemObject& poison = Item(0, kHere, 1);
    poison.m_Item.vecItemCommand.resize(1);
    const ObjectId poisonId = poison.Id();
    const ObjectId nextId = Item(0, kHere, 2).Id();
    hero.m_nHp = 0;  // the item's commands find the hero without HP: result 2
    EXPECT_EQ(game->PickUpItems(hero), 2);
    EXPECT_EQ(ItemList.Find(poisonId), nullptr);
    EXPECT_NE(ItemList.Find(nextId), nullptr);
    EXPECT_EQ(Takes(2), 0);
}

}  // namespace
