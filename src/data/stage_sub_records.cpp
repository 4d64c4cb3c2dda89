#include "data/stage_sub_records.h"

namespace {

constexpr std::uint32_t kAreaSidesVersion = 125;       // the right, top and bottom flags
constexpr std::uint32_t kBackgroundRateVersion = 61;   // rates and auto-scroll
constexpr std::uint32_t kBackgroundShownVersion = 62;  // shown flag and offsets

// Products of b that the stage stores as 32-bit values wrap as the original's arithmetic
// did; only levels far outside the editor's range reach that.
std::int32_t WrapTimes(std::int32_t b, std::int32_t k) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b) * static_cast<std::uint32_t>(k));
}

}  // namespace

// cEdAreaLimit

cEdAreaLimit::cEdAreaLimit() {
    Reset();
}

void cEdAreaLimit::Rebind(std::uint32_t version) {
    ClearTables();
    AddInt(&bLeftOn, 1, "bLeftOn");
    if (version >= kAreaSidesVersion) {
        AddInt(&bRightOn, 1, "bRightOn");
        AddInt(&bTopOn, 1, "bTopOn");
        AddInt(&bBottomOn, 1, "bBottomOn");
    }
    AddInt(&nLeftMargin, 1, "nLeftMargin");
    AddInt(&nRightMargin, 1, "nRightMargin");
    AddInt(&nTopMargin, 1, "nTopMargin");
    AddInt(&nBottomMargin, 1, "nBottomMargin");
}

void cEdAreaLimit::Set(std::int32_t leftOn, std::int32_t rightOn, std::int32_t topOn,
                       std::int32_t bottomOn, std::int32_t leftMargin, std::int32_t rightMargin,
                       std::int32_t topMargin, std::int32_t bottomMargin) {
    bLeftOn = leftOn;
    bRightOn = rightOn;
    bTopOn = topOn;
    bBottomOn = bottomOn;
    nLeftMargin = leftMargin;
    nRightMargin = rightMargin;
    nTopMargin = topMargin;
    nBottomMargin = bottomMargin;
}

void SetDefaultAreaLimits(std::span<cEdAreaLimit, AREA_LIMIT_COUNT> limits) {
    limits[AREA_CHARA].Set(0, 0, 0, 0, 0, 0, 0, 0);
    limits[AREA_CHARA_FLAGGED].Set(0, 0, 0, 0, 0, 0, 0, 0);
    limits[AREA_ITEM].Set(0, 0, 0, 0, 0, 0, 0, 0);
    limits[AREA_PLAYER_SHOT].Set(1, 1, 1, 1, 0, 0, 0, 0);
    limits[AREA_COMPUTER_SHOT].Set(1, 1, 1, 1, 10, 10, 10, 10);
}

// cEdBackground

cEdBackground::cEdBackground() {
    SetDefaults();
}

void cEdBackground::Rebind(std::uint32_t version) {
    ClearTables();
    if (version >= kBackgroundShownVersion) AddInt(&bShown, 1, "bShown");
    AddInt(&bPlainColour, 1, "bPlainColour");
    AddInt(&nColour, 1, "nColour");
    AddInt(&nLayer, 1, "nLayer");
    if (version >= kBackgroundRateVersion) {
        AddDouble(&dRateX, 1, "dRateX");
        AddDouble(&dRateY, 1, "dRateY");
        AddInt(&bAutoScrollX, 1, "bAutoScrollX");
        AddInt(&bAutoScrollY, 1, "bAutoScrollY");
    }
    if (version >= kBackgroundShownVersion) {
        AddDouble(&dOffsetX, 1, "dOffsetX");
        AddDouble(&dOffsetY, 1, "dOffsetY");
    } else {
        // Two values that the layout no longer has, read and dropped.
        AddInt(&m_nScratch, 1, "dropped");
        AddInt(&m_nScratch, 1, "dropped");
    }
    AddString(&strImage, 1, "strImage");
}

void cEdBackground::SetDefaults() {
    Reset();
    bShown = 1;
    nColour = 16;
    dRateX = 0.1;
    dRateY = 0.1;
}

// cEdStageString

cEdStageString::cEdStageString() {
    Reset();
}

void cEdStageString::Rebind(std::uint32_t) {
    ClearTables();
    AddString(&strText, 1, "strText");
}

// Game speed

double GameSpeedConstants::PerSubStep(double perFrame) const {
    return RunsSubSteps() ? perFrame / dSubSteps : 0.0;
}

double GameSpeedConstants::PerSubStepSq(double perFrame) const {
    return RunsSubSteps() ? perFrame / dSubStepsSq : 0.0;
}

void SetGameSpeed(std::int32_t level, double gravity, std::int32_t& nLevel,
                  GameSpeedConstants& speed) {
    nLevel = level;
    // Levels 11 to 19 are the fine steps 1 to 9 with the speed limit held at 60.
    const bool fine = level >= 11 && level <= 19;
    const std::int32_t b = fine ? level - 10 : level;
    speed.nSubSteps = b;
    speed.nSubSteps6 = WrapTimes(b, 6);
    speed.dSubSteps = b;
    speed.dSubStepsSq = speed.dSubSteps * speed.dSubSteps;
    speed.dSpeedLimit = fine ? 6.0 * 10 : 6.0 * b;
    speed.nSubSteps8 = WrapTimes(b, 8);
    // With no sub-steps nothing moves: what would be divided by b is 0 instead.
    speed.dStepSpeedLimit = speed.PerSubStep(speed.dSpeedLimit);
    speed.dStepGravity = speed.PerSubStepSq(gravity);
}
