// Character-effect draw handlers: the plain picture, and the sixteen effect kinds that draw
// the actor's picture through one of the effect blits and move the effect on by one frame.
#include "stage/chara_effect_draw.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "data/effect_records.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/effect_blur.h"
#include "gfx/effect_circle.h"
#include "gfx/effect_colour.h"
#include "gfx/effect_lens.h"
#include "gfx/effect_rotate.h"
#include "gfx/effect_strips.h"
#include "gfx/fill.h"
#include "gfx/hbt_table.h"
#include "gfx/palette.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/effect_instances.h"
#include "stage/graphic_source.h"

bool NeedsStretch(const cActorBase& actor, const GraphicSource& src) {
    const int giant = actor.GiantSize();
    return src.bOwnSize ? giant != src.nSize : giant > 1;
}

void RenderToWork(const cActorBase& actor, const GraphicSource& src) {
    DDSURFACEDATA* work = WorkSurface1();
    DDFillRect(work, 0, 0, actor.m_nSpriteW, actor.m_nSpriteH, 0);
    const int sw = src.nSize * actor.m_nBaseSpriteW;
    const int sh = src.nSize * actor.m_nBaseSpriteH;
    if (src.bBlend)
        DDBltScaleBlend(work, 0, 0, actor.m_nSpriteW, actor.m_nSpriteH, src.lpStretchOwn, src.nSrcX,
                        src.nSrcY, sw, sh, DDBLT_COLORKEY, &src.Blend);
    else
        DDBltScale(work, 0, 0, actor.m_nSpriteW, actor.m_nSpriteH, src.lpStretchOwn, src.nSrcX,
                   src.nSrcY, sw, sh, DDBLT_COLORKEY);
}

void BlitActorPlain(const cActorBase& actor, DDSURFACEDATA* target, const GraphicSource& src) {
    const int x = actor.m_rcScreen.left, y = actor.m_rcScreen.top;
    const int w = actor.m_nSpriteW, h = actor.m_nSpriteH;
    if (NeedsStretch(actor, src)) {
        // The plain picture needs no work surface: stretched straight to its place, it
        // shows the same pixels with one blit less.
        const int sw = src.nSize * actor.m_nBaseSpriteW;
        const int sh = src.nSize * actor.m_nBaseSpriteH;
        if (src.bBlend)
            DDBltScaleBlend(target, x, y, w, h, src.lpStretchOwn, src.nSrcX, src.nSrcY, sw, sh,
                            DDBLT_COLORKEY, &src.Blend);
        else
            DDBltScale(target, x, y, w, h, src.lpStretchOwn, src.nSrcX, src.nSrcY, sw, sh,
                       DDBLT_COLORKEY);
        return;
    }
    if (src.bBlend) {
        D3DSetDiffuse(src.Blend.dwDiffuse);
        D3DSetColorOp(src.Blend.dwColorOp);
        DDBltRect(target, x, y, w, h, src.lpOwn1, src.nSrcX, src.nSrcY, DDBLT_COLORKEY);
        D3DResetDiffuse();
        D3DResetColorOp();
        return;
    }
    DDBltRect(target, x, y, w, h, src.lpOwn1, src.nSrcX, src.nSrcY, DDBLT_COLORKEY);
}

namespace {

// The flash colour that stands in for the blur at 8 bits per pixel, where no blur can mix.
constexpr int kBlurFlashColour = 31;

// Where an effect blit takes the actor's picture from: the stretched picture rendered into
// the first work surface, or the cell of the sheet with the source's blend state set around
// the blit (kept while the object lives).
class EffectPicture {
public:
    EffectPicture(const cActorBase& actor, const GraphicSource& src)
        : m_bStretched(NeedsStretch(actor, src)), m_nGiant(actor.GiantSize()) {
        if (m_bStretched) {
            RenderToWork(actor, src);
            lpSurface = WorkSurface1();
            return;
        }
        lpSurface = src.lpOwn1;
        sx = src.nSrcX;
        sy = src.nSrcY;
        if (src.bBlend) {
            m_bBlend = true;
            D3DSetDiffuse(src.Blend.dwDiffuse);
            D3DSetColorOp(src.Blend.dwColorOp);
        }
    }
    ~EffectPicture() {
        if (!m_bBlend) return;
        D3DResetDiffuse();
        D3DResetColorOp();
    }
    EffectPicture(const EffectPicture&) = delete;
    EffectPicture& operator=(const EffectPicture&) = delete;

    // A distance of the effect: multiplied by the giant size when stretched.
    int Distance(double value) const {
        return plat::TruncToInt(m_bStretched ? value * m_nGiant : value);
    }
    bool Stretched() const { return m_bStretched; }

    DDSURFACEDATA* lpSurface = nullptr;
    int sx = 0;
    int sy = 0;

private:
    bool m_bStretched;
    int m_nGiant;
    bool m_bBlend = false;
};

const std::int32_t* Params(const cActorBase& actor) {
    return actor.m_CharaEffect.lpRecord->anParam;
}

int Level(const cActorBase& actor) {
    return plat::TruncToInt(actor.m_CharaEffect.dLevel);
}

// The frame's advance: nothing while paused, else 1 at the effect's end.
int Step(cActorBase& actor, int paused) {
    return paused ? 0 : actor.m_CharaEffect.Advance();
}

// A count that divides: below 1 counts as 1.
int AtLeastOne(std::int32_t value) {
    return value < 1 ? 1 : value;
}

// The blink of kinds 6 and 14: work A counts the frames of one half up to parameter 1, then
// work B turns over.
int Blink(cActorBase& actor, int paused) {
    CharaEffectInstance& effect = actor.m_CharaEffect;
    if (effect.nWorkA >= Params(actor)[1]) {
        effect.nWorkA = 0;
        effect.nWorkB = effect.nWorkB ? 0 : 1;
    }
    if (paused) return 0;
    ++effect.nWorkA;
    return effect.Advance();
}

// No effect: the plain picture; it never ends.
int DrawPlain(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int, int draw) {
    if (draw) BlitActorPlain(actor, target, src);
    return 0;
}

// 破裂: four quarters pushed apart.
int DrawBurst(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        EffectPicture pic(actor, src);
        DDBltSplit4(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                    actor.m_nSpriteH, pic.lpSurface, pic.sx, pic.sy, pic.Distance(Level(actor)),
                    DDBLT_COLORKEY);
    }
    return Step(actor, paused);
}

// 分割: strips of the sprite's height divided by parameter 3, alternately pushed apart.
int DrawInterlace(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused,
                  int draw, int columns) {
    if (draw) {
        EffectPicture pic(actor, src);
        const int count = AtLeastOne(Params(actor)[3]);
        const int strip = (actor.m_nSpriteH + count - 1) / count;
        DDBltInterlace(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                       actor.m_nSpriteH, strip, pic.Distance(Level(actor)), pic.lpSurface, pic.sx,
                       pic.sy, DDBLT_COLORKEY, columns);
    }
    return Step(actor, paused);
}
int DrawSplitRows(cActorBase& a, DDSURFACEDATA* t, GraphicSource& s, int p, int d) {
    return DrawInterlace(a, t, s, p, d, 0);
}
int DrawSplitColumns(cActorBase& a, DDSURFACEDATA* t, GraphicSource& s, int p, int d) {
    return DrawInterlace(a, t, s, p, d, 1);
}

// 波: strips displaced along a sine whose phase moves a degree per frame.
int DrawWave(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw,
             int columns) {
    CharaEffectInstance& effect = actor.m_CharaEffect;
    if (draw) {
        EffectPicture pic(actor, src);
        const std::int32_t* p = Params(actor);
        const double amplitude =
            pic.Stretched() ? effect.dLevel * actor.GiantSize() : effect.dLevel;
        DDBltWave(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                  actor.m_nSpriteH, p[3], amplitude, effect.nWorkA, AtLeastOne(pic.Distance(p[4])),
                  pic.lpSurface, pic.sx, pic.sy, DDBLT_COLORKEY, columns);
    }
    if (paused) return 0;
    if (++effect.nWorkA >= 360) effect.nWorkA = 0;
    return effect.Advance();
}
int DrawWaveRows(cActorBase& a, DDSURFACEDATA* t, GraphicSource& s, int p, int d) {
    return DrawWave(a, t, s, p, d, 0);
}
int DrawWaveColumns(cActorBase& a, DDSURFACEDATA* t, GraphicSource& s, int p, int d) {
    return DrawWave(a, t, s, p, d, 1);
}

// 点滅: shown in every other stretch of parameter-1 frames.
int DrawBlink(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw && actor.m_CharaEffect.nWorkB) BlitActorPlain(actor, target, src);
    return Blink(actor, paused);
}

// 回転B: turned about the sprite's centre.
int DrawRotate(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        EffectPicture pic(actor, src);
        const int w = actor.m_nSpriteW, h = actor.m_nSpriteH;
        DDBltRotate(target, actor.CenterX(), actor.CenterY(), w, h, w / 2, h / 2, Level(actor),
                    pic.lpSurface, pic.sx, pic.sy, 1);
    }
    return Step(actor, paused);
}

// 回転A: as 回転B, except a stretched picture in DirectDraw, which is turned at its own size
// in a work square and stretched from there, so the turn keeps the cell's dots square.
int DrawRotateSquare(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused,
                     int draw) {
    if (!draw || lpDTCon != nullptr || !NeedsStretch(actor, src))
        return DrawRotate(actor, target, src, paused, draw);
    const int cw = src.nSize * actor.m_nBaseSpriteW, ch = src.nSize * actor.m_nBaseSpriteH;
    const int side = static_cast<int>(std::sqrt(2.0) * cw);
    DDSURFACEDATA* work = WorkSurface2();
    DDFillRect(work, 0, 0, side, side, 0);
    DDBltRotate(work, side / 2, side / 2, cw, ch, cw / 2, ch / 2, Level(actor), src.lpOwn1,
                src.nSrcX, src.nSrcY, 1);
    const int shown = static_cast<int>(std::sqrt(2.0) * actor.m_nSpriteW);
    DDBltScale(target, actor.CenterX() - shown / 2, actor.CenterY() - shown / 2, shown, shown, work,
               0, 0, side, side, DDBLT_COLORKEY);
    return Step(actor, paused);
}

// 回転（奥）: turned about the vertical axis from the picture of its facing to the other.
int DrawTurn(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        DDBltTurn(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                  actor.m_nSpriteH, src.lpStretchOwn, src.nSrcX, src.nSrcY, src.lpStretchOther,
                  src.nSrcX, src.nSrcY, src.nSize * actor.m_nBaseSpriteW,
                  src.nSize * actor.m_nBaseSpriteH, DDBLT_COLORKEY, Level(actor), 0);
    }
    return Step(actor, paused);
}

// 円: a disc of the picture around its centre.
int DrawCircle(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        EffectPicture pic(actor, src);
        const int w = actor.m_nSpriteW, h = actor.m_nSpriteH;
        DDBltCircle(target, actor.CenterX(), actor.CenterY(), w / 2, h / 2,
                    pic.Distance(Level(actor)), pic.Distance(Params(actor)[3]), pic.lpSurface,
                    pic.sx + w / 2, pic.sy + h / 2, DDBLT_COLORKEY);
    }
    return Step(actor, paused);
}

// 拡大: the picture grown (or shrunk) by e dots around its centre; the level is the width the
// 32-dot picture takes.
int DrawZoom(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        const double grow = actor.m_CharaEffect.dLevel - 32;
        const int e = NeedsStretch(actor, src) ? plat::TruncToInt(grow * actor.GiantSize()) >> 1
                                               : plat::TruncToInt(grow);
        const int w = actor.m_nSpriteW + e, h = actor.m_nSpriteH + e;
        const int sw = src.nSize * actor.m_nBaseSpriteW, sh = src.nSize * actor.m_nBaseSpriteH;
        if (w > 0 && h > 0) {
            const int x = actor.m_rcScreen.left - e / 2, y = actor.m_rcScreen.top - e / 2;
            if (src.bBlend)
                DDBltScaleBlend(target, x, y, w, h, src.lpStretchOwn, src.nSrcX, src.nSrcY, sw, sh,
                                DDBLT_COLORKEY, &src.Blend);
            else
                DDBltScale(target, x, y, w, h, src.lpStretchOwn, src.nSrcX, src.nSrcY, sw, sh,
                           DDBLT_COLORKEY);
        }
    }
    return Step(actor, paused);
}

// レンズ: a lens over the picture, its centre shifted by parameters 3 and 4. The picture is
// first laid on a cleared square of the second work surface, so the lens sees nothing of
// the sheet around the cell.
int DrawLens(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        const std::int32_t* p = Params(actor);
        const bool stretched = NeedsStretch(actor, src);
        const int g = stretched ? actor.GiantSize() : 1;
        const int dx = p[3] * g, dy = p[4] * g;
        const int shift = std::abs(p[3]) > std::abs(p[4]) ? std::abs(p[3]) : std::abs(p[4]);
        const int radius = static_cast<int>(std::sqrt(2.0) * (shift * g + actor.m_nSpriteW / 2.0));
        const int ex = actor.CenterX() + dx, ey = actor.CenterY() + dy;
        DDSURFACEDATA* work = WorkSurface2();
        DDFillRect(work, 0, 0, 2 * radius + 1, 2 * radius + 1, 0);
        const int wx = actor.m_rcScreen.left - ex + radius;
        const int wy = actor.m_rcScreen.top - ey + radius;
        if (stretched) {
            DDBltScale(work, wx, wy, actor.m_nSpriteW, actor.m_nSpriteH, src.lpStretchOwn,
                       src.nSrcX, src.nSrcY, src.nSize * actor.m_nBaseSpriteW,
                       src.nSize * actor.m_nBaseSpriteH, DDBLT_COLORKEY);
        } else {
            DDBltRect(work, wx, wy, actor.m_nSpriteW, actor.m_nSpriteH, src.lpOwn1, src.nSrcX,
                      src.nSrcY, DDBLT_COLORKEY);
        }
        DDBltLens(target, ex, ey, radius, Level(actor), work, radius, radius, 1, 0);
    }
    return Step(actor, paused);
}

// 色変化: the picture mixed with a palette colour.
int DrawFlash(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        EffectPicture pic(actor, src);
        DDBltFlash(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                   actor.m_nSpriteH, pic.lpSurface, pic.sx, pic.sy, 1, Palette, HbtTable,
                   Params(actor)[3] & 0xFF, Level(actor));
    }
    return Step(actor, paused);
}

// 半透明: translucent in every other stretch of parameter-1 frames, plain in the others.
int DrawHalfTrans(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused,
                  int draw) {
    if (draw) {
        if (actor.m_CharaEffect.nWorkB) {
            BlitActorPlain(actor, target, src);
        } else {
            EffectPicture pic(actor, src);
            DDBltHalfTrans(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                           actor.m_nSpriteH, pic.lpSurface, pic.sx, pic.sy, 1, HbtTable);
        }
    }
    return Blink(actor, paused);
}

// モザイク: the picture in blocks.
int DrawMosaic(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        EffectPicture pic(actor, src);
        DDMosaic(target, actor.m_rcScreen.left, actor.m_rcScreen.top, actor.m_nSpriteW,
                 actor.m_nSpriteH, Level(actor), pic.lpSurface, pic.sx, pic.sy, 1);
    }
    return Step(actor, paused);
}

// ぼかし: the picture blurred; at 8 bits per pixel, where colours cannot be mixed freely, a
// flash of one colour stands in for it.
int DrawBlur(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int paused, int draw) {
    if (draw) {
        EffectPicture pic(actor, src);
        const int x = actor.m_rcScreen.left, y = actor.m_rcScreen.top;
        const int w = actor.m_nSpriteW, h = actor.m_nSpriteH;
        if (nBpp == 8)
            DDBltFlash(target, x, y, w, h, pic.lpSurface, pic.sx, pic.sy, 1, Palette, HbtTable,
                       kBlurFlashColour, Level(actor));
        else
            DDBlur(target, x, y, w, h, Level(actor), Level(actor), pic.lpSurface, pic.sx, pic.sy,
                   1);
    }
    return Step(actor, paused);
}

}  // namespace

const CharaEffectHandler CharaEffectDrawTable[kCharaEffectKinds] = {
    &DrawPlain,       &DrawBurst, &DrawSplitRows,    &DrawSplitColumns, &DrawWaveRows,
    &DrawWaveColumns, &DrawBlink, &DrawRotateSquare, &DrawRotate,       &DrawTurn,
    &DrawCircle,      &DrawZoom,  &DrawLens,         &DrawFlash,        &DrawHalfTrans,
    &DrawMosaic,      &DrawBlur,
};
