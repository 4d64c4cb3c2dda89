// The collision of an actor's box with the block map: which cell an edge of the box meets,
// how the actor is pushed out of a solid block, the four contact flags, the flow triggers a
// contact raises, landing and falling, the deadly blocks, and the clamp of the hero to the
// view while an axis scrolls by itself (or the hero flies).
//
// The play frame calls these in a fixed order for every actor each tick: the horizontal
// step, CollideBlocksX, the vertical step, CollideBlocksY; then, after the block characters
// have pushed the actor, RecheckBlocksX / RecheckBlocksY. The hero's steps are wrapped in
// ClampToScreenX / ClampToScreenY.
//
// Results: kCollideOk, or kCollideDeath when the contact kills the actor (the caller runs
// the death path). A flyer that passes through blocks (flying, block mode 0) is left alone
// by every operation here: each returns kCollideOk at once and changes nothing.
//
// All positions are map dots; an edge is sampled at integer dots (the position truncated).
#pragma once

#include <cstdint>

class cActorBase;
class cHeroActor;

inline constexpr int kCollideOk = 0;
inline constexpr int kCollideDeath = 2;

// Flow triggers raised by block contact.
inline constexpr int kTriggerBlockHit = 9;    // any side
inline constexpr int kTriggerBlockSide = 10;  // left or right
inline constexpr int kTriggerBlockLeft = 11;
inline constexpr int kTriggerBlockRight = 12;
inline constexpr int kTriggerBlockAboveBelow = 13;  // above or below
inline constexpr int kTriggerBlockAbove = 14;
inline constexpr int kTriggerBlockBelow = 15;

// The most solid cell along one edge of the actor's box, as a cell index of BlockMap.
// x1 == x2: a vertical edge sampled downward from y1; y1 == y2: a horizontal edge sampled
// rightward from x1; any other pair gives cell 0. The edge is sampled at giant size + 1
// points spaced by the box's size at scale 1 less one dot, so a normal-size actor looks at
// the two ends of its edge only. A higher hit type wins; on a vertical edge the first
// sample wins ties, on a horizontal one the sample nearer the middle of x1..x2 does (then
// the first).
std::int32_t FindEdgeBlock(const cActorBase& actor, int x1, int y1, int x2, int y2);

// The cell under the feet of a player-operated actor: an odd number of samples along the
// bottom row (so one lies in the middle), the highest hit type winning, ties going to the
// sample nearest the box's centre, then to the first.
std::int32_t FindFootBlock(const cActorBase& actor);

// The contact after the horizontal step: both sides, the side the actor moves toward first
// (right first for a flyer that hits blocks). A side that kills ends the test.
int CollideBlocksX(cActorBase& actor);
// The contact after the vertical step: the stand block is forgotten, then both edges, the
// one the actor moves toward first (the bottom first for a flyer that hits blocks).
int CollideBlocksY(cActorBase& actor);

// The contact again after the block characters moved the actor: right, then left.
int RecheckBlocksX(cActorBase& actor);
// The bottom edge as CollideBlockDown tests it, without forgetting the stand block or
// counting time in the air; then the top edge, unless a landing was refused because the
// actor rises.
int RecheckBlocksY(cActorBase& actor);

// One side each. Left and right push the box out to the block boundary and set the wall
// side; the bottom lands the actor or counts its time in the air; the top stops it at the
// ceiling.
int CollideBlockLeft(cActorBase& actor);
int CollideBlockRight(cActorBase& actor);
int CollideBlockUp(cActorBase& actor);
int CollideBlockDown(cActorBase& actor);

// The hero kept inside the view horizontally while the horizontal axis scrolls by itself or
// the hero flies.
void ClampToScreenX(cHeroActor& hero);
// The same vertically. kCollideDeath when a walking hero is pushed out at the bottom.
int ClampToScreenY(cHeroActor& hero);
