// The block map of the running stage: one grid of 32-dot cells holding the stage's blocks
// with a margin of 10 empty blocks on every side, the cell record, the hit type of a cell as
// an actor's group sees it, and the questions the engine asks of the grid (which corner cell
// of a box is the most solid, whether an actor's place is free).
//
// Cells are stored row by row with a stride of a power of two, so that the cell under a
// point is two shifts and an add: (x >> 5) + ((y >> 5) << shift). Callers rely on that index
// rule and on the margin; the storage itself is this file's business.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "data/block_record.h"
#include "stage/game_object.h"

class cActorBase;
class cCharaActor;
class cEdStage;
struct DDSURFACEDATA;

// The margin of empty blocks around the stage, in blocks and in dots.
inline constexpr std::int32_t kMapMarginBlocks = 10;
inline constexpr std::int32_t kMapMarginDots = kMapMarginBlocks * kBlockDots;
// The most cells a map may have. Real stages stay far below it; a stage file asking for more
// is refused before anything is allocated, as each cell is a whole block record (some 200
// bytes), so a full map costs about 200 MiB. Rows are a power of two wide and carry the
// margins, so the cap bites earlier than width × height suggests: at a height of 15 blocks
// widths above 16,364 blocks are refused, and a square stage may be at most 1004 blocks a side.
inline constexpr std::int64_t kMaxBlockMapCells = std::int64_t{1} << 20;

// Hit types of a cell as the collision code reads them; other values act as no contact but
// still win the choice of the most solid cell.
inline constexpr std::int8_t kHitNone = 0;
inline constexpr std::int8_t kHitSolid = 1;
inline constexpr std::int8_t kHitDeadly = 2;  // kills the hero, solid for the computer's actors

// The exempt-group value of a block that exempts no group.
inline constexpr std::uint8_t kNoExemptGroup = 255;

// The row shift of the map of a stage `width` blocks wide: the bit length of width + 19 (the
// index of the last map column), so that a row stride of 1 << shift holds every column.
// A negative width has no columns: 0.
std::int32_t BlockMapRowShift(std::int64_t width);

// One cell: the stage's block record and the cell's own latch.
class cBlock : public cEdBlock {
public:
    // The default cell: no graphic, no contact, no summon guard, not latched; everything
    // else as in a new block record.
    cBlock();
    cBlock(const cBlock&) = default;
    cBlock& operator=(const cBlock&) = default;
    ~cBlock() override;

    // Takes every field of the block record; the latch stays the cell's own.
    void CopyBlock(const cEdBlock& block);

    // The 32 x 32 picture of the cell at (x, y), and its mark when it shows one
    // (stage_layers.cpp).
    void Draw(DDSURFACEDATA* target, int x, int y) const;

    // The hit type for an actor of `group`: 0 while the block's conditions do not hold or
    // when the block exempts that group, else its hit-type byte. May latch the block.
    std::int8_t GetHitType(std::int32_t group);

    // Set once the conditions held; with the latch option on the block then stays present.
    std::uint8_t m_bLatch = 0;
};

class cBlockMap {
public:
    // Empties the map and builds it for the stage: default cells for width + 20 columns and
    // height + 20 rows (the stride a power of two), then each placed block copied into its
    // cell, later ones over earlier ones. A block outside the map is left out (logged). A
    // size refused by IsPlayableSize leaves the map empty and answers false.
    bool Build(const cEdStage& stage);
    // The same with default cells only.
    bool Build(std::int32_t width, std::int32_t height);
    // No cells; every access then takes the checked container's failure path.
    void Clear();

    // Whether a stage of that many blocks can be played: both sizes not negative and the
    // map's cells within kMaxBlockMapCells.
    static bool IsPlayableSize(std::int64_t width, std::int64_t height);

    std::int32_t Shift() const { return m_nShift; }
    std::int32_t Pitch() const { return std::int32_t{1} << m_nShift; }
    std::int32_t Columns() const { return m_nColumns; }
    std::int32_t Rows() const { return m_nRows; }
    std::int32_t CellCount() const { return static_cast<std::int32_t>(m_vecCell.Size()); }

    // Map column and row to a cell index: column + (row << shift). Not checked here (the
    // access is); an index that does not fit an int comes back as -1.
    std::int32_t CellIndex(std::int32_t column, std::int32_t row) const;
    // The cell under a point in map dots, both coordinates truncated to integers first.
    std::int32_t CellIndexAt(double x, double y) const;

    // Checked access: an index outside the map is logged, asks the program to close and
    // yields cell 0.
    cBlock& Cell(std::int32_t index) { return m_vecCell.CheckedAt(index); }
    cBlock& CellAt(double x, double y) { return Cell(CellIndexAt(x, y)); }
    // The index of a cell of this map, -1 for any other pointer (null included).
    std::int32_t IndexOf(const cBlock* cell) const;

private:
    CheckedVector<cBlock> m_vecCell;
    std::int32_t m_nShift = 0;
    std::int32_t m_nColumns = 0;
    std::int32_t m_nRows = 0;
};

// The block map of the running stage.
extern cBlockMap BlockMap;

// Whether the block exists at the moment: always without conditions, and without a test
// once latched with the latch option on; otherwise its conditions decide, and when they
// hold the cell is latched (whatever the option).
bool TestBlockConditions(cBlock& cell);

// How a block's condition list (AND or OR by its mode, the hero as the subject) is
// evaluated. The game scene installs the flow conditions' evaluator while it exists; without
// a scene the default answers true for every list, so a block with conditions counts as
// present. Returns the evaluator it replaces; null restores the default.
using BlockConditionEvaluator = bool (*)(cBlock& cell);
BlockConditionEvaluator SetBlockConditionEvaluator(BlockConditionEvaluator evaluator);

// Of the four corner cells of a cell rectangle, tested top-left, top-right, bottom-left,
// bottom-right, the index of the one with the highest hit type for `group`; a later corner
// wins only with a strictly higher type.
std::int32_t FindCornerBlock(std::int32_t left, std::int32_t top, std::int32_t right,
                             std::int32_t bottom, std::int32_t group);

// Whether the actor's box, where it stands, overlaps a block that is not free for its group
// or a block character of `charas` (the stage's character list). A flyer that passes through
// blocks is never blocked.
bool IsBlocked(const cActorBase& actor, const ObjectList<cCharaActor>& charas);

// Whether some block character of `charas` that is present, not dying and not the actor
// itself (by serial) overlaps the actor's box, edges included.
bool OverlapsBlockChara(const cActorBase& actor, const ObjectList<cCharaActor>& charas);
