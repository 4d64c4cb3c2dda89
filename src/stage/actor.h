// Actors: the run-time objects that carry a character record, with statuses, flows, HP and
// SP, a target, hit boxes, damage and death. cActorBase is the common part of the hero and
// of the placed or summoned characters; cCharaActor is such a character.
//
// Actors point at each other while both live (target, the actors that target one, the
// projectiles homing on one); removing an actor unhooks those. The actors and projectiles
// that hit an actor are remembered by object id, as they may be gone by the time the list is
// read.
#pragma once

#include <cstdint>

#include "base/checked_list.h"
#include "base/checked_vector.h"
#include "data/chara_record.h"
#include "flow/flow_instance.h"
#include "stage/effect_instances.h"
#include "stage/game_object.h"
#include "stage/item_object.h"

class cBlock;
class cProjectile;
struct DDSURFACEDATA;
struct GraphicSource;

// One gauge's change animation.
struct GaugeAnim {
    std::int32_t nFrames = 0;  // 120 when started, 0 = hidden
    double dShown = 0;         // change in dots still shown
    double dStep = 0;          // removed per displayed frame
    std::int32_t nLength = 0;  // gauge length in dots after the change (0..50)
};

// A hit box: its place in map dots, and its offset and size relative to the object's
// position at the current scale and at scale 1.
struct HitBoxSet {
    double dLeft = 0;
    double dTop = 0;
    double dRight = 0;
    double dBottom = 0;
    std::int32_t nOffsetX = 0;
    std::int32_t nOffsetY = 0;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::int32_t nBaseOffsetX = 0;
    std::int32_t nBaseOffsetY = 0;
    std::int32_t nBaseWidth = 0;
    std::int32_t nBaseHeight = 0;

    // A w × h box centred on the 32-dot sprite that lies at (spriteX, spriteY) from the
    // object's position; the current and the scale-1 values alike.
    void SetCentred(std::int32_t spriteX, std::int32_t spriteY, std::int32_t w, std::int32_t h);
    // Offsets and sizes become scale × their scale-1 values.
    void Scale(int scale);
    // Left and right (top and bottom) from the object's position: trunc(x) + offset,
    // + width − 1.
    void FollowX(double x);
    void FollowY(double y);
};

// An attacker that hit the actor recently, and the ticks before it may hit again.
struct HitByEntry {
    ObjectId idAttacker = kNoObject;
    std::int32_t nTicks = 0;
};

// Flows inserted into an actor's list while its flow pass runs, placed at the pass's end:
// already unrolled and charged, at a position (−1: after the last).
struct PendingFlowChange {
    CheckedVector<cEdFlow> vecFlow;
    std::int32_t nPosition = -1;
};

// Entries of the character variables after Reset.
inline constexpr int kCharaVarCount = 9;
// Entries of each flow-group vector (index 1..26 = a..z).
inline constexpr int kFlowGroupSlots = 27;

class cActorBase : public cGameObject {
public:
    cActorBase();
    // Unhooks the actor from the actors it targets and that target it, so that no pointer
    // to it outlives it.
    ~cActorBase() override;
    // Every projectile homing on the actor loses its target, and the list is emptied.
    void ReleaseHomingShots();
    // An actor is copied only with Assign, which keeps the destination's relations to other
    // objects.
    cActorBase(const cActorBase&) = delete;

    // --- Overrides of the root. ---
    // Moves y so that the feet stay in place after a giant-size change, then OnMovedY.
    void AdjustForScale(int newScale, int oldScale) override;
    void SetPos(int x, int y) override;
    void MoveTo(int x, int y, cCommandInstance* cmd) override;
    // x is a view coordinate; the sprite's horizontal centre on screen is brought to it.
    void SetCenterX(int x) override;
    void MoveToX(int x, cCommandInstance* cmd) override;
    void SetCenterY(int y) override;
    void MoveToY(int y, cCommandInstance* cmd) override;

    // --- Operations the actor classes add. ---
    // Copies the whole actor except its relations to other objects (target, the actors
    // that target it, the projectiles homing on it); the copied flow instances point at the
    // copy's own definitions.
    virtual void Assign(const cActorBase& source);
    virtual cItemObject* GetCarriedItem();
    virtual int OnMovedX();
    virtual int OnMovedY();
    virtual int StepX();
    virtual int StepY();
    virtual int RunFlows(int dying);
    // 1 when the jump starts, 0 when it is refused.
    virtual int Jump(cCommandInstance* cmd);

    // --- Block contact resets (block_collision.cpp). ---
    // The actor stands on a block: vertical motion stopped, contact below, the jump and
    // air state cleared (the hit-ceiling flag only for the computer's actors), the bottom
    // put on the last dot above the block; the landing flows start.
    void Land();
    // The actor's head met a block: it counts as in the air and stopped upward, the top put
    // on the next block boundary below; the ceiling flows start.
    void HitCeiling();

    // --- Vitals (actor_vitals.cpp). ---
    // The four contact flags are cleared at the start of every tick.
    void ClearContacts();
    // Off the block character it rode; vertical motion stops unless knocked; with flag the
    // leaving is remembered.
    void LeaveRide(int flag);
    // The box as it was at the start of the tick, to go back to when crushed.
    void SavePosition();
    void RestorePosition();
    // A knock-back velocity moves toward 0 by 1 / b per tick and stops exactly at 0.
    void DecayKnockbackX();
    void DecayKnockbackY();
    // HP changes by delta (in 64 bits, then held to 0..max HP; a max below 1 counts as 0).
    // Unless forced, a loss or a zero change does nothing while the actor is invincible
    // (無敵). A gain is limited to what is missing. 1 when HP is 0 afterwards (no gauge);
    // otherwise, with showGauge, the HP gauge shows the change.
    int ChangeHp(std::int64_t delta, int force, int showGauge);
    // SP likewise, without an invincibility test; 1 when max SP is below 1.
    int ChangeSp(std::int64_t delta, int showGauge);
    // The gauges' change animation: 120 frames, the new length in 50 dots and the changed
    // part, which shrinks by a sixtieth per frame. Nothing for a change of 0.
    void StartHpGauge(std::int64_t delta);
    void StartSpGauge(std::int64_t delta);
    // Invincible ticks after a hit: the stage's general immunity (hero's or characters') × b.
    void StartInvincibility();
    // After a hit by `attacker`: invincible again, and immune to that attacker for the
    // stage's per-attacker time (hero's or characters') × b.
    void AddHitImmunity(const cGameObject& attacker);
    // Invincible now, or still immune to that attacker.
    int IsImmuneTo(const cGameObject& attacker) const;
    // A body hit by `attacker`: its power less this actor's defence as damage (a power of 0
    // or less is taken as it is: a negative one heals), its hit effect at the contact, the
    // knock-back along its motion, then the damage and impact flows. 1 when HP reached 0.
    int TakeDamage(cActorBase& attacker);
    // The same for a shot or a sword, with the actor's shot box.
    int TakeShotDamage(cProjectile& shot);
    // The impact i (half blocks, ±20) less the resistance pushes the actor along (vx, vy):
    // the knock-back velocities are set, the motion against them stops, and the actor
    // counts as knocked even when the resistance absorbed it all.
    void Knockback(int impact, double vx, double vy);
    // The knock-back velocities that carry the actor 16·|d| dots on each axis, d the share
    // of the impact the axis takes of |vx| + |vy|. Nothing for an impact of 0.
    void KnockbackVelocity(int impact, double vx, double vy);
    // The knock-back of a body hit: along the attacker's motion, its vertical part only
    // when a walker falls fast onto the actor.
    void KnockbackFromActor(const cActorBase& attacker);
    // The knock-back of a shot (along its velocity) or of a sword (along its facing).
    void KnockbackFromShot(const cProjectile& shot);
    // The immunity counters of one tick: general invincibility and each recent attacker's.
    void TickImmunity();
    int IsInvincibleNow() const { return m_nInvincibleFrames > 0 ? 1 : 0; }
    // The actor dies: its death flows run at once, the score is given, a carried item goes
    // to the hero; unless that ended the stage, the actor lets go of every target and
    // projectile and starts dying. 1 when the stage ends now.
    int ActorDeath();
    // Lets go of the target and of every actor that targets this one, on both sides, so
    // that no pointer to this actor is left in another (the destructor and a death share it).
    void ReleaseTargets();

    // One tick of the vertical knock-back: a flyer is pushed by it, a walker on the ground
    // lets a downward push die, and a walker in the air takes it in place of the part it
    // added in the last tick.
    void ApplyKnockbackY();

    // Re-points every flow instance at definition i of m_Chara and at its key conditions and
    // commands. Instances beyond the definitions (never made so) keep null links.
    void RelinkFlows();

    // The flow instances' part of a flow pass: each running flow, unless paused or halted,
    // runs one tick (with `dying` set only the death flows). 1 when the pass must end at
    // once: the actor's HP is gone outside a death flow, or (with stopOnVanish) it vanished.
    int RunFlowInstances(int dying, int stopOnVanish);
    // The end of a flow pass: the flows that asked to be deleted go, and the flow groups
    // freed in this pass may start again.
    void FinishFlowPass();

    // --- Flow runtime (flow/flow_runtime.cpp; the trigger pass in flow/trigger_pass.cpp). ---
    // Once per displayed frame, before its ticks: no flow counts as tested or started in
    // this frame, and no group as started in it.
    void ResetFlowFrameFlags();
    // The first step of a flow pass: the lead-in animations due at the tick count of each
    // running flow start, unless the flow is paused or halted.
    void UpdateFlowCues();
    // Flow `index` goes: stopped, its animation entries removed, its instance and its
    // definition erased, the rest re-pointed. A bad index is reported and changes nothing.
    // While a flow pass of the actor runs, the flow is stopped and asked to be deleted
    // instead; the pass's end erases it.
    void RemoveFlow(int index);
    // Removes every flow whose ID is `id` (1..26 = A..Z) as RemoveFlow does; the index of
    // the first one removed, -1 when none had it. ID 0 removes every flow and every
    // animation entry, flows' or not; the result is then 0.
    int RemoveFlowsById(int id);
    // Whether a flow pass of the actor is under way (changes of its flow list wait).
    bool InFlowPass() const { return m_nFlowPassDepth > 0; }
    // The animation entries started by the flow with this key: removed; paused (an entry
    // that would run out before its next frame is removed instead); resumed.
    void RemoveFlowAnimes(int key);
    void PauseFlowAnimes(int key);
    void ResumeFlowAnimes(int key);
    // The event `trigger` happened to the actor: each idle flow of that kind whose
    // conditions and key conditions hold starts, within the limits of the per-frame guard
    // and of its group.
    void TriggerFlows(int trigger);

    // --- Drawing (actor_draw.cpp). ---
    // The pattern to draw this frame: unless paused the base animation and the running
    // animation entries advance first; a running entry wins over the base animation.
    int GetDrawPattern(int paused);
    // One frame of a dying actor; 1 when it may be removed (a character whose death effect
    // ended or never ran; the hero a second after it began dying when no effect runs).
    int DrawDying(DDSURFACEDATA* surface, int paused);
    // The column offset of the actor's frames: the base column plus the animation set's
    // offsets for flying, a block character and invincibility. An invincible actor is
    // blended (src) in Direct3D when the system asks for it and the record names a colour.
    int GetPatternBase(GraphicSource& src) const;
    // The source of the actor's picture for the pattern, its blend included.
    void ResolveActorSource(GraphicSource& src, int pattern) const;
    // The actor at its sprite rectangle through its character effect, then its mark; a
    // transparent actor only advances its animations and effect.
    void DrawActor(DDSURFACEDATA* surface, int paused);
    // The mark over the sprite, when the record shows one.
    void DrawMark(DDSURFACEDATA* surface) const;
    // The running character effect advances without drawing; 1 when it ended.
    int AdvanceEffect(int paused);
    // A gauge above the sprite while its change animation runs: frame, bar and change,
    // 2 dots high each; unless paused the animation counts down.
    void DrawGauge(DDSURFACEDATA* surface, GaugeAnim& gauge, int isSp, int paused);
    void DrawHpGauge(DDSURFACEDATA* surface, int paused);
    void DrawSpGauge(DDSURFACEDATA* surface, int paused);

    // --- Geometry (actor_geometry.cpp). ---
    // The giant size of the record copy, held to 1 to 10.
    int GiantSize() const;
    // vy += g unless flying, riding, gravity off this tick or knocked upward.
    void ApplyGravity();
    // The play frame's form: only flying is tested.
    void ApplyGravityUnlessFlying();
    int IsStanding() const;
    void SetHitBoxFromSize(int bottomAligned, int w, int h);
    void SetBlockX(int column);
    void SetBlockY(int row);
    void SetBlockPos(int column, int row);
    // The goal point of a relative move: the sprite centre plus the instance's offsets,
    // written only on the axes the move record lets move.
    void RelativeGoal(const cCommandInstance& cmd, int& goalX, int& goalY) const;

    // --- Fields after the root part, in order. ---
    cActorBase* m_pTarget = nullptr;
    CheckedVector<cActorBase*> m_vecTargetedBy;
    CheckedVector<cProjectile*> m_vecHomingShots;
    cEdChara m_Chara;
    std::int32_t m_nNextFlowKey = 0;
    CheckedVector<FlowInstance> m_vecFlow;
    // The installed commands on the stage's account.
    CommandCharge m_CommandCharge;
    CheckedVector<std::uint8_t> m_vecGroupBusy;
    CheckedVector<std::uint8_t> m_vecGroupFreed;
    CheckedVector<std::uint8_t> m_vecGroupStarted;
    std::int32_t m_bGroupFreed = 0;
    std::int32_t m_bFlowDeleted = 0;
    // Above 0 while a flow pass of the actor (or a stage-start flow's run at once) is under
    // way. Flows added or removed meanwhile wait for the pass's end: the running instance,
    // and the one a saved command context names, must not move.
    std::int32_t m_nFlowPassDepth = 0;
    CheckedList<PendingFlowChange> m_listPendingFlowChange;
    double m_dHomeX = 0;
    double m_dHomeY = 0;
    std::int32_t m_bMovedByCommand = 0;
    double m_dKnockVX = 0;
    double m_dKnockVY = 0;
    std::int32_t m_bKnocked = 0;
    double m_dKnockVYApplied = 0;
    std::int32_t m_bGravityOff = 0;
    std::int32_t m_nWallSide = -1;  // -1 none, 0 left, 1 right
    // Set when the block collision pushed the actor out of a wall on the side it faces (it
    // walked into the wall); a ground-turn move turns it round and clears it.
    std::int32_t m_bWallTurn = 0;
    std::int32_t m_bFalling = 0;
    std::int32_t m_bAirborne = 0;
    std::int32_t m_bJumping = 0;
    std::int32_t m_bHitCeiling = 0;
    std::int32_t m_nJumpCount = 0;
    cBlock* m_pStandBlock = nullptr;
    cBlock* m_pLastBlock = nullptr;
    std::int32_t m_nHoldFrames = 0;
    std::int32_t m_bFixedScreenX = 0;
    std::int32_t m_bFixedScreenY = 0;
    std::int32_t m_nFixedScreenX = 0;
    std::int32_t m_nFixedScreenY = 0;
    std::int32_t m_bDying = 0;
    std::int32_t m_nDeathFrames = 0;
    std::int32_t m_bContactLeft = 0;
    std::int32_t m_bContactRight = 0;
    std::int32_t m_bContactUp = 0;
    std::int32_t m_bContactDown = 0;
    std::int32_t m_bLeftRide = 0;
    std::int32_t m_bRiding = 0;
    std::int32_t m_nRideSerial = 0;
    DoubleRect m_rcRide;
    DoubleRect m_rcSaved;
    std::int32_t m_nHp = 0;
    GaugeAnim m_HpGauge;
    std::int32_t m_nSp = 0;
    GaugeAnim m_SpGauge;
    CheckedVector<std::int32_t> m_vecVar;
    std::int32_t m_nInvincibleFrames = 0;
    CheckedList<HitByEntry> m_listHitBy;
    CheckedList<AnimeEntry> m_listAnime;
    CharaEffectInstance m_CharaEffect;
    std::int32_t m_bVanish = 0;
    std::int32_t m_nSight = 0;
    HitBoxSet m_BodyBox;
    HitBoxSet m_ShotBox;

protected:
    // The member-wise copy behind Assign.
    cActorBase& operator=(const cActorBase&) = default;
};

// Marks a flow pass of the actor for as long as it lives (passes may nest).
class FlowPassScope {
public:
    explicit FlowPassScope(cActorBase& actor) : m_actor(actor) { ++m_actor.m_nFlowPassDepth; }
    ~FlowPassScope() { --m_actor.m_nFlowPassDepth; }
    FlowPassScope(const FlowPassScope&) = delete;
    FlowPassScope& operator=(const FlowPassScope&) = delete;

private:
    cActorBase& m_actor;
};

// A placed or summoned character. Characters live in place in their list: others point at
// them while they live.
class cCharaActor : public cActorBase {
public:
    cCharaActor() = default;
    // Copied only with Assign, like every actor.
    cCharaActor& operator=(const cCharaActor&) = delete;
    ~cCharaActor() override = default;

    // Sets the character up from its record: a giant size of 0 in the record becomes 1
    // there, the actor is reset with the record, boxes and hit boxes come from the running
    // stage's sizes, the giant size is applied, the carried item (or none) is taken, the view
    // axes follow the activation setting and the base animation starts with the walking (1)
    // or flying (0) sequence; then the record copy's flows are installed. 0 when set up;
    // kInstallFailed when a flow's loops cannot be written out (a failed allocation: the
    // stage set-up ends its set-up, a spawn while the stage runs calls MemoryErrorAndClose);
    // the character then has no flow instances.
    int Init(int serial, cEdChara& record, const cItemObject* carried, double homeX, double homeY,
             int cloneValue);
    // The root's set-up stays reachable for the callers that shape an object by hand.
    using cGameObject::Init;
    // Puts the character on stage block (column, row) as the scale-1 box, then grown to
    // its giant size, kept inside the block map.
    void PlaceOnBlock(int column, int row);
    // The view test of this tick; a character in view raises its activation group's flag
    // (groupFlags, one per group, cleared every tick). 1 in view.
    int UpdateInView(CheckedVector<std::uint8_t>& groupFlags);
    // 1 when the character runs this tick: in view, its activation group raised, or (a
    // walker) jumping or falling after having been activated once.
    int ActivateCheck(const CheckedVector<std::uint8_t>& groupFlags);

    // Both hit boxes × scale; a block character's boxes become the box itself at offset 0.
    void ScaleHitBoxes(int scale) override;
    // Both hit boxes follow the position.
    void UpdateHitBoxX() override;
    void UpdateHitBoxY() override;
    cItemObject* GetCarriedItem() override { return &m_CarriedItem; }
    // Assign, then the character's own fields; the carried item is copied by value and
    // keeps this character's item id.
    void AssignChara(const cCharaActor& source);
    // The icon of the carried item over the character, 32 frames of every 96 (actor_draw.cpp).
    void DrawCarriedItemIcon(DDSURFACEDATA* surface);
    // The character stays inside the block map.
    int OnMovedX() override;
    int OnMovedY() override;
    // One tick of horizontal motion: 4 when the character reached a side of the block map
    // (it is removed), else the move's code.
    int StepX() override;
    // One tick of vertical motion: 8 when a flyer reached the top or bottom of the map (it
    // is removed), 7 when a walker fell out of the stage (it dies), else the move's code.
    int StepY() override;
    // The flow pass of this tick; with dying set only the death flows run. 1 when the
    // character must be removed.
    int RunFlows(int dying) override;
    // Refused (0) while falling, after hitting a ceiling, knocked back or off the ground;
    // otherwise the command's sound, the launch speed of the command into vy, airborne and
    // jumping, and 1.
    int Jump(cCommandInstance* cmd) override;

    std::int32_t m_bInView = 0;
    std::int32_t m_bRunning = 0;
    cItemObject m_CarriedItem;  // graphic number 0: none
    std::int32_t m_nItemBlink = 0;
    std::int32_t m_bIgnoreViewX = 0;
    std::int32_t m_bIgnoreViewY = 0;
    std::int32_t m_bActivated = 0;
    // Set once the appearance conditions held; with the record's latch option the
    // character then stays present.
    std::int32_t m_bAppearLatch = 0;
};
