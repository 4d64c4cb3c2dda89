#include "data/world_map.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/format.h"
#include "base/message_box.h"
#include "base/paths.h"

cEdWorldMap EdWorldMap;

namespace {

constexpr std::uint32_t kMinRoundVersion = 209;

constexpr int kDefaultTileTypes = 10;
constexpr int kImpassableTileTypes = 5;  // types 0 to 4
constexpr std::int32_t kDefaultWidth = 20;
constexpr std::int32_t kDefaultHeight = 15;

// Where a cell lies in a grid of the given pitch shift, or -1 when no grid can hold it.
std::int64_t GridIndex(std::int32_t x, std::int32_t y, std::int32_t shift) {
    if (shift < 0 || shift > 30) return -1;
    const std::int64_t index = (static_cast<std::int64_t>(y) << shift) + x;
    return index >= 0 && index <= INT32_MAX ? index : -1;
}

// One below a size, wrapping as 32-bit arithmetic does for the smallest int (a hostile
// file's size).
std::int32_t LastOf(std::int32_t size) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size) - 1u);
}

}  // namespace

// cEdMapEvent

cEdMapEvent::cEdMapEvent() {
    Reset();
}

void cEdMapEvent::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nStored1, 1, "nStored1");
    AddInt(&bImpassable, 1, "bImpassable");
    AddInt(&nGraphic, 1, "nGraphic");
    AddString(&strText, 1, "strText");
    AddString(&strName, 1, "strName");
}

// Stage entries

bool MapConditionPasses(std::int32_t op, std::int32_t variable, std::int32_t value) {
    // 64 bits: the absolute value of the smallest int has no 32-bit form.
    const std::int64_t magnitude = std::llabs(static_cast<long long>(variable));
    switch (op) {
        case MAP_COND_EQUAL:
            return variable == value;
        case MAP_COND_NOT_EQUAL:
            return variable != value;
        case MAP_COND_AT_LEAST:
            return variable >= value;
        case MAP_COND_AT_MOST:
            return variable <= value;
        case MAP_COND_ABOVE:
            return variable > value;
        case MAP_COND_BELOW:
            return variable < value;
        case MAP_COND_DIVISIBLE:
            return value == 0 || magnitude % value == 0;
        case MAP_COND_NOT_DIVISIBLE:
            return value != 0 && magnitude % value != 0;
        default:
            return false;
    }
}

cEdMapStage::cEdMapStage() {
    Reset();
}

void cEdMapStage::Rebind(std::uint32_t version) {
    ClearTables();
    AddInt(&nKind, 1, "nKind");
    AddInt(&nIconRow, 1, "nIconRow");
    AddInt(&nClearedSwitch, 1, "nClearedSwitch");
    AddInt(&bNoAutoConfirm, 1, "bNoAutoConfirm");
    AddInt(&bReplay, 1, "bReplay");
    AddInt(&nAfterClear, 1, "nAfterClear");
    AddInt(&nRequiredSwitch, 1, "nRequiredSwitch");
    AddInt(&nConditionVariable, 1, "nConditionVariable");
    AddInt(&nConditionValue, 1, "nConditionValue");
    AddInt(&nConditionOperator, 1, "nConditionOperator");
    if (version >= kMinRoundVersion) AddInt(&nMinRound, 1, "nMinRound");
    AddString(&strTitle, 1, "strTitle");
    AddString(&strStageFile, 1, "strStageFile");
}

void cEdMapStage::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    // Before rounds existed every entry counted from the first round.
    if (reader.Version() < kMinRoundVersion) nMinRound = 0;
}

bool cEdMapStage::Counts(bool requiredSwitchOn, std::int32_t variableValue,
                         std::int32_t round) const {
    if (nRequiredSwitch > 0 && !requiredSwitchOn) return false;
    if (nConditionVariable != 0 &&
        !MapConditionPasses(nConditionOperator, variableValue, nConditionValue)) {
        return false;
    }
    return round >= nMinRound;
}

// cEdMapNode

cEdMapNode::cEdMapNode() {
    Reset();
    vecStages.resize(1);
}

void cEdMapNode::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nX, 1, "nX");
    AddInt(&nY, 1, "nY");
    AddString(&strName, 1, "strName");
}

void cEdMapNode::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadRecordList(reader, vecStages);
}

void cEdMapNode::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecStages);
}

void cEdMapNode::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecStages", vecStages);
}

// cEdWorldMap

cEdWorldMap::cEdWorldMap() {
    SetDefaults();
}

void cEdWorldMap::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nWidth, 1, "nWidth");
    AddInt(&nHeight, 1, "nHeight");
    AddInt(&nPitch, 1, "nPitch");
    AddInt(&nPitchShift, 1, "nPitchShift");
    AddInt(&nStartX, 1, "nStartX");
    AddInt(&nStartY, 1, "nStartY");
    AddInt(&nBgColour, 1, "nBgColour");
    AddInt(&bBgPicture, 1, "bBgPicture");
    AddString(&strName, 1, "strName");
    AddString(&strBgPicture, 1, "strBgPicture");
}

void cEdWorldMap::SetDefaults() {
    Reset();
    strName = "ワールド";
    nStartX = 9;
    nStartY = 7;
    nBgColour = 16;
    bBgPicture = 0;
    vecEvents.Clear();
    vecEvents.resize(kDefaultTileTypes);
    for (int i = 0; i < kDefaultTileTypes; ++i) {
        cEdMapEvent& type = vecEvents[i];
        type.nGraphic = i;
        type.bImpassable = i < kImpassableTileTypes ? 1 : 0;
        type.strName = i < kImpassableTileTypes ? "通行不可" : "通行可";
    }
    // Reset left no size to keep cells from: the grid starts blank.
    vecGrid.Clear();
    SetSize(kDefaultWidth, kDefaultHeight);
    vecNodes.Clear();
    vecNodes2.Clear();
    vecNodes2.resize(1);
    vecNodes2[0].strName = "デフォルト";
}

int cEdWorldMap::SetSize(std::int32_t width, std::int32_t height) {
    if (width == 0 || height == 0) {
        DebugErrorBox("SetSize()で 0 を指定しました！");
        return 0;
    }
    // A negative size would make a negative (or huge) grid.
    if (width < 0 || height < 0) return 0;
    std::int32_t shift = 0;
    for (std::int32_t rest = width - 1; rest > 0; rest /= 2) ++shift;
    const std::int64_t pitch = std::int64_t{1} << shift;
    if (pitch * height > kMaxWorldMapCells) return 0;

    CheckedVector<std::int32_t> old;
    const std::int32_t oldWidth = nWidth;
    const std::int32_t oldHeight = nHeight;
    const std::int32_t oldShift = nPitchShift;
    if (!vecGrid.empty()) {
        DebugErrorBox("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", nWidth, nPitch,
                      nPitchShift);
        old = std::move(vecGrid);
    }

    nWidth = width;
    nHeight = height;
    nPitchShift = shift;
    nPitch = static_cast<std::int32_t>(pitch);
    vecGrid.Clear();
    vecGrid.resize(static_cast<std::size_t>(pitch * height), 0);

    // The old grid may come from a file whose size and pitch do not agree: only cells it
    // really holds are kept.
    for (std::int32_t y = 0; y < oldHeight && y < height; ++y) {
        for (std::int32_t x = 0; x < oldWidth && x < width; ++x) {
            const std::int64_t from = GridIndex(x, y, oldShift);
            if (from < 0 || from >= static_cast<std::int64_t>(old.size())) continue;
            vecGrid[static_cast<int>(GridIndex(x, y, shift))] = old[static_cast<int>(from)];
        }
    }
    return 1;
}

void cEdWorldMap::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadRecordList(reader, vecEvents);
    const std::uint32_t cells = reader.ReadCount(sizeof(std::int32_t));
    vecGrid.Clear();
    vecGrid.resize(cells);
    reader.Read(vecGrid.data(), std::size_t{cells} * sizeof(std::int32_t));
    LoadRecordList(reader, vecNodes);
    LoadRecordList(reader, vecNodes2);
    NormalizeAfterLoad(reader);
}

void cEdWorldMap::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecEvents);
    writer.WriteU32(vecGrid.Size());
    writer.Write(vecGrid.data(), vecGrid.size() * sizeof(std::int32_t));
    SaveRecordList(writer, vecNodes);
    SaveRecordList(writer, vecNodes2);
}

void cEdWorldMap::Normalize() {
    if (nStartX >= nWidth) nStartX = LastOf(nWidth);
    if (nStartY >= nHeight) nStartY = LastOf(nHeight);
    // Negative positions stay: only nodes at or beyond the far edges are off the map. One
    // pass, so that a file with many off-map nodes costs no more than their count.
    const std::int32_t width = nWidth;
    const std::int32_t height = nHeight;
    vecNodes.erase(std::remove_if(vecNodes.begin(), vecNodes.end(),
                                  [width, height](const cEdMapNode& node) {
                                      return node.nX >= width || node.nY >= height;
                                  }),
                   vecNodes.end());
}

void cEdWorldMap::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecEvents", vecEvents);
    for (int i = 0; i < static_cast<int>(vecGrid.Size()); ++i) {
        visitor.Value(Format("vecGrid[%d]", i), vecGrid[i]);
    }
    DescribeList(visitor, "vecNodes", vecNodes);
    DescribeList(visitor, "vecNodes2", vecNodes2);
}

bool cEdWorldMap::HasStageName(const std::string& key) const {
    for (const cEdMapNode& node : vecNodes) {
        for (const cEdMapStage& entry : node.vecStages) {
            if (entry.nKind != 0) continue;
            std::string name = entry.strStageFile;
            StripExtension(name);
            // The last "-1" marks a numbered series: its '-' becomes the key's final dot.
            // Neither byte can be the second byte of a double-byte character.
            std::size_t series = std::string::npos;
            for (std::size_t i = name.size(); i-- > 1;) {
                if (name[i - 1] == '-' && name[i] == '1') {
                    series = i - 1;
                    break;
                }
            }
            if (series != std::string::npos) {
                name.resize(series);
                name += '.';
            } else {
                AppendFormat(name, ".");
            }
            if (name == key) return true;
        }
    }
    return false;
}

cEdMapNode* cEdWorldMap::FindNodeAt(std::int32_t x, std::int32_t y) {
    for (cEdMapNode& node : vecNodes) {
        if (node.nX == x && node.nY == y) return &node;
    }
    return nullptr;
}

int cEdWorldMap::CellIndex(std::int32_t x, std::int32_t y) const {
    // In 64 bits, so that no stored size can make the bounds overflow; an empty map gives
    // cell (0, 0).
    const std::int64_t column =
        std::max<std::int64_t>(0, std::min<std::int64_t>(x, std::int64_t{nWidth} - 1));
    const std::int64_t row =
        std::max<std::int64_t>(0, std::min<std::int64_t>(y, std::int64_t{nHeight} - 1));
    return static_cast<int>(
        GridIndex(static_cast<std::int32_t>(column), static_cast<std::int32_t>(row), nPitchShift));
}

const cEdMapEvent* cEdWorldMap::TileAt(std::int32_t x, std::int32_t y) const {
    const int index = CellIndex(x, y);
    if (index < 0 || static_cast<std::size_t>(index) >= vecGrid.size()) return nullptr;
    const std::int32_t type = vecGrid.data()[index];
    if (type < 0 || static_cast<std::size_t>(type) >= vecEvents.size()) return nullptr;
    return &vecEvents.data()[type];
}

int LoadWorldMap() {
    return EdWorldMap.LoadFromFile(DataPathTable[kPathWorldMap]);
}
