// The story mode's world map, kept in EdWorldMap and read at start-up from data\WorldMap.dat:
// a grid of 32-dot cells whose rows are stored with a power-of-two pitch, the tile types the
// cells refer to, the hero's start cell, the background of the map screen, and the nodes on
// which the hero enters stages, each with its stage entries and their entry conditions.
//
// The file: the registered members, then the tile types, the grid (a count and that many
// 32-bit cells), the node list and a second node list, which is stored and normalised with
// the map but not otherwise used by the player.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/record_visitor.h"
#include "data/serial_record.h"
#include "platform/rect.h"

// One tile type.
class cEdMapEvent : public SerialRecord {
public:
    cEdMapEvent();
    cEdMapEvent(const cEdMapEvent&) = default;
    cEdMapEvent& operator=(const cEdMapEvent&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t nStored1 = 0;     // stored; not read by the player
    std::int32_t bImpassable = 0;  // the hero cannot step onto a cell of this type
    // Cell of the map tile picture: 32 x 32 cells, five per row (column g mod 5, row g / 5).
    std::int32_t nGraphic = 0;
    std::string strText;  // stored; not read by the player
    std::string strName;
};

// The comparisons of a stage entry's variable condition.
enum MapConditionOperator : std::int32_t {
    MAP_COND_EQUAL = 0,
    MAP_COND_NOT_EQUAL = 1,
    MAP_COND_AT_LEAST = 2,
    MAP_COND_AT_MOST = 3,
    MAP_COND_ABOVE = 4,
    MAP_COND_BELOW = 5,
    MAP_COND_DIVISIBLE = 6,      // by the value; a value of 0 always passes
    MAP_COND_NOT_DIVISIBLE = 7,  // by the value; a value of 0 never passes
};

// Whether the variable's value passes the comparison with the value. Divisibility tests the
// absolute value of the variable; operators outside 0 to 7 never pass.
bool MapConditionPasses(std::int32_t op, std::int32_t variable, std::int32_t value);

// One stage entry of a node.
class cEdMapStage : public SerialRecord {
public:
    cEdMapStage();
    cEdMapStage(const cEdMapStage&) = default;
    cEdMapStage& operator=(const cEdMapStage&) = default;
    // Files before version 209 do not store the minimum round.
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;

    // Whether the entry counts: its required switch (when above 0) is on, its variable
    // condition (when a variable is named) passes, and the round is not below its minimum.
    // The caller looks up the switch nRequiredSwitch and the variable nConditionVariable.
    bool Counts(bool requiredSwitchOn, std::int32_t variableValue, std::int32_t round) const;

    // 0 a stage; 2 a node the hero cannot step onto; any other kind is drawn and walked over
    // without effect.
    std::int32_t nKind = 0;
    std::int32_t nIconRow = 0;  // row of the node's icon in the node-icon sheet
    // While this switch is on the stage counts as cleared: its icon shows it, and the entry
    // is not taken on again unless bReplay is set.
    std::int32_t nClearedSwitch = 0;
    // The question whether to take the stage on waits for the confirm button: stepping onto
    // the node does not ask, and the hero arriving there does not enter it by himself.
    std::int32_t bNoAutoConfirm = 0;
    std::int32_t bReplay = 0;  // confirming opens the stage also once cleared
    // What follows the clear of the entry's stage: 1 a new round of play and the world map,
    // 2 the title, anything else the world map.
    std::int32_t nAfterClear = 0;
    std::int32_t nRequiredSwitch = 0;     // above 0: the entry counts only while it is on
    std::int32_t nConditionVariable = 0;  // not 0: the variable compared
    std::int32_t nConditionValue = 0;
    std::int32_t nConditionOperator = MAP_COND_EQUAL;
    std::int32_t nMinRound = 0;  // the entry counts from this round of play on
    std::string strTitle;        // shown above the stage's information on the map
    std::string strStageFile;    // a numbered stage file
};

// A node on the map.
class cEdMapNode : public SerialRecord {
public:
    // One default stage entry.
    cEdMapNode();
    cEdMapNode(const cEdMapNode&) = default;
    cEdMapNode& operator=(const cEdMapNode&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;

    // The index of the first entry that counts, or -1. switchOn(n) tells whether switch n is
    // on, variable(n) gives variable n.
    template <class SwitchOn, class Variable>
    int FirstCountingEntry(SwitchOn&& switchOn, Variable&& variable, std::int32_t round) const {
        for (int i = 0; i < static_cast<int>(vecStages.Size()); ++i) {
            const cEdMapStage& entry = vecStages[i];
            const bool on = entry.nRequiredSwitch > 0 && switchOn(entry.nRequiredSwitch);
            const std::int32_t value =
                entry.nConditionVariable != 0 ? variable(entry.nConditionVariable) : 0;
            if (entry.Counts(on, value, round)) return i;
        }
        return -1;
    }

    std::int32_t nX = 0;  // cell column
    std::int32_t nY = 0;  // cell row
    std::string strName;
    CheckedVector<cEdMapStage> vecStages;
};

class cEdWorldMap : public SerialRecord {
public:
    cEdWorldMap();
    cEdWorldMap(const cEdWorldMap&) = default;
    cEdWorldMap& operator=(const cEdWorldMap&) = default;

    void Rebind(std::uint32_t version) override;
    // Reset, then a new project's map: ten tile types (0 to 4 impassable, 5 to 9 passable),
    // a 20 x 15 grid of type 0, no nodes, and one default node in the second list.
    void SetDefaults();
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // Keeps the start cell below the width and height and drops the nodes of the node list
    // that lie at or beyond them (the second list keeps all of its nodes).
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;

    // Resizes the grid: the pitch becomes the smallest power of two not below the width, and
    // the cells that lie in both the old and the new size keep their values; the rest are 0.
    // 0 (nothing changed) when a size is not positive or the grid would exceed
    // kMaxWorldMapCells entries; else 1.
    int SetSize(std::int32_t width, std::int32_t height);

    // Whether a stage entry (kind 0) of the node list names a stage file whose stage key
    // equals `key` byte for byte: the file name without its extension, cut at its last "-1"
    // (which becomes the key's final dot), or with a dot appended.
    bool HasStageName(const std::string& key) const;

    // The first node of the node list at the cell, or null.
    cEdMapNode* FindNodeAt(std::int32_t x, std::int32_t y);
    cEdMapNode* FindNodeAtPoint(const plat::POINT& point) { return FindNodeAt(point.x, point.y); }

    // The grid index of a cell, the column clamped to 0 .. width − 1 and the row to
    // 0 .. height − 1. A pitch shift that no grid could have gives -1, which the checked
    // access of the grid refuses.
    int CellIndex(std::int32_t x, std::int32_t y) const;
    // The tile type of a cell through the checked access.
    std::int32_t Cell(std::int32_t x, std::int32_t y) const { return vecGrid[CellIndex(x, y)]; }
    // The tile type of a cell (clamped as CellIndex does), or null when the grid has no such
    // entry or its value names no tile type: a damaged map draws nothing there and lets the
    // hero pass, instead of closing the program.
    const cEdMapEvent* TileAt(std::int32_t x, std::int32_t y) const;

    std::int32_t nWidth = 20;   // cells
    std::int32_t nHeight = 15;  // cells
    std::int32_t nPitch = 32;   // cells per stored row
    std::int32_t nPitchShift = 5;
    std::int32_t nStartX = 9;  // the hero's start cell
    std::int32_t nStartY = 7;
    std::int32_t nBgColour = 16;  // the fill colour of the map screen
    std::int32_t bBgPicture = 0;  // a picture is drawn over the fill, scrolled with the view
    std::string strName;          // stored; not shown by the player
    std::string strBgPicture;     // file name of the background picture

    CheckedVector<cEdMapEvent> vecEvents;  // the tile types
    // height x pitch cells: cell (x, y) is entry (y << nPitchShift) + x, a tile type index;
    // the columns from the width to the pitch hold 0 and belong to no cell.
    CheckedVector<std::int32_t> vecGrid;
    CheckedVector<cEdMapNode> vecNodes;
    CheckedVector<cEdMapNode> vecNodes2;  // stored with the map; the player does not use it
};

// The largest grid SetSize makes (a 4096 x 4096 map).
inline constexpr std::int64_t kMaxWorldMapCells = std::int64_t{1} << 24;

extern cEdWorldMap EdWorldMap;

// Start-up: 1 when "data\WorldMap.dat" was read (a file that ends early is read as far as
// it goes), 0 when it could not be opened.
int LoadWorldMap();
