#include "base/window_requests.h"

#include "base/globals.h"

std::atomic<std::int32_t> bNameEntryDone{0};
std::atomic<std::int32_t> bFileDialogDone{0};
std::atomic<std::int32_t> bFileDialogResult{0};

void PlaySystemSe(std::int32_t n) {
    plat::SendMessage(hWndMain, WM_USER_PLAYSE, static_cast<plat::WPARAM>(n), 0);
}

void PlayDataSe(std::int16_t n) {
    if (n == 0) return;
    PlaySystemSe(n + kDataSeBase);
}
