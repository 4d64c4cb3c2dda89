#include "data/move_shot_records.h"

#include <boost/make_shared.hpp>

#include "data/database.h"

namespace {

// Versions that changed the move and shot layouts.
constexpr std::uint32_t kMirrorAngleVersion = 158;  // both: bMirrorAngle
constexpr std::uint32_t kMoveUnitVersion = 159;     // move: nUnit
constexpr std::uint32_t kMoveKeepVersion = 162;     // move: bKeepFacing, bKeepAnime
constexpr std::uint32_t kNoSummonCharaVersion = 197;
constexpr std::uint32_t kGuidedStoredVersion = 211;
constexpr std::uint32_t kGuidedRuleVersion = 212;  // bGuided follows the homing kind below
constexpr std::uint32_t kAccelVersion = 213;
constexpr std::uint32_t kPierce32Version = 636;
constexpr std::uint32_t kAimAtVersion = 671;

}  // namespace

// cEdMove

cEdMove::cEdMove() {
    SetDefaults();
}

void cEdMove::SetDefaults() {
    Reset();
    bMirrorAngle = 1;
    bUseX = 1;
    bUseY = 1;
    bUntilArrival = 1;
    bMirrorX = 1;
    bTurnBack = 1;
    nSpeed = 10;
    fTurnFactor = 1.0;
}

void cEdMove::Create(boost::shared_ptr<cEdMove>& holder) {
    holder = boost::make_shared<cEdMove>();
}

void cEdMove::Rebind(std::uint32_t version) {
    ClearTables();
    AddByte(&nDestMode, 1, "nDestMode");
    AddByte(&nDirection, 1, "nDirection");
    AddShort(&nAngle, 1, "nAngle");
    AddShort(&nAngleInc, 1, "nAngleInc");
    if (version >= kMirrorAngleVersion) AddByte(&bMirrorAngle, 1, "bMirrorAngle");
    AddByte(&bUseX, 1, "bUseX");
    AddByte(&bUseY, 1, "bUseY");
    AddShort(&nTargetXBl, 1, "nTargetXBl");
    AddShort(&nTargetYBl, 1, "nTargetYBl");
    AddShort(&nTargetXDot, 1, "nTargetXDot");
    AddShort(&nTargetYDot, 1, "nTargetYDot");
    AddByte(&nCoordKind, 1, "nCoordKind");
    AddByte(&bUntilArrival, 1, "bUntilArrival");
    AddByte(&bNoMoveX, 1, "bNoMoveX");
    AddByte(&bNoMoveY, 1, "bNoMoveY");
    AddByte(&bMirrorX, 1, "bMirrorX");
    AddByte(&bMirrorY, 1, "bMirrorY");
    AddByte(&bTurnBack, 1, "bTurnBack");
    AddByte(&bSnap, 1, "bSnap");
    if (version >= kMoveKeepVersion) AddByte(&bKeepFacing, 1, "bKeepFacing");
    AddByte(&nTiming, 1, "nTiming");
    AddShort(&nSpeed, 1, "nSpeed");
    AddShort(&nSpeedInc, 1, "nSpeedInc");
    AddShort(&nDistance, 1, "nDistance");
    AddShort(&nDistanceInc, 1, "nDistanceInc");
    if (version >= kMoveUnitVersion) AddByte(&nUnit, 1, "nUnit");
    AddShort(&nHoming, 1, "nHoming");
    AddShort(&nHomingInc, 1, "nHomingInc");
    AddByte(&bInertia, 1, "bInertia");
    AddShort(&nMaxSpeed, 1, "nMaxSpeed");
    AddDouble(&fTurnFactor, 1, "fTurnFactor");
    if (version >= kMoveKeepVersion) AddByte(&bKeepAnime, 1, "bKeepAnime");
}

void cEdMove::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    const std::uint32_t version = reader.Version();
    if (version >= kCurrentDataVersion) return;
    // Older programs had none of these behaviours.
    if (version < kMirrorAngleVersion) bMirrorAngle = 0;
    if (version < kMoveUnitVersion) nUnit = 0;
    if (version < kMoveKeepVersion) {
        bKeepFacing = 0;
        bKeepAnime = 0;
    }
}

// cEdShot

cEdShot::cEdShot() {
    SetDefaults();
}

void cEdShot::SetDefaults() {
    Reset();
    bMirrorAngle = 1;
    bMirrorX = 1;
    bUserSide = 1;
    nGiant = 1;
}

void cEdShot::Create(boost::shared_ptr<cEdShot>& holder) {
    holder = boost::make_shared<cEdShot>();
}

void cEdShot::Rebind(std::uint32_t version) {
    ClearTables();
    AddByte(&nCount, 1, "nCount");
    AddByte(&nFormation, 1, "nFormation");
    AddShort(nFormationParam, 3, "nFormationParam");
    if (version >= kAimAtVersion) AddByte(&nAimAt, 1, "nAimAt");
    AddByte(&nDirection, 1, "nDirection");
    AddByte(&bAimTarget, 1, "bAimTarget");
    AddShort(&nAngleOffset, 1, "nAngleOffset");
    AddShort(&nAngleOffsetInc, 1, "nAngleOffsetInc");
    if (version >= kMirrorAngleVersion) AddByte(&bMirrorAngle, 1, "bMirrorAngle");
    AddShort(&nSpread, 1, "nSpread");
    AddByte(&bAnglePlacement, 1, "bAnglePlacement");
    AddByte(&nClonesPerCount, 1, "nClonesPerCount");
    AddShort(&nOffsetX, 1, "nOffsetX");
    AddShort(&nOffsetXInc, 1, "nOffsetXInc");
    AddShort(&nOffsetY, 1, "nOffsetY");
    AddShort(&nOffsetYInc, 1, "nOffsetYInc");
    AddByte(&bMirrorX, 1, "bMirrorX");
    AddByte(&bMirrorY, 1, "bMirrorY");
    AddShort(&nGraphic, 1, "nGraphic");
    AddByte(&nZ, 1, "nZ");
    AddByte(&bInvisible, 1, "bInvisible");
    AddByte(&bUserSide, 1, "bUserSide");
    AddByte(&nSide, 1, "nSide");
    AddByte(&nSpawnValue1, 1, "nSpawnValue1");
    AddByte(&nGiant, 1, "nGiant");
    AddByte(&nSpawnValue2, 1, "nSpawnValue2");
    AddByte(&nHomingKind, 1, "nHomingKind");
    AddShort(nHomingParam, 3, "nHomingParam");
    if (version >= kGuidedStoredVersion) AddByte(&bGuided, 1, "bGuided");
    AddShort(&nSpeed, 1, "nSpeed");
    AddShort(&nSpeedInc, 1, "nSpeedInc");
    if (version >= kAccelVersion) {
        AddByte(&bAccel, 1, "bAccel");
        AddShort(&nAccel, 1, "nAccel");
        AddShort(&nAccelInc, 1, "nAccelInc");
    }
    AddShort(&nRange, 1, "nRange");
    AddByte(&bRangeLimit, 1, "bRangeLimit");
    AddShort(&nRangeInc, 1, "nRangeInc");
    AddByte(&bStopAtRange, 1, "bStopAtRange");
    AddByte(&bLifeLimit, 1, "bLifeLimit");
    AddShort(&nLife, 1, "nLife");
    AddShort(&nLifeInc, 1, "nLifeInc");
    AddByte(&nBlockMode, 1, "nBlockMode");
    AddByte(&bPierceChara, 1, "bPierceChara");
    if (version >= kPierce32Version) AddByte(&bPierce32, 1, "bPierce32");
    AddByte(&bClash, 1, "bClash");
    AddByte(&nVanish, 1, "nVanish");
    AddInt(&nPower, 1, "nPower");
    AddShort(&nSpawnValue3, 1, "nSpawnValue3");
    AddByte(&nImpact, 1, "nImpact");
    AddShort(&nEffect, 1, "nEffect");
    AddByte(&nItemPalette, 1, "nItemPalette");
    AddShort(&nItemIndex, 1, "nItemIndex");
    AddByte(&nBlockSummonMode, 1, "nBlockSummonMode");
    AddByte(&bNoSummonOnHero, 1, "bNoSummonOnHero");
    if (version >= kNoSummonCharaVersion) AddByte(&bNoSummonOnChara, 1, "bNoSummonOnChara");
    AddByte(&nSummonPalette, 1, "nSummonPalette");
    AddShort(&nSummonIndex, 1, "nSummonIndex");
    AddByte(&nSummonSideMode, 1, "nSummonSideMode");
    AddByte(&bNoScore, 1, "bNoScore");
    AddByte(&bReverseFacing, 1, "bReverseFacing");
}

void cEdShot::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    const std::uint32_t version = reader.Version();
    if (version < kCurrentDataVersion) {
        if (version < kMirrorAngleVersion) bMirrorAngle = 0;
        // The characters followed the hero's rule before they had their own switch.
        if (version < kNoSummonCharaVersion) bNoSummonOnChara = bNoSummonOnHero;
        // The guided kinds were guided by their kind alone.
        if (version < kGuidedRuleVersion) {
            bGuided = (nHomingKind >= 4 && nHomingKind <= 7) ? 1 : 0;
        }
        if (version < kAccelVersion) {
            bAccel = 0;
            nAccel = 0;
            nAccelInc = 0;
        }
        if (version < kPierce32Version) bPierce32 = bPierceChara;
        if (version < kAimAtVersion) nAimAt = 0;
    }
    NormalizeAfterLoad(reader);
}

void cEdShot::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
}

void cEdShot::Normalize() {
    if (nGiant <= 0) nGiant = 1;
    if (nEffect < 0 || nEffect >= static_cast<int>(EdDatabase.vecEffect.Size())) nEffect = 0;
}

int cEdShot::SpawnOffsetX(int copyIndex, int mirrored) const {
    const int offset = copyIndex * nOffsetXInc + nOffsetX;
    return (mirrored == 1 && bMirrorX) ? -offset : offset;
}

int cEdShot::SpawnOffsetY(int copyIndex, int mirrored) const {
    const int offset = copyIndex * nOffsetYInc + nOffsetY;
    return (mirrored == 1 && bMirrorY) ? -offset : offset;
}

int DirectionForFacing(int inputDirection, int facing) {
    // Move direction codes: 2 左, 3 右, 6 上, 7 下, 8 左上, 9 左下, 10 右上, 11 右下.
    static constexpr int kCodes[9] = {-1, 2, 3, 6, 7, 8, 9, 10, 11};
    // Several directions at once (channel 9) name no direction.
    if (inputDirection == 9) return 0;
    if (inputDirection <= 0 || inputDirection > 8) return facing == 0 ? 2 : 3;
    return kCodes[inputDirection];
}
