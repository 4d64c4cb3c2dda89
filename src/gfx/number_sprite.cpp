#include "gfx/number_sprite.h"

#include "gfx/blit.h"

void DDDrawNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight,
                  DDSURFACEDATA* lpDigitSD, int sx, int sy, std::uint32_t dwFlags, int nValue,
                  int nFieldDigits, int bCentre) {
    if (nValue < 0) return;
    constexpr int kMaxDigits = 10;
    int n = 0;
    for (int v = nValue; n < kMaxDigits;) {
        v /= 10;
        ++n;
        if (v == 0) break;
    }
    int digits[kMaxDigits];
    for (int i = n - 1, v = nValue; i >= 0; --i, v /= 10) digits[i] = v % 10;
    int o = 0;
    if (n < nFieldDigits) {
        // In 64 bits: a huge field must not overflow the offset.
        long long offset = static_cast<long long>(nFieldDigits - n) * nCellWidth;
        if (bCentre != 0) offset /= 2;
        if (offset > 1 << 30) return;
        o = static_cast<int>(offset);
    }
    for (int i = 0; i < n; ++i)
        DDBltRect(lpDstSD, x + o + i * nCellWidth, y, nCellWidth, nCellHeight, lpDigitSD,
                  sx + digits[i] * nCellWidth, sy, dwFlags);
}
