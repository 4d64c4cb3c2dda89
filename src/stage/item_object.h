// An item of the running stage: lying on the map, or carried by a character until that
// character is defeated. It does not move by itself and has no flows; taking it runs the
// commands of its own copy of the item record on the hero.
#pragma once

#include <cstdint>

#include "data/item_record.h"
#include "flow/command_budget.h"
#include "stage/game_object.h"

struct DDSURFACEDATA;

class cItemObject : public cGameObject {
public:
    cItemObject() = default;
    cItemObject(const cItemObject&) = default;
    // The root fields, the item record and the carried flag.
    cItemObject& operator=(const cItemObject&) = default;
    ~cItemObject() override = default;

    // Items keep the box they were given.
    void ScaleHitBoxes(int scale) override;
    // The item grows upward from its bottom.
    void AdjustForScale(int newScale, int oldScale) override;
    // An item has no hit boxes of its own; the root's SetPos, MoveTo and the centre
    // operations are kept, which ignore it.
    void UpdateHitBoxX() override {}
    void UpdateHitBoxY() override {}

    // Sets the item up from its record: a giant size of 0 in the record becomes 1 there and
    // the record is copied; the box is the running stage's item size centred in the 32-dot
    // cell, the animation alternates patterns 0 and 1 every 15 frames, and the item does
    // not fall. A carried item is present at once and keeps scale 1; any other grows to its
    // giant size. The loops of its item commands are unrolled and charged to the stage's
    // account. 0 when set up; kUnrollFailed when they cannot be written out or the account
    // has no room (a failed allocation: the stage set-up ends its set-up, a spawn while the
    // stage runs calls MemoryErrorAndClose).
    int Init(int serial, cEdItem& record, int carried);
    // The root's set-up stays reachable for the callers that shape an object by hand.
    using cGameObject::Init;

    // The giant size of the record, held to 1 to 10.
    int GiantSize() const;
    // Places the item on stage block (column, row); the result of the vertical clamp.
    int SetBlockPos(int column, int row);
    // The item at its screen rectangle (stretched at a giant size), then its mark; with
    // hold its animation stays where it is (item_draw.cpp).
    void Draw(DDSURFACEDATA* target, int hold);

    cEdItem m_Item;
    // The item's commands on the stage's account of installed commands.
    CommandCharge m_CommandCharge;
    std::int32_t m_bCarried = 0;
    // Set once the appearance conditions held; with the record's latch option the item then
    // stays present.
    std::int32_t m_bAppearLatch = 0;
};
