// The project's system settings, kept in EdSystem and read at start-up from data\System.dat:
// the title, the texts of menus and result screens, the heads-up display items, the rules of
// each play mode, colours and fonts, the names and defaults of the System.ini options, the
// system sound files, the scene music, and a row of switches named after the version that
// changed a behaviour, which keep old projects behaving as they did when they were made.
//
// The editor writes the file; the player only reads it. The registered members come first,
// then fifteen lists. Loading an older file brings it to the current layout in memory:
// members the file lacks get the value that matches the old behaviour, and texts and options
// that later versions added are inserted at their fixed positions.
//
// Play modes are numbered 0 story, 1 challenge, 2 free play, 3 replay wherever a list holds
// one entry per play mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/checked_vector.h"
#include "data/label_tables.h"
#include "data/record_visitor.h"
#include "data/serial_record.h"

// A menu item.
class cEdSystemSubA : public SerialRecord {
public:
    cEdSystemSubA();
    cEdSystemSubA(const cEdSystemSubA&) = default;
    cEdSystemSubA& operator=(const cEdSystemSubA&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t bEnabled = 1;
    std::string strItemText;
};

// One item of the heads-up display bar.
class cEdSystemSubB : public SerialRecord {
public:
    cEdSystemSubB();
    cEdSystemSubB(const cEdSystemSubB&) = default;
    cEdSystemSubB& operator=(const cEdSystemSubB&) = default;
    void Rebind(std::uint32_t version) override;
    // Gauges of files before version 204 always printed their value.
    void Load(RecordReader& reader) override;

    std::int32_t bShown = 0;
    std::int32_t bIconLabel = 0;  // a 16 x 16 icon instead of strLabel
    std::string strLabel;
    std::int32_t nDigits = 0;            // characters reserved for the value
    std::int32_t bShowValue = 0;         // a gauge also prints its value
    std::int32_t nLowThreshold = 0;      // at or below it a gauge uses its warning row
    std::int32_t bThresholdPercent = 0;  // the threshold is a percentage of the maximum
};

// The ranking rule of one play mode.
class cEdSystemSubC : public SerialRecord {
public:
    cEdSystemSubC();
    cEdSystemSubC(const cEdSystemSubC&) = default;
    cEdSystemSubC& operator=(const cEdSystemSubC&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;

    std::int32_t bEnabled = 0;               // the mode keeps rankings
    CheckedVector<std::uint8_t> vecTableOn;  // one flag per ranking table (five tables)
};

// One System.ini option: the key the file uses and its default.
class cEdSystemSubD : public SerialRecord {
public:
    enum { kNumber = 0, kText = 1 };

    cEdSystemSubD();
    cEdSystemSubD(const cEdSystemSubD&) = default;
    cEdSystemSubD& operator=(const cEdSystemSubD&) = default;
    void Rebind(std::uint32_t version) override;

    // A numeric option.
    void Set(std::string_view key, std::int32_t value);
    // A text option.
    void SetText(std::string_view key, std::string_view text);

    std::int32_t nValueKind = kNumber;
    std::string strKey;
    std::int32_t nDefault = 0;
    std::string strDefault;
};

// Fixed positions and sizes the readers rely on; old files are brought to them on load.
inline constexpr int kPlayModeCount = 4;
inline constexpr int kRankingTableCount = 5;
inline constexpr int kCarryMaskCount = 25;
inline constexpr int kHudItemCount = 5;
inline constexpr int kSystemTextCount = 28;
inline constexpr int kSystemSeCount = 17;
inline constexpr int kSceneBgmCount = 4;
inline constexpr int kSystemOptionCount = 10;
inline constexpr int kFontIndexDefault = 60;

class cEdSystem : public SerialRecord {
public:
    cEdSystem();
    cEdSystem(const cEdSystem&) = default;
    cEdSystem& operator=(const cEdSystem&) = default;

    void Rebind(std::uint32_t version) override;
    // Reset, then every member and list to the contents of a new project.
    void SetDefaults();
    // The registered members, the lists the file's version stores, the upgrade of an older
    // file, then the normalise step.
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // Scene music numbers that name no record of the database's music table become 0.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;

    // How many ranking tables the play mode has: 0 when it keeps no rankings.
    int CountEnabled(int mode) const;
    // The left edge of a menu of count texts from first, centred on x, 8 dots per character
    // of the widest text (one more with the cursor gap).
    int MenuLeft(int x, int first, int count, int bCursorGap) const;
    // The window of a menu of count texts from first at (x, y): its size and its text, one
    // line per menu text (with a leading blank for the cursor when bCursorGap is set), cut
    // to the font's 1024-byte text buffer. False when count is not positive (nothing shown).
    struct MenuWindow {
        int x = 0;
        int y = 0;
        int nWidth = 0;
        int nHeight = 0;
    };
    bool LayoutMenu(int x, int y, int first, int count, int bCursorGap, MenuWindow& window,
                    std::string& text) const;
    // Through DrawMenuWindow; nothing while no font can draw it.
    void DrawMenu(int x, int y, int first, int count, int bCursorGap) const;
    // 1 when the value of display item `item` is at or below that item's low threshold.
    int CheckThreshold(int item, int value, int max) const;
    // The face of the system fonts: FontNameTable[nFontIndex], entry 60 for an index outside
    // the table. The table's empty last entry stays empty: the glyph source gives its default
    // Japanese face for an empty name.
    Label FontName() const;

    // Registered members, in file order.
    std::int32_t bExtraLife = 0;
    std::int32_t nExtraLifeScore = 100;
    std::int32_t bPauseLayer = 1;
    std::int32_t nFont16Switch = 0;
    std::int32_t nFontIndex = kFontIndexDefault;
    std::int32_t nFont16Option = 0;
    std::int32_t bKeepTestPlayFlows = 0;
    std::int32_t bReplay = 1;
    std::int32_t bTitleMenuWindow = 1;
    std::int32_t bStoryCarryLives = 1;
    std::int32_t bStoryContinueMenu = 1;
    std::int32_t bMapShowLives = 1;
    std::int32_t nChallengeStages = 40;
    std::int32_t bChallengeAllOpen = 1;
    std::int32_t bStoryShowScore = 1;
    std::int32_t bStoryShowTotal = 1;
    std::int32_t bStoryRestoreVars = 1;
    std::int32_t bStoryPauseSwitch = 1;
    std::int32_t bChallengeShowHighScore = 1;
    std::int32_t bChallengeShowTotal = 1;
    std::int32_t bChallengeRestoreVars = 1;
    std::int32_t bChallengePauseSwitch = 1;
    std::int32_t bFreeRestoreVars = 1;
    std::int32_t bDirectRestoreVars = 0;
    std::int32_t nColourMode = 0;  // 0 256 colours with a palette, 1 full colour
    std::uint8_t rgbTransparentR = 0;
    std::uint8_t rgbTransparentG = 0;
    std::uint8_t rgbTransparentB = 0;
    // Behaviour switches named after the version that introduced the newer behaviour: 0 in
    // new projects, the older behaviour's value in files saved before that version.
    std::int32_t bCompat214 = 0;
    std::int32_t bCompat261 = 0;
    std::int32_t bCompat272 = 0;
    std::int32_t bCompat287 = 0;
    std::int32_t nColourAnimStep = 16;
    std::int32_t bPaletteAnimation = 0;
    std::int32_t bCompat525 = 0;
    std::int32_t bCompat555 = 0;
    std::int32_t bCompat637 = 0;
    std::int32_t bCompat669 = 0;
    std::int32_t bCompat677 = 0;
    std::int32_t bCompat695 = 0;
    std::int32_t bCompat696 = 0;
    std::int32_t bCompat697 = 0;
    std::int32_t bCompat721 = 0;
    std::int32_t bCompat728 = 0;
    std::int32_t bCompat733 = 0;
    std::int32_t bCompat744 = 0;
    std::int32_t nDepthD3D = 0;  // 0 32 bit, 1 16 bit
    std::int32_t nDepthDD = 2;   // 0 32 bit, 1 16 bit, 2 8 bit
    std::string strTitle;

    // The lists, in file order.
    CheckedVector<std::uint8_t> vecCarryMask;         // what the hero carries between stages
    CheckedVector<std::uint8_t> vecCounterResetMask;  // progress counters that are cleared
    CheckedVector<cEdSystemSubB> vecHudItems;         // 0, 1 numbers, 2 HP, 3 SP, 4 lives
    CheckedVector<std::int32_t> vecStartLives;        // per play mode
    CheckedVector<std::int32_t> vecLivesLimited;      // per play mode; 0 unlimited
    CheckedVector<cEdSystemSubC> vecRankingRules;     // per play mode
    CheckedVector<std::string> vecTexts;              // by fixed index
    CheckedVector<std::string> vecSystemSeFiles;
    CheckedVector<std::int32_t> vecSceneBgm;  // music records: title, map, stage select, options
    CheckedVector<std::uint8_t> vecSceneBgmLoop;
    CheckedVector<cEdSystemSubA> vecTitleMenu;
    CheckedVector<cEdSystemSubA> vecMapMenu;
    CheckedVector<cEdSystemSubA> vecOptionMenu;
    CheckedVector<std::string> vecRankingModeNames;
    CheckedVector<cEdSystemSubD> vecOptions;  // the System.ini options, by fixed index

private:
    // The 32-bit value that only versions 221 to 259 store; read and dropped.
    std::int32_t m_nRetired = 0;
};

// Draws a menu's window sized w x h at (x, y) with its text in the 16-dot font. The fonts
// live above this layer: start-up sets it once they exist (null at program start).
using MenuWindowDrawer = void (*)(int x, int y, int w, int h, const char* text);
extern MenuWindowDrawer DrawMenuWindow;

extern cEdSystem EdSystem;

inline constexpr char kSystemFilePath[] = "data\\System.dat";

// Moves entries index .. last−1 one place up; the last entry's value is lost, the size stays
// and entry index keeps its value until the caller stores the new one. Nothing happens when
// index is at or beyond the last index.
template <class T>
void ShiftUp(CheckedVector<T>& list, int index) {
    for (int j = static_cast<int>(list.Size()) - 1; j > index; --j) list[j] = list[j - 1];
}

// The default contents (system_tables.cpp).
struct SystemOptionDefault {
    Label strKey;
    std::int32_t nValueKind;
    std::int32_t nDefault;
};
struct SystemHudDefault {
    std::int32_t bShown;
    std::int32_t bIconLabel;
    Label strLabel;
    std::int32_t nDigits;
};
extern const Label kSystemTextDefaults[kSystemTextCount];
extern const Label kTitleMenuDefaults[7];
extern const Label kMapMenuDefaults[4];
extern const Label kOptionMenuDefaults[6];
extern const Label kRankingModeNameDefaults[4];
extern const SystemOptionDefault kSystemOptionDefaults[kSystemOptionCount];
extern const SystemHudDefault kHudItemDefaults[kHudItemCount];
// The texts that upgrades of old files insert.
extern const Label kAutosaveItemText;  // map-menu item 1
extern const Label kSaveLocationText;  // text 16
extern const Label kAutosaveOnText;    // text 14
extern const Label kAutosaveOffText;   // text 15
extern const Label kRemainingHpText;   // text 8
extern const Label kRemainingSpText;   // text 9
extern const Label kRetryText;         // text 22
extern const Label kBackToMapText;     // text 23
