// The hero: the actor the player steers. Its flows read the player's input through their key
// conditions, so walking and most of what it does are ordinary flow commands; what it adds
// to an actor is the input binding, boxes sized by the stage instead of by its record, a
// third hit box for items, the hit-box display of test play, flight mode, the camera, a jump
// whose height the player controls, block-touch effects, item pickup and the flow changes
// that items queue.
#pragma once

#include <cstdint>

#include "base/checked_list.h"
#include "base/checked_vector.h"
#include "data/command_record.h"
#include "stage/actor.h"

class cInput;
struct DDSURFACEDATA;

// One box of the test-play hit-box display.
struct HitBoxView {
    std::int32_t nKind = 0;    // 0 object box, 1 body box, 2 item box, 3 shot box
    std::int32_t nMode = 0;    // 0 hidden, 1 filled, 2 frame only
    std::int32_t nColour = 0;  // palette index of the colour's first entry
    std::int32_t nX = 0;       // screen position
    std::int32_t nY = 0;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::int32_t nBlink = 0;  // 0..31; every 8 steps the next of the colour's four entries
};

// Kinds of the hit-box display.
inline constexpr std::int32_t kHitBoxObject = 0;
inline constexpr std::int32_t kHitBoxBody = 1;
inline constexpr std::int32_t kHitBoxItem = 2;
inline constexpr std::int32_t kHitBoxShot = 3;

// The first palette entry of each colour of the hit-box display (red, green, blue, yellow,
// magenta, violet, black, rainbow); each colour owns four entries.
inline constexpr std::int32_t kHitBoxColours[8] = {208, 212, 216, 220, 224, 228, 232, 236};

// Block-touch effects the hero carries for a frame.
inline constexpr std::int32_t kTouchSpeed = 3;
inline constexpr std::int32_t kTouchMoveLeft = 4;
inline constexpr std::int32_t kTouchMoveRight = 5;

class cHeroActor : public cActorBase {
public:
    cHeroActor() = default;
    // Copied only with Assign, like every actor.
    cHeroActor& operator=(const cHeroActor&) = delete;
    ~cHeroActor() override = default;

    // Sets the hero up from its placed record for a new attempt: a giant size of 0 in the
    // record becomes 1 there; the actor is reset with the record; boxes come from the
    // running stage for its flight mode; the input of its player number is bound; the
    // giant size is applied; jump and touch state are cleared; the record copy's flows are
    // installed as its own. 0 when set up; kInstallFailed when a flow cannot be written out
    // (a failed allocation: the stage set-up ends its set-up); the hero then has no flow
    // instances.
    int Init(int serial, cEdChara& record, double homeX, double homeY);
    using cGameObject::Init;

    // Flight mode 0 walking, 1 flying through blocks, 2 flying against blocks, 3 flying and
    // dying on blocks. A change of flying suspends crush deaths for two ticks; landing from
    // flight stops every motion. Boxes and the display list are rebuilt; with scaleFlag set
    // the new boxes are grown to the giant size.
    void SetFlyMode(int mode, int scaleFlag);
    // The object box of the running stage for walking or flying, centred across and centred
    // or on the bottom down the 32-dot sprite.
    void PlaceObjectBox(int flying);
    // The display list of the four boxes, largest area first; equal areas keep the order
    // object, item, body, shot.
    void BuildHitBoxList();

    // The three hit boxes × scale.
    void ScaleHitBoxes(int scale) override;
    // The three hit boxes follow the position.
    void UpdateHitBoxX() override;
    void UpdateHitBoxY() override;
    // The camera follows the hero unless the axis scrolls by itself; then the hero is kept
    // in the view (walking) or on the map (flying).
    int OnMovedX() override;
    int OnMovedY() override;
    // One tick of motion. StepY's code: MoveY's, except that a walking hero leaving the
    // stage through the bottom gives 7.
    int StepX() override;
    int StepY() override;
    // The flow pass of this tick; with dying set only the death flows run. 1 when the hero's
    // HP is gone.
    int RunFlows(int dying) override;
    // One tick of a jump command on the hero: the jump is a state machine over the ticks
    // of the command (launch, held rise, cut rise, landing). 1 in the tick it launches.
    int Jump(cCommandInstance* cmd) override;

    // Runs an item's commands on the hero: 0, 1 when a command cleared the stage, 2 when
    // the hero's HP is gone.
    int RunItemCommands(CheckedVector<cEdCommand>& commands);
    // The flow changes items queued while the hero's flows ran, in order, once no flow pass
    // of the hero runs any more; then the queue is empty.
    void RunQueuedFlowChanges();
    // The pickup contact list: an item of pickup kind 1 is taken once per contact.
    bool IsItemUntouched(const cItemObject& item) const;
    void ForgetItem(const cItemObject& item);
    void TouchItem(const cItemObject& item);
    // The message window of an item.
    void ShowItemMessage(int message, std::int16_t a, std::int16_t b);
    // The hero, then its hit boxes as the stage shows them.
    void DrawHitBoxes(DDSURFACEDATA* target, int hold);
    // The sight mask over the screen when the record limits the sight.
    void DrawSight(DDSURFACEDATA* target);
    // The root's screen rectangle, except that on an auto-scrolling axis the position and
    // the scroll are truncated apart. (The root's is not virtual: callers that hold the hero
    // as a hero get this one.)
    void UpdateScreenRect();
    void KeepPreviousContact();
    void KeepPreviousFacing() { m_nPrevFacing = m_bFacingRight; }

    // --- Fields after the actor part, in order. ---
    cInput* m_pInput = nullptr;
    std::int32_t m_nJumpHold = 0;
    std::int32_t m_bJumpArmed = 0;
    std::int32_t m_bJumpForbidden = 0;
    double m_dTouchStep = 0;
    std::int32_t m_bJumpDone = 0;
    std::int32_t m_bClearDirection = 0;
    std::int32_t m_bClearButtons = 0;
    std::int32_t m_nPrevFacing = 0;
    // The items of pickup kind 1 the hero overlaps, by id: an item may be gone before the
    // hero leaves it, and a new one at the same address is another item.
    CheckedList<ObjectId> m_listTouchedItems;
    std::int32_t m_nTouchKind = 0;
    double m_dTouchValue = 0;
    std::int32_t m_nTouchTicks = 0;
    std::int32_t m_nItemBlockWait = 0;
    std::int32_t m_nTicks = 0;
    HitBoxSet m_ItemBox;
    CheckedVector<HitBoxView> m_vecHitBoxView;
    CheckedVector<cEdCommand> m_vecFlowChange;
    CheckedList<CheckedVector<std::int32_t>> m_listItemArrange;
    // The block the bottom edge met last, as it was at the start of the tick.
    cBlock* m_pPrevLastBlock = nullptr;
};
