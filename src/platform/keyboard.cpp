// The key table behind GetAsyncKeyState. The window thread writes it from key events, the
// frame that applies the input script writes it headless, and the input readers of any
// thread read it without a lock, so every slot is atomic.
#include "platform/keyboard.h"

#include <SDL_scancode.h>

#include <array>
#include <atomic>

namespace plat {
namespace {

std::array<std::atomic<std::uint8_t>, 256> g_keys{};

// Windows keeps a side-blind code for each of the three modifier pairs, down while either
// side is; the program may bind either form.
constexpr int kShift = 0x10, kControl = 0x11, kMenu = 0x12;
constexpr int kLeftShift = 0xA0, kRightShift = 0xA1;
constexpr int kLeftControl = 0xA2, kRightControl = 0xA3;
constexpr int kLeftMenu = 0xA4, kRightMenu = 0xA5;

void UpdateSideBlind(int vk) {
    auto both = [](int left, int right) {
        return static_cast<std::uint8_t>(g_keys[left].load(std::memory_order_relaxed) |
                                         g_keys[right].load(std::memory_order_relaxed));
    };
    if (vk == kLeftShift || vk == kRightShift)
        g_keys[kShift].store(both(kLeftShift, kRightShift), std::memory_order_relaxed);
    else if (vk == kLeftControl || vk == kRightControl)
        g_keys[kControl].store(both(kLeftControl, kRightControl), std::memory_order_relaxed);
    else if (vk == kLeftMenu || vk == kRightMenu)
        g_keys[kMenu].store(both(kLeftMenu, kRightMenu), std::memory_order_relaxed);
}

// SDL scancodes name key positions; the codes are those a Windows machine with a Japanese
// keyboard reports for the key at that position, so a binding made there reads the same key.
constexpr std::array<std::uint8_t, SDL_NUM_SCANCODES> MakeScancodeTable() {
    std::array<std::uint8_t, SDL_NUM_SCANCODES> t{};
    for (int i = 0; i < 26; ++i) t[SDL_SCANCODE_A + i] = static_cast<std::uint8_t>('A' + i);
    // SDL orders the digit row 1 to 9, then 0.
    for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_1 + i] = static_cast<std::uint8_t>('1' + i);
    t[SDL_SCANCODE_0] = '0';
    for (int i = 0; i < 12; ++i) t[SDL_SCANCODE_F1 + i] = static_cast<std::uint8_t>(0x70 + i);
    for (int i = 0; i < 12; ++i) t[SDL_SCANCODE_F13 + i] = static_cast<std::uint8_t>(0x7C + i);

    t[SDL_SCANCODE_RETURN] = 0x0D;
    t[SDL_SCANCODE_RETURN2] = 0x0D;
    t[SDL_SCANCODE_ESCAPE] = 0x1B;
    t[SDL_SCANCODE_BACKSPACE] = 0x08;
    t[SDL_SCANCODE_TAB] = 0x09;
    t[SDL_SCANCODE_SPACE] = 0x20;

    t[SDL_SCANCODE_LEFT] = 0x25;
    t[SDL_SCANCODE_UP] = 0x26;
    t[SDL_SCANCODE_RIGHT] = 0x27;
    t[SDL_SCANCODE_DOWN] = 0x28;
    t[SDL_SCANCODE_PAGEUP] = 0x21;
    t[SDL_SCANCODE_PAGEDOWN] = 0x22;
    t[SDL_SCANCODE_END] = 0x23;
    t[SDL_SCANCODE_HOME] = 0x24;
    t[SDL_SCANCODE_INSERT] = 0x2D;
    t[SDL_SCANCODE_DELETE] = 0x2E;
    t[SDL_SCANCODE_PRINTSCREEN] = 0x2C;
    t[SDL_SCANCODE_PAUSE] = 0x13;
    t[SDL_SCANCODE_SCROLLLOCK] = 0x91;
    t[SDL_SCANCODE_NUMLOCKCLEAR] = 0x90;
    t[SDL_SCANCODE_CAPSLOCK] = 0x14;  // 英数 on a Japanese keyboard
    t[SDL_SCANCODE_APPLICATION] = 0x5D;
    t[SDL_SCANCODE_LGUI] = 0x5B;
    t[SDL_SCANCODE_RGUI] = 0x5C;

    t[SDL_SCANCODE_LSHIFT] = kLeftShift;
    t[SDL_SCANCODE_RSHIFT] = kRightShift;
    t[SDL_SCANCODE_LCTRL] = kLeftControl;
    t[SDL_SCANCODE_RCTRL] = kRightControl;
    t[SDL_SCANCODE_LALT] = kLeftMenu;
    t[SDL_SCANCODE_RALT] = kRightMenu;

    // Keypad, as with Num Lock on.
    t[SDL_SCANCODE_KP_0] = 0x60;
    for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_KP_1 + i] = static_cast<std::uint8_t>(0x61 + i);
    t[SDL_SCANCODE_KP_MULTIPLY] = 0x6A;
    t[SDL_SCANCODE_KP_PLUS] = 0x6B;
    t[SDL_SCANCODE_KP_COMMA] = 0x6C;
    t[SDL_SCANCODE_KP_MINUS] = 0x6D;
    t[SDL_SCANCODE_KP_PERIOD] = 0x6E;
    t[SDL_SCANCODE_KP_DIVIDE] = 0x6F;
    t[SDL_SCANCODE_KP_ENTER] = 0x0D;

    // The punctuation of a Japanese layout, by position (the US legend in the name).
    t[SDL_SCANCODE_MINUS] = 0xBD;           // -
    t[SDL_SCANCODE_EQUALS] = 0xDE;          // ^
    t[SDL_SCANCODE_INTERNATIONAL3] = 0xDC;  // ￥
    t[SDL_SCANCODE_LEFTBRACKET] = 0xC0;     // @
    t[SDL_SCANCODE_RIGHTBRACKET] = 0xDB;    // [
    t[SDL_SCANCODE_BACKSLASH] = 0xDD;       // ] (reported under either name)
    t[SDL_SCANCODE_NONUSHASH] = 0xDD;
    t[SDL_SCANCODE_SEMICOLON] = 0xBB;       // ;
    t[SDL_SCANCODE_APOSTROPHE] = 0xBA;      // :
    t[SDL_SCANCODE_COMMA] = 0xBC;           // ,
    t[SDL_SCANCODE_PERIOD] = 0xBE;          // .
    t[SDL_SCANCODE_SLASH] = 0xBF;           // /
    t[SDL_SCANCODE_INTERNATIONAL1] = 0xE2;  // ＼ (ろ)
    t[SDL_SCANCODE_NONUSBACKSLASH] = 0xE2;
    // The input-method keys of the same keyboard.
    t[SDL_SCANCODE_GRAVE] = 0xF3;  // 半角/全角
    t[SDL_SCANCODE_LANG5] = 0xF3;
    t[SDL_SCANCODE_INTERNATIONAL2] = 0xF2;  // カタカナ/ひらがな
    t[SDL_SCANCODE_INTERNATIONAL4] = 0x1C;  // 変換
    t[SDL_SCANCODE_INTERNATIONAL5] = 0x1D;  // 無変換
    return t;
}

constexpr auto kScancodeTable = MakeScancodeTable();

}  // namespace

short GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    return g_keys[vk].load(std::memory_order_relaxed) ? static_cast<short>(0x8000) : 0;
}

void SetKeyState(int vk, bool down) {
    if (vk < 1 || vk > 255) return;
    g_keys[vk].store(down ? 1 : 0, std::memory_order_relaxed);
    UpdateSideBlind(vk);
}

void ReleaseAllKeys() {
    for (auto& key : g_keys) key.store(0, std::memory_order_relaxed);
}

int VirtualKeyFromScancode(int scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return kScancodeTable[static_cast<std::size_t>(scancode)];
}

}  // namespace plat
