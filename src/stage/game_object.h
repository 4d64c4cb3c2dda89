// The root of every run-time object of a running stage (characters, the hero, items,
// projectiles): position and box in map dots, the sprite rectangle, the base animation,
// velocity and facing, and the virtual operations through which the stage engine moves an
// object without knowing its class.
//
// Objects are created and destroyed while others still hold references to them (hit lists,
// touched items, the actors that hit another one). Pointers are fine while both live; where
// a reference may outlive its object it holds the object's id instead: a number handed out
// once per process and never reused, so a freed object can never be mistaken for a newer one
// that happens to sit at the same address.
#pragma once

#include <cstdint>
#include <iterator>
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gfx/anim_pattern.h"

class cCommandInstance;
class cActorBase;
class cEdAreaLimit;

// 0 names no object.
using ObjectId = std::uint64_t;
inline constexpr ObjectId kNoObject = 0;

// A fresh id; never the same twice in a process.
ObjectId NewObjectId();

// The id as a member: a copy of an object is another object, so copying gives the copy a
// fresh id and assigning keeps the destination's own. Members that hold it can then be
// copied by defaulted copy operations without handing their identity on.
class ObjectIdentity {
public:
    ObjectIdentity() : m_id(NewObjectId()) {}
    ObjectIdentity(const ObjectIdentity&) : m_id(NewObjectId()) {}
    ObjectIdentity& operator=(const ObjectIdentity&) { return *this; }
    ObjectId Get() const { return m_id; }

private:
    ObjectId m_id;
};

// Left, top, right, bottom; right and bottom are the last dot inside.
struct IntRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const IntRect&, const IntRect&) = default;
};
struct DoubleRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    friend bool operator==(const DoubleRect&, const DoubleRect&) = default;
};

// An unlimited life.
inline constexpr std::int32_t kLifeUnlimited = 2147483647;

// Object-level constants of the map: a block is 32 dots, a half block 16.
inline constexpr int kBlockDots = 32;
inline constexpr int kHalfBlockDots = 16;
inline constexpr int kViewW = 640;
inline constexpr int kViewH = 480;

// The giant scale of a record, 1 to 10. A damaged file's 0, negative or larger value would
// shift and scale the object by nonsense, so it is held to that range.
inline constexpr std::int32_t kMaxGiantSize = 10;
inline std::int32_t GiantScale(std::int32_t n) {
    return n < 1 ? 1 : (n > kMaxGiantSize ? kMaxGiantSize : n);
}

// a × b as the 32-bit machine product: sizes from a damaged file may not fit, and the
// product then wraps instead of being undefined.
inline std::int32_t WrapMul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(a) * b);
}

// A 64-bit sum as the 32-bit machine value: sizes and counts from a damaged file may not
// fit, and the sum then wraps instead of being undefined.
inline std::int32_t Wrap32(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

// The flight kinds 1 to 3 fly; 0 and anything else walk (as SetFlyMode takes them).
inline bool IsFlyingKind(int kind) {
    return kind >= 1 && kind <= 3;
}

// The offsets of a w × h box inside the 32-dot cell of its sprite: centred across, and
// centred or standing on the bottom down.
inline void BoxOffsetsInCell(std::int32_t w, std::int32_t h, std::int32_t bottomAligned,
                             std::int32_t& offX, std::int32_t& offY) {
    offX = Wrap32((std::int64_t{kBlockDots} - w) >> 1);
    offY = bottomAligned ? Wrap32(std::int64_t{kBlockDots} - h)
                         : Wrap32((std::int64_t{kBlockDots} - h) >> 1);
}

class cGameObject {
public:
    cGameObject();
    // The root part of a new object as a copy of another (a template projectile, say); the
    // new object has an id of its own.
    cGameObject(const cGameObject& source) = default;
    cGameObject& operator=(const cGameObject& source) = default;
    virtual ~cGameObject();

    // --- Virtual operations. The root does nothing in the last ten. ---
    // Copies every root field, the animation pattern included (not the id).
    virtual void CopyFrom(const cGameObject& source);
    // Box and sprite sizes and offsets become newScale × their scale-1 values; then the
    // x adjustment, AdjustForScale and ScaleHitBoxes. Nothing when the scales are equal.
    virtual void SetScale(int newScale, int oldScale);
    virtual void ScaleHitBoxes(int scale);
    virtual void AdjustForScale(int newScale, int oldScale);
    virtual void UpdateHitBoxX();
    virtual void UpdateHitBoxY();
    virtual void SetPos(int x, int y);
    virtual void MoveTo(int x, int y, cCommandInstance* cmd);
    virtual void SetCenterX(int x);
    virtual void MoveToX(int x, cCommandInstance* cmd);
    virtual void SetCenterY(int y);
    virtual void MoveToY(int y, cCommandInstance* cmd);

    ObjectId Id() const { return m_Identity.Get(); }

    // --- Geometry and movement (actor_geometry.cpp). ---
    // Stores the values, the life unlimited, the base animation built from the step table
    // (when given) with its first sequence forced; both offset pairs, sprite and box sizes
    // at scale 1 and current alike; both velocities 0, not present, not on screen; then
    // SetFlyMode.
    void Init(int serial, int op, int group, int graphicNo, const ANIMSTEPDEF* const* steps,
              int firstSeq, int offsetX, int offsetY, int boxW, int boxH, int spriteW, int spriteH,
              int facingRight, int flyMode, int cloneValue);
    // The status flag 飛行 0..3 onto the flying flag and the block mode; other values as 0.
    void SetFlyMode(int mode);
    int FacingSign() const { return m_bFacingRight ? 1 : -1; }

    void UpdateScreenRect();
    int IsOnScreen() const;
    int IsInView(int ignoreX, int ignoreY) const;
    int IsInStage(int wholeMap) const;
    int TouchesSolidBlock() const;
    int RectOverlaps(double left, double top, double right, double bottom) const;
    // 1 when the object, off screen, has passed a flagged side of the area by its margin, or
    // touches the border of the map; the play frame then removes it.
    int IsOutOfArea(const cEdAreaLimit& area) const;

    int ClampX(int mode);
    int ClampY(int mode);
    int MoveX(int mode);
    int MoveY(int mode);
    void Decelerate(double& velocity, int apply) const;
    // x −= (new − old) × (base box w >> 1), then ClampX (2); nothing when equal.
    void AdjustX(int newScale, int oldScale);

    // Jump physics in dots and ticks: the upward speed that reaches h dots under the
    // stage's gravity (damped for the player), the same for n half blocks, and the time to
    // the top of a jump of n half blocks in tenths of a second, plus one.
    double JumpSpeedForHeight(double h) const;
    double JumpSpeedForHbl(int n) const;
    int JumpTime(int n) const;

    // The sprite's centre in view coordinates (screen rectangle, integer halving).
    int CenterX() const {
        return static_cast<std::int32_t>(std::int64_t{m_rcScreen.left} + m_nSpriteW / 2);
    }
    int CenterY() const {
        return static_cast<std::int32_t>(std::int64_t{m_rcScreen.top} + m_nSpriteH / 2);
    }

    // --- Fields, in order. ---
    std::int32_t m_nSerial = 0;
    std::int32_t m_nLifeFrames = 0;
    std::int32_t m_bFacingRight = 0;
    std::int16_t m_nCloneValue = 0;
    std::int32_t m_nGraphicNo = 0;
    cAnimPattern m_AnimPattern;
    IntRect m_rcScreen;
    std::int32_t m_nOffsetX = 0;
    std::int32_t m_nOffsetY = 0;
    std::int32_t m_nSpriteW = 0;
    std::int32_t m_nSpriteH = 0;
    std::int32_t m_nBaseOffsetX = 0;
    std::int32_t m_nBaseOffsetY = 0;
    std::int32_t m_nBaseSpriteW = 0;
    std::int32_t m_nBaseSpriteH = 0;
    std::int32_t m_nOperator = 0;  // 0 player, 1 computer
    std::int32_t m_nGroup = 0;     // 0..7
    double m_dX = 0;
    double m_dY = 0;
    double m_dRight = 0;
    double m_dBottom = 0;
    std::int32_t m_nCellLeft = 0;
    std::int32_t m_nCellTop = 0;
    std::int32_t m_nCellRight = 0;
    std::int32_t m_nCellBottom = 0;
    double m_dVX = 0;
    double m_dVY = 0;
    double m_dMoveVX = 0;
    double m_dMoveVY = 0;
    double m_dStopDecel = 0;
    std::int32_t m_bDecelX = 0;
    std::int32_t m_bDecelY = 0;
    std::int32_t m_bScrollSync = 0;
    std::int32_t m_nBoxW = 0;
    std::int32_t m_nBoxH = 0;
    std::int32_t m_nBaseBoxW = 0;
    std::int32_t m_nBaseBoxH = 0;
    std::int32_t m_bFlying = 0;
    std::uint8_t m_nBlockMode = 0;  // 0 passes through blocks, 1 collides, 2 dies on contact
    std::int32_t m_bPresent = 0;
    std::int32_t m_bOnScreen = 0;

private:
    ObjectIdentity m_Identity;
};

// A list of objects whose elements keep their address while others are added and removed,
// so pointers between living objects stay valid; ids find an object that may be gone, in
// constant time, so that a walk over the list can ask after every step whether the objects
// it knows are still there.
template <class T>
class ObjectList {
public:
    using iterator = typename std::list<T>::iterator;
    using const_iterator = typename std::list<T>::const_iterator;

    ObjectList() = default;
    // The index points into this list's own nodes: a list is never copied.
    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;

    template <class... Args>
    T& Add(Args&&... args) {
        T& item = m_items.emplace_back(std::forward<Args>(args)...);
        try {
            m_index[item.Id()] = std::prev(m_items.end());
        } catch (...) {
            // No object without its index entry.
            m_items.pop_back();
            throw;
        }
        return item;
    }
    iterator Erase(iterator it) {
        m_index.erase(it->Id());
        return m_items.erase(it);
    }
    // Removes the object of that id; false when none has it.
    bool Remove(ObjectId id) {
        const auto found = m_index.find(id);
        if (found == m_index.end()) return false;
        m_items.erase(found->second);
        m_index.erase(found);
        return true;
    }
    // The object of that id, or null when it is gone (or never was here).
    T* Find(ObjectId id) {
        const auto found = m_index.find(id);
        return found == m_index.end() ? nullptr : &*found->second;
    }
    const T* Find(ObjectId id) const { return const_cast<ObjectList*>(this)->Find(id); }
    // The ids of the objects in list order: a walk that may add or remove objects goes over
    // these and finds each again.
    void CollectIds(std::vector<ObjectId>& ids) const {
        ids.clear();
        ids.reserve(m_items.size());
        for (const T& item : m_items) ids.push_back(item.Id());
    }
    void Clear() {
        m_items.clear();
        m_index.clear();
    }
    std::size_t Size() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }

    iterator begin() { return m_items.begin(); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    std::list<T> m_items;
    std::unordered_map<ObjectId, iterator> m_index;
};
