// The keyboard and joystick state the program reads, kept by the platform layer.
//
// Keys are indexed by Windows virtual-key codes. The table is filled on the window thread
// from the window's key events (never from SDL's own keyboard state, which is empty when
// headless) and, headless, from the input script at each present.
#pragma once

#include <cstdint>

namespace plat {

// Bit 15 set while the key is down (the only bit the program reads).
short GetAsyncKeyState(int vk);
// Records a key transition; codes outside 1-255 are ignored.
void SetKeyState(int vk, bool down);
// Every key up (focus lost, tests).
void ReleaseAllKeys();
// The virtual-key code of an SDL scancode; 0 when the key has none.
int VirtualKeyFromScancode(int scancode);

}  // namespace plat
