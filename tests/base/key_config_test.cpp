// KeyConfig.dat: the 108-byte little-endian image, read field by field; short, long and
// missing files; the defaults; and that nothing is ever written.
#include "base/key_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "support/byte_builder.h"
#include "support/input_world.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kPath = "user_data\\KeyConfig.dat";
constexpr std::uint16_t kLetterCodes[7] = {0x58, 0x43, 0x56, 0x41, 0x53, 0x44, 0x46};

void WriteFile(const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories("user_data");
    std::ofstream("user_data/KeyConfig.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The file of a joystick player: X low on joystick 0 is left, its button 1 is button 1,
// the rest on keys; reserved halves hold marks that must be read where they stand.
std::vector<std::uint8_t> JoystickFile() {
    ByteBuilder b;
    b.I32(0).U16(256).U16(0xA1A1);   // 0 left: joystick 0, X low
    b.I32(8).U16(0x27).U16(0xA2A2);  // 1 right
    b.I32(8).U16(0x26).U16(0);       // 2 up
    b.I32(8).U16(0x28).U16(0);       // 3 down
    b.I32(0).U16(1).U16(0);          // 4 button 1: joystick 0, button 1
    for (std::uint16_t code : kLetterCodes) b.I32(8).U16(code).U16(0);  // 5-11 buttons 2-8
    b.I32(12).I32(1).I32(1);  // binding count, joystick count, use bindings
    return b.bytes;
}

class KeyConfigFile : public InputWorld {
protected:
    TempDir dir;
};

TEST_F(KeyConfigFile, ReadsEveryFieldFromItsOffset) {
    std::vector<std::uint8_t> bytes = JoystickFile();
    ASSERT_EQ(bytes.size(), 108u);
    WriteFile(bytes);
    cKeyConfig k;
    ASSERT_EQ(ReadKeyConfig(kPath, k), 1);
    EXPECT_EQ(k.Bind[0].nDevice, 0);
    EXPECT_EQ(k.Bind[0].wCode, 256);
    EXPECT_EQ(k.Bind[0].wReserved, 0xA1A1);
    EXPECT_EQ(k.Bind[1].nDevice, 8);
    EXPECT_EQ(k.Bind[1].wCode, 0x27);
    EXPECT_EQ(k.Bind[1].wReserved, 0xA2A2);
    EXPECT_EQ(k.Bind[4].nDevice, 0);
    EXPECT_EQ(k.Bind[4].wCode, 1);
    for (int i = 5; i < 12; ++i) {
        EXPECT_EQ(k.Bind[i].nDevice, 8) << i;
        EXPECT_EQ(k.Bind[i].wCode, kLetterCodes[i - 5]) << i;
    }
    EXPECT_EQ(k.nBindCount, 12);
    EXPECT_EQ(k.nJoyCount, 1);
    EXPECT_EQ(k.bUseBind, 1);
}

TEST_F(KeyConfigFile, NumbersAreLittleEndianAndSigned) {
    ByteBuilder b;
    b.I32(-2).U16(0xFEDC).U16(0x1234);
    for (int i = 1; i < 12; ++i) b.I32(0x01020304).U16(0x0506).U16(0);
    b.I32(-1).I32(0x7FFFFFFF).I32(INT32_MIN);
    WriteFile(b.bytes);
    cKeyConfig k;
    ASSERT_EQ(ReadKeyConfig(kPath, k), 1);
    EXPECT_EQ(k.Bind[0].nDevice, -2);
    EXPECT_EQ(k.Bind[0].wCode, 0xFEDC);
    EXPECT_EQ(k.Bind[0].wReserved, 0x1234);
    EXPECT_EQ(k.Bind[11].nDevice, 0x01020304);
    EXPECT_EQ(k.Bind[11].wCode, 0x0506);
    EXPECT_EQ(k.nBindCount, -1);
    EXPECT_EQ(k.nJoyCount, 0x7FFFFFFF);
    EXPECT_EQ(k.bUseBind, INT32_MIN);
}

TEST_F(KeyConfigFile, AShortFileReplacesOnlyTheBytesItHas) {
    // Ten bytes: binding 0 whole, then the low half of binding 1's device.
    std::vector<std::uint8_t> bytes = JoystickFile();
    bytes.resize(10);
    bytes[8] = 0x34;
    bytes[9] = 0x12;
    WriteFile(bytes);

    cKeyConfig zero;  // as the program starts
    ASSERT_EQ(ReadKeyConfig(kPath, zero), 1);
    EXPECT_EQ(zero.Bind[0].wCode, 256);
    EXPECT_EQ(zero.Bind[1].nDevice, 0x1234);
    EXPECT_EQ(zero.Bind[1].wCode, 0);
    EXPECT_EQ(zero.bUseBind, 0);  // so the fixed reader runs

    cKeyConfig filled;
    DefaultKeyConfig(filled);
    filled.bUseBind = 5;
    ASSERT_EQ(ReadKeyConfig(kPath, filled), 1);
    EXPECT_EQ(filled.Bind[0].nDevice, 0);
    EXPECT_EQ(filled.Bind[1].nDevice, 0x1234);  // 08 00 00 00 under 34 12
    EXPECT_EQ(filled.Bind[1].wCode, 0x27);
    EXPECT_EQ(filled.Bind[11].wCode, 0x46);
    EXPECT_EQ(filled.nBindCount, 12);
    EXPECT_EQ(filled.bUseBind, 5);
}

TEST_F(KeyConfigFile, AnEmptyFileCountsAsReadAndChangesNothing) {
    WriteFile({});
    cKeyConfig k;
    k.nJoyCount = 3;
    EXPECT_EQ(ReadKeyConfig(kPath, k), 1);
    EXPECT_EQ(k.nJoyCount, 3);
    EXPECT_EQ(k.Bind[0].nDevice, 0);
}

TEST_F(KeyConfigFile, ALongFileIsCutAt108Bytes) {
    std::vector<std::uint8_t> bytes = JoystickFile();
    // A second player block after the first would be ignored.
    ByteBuilder more;
    for (int i = 0; i < 30; ++i) more.I32(-1);
    bytes.insert(bytes.end(), more.bytes.begin(), more.bytes.end());
    WriteFile(bytes);
    cKeyConfig k;
    ASSERT_EQ(ReadKeyConfig(kPath, k), 1);
    EXPECT_EQ(k.nBindCount, 12);
    EXPECT_EQ(k.nJoyCount, 1);
    EXPECT_EQ(k.bUseBind, 1);
}

TEST_F(KeyConfigFile, WithoutAFileTheRecordIsUntouchedAndTheDefaultsApply) {
    cKeyConfig k;
    k.nJoyCount = 7;
    EXPECT_EQ(ReadKeyConfig(kPath, k), 0);
    EXPECT_EQ(k.nJoyCount, 7);

    // A folder under that name cannot be opened as the file either.
    std::filesystem::create_directories("user_data/KeyConfig.dat");
    plat::ClearPathCache();
    EXPECT_EQ(ReadKeyConfig(kPath, k), 0);
    EXPECT_EQ(k.nJoyCount, 7);
}

TEST_F(KeyConfigFile, DefaultsAreArrowsAndZxcvAsdfOnTheFixedReader) {
    cKeyConfig k;
    k.Bind[3].wReserved = 0x5555;
    DefaultKeyConfig(k);
    const std::uint16_t codes[12] = {0x25, 0x27, 0x26, 0x28, 0x5A, 0x58,
                                     0x43, 0x56, 0x41, 0x53, 0x44, 0x46};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(k.Bind[i].nDevice, 8) << i;
        EXPECT_EQ(k.Bind[i].wCode, codes[i]) << i;
    }
    EXPECT_EQ(k.Bind[3].wReserved, 0x5555);  // not written
    EXPECT_EQ(k.nBindCount, 12);
    EXPECT_EQ(k.nJoyCount, 1);
    EXPECT_EQ(k.bUseBind, 0);
}

TEST_F(KeyConfigFile, NothingIsEverWritten) {
    cKeyConfig k;
    ASSERT_EQ(ReadKeyConfig(kPath, k), 0);
    DefaultKeyConfig(k);
    EXPECT_FALSE(std::filesystem::exists("user_data"));

    std::vector<std::uint8_t> bytes = JoystickFile();
    bytes.resize(50);
    WriteFile(bytes);
    ASSERT_EQ(ReadKeyConfig(kPath, k), 1);
    std::ifstream in("user_data/KeyConfig.dat", std::ios::binary);
    std::vector<std::uint8_t> after((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(after, bytes);
}

// Start-up reads the file into KeyConfig, or takes the defaults; the frames then read
// through the reader it chooses.
TEST_F(KeyConfigFile, TheJoystickFileDrivesTheBoundReader) {
    WriteFile(JoystickFile());
    if (!ReadKeyConfig(kPath, KeyConfig)) DefaultKeyConfig(KeyConfig);
    ASSERT_EQ(KeyConfig.bUseBind, 1);
    CheckedVector<cInput> list(1);
    list[0] = Fresh();

    plat::SetScriptedJoystick(0, 10000, 32768, 1);
    Hold({VK_UP, VK_X});
    UpdateMainInput(list);
    EXPECT_EQ(list[0].wDir, kDirLeft | kDirUp);
    EXPECT_EQ(list[0].nDirNum, 1);
    EXPECT_EQ(list[0].wButton, 1 | 2);  // joystick button 1, and X

    plat::ReleaseAllKeys();
    plat::SetScriptedJoystick(0, 10001, 32768, 0);
    Hold({VK_LEFT, VK_RIGHT});
    UpdateMainInput(list);
    EXPECT_EQ(list[0].wDir, kDirRight);  // the left arrow is not bound any more
    EXPECT_EQ(list[0].wButton, 0);
}

TEST_F(KeyConfigFile, WithoutTheFileTheFixedReaderRuns) {
    if (!ReadKeyConfig(kPath, KeyConfig)) DefaultKeyConfig(KeyConfig);
    EXPECT_EQ(KeyConfig.bUseBind, 0);
    CheckedVector<cInput> list(1);
    list[0] = Fresh();
    Hold({VK_LEFT, VK_RIGHT});
    UpdateMainInput(list);
    EXPECT_EQ(list[0].wDir, kDirLeft | kDirRight);
}

}  // namespace
