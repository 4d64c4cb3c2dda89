// Drawing an actor: which pattern of its animations shows this frame, its picture through
// its character effect, its mark, and the frames of a dying actor until it may be removed.
#include <cstdint>
#include <limits>

#include "data/anime_records.h"
#include "data/database.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "gfx/anim_pattern.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "scene/scene_manager.h"
#include "stage/actor.h"
#include "stage/chara_effect_draw.h"
#include "stage/effect_instances.h"
#include "stage/game_object.h"
#include "stage/graphic_source.h"

namespace {

// The hero lies dead for one second of frames when no death effect shows its end.
constexpr std::int32_t kHeroDeathFrames = 60;
// A carried item's icon shows from this count of its 96-frame cycle.
constexpr std::int32_t kItemIconFrom = 64;
constexpr std::int32_t kItemIconCycle = 96;

// The kind whose handler draws the running character effect: 0 (plain, never ending) when
// none runs, and for a kind the program does not know.
int EffectKind(const cActorBase& actor) {
    const CharaEffectInstance& effect = actor.m_CharaEffect;
    if (effect.nNumber == 0 || effect.lpRecord == nullptr) return 0;
    const int kind = effect.lpRecord->nKind;
    return kind < 0 || kind >= kCharaEffectKinds ? 0 : kind;
}

CharaEffectHandler EffectHandler(const cActorBase& actor) {
    return CharaEffectDrawTable[EffectKind(actor)];
}

// Runs the handler; its end clears the effect. The handler's result.
int RunEffectHandler(cActorBase& actor, DDSURFACEDATA* surface, GraphicSource& src, int paused,
                     int draw) {
    const int ended = EffectHandler(actor)(actor, surface, src, paused, draw);
    if (ended == 1) actor.m_CharaEffect.nNumber = 0;
    return ended;
}

}  // namespace

int cActorBase::GetPatternBase(GraphicSource& src) const {
    std::int64_t base = m_Chara.nPatternBase;
    const auto& sets = EdDatabase.vecAnimeSet;
    // A set number that names no set (a damaged record) adds nothing.
    if (m_Chara.nAnimeSet >= 0 && m_Chara.nAnimeSet < static_cast<int>(sets.Size())) {
        const cEdAnimeSet& set = sets[m_Chara.nAnimeSet];
        if (m_Chara.nBlockCollision != 0) base += set.nOfsFly;
        if (m_Chara.b32Mode != 0) base += set.nOfs32;
        if (m_Chara.nShotCollision != 0) base += set.nOfsInvincible;
    }
    src.bBlend = 0;
    const int colour = m_Chara.nInvincibleColour;
    if (m_Chara.nShotCollision != 0 && lpDTCon != nullptr && EdSystem.bCompat287 != 0 &&
        colour > 0 && colour < kAnimatedColorCount) {
        src.bBlend = 1;
        src.Blend.dwDiffuse = AnimatedColorTable[colour].dwColor;
        src.Blend.dwColorOp = static_cast<std::uint32_t>(AnimatedColorTable[colour].nMode);
    }
    return Wrap32(base);
}

void cActorBase::ResolveActorSource(GraphicSource& src, int pattern) const {
    GraphicSource blend;
    const int base = GetPatternBase(blend);
    ResolveGraphicSource(src, GRAPHIC_USER_ACTOR, m_Chara.nGraphicSource, m_nGraphicNo, base, this,
                         pattern);
    src.bBlend = blend.bBlend;
    src.Blend = blend.Blend;
}

void cActorBase::DrawActor(DDSURFACEDATA* surface, int paused) {
    const int pattern = GetDrawPattern(paused);
    if (m_Chara.bTransparent != 0) {
        AdvanceEffect(paused);
        return;
    }
    UpdateScreenRect();
    if (m_bFixedScreenX) {
        m_rcScreen.left = m_nFixedScreenX;
        m_rcScreen.right = Wrap32(std::int64_t{m_nFixedScreenX} + m_nSpriteW - 1);
    }
    if (m_bFixedScreenY) {
        m_rcScreen.top = m_nFixedScreenY;
        m_rcScreen.bottom = Wrap32(std::int64_t{m_nFixedScreenY} + m_nSpriteH - 1);
    }
    GraphicSource src;
    ResolveActorSource(src, pattern);
    RunEffectHandler(*this, surface, src, paused, 1);
    DrawMark(surface);
}

void cActorBase::DrawMark(DDSURFACEDATA* surface) const {
    if (m_Chara.bEmblem != 1) return;
    const int m = m_Chara.nEmblem;
    const int sx = (m / 15) * 32, sy = (m % 15) * 32;
    if (GiantSize() > 1) {
        DDBltScale(surface, m_rcScreen.left, m_rcScreen.top, m_nSpriteW, m_nSpriteH,
                   MarkStretchSurface(), sx, sy, m_nBaseSpriteW, m_nBaseSpriteH, DDBLT_COLORKEY);
    } else {
        DDBltRect(surface, m_rcScreen.left, m_rcScreen.top, 32, 32, &StdSD[kMarkSheet], sx, sy,
                  DDBLT_COLORKEY);
    }
}

int cActorBase::AdvanceEffect(int paused) {
    GraphicSource src;
    return RunEffectHandler(*this, nullptr, src, paused, 0);
}

int cActorBase::GetDrawPattern(int paused) {
    if (!paused) {
        m_AnimPattern.Next();
        for (auto it = m_listAnime.begin(); it != m_listAnime.end();) {
            if (it->m_bPaused) {
                ++it;
                continue;
            }
            // A one-shot animation that reached its closing step is over.
            if (it->m_Pattern.Next() == ANIM_ONESHOT_END) {
                it = m_listAnime.erase(it);
            } else {
                it->m_nLength = Wrap32(std::int64_t{it->m_nLength} - 1);
                ++it;
            }
        }
    }

    // Among the running entries, a limited entry with the least length left wins over the
    // entries before it; an unlimited one is taken only while nothing has been taken yet.
    // A limited entry that has run out while the best one has too fixes the choice; after
    // that only an entry that ran out more recently than the best (a greater length of 0 or
    // less) wins.
    AnimeEntry* chosen = nullptr;
    std::int32_t best = std::numeric_limits<std::int32_t>::max();
    bool fixed = false;
    for (AnimeEntry& entry : m_listAnime) {
        if (entry.m_bPaused) continue;
        const std::int32_t length = entry.m_nLength;
        if (!fixed) {
            if (entry.m_bLimited == 1 && length <= 0 && best <= 0) {
                chosen = &entry;
                best = length;
                fixed = true;
            } else if (entry.m_bLimited == 1 && length < best) {
                chosen = &entry;
                best = length;
            } else if (entry.m_bLimited != 1 && chosen == nullptr) {
                chosen = &entry;
                best = std::numeric_limits<std::int32_t>::max();
            }
        } else if (length <= 0 && length > best) {
            chosen = &entry;
            best = length;
        }
    }
    // With every entry paused none is chosen, and the base animation shows.
    if (chosen) return chosen->m_Pattern.GetPattern();
    return m_AnimPattern.GetPattern();
}

int cActorBase::DrawDying(DDSURFACEDATA* surface, int paused) {
    // An effect that never ends (none, or a kind without its own handler) would keep the
    // actor dying for ever: it counts as no effect.
    const bool effectRunning = EffectKind(*this) != 0;
    GraphicSource src;
    if (effectRunning) ResolveActorSource(src, 0);
    if (m_nOperator != 0) {
        // A character goes when its death effect has run out, or at once without one.
        if (!effectRunning) return 1;
        return RunEffectHandler(*this, surface, src, paused, 1);
    }
    // The hero's death effect plays to its end; only then does the hero lie still for the
    // counted frames, so that the player sees the death before the stage goes on.
    if (effectRunning) {
        RunEffectHandler(*this, surface, src, paused, 1);
        return 0;
    }
    if (!paused) m_nDeathFrames = Wrap32(std::int64_t{m_nDeathFrames} + 1);
    return m_nDeathFrames > kHeroDeathFrames ? 1 : 0;
}

void cActorBase::DrawGauge(DDSURFACEDATA* surface, GaugeAnim& gauge, int isSp, int paused) {
    if (gauge.nFrames <= 0 || m_bDying) return;
    DDSURFACEDATA* sheet = &StdSD[kAccessorySurface];
    // A tall accessory sheet holds rows 2 dots apart from 208; the older layout 16 apart
    // from 128.
    const bool tall = sheet->nHeight > 208;
    const int r = tall ? 208 : 128;
    const int s = tall ? 2 : 16;
    const int sx = isSp ? 64 : 0;
    const int x = Wrap32(std::int64_t{CenterX()} - 25);
    const int y = Wrap32(std::int64_t{m_rcScreen.top} - (isSp ? 7 : 3));
    DDBltRect(surface, x, y, 50, 2, sheet, sx, r, DDBLT_COLORKEY);
    const int value = isSp ? m_nSp : m_nHp;
    const int max = isSp ? m_Chara.nMaxSp : m_Chara.nMaxHp;
    const int low = EdSystem.CheckThreshold(isSp ? 3 : 2, value, max);
    const int length = gauge.nLength < 0 ? 0 : (gauge.nLength > 50 ? 50 : gauge.nLength);
    DDBltRect(surface, x, y, length, 2, sheet, sx, low ? r + 2 * s : r + s, DDBLT_COLORKEY);
    // A gain is the end of the bar; a loss is the part just lost, right of it.
    if (gauge.dShown >= 0) {
        int gain = static_cast<int>(gauge.dShown);
        if (gain > length) gain = length;
        DDBltRect(surface, x + length - gain, y, gain, 2, sheet, sx + length - gain, r + 4 * s,
                  DDBLT_COLORKEY);
    } else {
        int loss = static_cast<int>(-gauge.dShown);
        if (loss > 50 - length) loss = 50 - length;
        DDBltRect(surface, x + length, y, loss, 2, sheet, sx + length, r + 3 * s, DDBLT_COLORKEY);
    }
    if (paused) return;
    --gauge.nFrames;
    if (gauge.nFrames >= 60)
        gauge.dShown -= gauge.dStep;
    else
        gauge.dShown = 0;
}

void cActorBase::DrawHpGauge(DDSURFACEDATA* surface, int paused) {
    DrawGauge(surface, m_HpGauge, 0, paused);
}

void cActorBase::DrawSpGauge(DDSURFACEDATA* surface, int paused) {
    DrawGauge(surface, m_SpGauge, 1, paused);
}

void cCharaActor::DrawCarriedItemIcon(DDSURFACEDATA* surface) {
    if (m_CarriedItem.m_bCarried == 0 || !m_bOnScreen || m_Chara.bTransparent != 0) return;
    ++m_nItemBlink;
    if (m_nItemBlink >= kItemIconCycle) m_nItemBlink = 0;
    if (m_nItemBlink >= kItemIconFrom) {
        const cEdItem& item = m_CarriedItem.m_Item;
        DrawGraphicIcon(surface, CenterX() - m_CarriedItem.m_nSpriteW / 4,
                        m_rcScreen.top - m_CarriedItem.m_nSpriteH / 2, item.nGraphicSource,
                        item.nGraphic, item.nPatternBase);
    }
}
