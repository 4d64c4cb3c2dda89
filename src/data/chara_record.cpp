#include "data/chara_record.h"

#include <algorithm>

#include "data/database.h"
#include "data/palette_entry.h"
#include "data/palette_inheritance.h"
#include "data/record_visitor.h"

namespace {

// Versions that added fields or changed their meaning.
constexpr std::uint32_t kDefenseVersion = 168;           // nDefense, inheritance group 29
constexpr std::uint32_t kEffectModeVersion = 196;        // the two effect play modes
constexpr std::uint32_t kHitBoxVersion = 201;            // nHitBoxKind, group 25
constexpr std::uint32_t kHitBoxRenumberVersion = 206;    // hit-box kind inserted at 2
constexpr std::uint32_t kScrollSyncVersion = 210;        // bScrollSync, group 21
constexpr std::uint32_t kInvincibleColourVersion = 285;  // nInvincibleColour

bool InRange(int index, unsigned count) {
    return index >= 0 && static_cast<unsigned>(index) < count;
}

bool IsEmpty(const cEdFlow& flow) {
    return flow.vecCondition.empty() && flow.vecKeyCondition.empty() && flow.vecCommand.empty();
}

}  // namespace

cEdChara::cEdChara() {
    Reset();
    nGraphicSource = 1;
    nGiant = 1;
    bFixedFacing = 1;
    nField49 = 1;
}

cEdChara::~cEdChara() = default;

void cEdChara::Rebind(std::uint32_t version) {
    ClearTables();
    AddByte(&nInheritKind, 1, "nInheritKind");
    AddShort(&nInheritIndex, 1, "nInheritIndex");
    AddByte(&nCondMode, 1, "nCondMode");
    AddByte(&bCondLatch, 1, "bCondLatch");
    AddByte(&nFacing, 1, "nFacing");
    AddByte(&nClones, 1, "nClones");
    AddShort(&nPlaceOffsetX, 1, "nPlaceOffsetX");
    AddShort(&nPlaceStepX, 1, "nPlaceStepX");
    AddShort(&nPlaceOffsetY, 1, "nPlaceOffsetY");
    AddShort(&nPlaceStepY, 1, "nPlaceStepY");
    AddByte(&bPlaceMirrorX, 1, "bPlaceMirrorX");
    AddByte(&bPlaceMirrorY, 1, "bPlaceMirrorY");
    AddShort(&nGraphic, 1, "nGraphic");
    AddByte(&nGraphicSource, 1, "nGraphicSource");
    AddShort(&nPatternBase, 1, "nPatternBase");
    AddShort(&nAnimeSet, 1, "nAnimeSet");
    AddByte(&nZ, 1, "nZ");
    AddByte(&bTransparent, 1, "bTransparent");
    AddShort(&nCharaEffect1, 1, "nCharaEffect1");
    if (version >= kEffectModeVersion) AddByte(&nCharaEffect1Mode, 1, "nCharaEffect1Mode");
    AddByte(&nCharaEffect1Param, 1, "nCharaEffect1Param");
    AddShort(&nCharaEffect2, 1, "nCharaEffect2");
    if (version >= kEffectModeVersion) AddByte(&nCharaEffect2Mode, 1, "nCharaEffect2Mode");
    AddByte(&bEmblem, 1, "bEmblem");
    AddShort(&nEmblem, 1, "nEmblem");
    AddByte(&nControl, 1, "nControl");
    AddByte(&nPlayer, 1, "nPlayer");
    AddByte(&nSide, 1, "nSide");
    AddByte(&nCharaId, 1, "nCharaId");
    AddByte(&nBlockCollision, 1, "nBlockCollision");
    AddByte(&bFixedFacing, 1, "bFixedFacing");
    AddByte(&nShotCollision, 1, "nShotCollision");
    if (version >= kInvincibleColourVersion) AddByte(&nInvincibleColour, 1, "nInvincibleColour");
    AddByte(&b32Mode, 1, "b32Mode");
    AddByte(&nGiant, 1, "nGiant");
    if (version >= kScrollSyncVersion) AddByte(&bScrollSync, 1, "bScrollSync");
    AddByte(&nSightShape, 1, "nSightShape");
    AddByte(&nSight, 1, "nSight");
    AddInt(&nMaxHp, 1, "nMaxHp");
    AddInt(&nMaxSp, 1, "nMaxSp");
    AddShort(&nStopping, 1, "nStopping");
    if (version >= kHitBoxVersion) AddByte(&nHitBoxKind, 1, "nHitBoxKind");
    AddInt(&nBodyPower, 1, "nBodyPower");
    AddByte(&nBodyImpact, 1, "nBodyImpact");
    AddShort(&nEffect, 1, "nEffect");
    if (version >= kDefenseVersion) AddInt(&nDefense, 1, "nDefense");
    AddByte(&nImpactResist, 1, "nImpactResist");
    AddInt(&nScore, 1, "nScore");
    AddByte(&nField49, 1, "nField49");
    AddByte(&bActiveGroup, 1, "bActiveGroup");
    AddShort(&nActiveGroup, 1, "nActiveGroup");
    AddByte(&nActiveArea, 1, "nActiveArea");
    AddByte(&nActiveMode, 1, "nActiveMode");
    AddString(&strName, 1, "strName");
}

void cEdChara::Reset() {
    nPlaceValue = 0;
    SerialRecord::Reset();
    vecInherit.resize(kGroupCount);
    vecInherit.Fill(0);
}

void cEdChara::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    reader.Read(&nPlaceX, 2);
    reader.Read(&nPlaceY, 2);
    reader.Read(&nPlaceValue, 4);
    LoadInheritFlags(vecInherit, reader);
    LoadConditionList(vecCondition, reader);
    LoadFlowList(vecFlow, reader);
    // The dumper's reader shows every flow the file holds.
    if (reader.Normalizes() && ShouldRemoveTestPlayFlows()) RemoveFlaggedFlows(vecFlow);

    const std::uint32_t version = reader.Version();
    if (version < kCurrentDataVersion) {
        // A property group that came with a new field is inherited by old entries: its
        // flag is inserted set, the later flags move up by one.
        const auto insertFlag = [this](int k) {
            vecInherit.resize(kGroupCount);
            for (int i = kGroupCount - 1; i > k; --i) vecInherit[i] = vecInherit[i - 1];
            vecInherit[k] = 1;
        };
        if (version < kDefenseVersion) {
            nDefense = 0;
            insertFlag(27);
        }
        if (version < kEffectModeVersion) {
            nCharaEffect1Mode = 0;
            nCharaEffect2Mode = 0;
        }
        if (version < kHitBoxVersion) {
            nHitBoxKind = 0;
            insertFlag(24);
        }
        if (version < kHitBoxRenumberVersion && nHitBoxKind >= 2) ++nHitBoxKind;
        if (version < kScrollSyncVersion) {
            bScrollSync = 0;
            insertFlag(21);
        }
        RaiseOldShotGraphic(version, nGraphicSource, nGraphic);
        if (version < kInvincibleColourVersion) nInvincibleColour = 1;
    }
    if (reader.Normalizes()) ApplyInheritance();
    NormalizeAfterLoad(reader);
}

void cEdChara::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    writer.Write(&nPlaceX, 2);
    writer.Write(&nPlaceY, 2);
    writer.Write(&nPlaceValue, 4);
    SaveInheritFlags(vecInherit, writer);
    SaveRecordList(writer, vecCondition);
    SaveRecordList(writer, vecFlow);
}

void cEdChara::Normalize() {
    DropMissingInheritSource(nInheritKind, nInheritIndex, &PaletteRefSizes::nCharas);
    const cEdDatabase& db = EdDatabase;
    if (nGraphicSource == 4 && !InRange(nGraphic, db.vecBmpCharaExc.Size())) nGraphic = 1;
    if (nGiant <= 0) nGiant = 1;
    if (!InRange(nAnimeSet, db.vecAnimeSet.Size())) nAnimeSet = 0;
    if (!InRange(nCharaEffect1, db.vecCharaEffect.Size())) nCharaEffect1 = 0;
    if (!InRange(nCharaEffect2, db.vecCharaEffect.Size())) nCharaEffect2 = 0;
    if (!InRange(nEffect, db.vecEffect.Size())) nEffect = 0;
    // A character the player steers is one body: no clones and the real hit boxes.
    if (nControl == 0) {
        b32Mode = 0;
        nClones = 0;
    }
    for (cEdFlow& flow : vecFlow) flow.Normalize();
    vecFlow.erase(std::remove_if(vecFlow.begin(), vecFlow.end(), IsEmpty), vecFlow.end());
}

void cEdChara::CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage) {
    for (cEdFlow& flow : vecFlow) flow.CheckPaletteRefs(common, stage);
}

void cEdChara::ApplyInheritance() {
    ::ApplyInheritance(*this);
}

int cEdChara::PlaceOffsetX(int index, int mirrored) const {
    const int offset = index * nPlaceStepX + nPlaceOffsetX;
    return mirrored == 1 && bPlaceMirrorX != 0 ? -offset : offset;
}

int cEdChara::PlaceOffsetY(int index, int mirrored) const {
    const int offset = index * nPlaceStepY + nPlaceOffsetY;
    return mirrored == 1 && bPlaceMirrorY != 0 ? -offset : offset;
}

void cEdChara::Describe(RecordVisitor& visitor) {
    visitor.Value("nPlaceX", nPlaceX);
    visitor.Value("nPlaceY", nPlaceY);
    visitor.Value("nPlaceValue", nPlaceValue);
    DescribeInheritFlags(visitor, vecInherit);
    DescribeList(visitor, "vecCondition", vecCondition);
    DescribeList(visitor, "vecFlow", vecFlow);
}
