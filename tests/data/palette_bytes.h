// Palette entry bodies (blocks, characters, items) built by hand from the documented field
// tables at any file version, for the golden, upgrade and hostile tests of the palette
// records and the common palette.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_builder.h"

namespace palette_bytes {

// One registered field: its name, its size in bytes and the first file version storing it.
struct FieldRow {
    const char* name;
    int size;
    std::uint32_t from = 0;
};

inline const std::vector<FieldRow>& BlockFields() {
    static const std::vector<FieldRow> table = {
        {"nInheritKind", 1}, {"nInheritIndex", 2},  {"nCondMode", 1},    {"bCondLatch", 1},
        {"nGraphic", 2},     {"nGraphicSource", 1}, {"nPatternBase", 2}, {"nDrawLayer", 1},
        {"bHidden", 1},      {"bEmblem", 1},        {"nEmblem", 2},      {"nHitType", 1},
        {"nExemptSide", 1},  {"nTouchEffect", 1},   {"nTouchParam", 4},  {"nItemPalette", 1},
        {"nItemIndex", 2},   {"bProtected", 1},
    };
    return table;
}

inline const std::vector<FieldRow>& ItemFields() {
    static const std::vector<FieldRow> table = {
        {"nInheritKind", 1}, {"nInheritIndex", 2}, {"nCondMode", 1}, {"bCondLatch", 1},
        {"nField5", 2},      {"nField6", 2},       {"nGraphic", 2},  {"nGraphicSource", 1},
        {"nPatternBase", 2}, {"nField10", 1},      {"bHidden", 1},   {"bEmblem", 1},
        {"nEmblem", 2},      {"bTakeEffect", 1},   {"nTakeMode", 1}, {"nGiant", 1},
        {"nTakeSound", 2},
    };
    return table;
}

inline const std::vector<FieldRow>& CharaFields() {
    static const std::vector<FieldRow> table = {
        {"nInheritKind", 1},            // 1
        {"nInheritIndex", 2},           // 2
        {"nCondMode", 1},               // 3
        {"bCondLatch", 1},              // 4
        {"nFacing", 1},                 // 5
        {"nClones", 1},                 // 6
        {"nPlaceOffsetX", 2},           // 7
        {"nPlaceStepX", 2},             // 8
        {"nPlaceOffsetY", 2},           // 9
        {"nPlaceStepY", 2},             // 10
        {"bPlaceMirrorX", 1},           // 11
        {"bPlaceMirrorY", 1},           // 12
        {"nGraphic", 2},                // 13
        {"nGraphicSource", 1},          // 14
        {"nPatternBase", 2},            // 15
        {"nAnimeSet", 2},               // 16
        {"nZ", 1},                      // 17
        {"bTransparent", 1},            // 18
        {"nCharaEffect1", 2},           // 19
        {"nCharaEffect1Mode", 1, 196},  // 20
        {"nCharaEffect1Param", 1},      // 21
        {"nCharaEffect2", 2},           // 22
        {"nCharaEffect2Mode", 1, 196},  // 23
        {"bEmblem", 1},                 // 24
        {"nEmblem", 2},                 // 25
        {"nControl", 1},                // 26
        {"nPlayer", 1},                 // 27
        {"nSide", 1},                   // 28
        {"nCharaId", 1},                // 29
        {"nBlockCollision", 1},         // 30
        {"bFixedFacing", 1},            // 31
        {"nShotCollision", 1},          // 32
        {"nInvincibleColour", 1, 285},  // 33
        {"b32Mode", 1},                 // 34
        {"nGiant", 1},                  // 35
        {"bScrollSync", 1, 210},        // 36
        {"nSightShape", 1},             // 37
        {"nSight", 1},                  // 38
        {"nMaxHp", 4},                  // 39
        {"nMaxSp", 4},                  // 40
        {"nStopping", 2},               // 41
        {"nHitBoxKind", 1, 201},        // 42
        {"nBodyPower", 4},              // 43
        {"nBodyImpact", 1},             // 44
        {"nEffect", 2},                 // 45
        {"nDefense", 4, 168},           // 46
        {"nImpactResist", 1},           // 47
        {"nScore", 4},                  // 48
        {"nField49", 1},                // 49
        {"bActiveGroup", 1},            // 50
        {"nActiveGroup", 2},            // 51
        {"nActiveArea", 1},             // 52
        {"nActiveMode", 1},             // 53
    };
    return table;
}

using Values = std::map<std::string, long long>;

// The registered part at the version: field count, the fields present, then the name.
inline void Registered(ByteBuilder& b, const std::vector<FieldRow>& table, std::uint32_t version,
                       const Values& values, std::string_view name) {
    for (const auto& [key, value] : values) {
        bool known = false;
        for (const FieldRow& f : table) known = known || key == f.name;
        if (!known) ADD_FAILURE() << "no field " << key << " in the table";
    }
    std::uint32_t count = 0;
    for (const FieldRow& f : table) count += f.from <= version ? 1 : 0;
    b.U32(count);
    for (const FieldRow& f : table) {
        if (f.from > version) continue;
        const auto it = values.find(f.name);
        const long long v = it == values.end() ? 0 : it->second;
        switch (f.size) {
            case 1:
                b.U8(static_cast<std::uint8_t>(v));
                break;
            case 2:
                b.U16(static_cast<std::uint16_t>(v));
                break;
            default:
                b.I32(static_cast<std::int32_t>(v));
                break;
        }
    }
    b.U32(1).Str(name);
}

// What follows the registered part; lists are a count and bodies.
struct Tail {
    std::int16_t placeX = 0;
    std::int16_t placeY = 0;
    std::int32_t placeValue = 0;  // characters only
    std::vector<std::uint8_t> flags = {};
    std::vector<std::uint8_t> conditions = {0, 0, 0, 0};
    std::vector<std::uint8_t> list = {0, 0, 0, 0};  // item commands or flows
};

inline void Flags(ByteBuilder& b, const Tail& t) {
    b.U32(static_cast<std::uint32_t>(t.flags.size()));
    for (std::uint8_t f : t.flags) b.U8(f);
}

inline void Block(ByteBuilder& b, std::uint32_t version, const Values& v, std::string_view name,
                  const Tail& t = {}) {
    Registered(b, BlockFields(), version, v, name);
    b.U16(static_cast<std::uint16_t>(t.placeX)).U16(static_cast<std::uint16_t>(t.placeY));
    Flags(b, t);
    b.Bytes(t.conditions);
}

inline void Item(ByteBuilder& b, std::uint32_t version, const Values& v, std::string_view name,
                 const Tail& t = {}) {
    Registered(b, ItemFields(), version, v, name);
    b.U16(static_cast<std::uint16_t>(t.placeX)).U16(static_cast<std::uint16_t>(t.placeY));
    Flags(b, t);
    b.Bytes(t.conditions).Bytes(t.list);
}

inline void Chara(ByteBuilder& b, std::uint32_t version, const Values& v, std::string_view name,
                  const Tail& t = {}) {
    Registered(b, CharaFields(), version, v, name);
    b.U16(static_cast<std::uint16_t>(t.placeX)).U16(static_cast<std::uint16_t>(t.placeY));
    b.I32(t.placeValue);
    Flags(b, t);
    b.Bytes(t.conditions).Bytes(t.list);
}

inline std::vector<std::uint8_t> Zeros(int n) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(n), 0);
}

}  // namespace palette_bytes
