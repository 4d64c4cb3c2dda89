// The move and shot parameters that a command may carry.
//
// cEdMove drives the movement commands and the warp; cEdShot serves the shot, the sword and
// the three summon commands, a field meaning different things for them. A command holds
// each through a shared pointer of its own and copies them deeply, so a record always
// belongs to exactly one command. A field named ...Inc is added once per clone value of the
// actor (moves) or per copy index (shots).
#pragma once

#include <cstdint>

#include "data/serial_record.h"

// Create only fills a holder passed by reference: the declaration is enough here.
namespace boost {
template <class T>
class shared_ptr;
}  // namespace boost

class cEdMove : public SerialRecord {
public:
    cEdMove();
    cEdMove(const cEdMove&) = default;
    cEdMove& operator=(const cEdMove&) = default;
    void Rebind(std::uint32_t version) override;
    // Fields that older files lack take the values those versions behaved with.
    void Load(RecordReader& reader) override;
    // The values of a newly made move.
    void SetDefaults();
    // Puts a newly made move into the pointer, releasing what it held.
    static void Create(boost::shared_ptr<cEdMove>& holder);

    std::int8_t nDestMode = 0;   // 0 by direction, 1 by target coordinates
    std::int8_t nDirection = 0;  // the 13 move-direction codes
    std::int16_t nAngle = 0;     // degrees
    std::int16_t nAngleInc = 0;
    std::int8_t bMirrorAngle = 1;  // from version 158
    std::int8_t bUseX = 1;
    std::int8_t bUseY = 1;
    std::int16_t nTargetXBl = 0;  // blocks of 32 dots
    std::int16_t nTargetYBl = 0;
    std::int16_t nTargetXDot = 0;
    std::int16_t nTargetYDot = 0;
    std::int8_t nCoordKind = 0;
    std::int8_t bUntilArrival = 1;
    std::int8_t bNoMoveX = 0;
    std::int8_t bNoMoveY = 0;
    std::int8_t bMirrorX = 1;
    std::int8_t bMirrorY = 0;
    std::int8_t bTurnBack = 1;
    std::int8_t bSnap = 0;
    std::int8_t bKeepFacing = 0;  // from version 162
    std::int8_t nTiming = 0;
    std::int16_t nSpeed = 10;  // tenths of a dot per frame
    std::int16_t nSpeedInc = 0;
    std::int16_t nDistance = 0;
    std::int16_t nDistanceInc = 0;
    std::int8_t nUnit = 0;  // 0 half blocks, 1 dots; from version 159
    std::int16_t nHoming = 0;
    std::int16_t nHomingInc = 0;
    std::int8_t bInertia = 0;
    std::int16_t nMaxSpeed = 0;
    double fTurnFactor = 1.0;
    std::int8_t bKeepAnime = 0;  // from version 162
};

class cEdShot : public SerialRecord {
public:
    cEdShot();
    cEdShot(const cEdShot&) = default;
    cEdShot& operator=(const cEdShot&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // The size factor is at least 1; an effect outside the database's table becomes 0.
    void Normalize() override;
    void SetDefaults();
    // Puts a newly made shot into the pointer, releasing what it held.
    static void Create(boost::shared_ptr<cEdShot>& holder);

    // Spawn offsets of copy i; mirrored when the actor faces right and the switch says so.
    int SpawnOffsetX(int copyIndex, int mirrored) const;
    int SpawnOffsetY(int copyIndex, int mirrored) const;

    std::int8_t nCount = 0;
    std::int8_t nFormation = 0;
    std::int16_t nFormationParam[3] = {};
    std::int8_t nAimAt = 0;  // from version 671
    std::int8_t nDirection = 0;
    std::int8_t bAimTarget = 0;
    std::int16_t nAngleOffset = 0;
    std::int16_t nAngleOffsetInc = 0;
    std::int8_t bMirrorAngle = 1;  // from version 158
    std::int16_t nSpread = 0;
    std::int8_t bAnglePlacement = 0;
    std::int8_t nClonesPerCount = 0;
    std::int16_t nOffsetX = 0;
    std::int16_t nOffsetXInc = 0;
    std::int16_t nOffsetY = 0;
    std::int16_t nOffsetYInc = 0;
    std::int8_t bMirrorX = 1;
    std::int8_t bMirrorY = 0;
    std::int16_t nGraphic = 0;
    std::int8_t nZ = 0;
    std::int8_t bInvisible = 0;
    std::int8_t bUserSide = 1;
    std::int8_t nSide = 0;
    std::int8_t nSpawnValue1 = 0;  // carried to the spawned object
    std::int8_t nGiant = 1;
    std::int8_t nSpawnValue2 = 0;  // carried to the spawned object
    std::int8_t nHomingKind = 0;   // shots: homing kind; swords: the sword type
    std::int16_t nHomingParam[3] = {};
    std::int8_t bGuided = 0;  // from version 211
    std::int16_t nSpeed = 0;
    std::int16_t nSpeedInc = 0;
    std::int8_t bAccel = 0;      // from version 213
    std::int16_t nAccel = 0;     // from version 213
    std::int16_t nAccelInc = 0;  // from version 213
    std::int16_t nRange = 0;
    std::int8_t bRangeLimit = 0;
    std::int16_t nRangeInc = 0;
    std::int8_t bStopAtRange = 0;
    std::int8_t bLifeLimit = 0;
    std::int16_t nLife = 0;
    std::int16_t nLifeInc = 0;
    std::int8_t nBlockMode = 0;
    std::int8_t bPierceChara = 0;
    std::int8_t bPierce32 = 0;  // from version 636
    std::int8_t bClash = 0;
    std::int8_t nVanish = 0;
    std::int32_t nPower = 0;
    std::int16_t nSpawnValue3 = 0;  // carried to the spawned object
    std::int8_t nImpact = 0;
    std::int16_t nEffect = 0;
    std::int8_t nItemPalette = 0;  // 0 none, 1 common, 2 stage
    std::int16_t nItemIndex = 0;
    std::int8_t nBlockSummonMode = 0;
    std::int8_t bNoSummonOnHero = 0;
    std::int8_t bNoSummonOnChara = 0;  // from version 197
    std::int8_t nSummonPalette = 0;    // 0 common, 1 stage
    std::int16_t nSummonIndex = 0;
    std::int8_t nSummonSideMode = 0;
    std::int8_t bNoScore = 0;
    std::int8_t bReverseFacing = 0;
};

// The move direction code for a captured input direction (0 none, 1..8) and the actor's
// facing (0 left, 1 right).
int DirectionForFacing(int inputDirection, int facing);
