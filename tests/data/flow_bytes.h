// Record bodies of flows, conditions, key conditions, commands, moves and shots built by
// hand from the documented layouts at any file version, and the fixture their tests share:
// a database of known table sizes and the test-play settings put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "base/globals.h"
#include "data/flow_records.h"
#include "data/system_record.h"
#include "database_fixture.h"
#include "support/byte_builder.h"

namespace flow_bytes {

// Registered fields of the given widths (6: one entry of three 16-bit values) and values (missing
// values are 0), then the string count and empty strings.
inline void Fields(ByteBuilder& b, const std::vector<int>& widths, std::vector<long long> values,
                   int strings = 0) {
    values.resize(widths.size());
    b.U32(static_cast<std::uint32_t>(widths.size()));
    for (std::size_t i = 0; i < widths.size(); ++i) {
        switch (widths[i]) {
            case 1:
                b.U8(static_cast<std::uint8_t>(values[i]));
                break;
            case 2:
                b.U16(static_cast<std::uint16_t>(values[i]));
                break;
            case 4:
                b.I32(static_cast<std::int32_t>(values[i]));
                break;
            case 6:  // one entry of three 16-bit values, all given the value
                for (int k = 0; k < 3; ++k) b.U16(static_cast<std::uint16_t>(values[i]));
                break;
            default:
                b.F64(static_cast<double>(values[i]));
                break;
        }
    }
    b.U32(static_cast<std::uint32_t>(strings));
    for (int i = 0; i < strings; ++i) b.Str("");
}

// The condition's fields in file order at the version (before 110 with the two discarded
// values as one entry, or as two when split).
inline std::vector<int> ConditionWidths(std::uint32_t version, bool split = false) {
    if (version >= 110) return {1, 4, 4, 4, 1, 1, 1, 1, 2, 1, 1, 1, 1, 2, 1, 1, 1};
    std::vector<int> w = {1, 4};
    if (split) {
        w.push_back(2);
        w.push_back(2);
    } else {
        w.push_back(4);  // one entry of two 16-bit values: 4 bytes either way
    }
    w.push_back(1);
    if (version >= 43) w.push_back(1);
    w.push_back(1);
    return w;
}

// Condition values by name, laid out for a version of 110 or later.
struct Cond {
    int kind = 0, value = 0, randMin = 0, randMax = 0, whose = 0, item = 0, subject = 0,
        varScope = 0, varIndex = 0, source = 0, whose2 = 0, item2 = 0, varScope2 = 0, varIndex2 = 0,
        op = 0, percent = 0, shape = 0;
};

inline void Condition(ByteBuilder& b, std::uint32_t version, const Cond& c) {
    Fields(
        b, ConditionWidths(version),
        {c.kind, c.value, c.randMin, c.randMax, c.whose, c.item, c.subject, c.varScope, c.varIndex,
         c.source, c.whose2, c.item2, c.varScope2, c.varIndex2, c.op, c.percent, c.shape});
}

inline std::vector<int> MoveWidths(std::uint32_t v) {
    std::vector<int> w = {1, 1, 2, 2};
    if (v >= 158) w.push_back(1);
    for (int x : {1, 1, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1}) w.push_back(x);
    if (v >= 162) w.push_back(1);
    for (int x : {1, 2, 2, 2, 2}) w.push_back(x);
    if (v >= 159) w.push_back(1);
    for (int x : {2, 2, 1, 2, 8}) w.push_back(x);
    if (v >= 162) w.push_back(1);
    return w;
}

inline std::vector<int> ShotWidths(std::uint32_t v) {
    std::vector<int> w = {1, 1, 6};
    if (v >= 671) w.push_back(1);
    for (int x : {1, 1, 2, 2}) w.push_back(x);
    if (v >= 158) w.push_back(1);
    for (int x : {2, 1, 1, 2, 2, 2, 2, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 6}) w.push_back(x);
    if (v >= 211) w.push_back(1);
    for (int x : {2, 2}) w.push_back(x);
    if (v >= 213) {
        for (int x : {1, 2, 2}) w.push_back(x);
    }
    for (int x : {2, 1, 2, 1, 1, 2, 2, 1, 1}) w.push_back(x);
    if (v >= 636) w.push_back(1);
    for (int x : {1, 1, 4, 2, 1, 2, 1, 2, 1, 1}) w.push_back(x);
    if (v >= 197) w.push_back(1);
    for (int x : {1, 2, 1, 1, 1}) w.push_back(x);
    return w;
}

struct Cmd {
    int kind = 0, type = 0, time = 0, timeInc = 0, parallel = 0, sound = 0, soundOnScreen = 1,
        anime = 0;
    std::vector<std::int32_t> params = {};
    // Bodies of the move and shot (empty: none) and the flows (a count and bodies).
    std::vector<std::uint8_t> move = {};
    std::vector<std::uint8_t> shot = {};
    std::vector<std::uint8_t> flows = {0, 0, 0, 0};
};

inline void Command(ByteBuilder& b, const Cmd& c) {
    Fields(b, {1, 1, 2, 2, 1, 2, 1, 2},
           {c.kind, c.type, c.time, c.timeInc, c.parallel, c.sound, c.soundOnScreen, c.anime}, 1);
    b.U32(c.move.empty() ? 0 : 1).Bytes(c.move);
    b.U32(c.shot.empty() ? 0 : 1).Bytes(c.shot);
    b.Bytes(c.flows);
    b.U32(static_cast<std::uint32_t>(c.params.size()));
    for (std::int32_t p : c.params) b.I32(p);
}

// A flow body with the given base values and lists (each a count and bodies).
struct FlowBody {
    int id = 0, group = 0, testOnly = 0, condMode = 0, condLatch = 0, trigger = 0, keySlack = 3,
        keyLevel = 0;
    const char* text = "";
    std::vector<std::uint8_t> conditions = {0, 0, 0, 0};
    std::vector<std::uint8_t> keys = {0, 0, 0, 0};
    std::vector<std::uint8_t> commands = {0, 0, 0, 0};
};

inline void Flow(ByteBuilder& b, std::uint32_t version, const FlowBody& f) {
    b.U32(8);
    for (int v :
         {f.id, f.group, f.testOnly, f.condMode, f.condLatch, f.trigger, f.keySlack, f.keyLevel}) {
        b.U8(static_cast<std::uint8_t>(v));
    }
    if (version >= 676) {
        b.U32(1).Str(f.text);
    } else {
        b.U32(0);
    }
    b.Bytes(f.conditions).Bytes(f.keys).Bytes(f.commands);
}

// A list of one element built by the function.
template <class F>
std::vector<std::uint8_t> One(F build) {
    ByteBuilder b;
    b.U32(1);
    build(b);
    return b.bytes;
}

// A reader over a body of the given version (no version in the bytes).
inline RecordReader Body(const ByteBuilder& b, std::uint32_t version) {
    return RecordReader(b.bytes, version);
}

// Database tables of known sizes, the test-play switches off, and everything put back.
class FlowFixture : public database_test::DatabaseFixture {
protected:
    void SetUp() override {
        database_test::DatabaseFixture::SetUp();
        EdDatabase.vecAnimeSet.resize(3);
        EdDatabase.vecAnime.resize(5);
        EdDatabase.vecEffect.resize(4);
        EdDatabase.vecCharaEffect.resize(4);
        EdDatabase.vecScrEffect.resize(4);
        EdDatabase.vecPicture.resize(4);
        EdDatabase.vecSound.resize(6);
        EdDatabase.vecBgm.resize(4);
        EdDatabase.vecSwordType.resize(2);
    }
};

}  // namespace flow_bytes
