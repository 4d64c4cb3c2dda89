// Picture, sound and music records: one file layout for the three, the editor value from
// version 151 on and zeroed below 153.
#include "data/media_records.h"

#include <gtest/gtest.h>

#include <vector>

#include "record_bodies.h"
#include "support/byte_builder.h"

namespace {

struct Loaded {
    std::string name, file;
    std::int32_t editValue;
    std::vector<std::uint8_t> saved;
};

// Loads a record of class T (its editor value preset to 9) and saves it again.
template <class T>
Loaded LoadAndSave(const std::vector<std::uint8_t>& bytes) {
    T record;
    record.nEditValue = 9;
    RecordReader reader = RecordReader::FromBytes(bytes);
    record.Load(reader);
    EXPECT_FALSE(reader.StoppedEarly());
    return {record.strName, record.strFile, record.nEditValue, record.SaveToBytes()};
}

using LoadFn = Loaded (*)(const std::vector<std::uint8_t>&);

struct Kind {
    const char* name;
    LoadFn load;
    std::vector<std::uint8_t> (*defaultBytes)();
};

template <class T>
std::vector<std::uint8_t> DefaultBytes() {
    T record;
    return record.SaveToBytes();
}

const Kind kKinds[] = {
    {"picture", &LoadAndSave<cEdPicture>, &DefaultBytes<cEdPicture>},
    {"sound", &LoadAndSave<cEdSound>, &DefaultBytes<cEdSound>},
    {"bgm", &LoadAndSave<cEdBgm>, &DefaultBytes<cEdBgm>},
};

TEST(MediaRecords, ClassDefaultsWriteTheDocumentedBytes) {
    for (const Kind& kind : kKinds) {
        EXPECT_EQ(kind.defaultBytes(),
                  ByteBuilder().U32(747).U32(1).U32(0).U32(2).U32(1).U32(1).bytes)
            << kind.name;
    }
}

// One chain for all three classes.
TEST(MediaRecords, EditValueByVersionAndNameBeforeFile) {
    struct Case {
        std::uint32_t version;
        std::int32_t editValue;  // the file stores 5 from 151 on; the record held 9
    } cases[] = {{150, 0}, {151, 0}, {152, 0}, {153, 5}, {747, 5}};
    for (const Kind& kind : kKinds) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << kind.name << " v" << c.version);
            ByteBuilder b;
            b.U32(c.version);
            bodies::Media(b, c.version, "jump", "se\\jump.wav", 5);
            const Loaded loaded = kind.load(b.bytes);
            EXPECT_EQ(loaded.name, "jump");
            EXPECT_EQ(loaded.file, "se\\jump.wav");
            EXPECT_EQ(loaded.editValue, c.editValue);
            // Written back at the current version with the value as it now is.
            ByteBuilder current;
            current.U32(747);
            bodies::Media(current, 747, "jump", "se\\jump.wav", c.editValue);
            EXPECT_EQ(loaded.saved, current.bytes);
        }
    }
}

}  // namespace
