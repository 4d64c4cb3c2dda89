#include "base/window_requests.h"

#include "base/globals.h"

void PlaySystemSe(std::int32_t n) {
    plat::SendMessage(hWndMain, WM_USER_PLAYSE, static_cast<plat::WPARAM>(n), 0);
}

void PlayDataSe(std::int16_t n) {
    if (n == 0) return;
    PlaySystemSe(n + kDataSeBase);
}
