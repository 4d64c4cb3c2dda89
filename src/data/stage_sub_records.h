// The small records a stage holds besides its settings: the five area limits that tell the
// stage engine how far outside the visible screen an object may go, the backgrounds drawn
// behind or in front of the stage, and the stage's texts. And the game speed: from the
// stage's hit-detection level follow the per-frame constants that the movement code divides
// by, b being the number of movement sub-steps into which each frame is divided.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "data/serial_record.h"

// One area: which sides are tested, and how many blocks of 32 dots beyond the screen edge on
// each side an object may lie before it is outside.
class cEdAreaLimit : public SerialRecord {
public:
    cEdAreaLimit();
    cEdAreaLimit(const cEdAreaLimit&) = default;
    cEdAreaLimit& operator=(const cEdAreaLimit&) = default;
    // Files before version 125 test the left side only: the other three flags are not
    // stored and keep their values.
    void Rebind(std::uint32_t version) override;

    // The eight values in member order.
    void Set(std::int32_t leftOn, std::int32_t rightOn, std::int32_t topOn, std::int32_t bottomOn,
             std::int32_t leftMargin, std::int32_t rightMargin, std::int32_t topMargin,
             std::int32_t bottomMargin);
    // An area whose four sides are all off is not applied.
    bool Applies() const { return bLeftOn || bRightOn || bTopOn || bBottomOn; }

    std::int32_t bLeftOn = 0;
    std::int32_t bRightOn = 0;
    std::int32_t bTopOn = 0;
    std::int32_t bBottomOn = 0;
    std::int32_t nLeftMargin = 0;
    std::int32_t nRightMargin = 0;
    std::int32_t nTopMargin = 0;
    std::int32_t nBottomMargin = 0;
};

// The five areas of a stage, in file order.
enum AreaLimitKind {
    AREA_CHARA = 0,      // characters that are not block characters
    AREA_CHARA_FLAGGED,  // block characters
    AREA_ITEM,           // items
    AREA_PLAYER_SHOT,    // shots of player-operated actors
    AREA_COMPUTER_SHOT,  // shots of computer-operated actors
    AREA_LIMIT_COUNT
};

// The defaults of a new stage: only shots are limited, those of computer-operated actors ten
// blocks beyond the screen.
void SetDefaultAreaLimits(std::span<cEdAreaLimit, AREA_LIMIT_COUNT> limits);

// A background: an image, or the whole screen in one colour, drawn in the stage engine's
// pass numbered by its layer, scrolling by itself or with the stage.
class cEdBackground : public SerialRecord {
public:
    cEdBackground();
    cEdBackground(const cEdBackground&) = default;
    cEdBackground& operator=(const cEdBackground&) = default;
    // Version 61 and earlier stored two values that are now dropped, and lacked the shown
    // flag and the offsets; version 60 and earlier also lacked the rates and auto-scroll.
    void Rebind(std::uint32_t version) override;
    // Reset, then shown, colour 16 and both rates 0.1.
    void SetDefaults();

    std::int32_t bShown = 1;
    std::int32_t bPlainColour = 0;  // the screen is filled with nColour; no image is loaded
    std::int32_t nColour = 16;
    std::int32_t nLayer = 0;  // the drawing pass
    // With auto-scroll dots per frame, without it the parallax factor of the stage scroll.
    double dRateX = 0.1;
    double dRateY = 0.1;
    std::int32_t bAutoScrollX = 0;  // wraps at the image width
    std::int32_t bAutoScrollY = 0;  // wraps at the image height
    std::string strImage;
    double dOffsetX = 0;  // the current auto-scroll offsets, dots
    double dOffsetY = 0;

private:
    // Where the dropped values of old files are read.
    std::int32_t m_nScratch = 0;
};

// A text of the stage, carried with it; the player shows none of them.
class cEdStageString : public SerialRecord {
public:
    cEdStageString();
    cEdStageString(const cEdStageString&) = default;
    cEdStageString& operator=(const cEdStageString&) = default;
    void Rebind(std::uint32_t version) override;

    std::string strText;
};

// The constants derived from the hit-detection level a and the gravity, in the order the
// stage stores them (6b is not stored).
struct GameSpeedConstants {
    std::int32_t nSubSteps = 0;   // b: a, or a − 10 for levels 11 to 19
    std::int32_t nSubSteps6 = 0;  // 6b
    double dSubSteps = 0;         // b
    double dSubStepsSq = 0;       // b²
    double dSpeedLimit = 0;       // per frame: 60 for levels 11 to 19, else 6b
    double dStepGravity = 0;      // gravity ÷ b²
    double dStepSpeedLimit = 0;   // speed limit ÷ b
    std::int32_t nSubSteps8 = 0;  // 8b

    // The play frame runs no sub-step while b is not positive.
    bool RunsSubSteps() const { return nSubSteps > 0; }
    // A speed per frame as a speed per sub-step, and an acceleration per frame as one per
    // sub-step; 0 while b is not positive, as nothing moves then.
    double PerSubStep(double perFrame) const;
    double PerSubStepSq(double perFrame) const;
};

// Stores the level into the stage's level field and derives the constants from it and the
// gravity. A level below 1 (never written by the editor) is kept as it is; every quantity
// divided by b is then 0.
void SetGameSpeed(std::int32_t level, double gravity, std::int32_t& nLevel,
                  GameSpeedConstants& speed);
