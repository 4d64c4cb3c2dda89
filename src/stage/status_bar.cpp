// The status bar across the top of the play screen (score, stage score, the hero's HP and
// SP gauges, lives) and the time limit's three digits under it.
#include <cstdint>
#include <string>

#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/font_tables.h"
#include "gfx/frame_timing.h"
#include "gfx/number_sprite.h"
#include "gfx/surface_tables.h"
#include "scene/game_progress.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/stage_objects.h"

namespace {

enum HudItem { kHudScore = 0, kHudStageScore = 1, kHudHp = 2, kHudSp = 3, kHudLives = 4 };
// Lives that never run out.
constexpr std::int32_t kUnlimitedLives = 999999;
constexpr int kGaugeWidth = 50;
constexpr int kTextY = 3;
// The warning sound of the time limit.
constexpr int kTimeWarningSound = 13;

bool IsGauge(int item) {
    return item == kHudHp || item == kHudSp;
}

int ItemWidth(int item, const cEdSystemSubB& hud) {
    std::int64_t w = hud.bIconLabel ? 16 : 16 * std::int64_t{CountSjisChars(hud.strLabel)};
    w += IsGauge(item) ? kGaugeWidth : 16 * std::int64_t{hud.nDigits};
    return static_cast<int>(w > 640 ? 640 : (w < -640 ? -640 : w));
}

void DrawIcon(DDSURFACEDATA* target, int x, int sx) {
    DDBltRect(target, x, kTextY, 16, 16, &StdSD[kAccessorySurface], sx, 32, DDBLT_COLORKEY);
}

void DrawNumberItem(DDSURFACEDATA* target, int x, int iconX, const cEdSystemSubB& hud,
                    std::int32_t value) {
    if (hud.bIconLabel) {
        DrawIcon(target, x, iconX);
        Font16.DrawF(target, x + 16, kTextY, "%d", value);
    } else {
        Font16.DrawF(target, x, kTextY, "%s%d", hud.strLabel.c_str(), value);
    }
}

void DrawGaugeItem(DDSURFACEDATA* target, int x, int item, const cEdSystemSubB& hud) {
    const bool sp = item == kHudSp;
    int gx = x;
    if (hud.bIconLabel) {
        DrawIcon(target, x, sp ? 48 : 32);
        gx += 16;
    } else {
        Font16.DrawF(target, x, kTextY, "%s", hud.strLabel.c_str());
        gx += 16 * CountSjisChars(hud.strLabel);
    }
    std::int32_t value = 0, max = 0;
    if (!Player.Empty()) {
        const cHeroActor& hero = Player[0];
        value = sp ? hero.m_nSp : hero.m_nHp;
        max = sp ? hero.m_Chara.nMaxSp : hero.m_Chara.nMaxHp;
    }
    const int sx = sp ? 64 : 0;
    DDSURFACEDATA* sheet = &StdSD[kAccessorySurface];
    DDBltRect(target, gx, kTextY, kGaugeWidth, 16, sheet, sx, 128, DDBLT_COLORKEY);
    std::int64_t fill = max > 0 ? std::int64_t{value} * kGaugeWidth / max : 0;
    if (fill < 0) fill = 0;
    if (fill > kGaugeWidth) fill = kGaugeWidth;
    const int row = EdSystem.CheckThreshold(item, value, max) ? 160 : 144;
    DDBltRect(target, gx, kTextY, static_cast<int>(fill), 16, sheet, sx, row, DDBLT_COLORKEY);
    if (hud.bShowValue) Font10.DrawF(target, gx, 6, "%d", value);
}

void DrawLivesItem(DDSURFACEDATA* target, int x, const cEdSystemSubB& hud) {
    const std::int32_t lives = Progress.m_nLives;
    const bool unlimited = lives == kUnlimitedLives;
    if (hud.bIconLabel) {
        DrawIcon(target, x, 64);
        if (unlimited)
            Font16.DrawF(target, x + 16, kTextY, "-");
        else
            Font16.DrawF(target, x + 16, kTextY, "%d", lives);
    } else if (unlimited) {
        Font16.DrawF(target, x, kTextY, "%s-", hud.strLabel.c_str());
    } else {
        Font16.DrawF(target, x, kTextY, "%s%d", hud.strLabel.c_str(), lives);
    }
}

}  // namespace

void cGameScene::DrawStatusBar(DDSURFACEDATA* target) {
    if (!EdStageWork.bStatusShown) return;
    const auto& items = EdSystem.vecHudItems;
    const int count = static_cast<int>(items.Size()) < kHudItemCount
                          ? static_cast<int>(items.Size())
                          : kHudItemCount;
    int shown = 0;
    std::int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (!items[i].bShown) continue;
        ++shown;
        total += ItemWidth(i, items[i]);
    }
    if (shown == 0) return;
    const std::int64_t gap = (638 - total) / (shown + 1);
    DDBltRect(target, 0, 0, 640, 20, &StdSD[kStatusWindowSurface], 0, 0, DDBLT_COLORKEY);
    std::int64_t x = gap;
    for (int i = 0; i < count; ++i) {
        const cEdSystemSubB& hud = items[i];
        if (!hud.bShown) continue;
        const int ix = static_cast<int>(x);
        switch (i) {
            case kHudScore:
                DrawNumberItem(target, ix, 0, hud, Progress.m_nScore);
                break;
            case kHudStageScore:
                DrawNumberItem(target, ix, 16, hud, Progress.m_nStageScore);
                break;
            case kHudHp:
            case kHudSp:
                DrawGaugeItem(target, ix, i, hud);
                break;
            default:
                DrawLivesItem(target, ix, hud);
                break;
        }
        x += ItemWidth(i, hud) + gap;
    }
}

void cGameScene::DrawTimeLimit(DDSURFACEDATA* target, int sound) {
    if (!EdStageWork.bTimeLimit) return;
    DDDrawNumber(target, 272, 24, 32, 32, &StdSD[kWordSurface], 0, 160, DDBLT_COLORKEY, m_nTime, 3,
                 0);
    if (sound && m_nTime >= 1 && m_nTime <= EdStageWork.nTimeWarning && FrameSkipCounter(2, 0))
        PlaySystemSe(kTimeWarningSound);
}
