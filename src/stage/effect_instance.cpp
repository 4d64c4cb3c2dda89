#include "stage/effect_instance.h"

#include <cstdint>

#include "base/random_range.h"
#include "data/database.h"
#include "data/system_ini.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "platform/trunc.h"
#include "stage/game_scene.h"
#include "stage/post_load_tables.h"

namespace {

// How far a hit effect strays from the contact's centre, per giant size.
constexpr int kHitJitter = 4;

}  // namespace

EffectInstance::EffectInstance(std::int32_t number, double x, double y, std::int32_t width,
                               std::int32_t height, std::int32_t keepRunning)
    : nNumber(number), dX(x), dY(y), nWidth(width), nHeight(height), bKeepRunning(keepRunning) {
    bStretched = Record().nPatWidth != width ? 1 : 0;
    SetUpAnimation(number);
}

cEdEffect& EffectInstance::Record() const {
    return EdDatabase.vecEffect[static_cast<std::uint16_t>(nNumber)];
}

void EffectInstance::InitHit(std::int32_t number, const DoubleRect& a, const DoubleRect& b,
                             int giant) {
    Anim.Clear();
    bKeepRunning = 0;
    nNumber = number;
    const cEdEffect& record = Record();
    int s = 1;
    if (record.bScaleWithChara && giant > 1) {
        bStretched = 1;
        nWidth = WrapMul(giant, record.nPatWidth);
        nHeight = WrapMul(giant, record.nPatHeight);
        s = giant;
    } else {
        bStretched = 0;
        nWidth = record.nPatWidth;
        nHeight = record.nPatHeight;
    }
    DoubleRect contact;
    if (a.left <= b.right && a.right >= b.left && a.top <= b.bottom && a.bottom >= b.top) {
        contact.left = a.left > b.left ? a.left : b.left;
        contact.right = a.right < b.right ? a.right : b.right;
        contact.top = a.top > b.top ? a.top : b.top;
        contact.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    }
    dX = contact.left + (plat::TruncToInt(contact.right - contact.left + 1) >> 1) - (nWidth >> 1);
    dY = contact.top + (plat::TruncToInt(contact.bottom - contact.top + 1) >> 1) - (nHeight >> 1);
    // Two draws, x before y: a replay depends on their order.
    dX += RandomRange(-kHitJitter * s, kHitJitter * s);
    dY += RandomRange(-kHitJitter * s, kHitJitter * s);
    SetUpAnimation(number);
}

void EffectInstance::SetUpAnimation(std::int32_t number) {
    Anim.m_vecSeq.Clear();
    Anim.m_vecSeq.resize(1);
    Anim.m_vecSeq[0] = EffectPatternTable[static_cast<std::uint16_t>(number)];
    Anim.SetSeq(0, 1);
}

int EffectInstance::Draw(DDSURFACEDATA* target, int hold) {
    const cEdEffect& record = Record();
    if (record.vecFrame.empty()) return 1;
    int pattern = 0;
    if (hold && !bKeepRunning) {
        pattern = Anim.GetPattern();
    } else {
        pattern = Anim.Next();
        if (pattern == ANIM_ONESHOT_END) return 1;
    }
    if (lpGame == nullptr) return 0;
    // Two surfaces per effect from record 1: the first copy and the second.
    const int n = static_cast<std::uint16_t>(nNumber);
    const int first = 2 * n - 2;
    if (n < 1 || first + 1 >= static_cast<int>(lpGame->m_vecEffectImage.Size())) return 0;
    const int x = plat::TruncToInt(dX - lpGame->m_ScrollX.m_dPos);
    const int y = plat::TruncToInt(dY - lpGame->m_ScrollY.m_dPos);
    if (bStretched) {
        const bool videoStretch =
            lpDTCon == nullptr && lpDDCon != nullptr && SystemIni.DD_VideoStretch;
        DDSURFACEDATA* image = &lpGame->m_vecEffectImage[videoStretch ? first : first + 1];
        DDBltScale(target, x, y, nWidth, nHeight, image, WrapMul(pattern, record.nPatWidth), 0,
                   record.nPatWidth, record.nPatHeight, DDBLT_COLORKEY);
    } else {
        DDBltRect(target, x, y, nWidth, nHeight, &lpGame->m_vecEffectImage[first],
                  WrapMul(pattern, nWidth), 0, DDBLT_COLORKEY);
    }
    return 0;
}
