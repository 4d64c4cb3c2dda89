// The key table behind GetAsyncKeyState and the scancode table that fills it.
#include "platform/keyboard.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include "platform/platform_state.h"

namespace {

bool Down(int vk) {
    return (plat::GetAsyncKeyState(vk) & 0x8000) != 0;
}

class KeyTable : public ::testing::Test {
protected:
    void SetUp() override { plat::ResetPlatformState(); }
    void TearDown() override { plat::ResetPlatformState(); }
};

TEST_F(KeyTable, DownSetsOnlyTheHighBitOfThatKey) {
    plat::SetKeyState(0x27, true);
    EXPECT_EQ(static_cast<unsigned short>(plat::GetAsyncKeyState(0x27)), 0x8000u);
    EXPECT_EQ(plat::GetAsyncKeyState(0x25), 0);
    plat::SetKeyState(0x27, false);
    EXPECT_EQ(plat::GetAsyncKeyState(0x27), 0);
}

TEST_F(KeyTable, CodesOutsideTheTableAreIgnored) {
    plat::SetKeyState(0, true);
    plat::SetKeyState(256, true);
    plat::SetKeyState(-1, true);
    plat::SetKeyState(0x100 | 0x41, true);
    for (int vk = 0; vk < 256; ++vk) EXPECT_FALSE(Down(vk)) << vk;
    EXPECT_EQ(plat::GetAsyncKeyState(256), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(-5), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(0x7FFFFFFF), 0);
    plat::SetKeyState(255, true);
    EXPECT_TRUE(Down(255));
}

// The side-blind Shift, Ctrl and Alt codes follow either side.
TEST_F(KeyTable, ModifiersAreDownWhileEitherSideIs) {
    const struct {
        int blind, left, right;
    } pairs[] = {{0x10, 0xA0, 0xA1}, {0x11, 0xA2, 0xA3}, {0x12, 0xA4, 0xA5}};
    for (const auto& p : pairs) {
        plat::SetKeyState(p.left, true);
        EXPECT_TRUE(Down(p.blind)) << p.blind;
        plat::SetKeyState(p.right, true);
        plat::SetKeyState(p.left, false);
        EXPECT_TRUE(Down(p.blind)) << p.blind;
        EXPECT_FALSE(Down(p.left));
        plat::SetKeyState(p.right, false);
        EXPECT_FALSE(Down(p.blind)) << p.blind;
    }
}

TEST_F(KeyTable, ReleaseAllKeys) {
    for (int vk = 1; vk < 256; ++vk) plat::SetKeyState(vk, true);
    plat::ReleaseAllKeys();
    for (int vk = 0; vk < 256; ++vk) EXPECT_FALSE(Down(vk)) << vk;
}

// Scancodes name positions; the codes are what that position gives on a Japanese keyboard.
TEST(VirtualKeyFromScancode, CoversTheKeysTheProgramAndItsBindingsUse) {
    const struct {
        int scancode, vk;
    } cases[] = {
        {SDL_SCANCODE_A, 0x41},
        {SDL_SCANCODE_Z, 0x5A},
        {SDL_SCANCODE_X, 0x58},
        {SDL_SCANCODE_1, 0x31},
        {SDL_SCANCODE_9, 0x39},
        {SDL_SCANCODE_0, 0x30},
        {SDL_SCANCODE_F1, 0x70},
        {SDL_SCANCODE_F12, 0x7B},
        {SDL_SCANCODE_F13, 0x7C},
        {SDL_SCANCODE_F24, 0x87},
        {SDL_SCANCODE_LEFT, 0x25},
        {SDL_SCANCODE_UP, 0x26},
        {SDL_SCANCODE_RIGHT, 0x27},
        {SDL_SCANCODE_DOWN, 0x28},
        {SDL_SCANCODE_RETURN, 0x0D},
        {SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDL_SCANCODE_ESCAPE, 0x1B},
        {SDL_SCANCODE_SPACE, 0x20},
        {SDL_SCANCODE_BACKSPACE, 0x08},
        {SDL_SCANCODE_TAB, 0x09},
        {SDL_SCANCODE_LSHIFT, 0xA0},
        {SDL_SCANCODE_RSHIFT, 0xA1},
        {SDL_SCANCODE_LCTRL, 0xA2},
        {SDL_SCANCODE_RCTRL, 0xA3},
        {SDL_SCANCODE_LALT, 0xA4},
        {SDL_SCANCODE_RALT, 0xA5},
        {SDL_SCANCODE_INSERT, 0x2D},
        {SDL_SCANCODE_DELETE, 0x2E},
        {SDL_SCANCODE_HOME, 0x24},
        {SDL_SCANCODE_END, 0x23},
        {SDL_SCANCODE_PAGEUP, 0x21},
        {SDL_SCANCODE_PAGEDOWN, 0x22},
        {SDL_SCANCODE_KP_0, 0x60},
        {SDL_SCANCODE_KP_5, 0x65},
        {SDL_SCANCODE_KP_9, 0x69},
        {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
        {SDL_SCANCODE_KP_PLUS, 0x6B},
        {SDL_SCANCODE_KP_MINUS, 0x6D},
        {SDL_SCANCODE_KP_PERIOD, 0x6E},
        {SDL_SCANCODE_KP_DIVIDE, 0x6F},
        {SDL_SCANCODE_MINUS, 0xBD},
        {SDL_SCANCODE_EQUALS, 0xDE},
        {SDL_SCANCODE_INTERNATIONAL3, 0xDC},
        {SDL_SCANCODE_LEFTBRACKET, 0xC0},
        {SDL_SCANCODE_RIGHTBRACKET, 0xDB},
        {SDL_SCANCODE_BACKSLASH, 0xDD},
        {SDL_SCANCODE_NONUSHASH, 0xDD},
        {SDL_SCANCODE_SEMICOLON, 0xBB},
        {SDL_SCANCODE_APOSTROPHE, 0xBA},
        {SDL_SCANCODE_COMMA, 0xBC},
        {SDL_SCANCODE_PERIOD, 0xBE},
        {SDL_SCANCODE_SLASH, 0xBF},
        {SDL_SCANCODE_INTERNATIONAL1, 0xE2},
        // Nothing for what has no code, or is no scancode at all.
        {SDL_SCANCODE_UNKNOWN, 0},
        {SDL_SCANCODE_MUTE, 0},
        {-1, 0},
        {SDL_NUM_SCANCODES, 0},
        {100000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plat::VirtualKeyFromScancode(c.scancode), c.vk) << "scancode " << c.scancode;
}

TEST(VirtualKeyFromScancode, LettersAndDigitsAreTheirCharacters) {
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(plat::VirtualKeyFromScancode(SDL_SCANCODE_A + i), 'A' + i);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(plat::VirtualKeyFromScancode(SDL_SCANCODE_1 + i), '1' + i);
}

}  // namespace
