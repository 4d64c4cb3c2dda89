// Block characters as moving solid blocks: how the hero and the ordinary characters are
// pushed out of them, stand on them and are carried along, bump their heads on them and are
// crushed between them (or between one and the block map).
//
// A block character takes part (is active) while it is in the character list with its
// block-character flag set, not dying, present, and not the actor itself (by serial). The
// play frame runs, for every actor each tick: RideBlockChara before the horizontal step while
// the actor rides, CollideBlockCharas after its block collision, then the block rechecks.
//
// A ride names its platform by serial, never by a pointer kept across ticks: a platform
// removed meanwhile is simply found by no one, and the actor leaves the ride.
#pragma once

#include <cstdint>

#include "stage/game_object.h"

class cActorBase;
class cCharaActor;

// Flow triggers raised by block characters: on the actor that touches one or rides one, and
// on the block character that carries the hero or any actor.
inline constexpr int kTriggerBlockCharaHit = 5;
inline constexpr int kTriggerBlockCharaRide = 6;
inline constexpr int kTriggerRiddenByHero = 16;
inline constexpr int kTriggerRiddenByChara = 17;

// The actor against the active block characters of `charas`: contact flags, pushes, landing
// and riding, the triggers, the nudge out of map blocks and keeping the ride. kCollideDeath
// (2) when the actor is crushed or, flying with block mode 2, touches a block character;
// otherwise 0. A flyer that passes through blocks is left alone.
int CollideBlockCharas(cActorBase& actor, ObjectList<cCharaActor>& charas);

// Carries a riding walker along with its platform: the platform's horizontal move since it
// was last seen joins the actor's velocity; a flying or falling platform's vertical move
// becomes the actor's vertical velocity. Raises the platform's ride triggers.
void RideBlockChara(cActorBase& actor, ObjectList<cCharaActor>& charas);

// One-axis resolution of a flyer whose pusher moves away from it. horizontalCandidate set:
// the pusher was beside it, so the top and bottom edges are probed instead; clear: the left
// and right edges.
void RecheckAxisBlockCharas(cActorBase& actor, ObjectList<cCharaActor>& charas,
                            bool horizontalCandidate);

// Whether the ridden block character (by serial) is active and overlaps the strip from the
// box's bottom edge to 5 dots below it.
bool IsOnRiddenBlockChara(const cActorBase& actor, const ObjectList<cCharaActor>& charas);

// The first active block character overlapping that strip, or null.
const cCharaActor* FindBlockCharaUnderFeet(const cActorBase& actor,
                                           const ObjectList<cCharaActor>& charas);

// Whether each of the box's four corner points (the lower two one dot up), taken from the
// actor's box or from `box`, lies inside some active block character.
bool AreCornersInBlockCharas(const cActorBase& actor, const ObjectList<cCharaActor>& charas,
                             const DoubleRect& box);

// As OverlapsBlockChara for the given box, skipping also the block character whose serial is
// `excludedSerial`.
bool OverlapsOtherBlockChara(const cActorBase& actor, const ObjectList<cCharaActor>& charas,
                             const DoubleRect& box, std::int32_t excludedSerial);
