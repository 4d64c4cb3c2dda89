// Character-effect draw handlers. The plain handler (no effect) is whole; the effect kinds
// draw plainly until their blits arrive.
#include "stage/chara_effect_draw.h"

#include "gfx/blit.h"
#include "gfx/fill.h"
#include "stage/actor.h"
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

// No effect: the plain picture; it never ends.
int DrawPlain(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int, int draw) {
    if (draw) BlitActorPlain(actor, target, src);
    return 0;
}

// PLACEHOLDER(effects): the effect kinds draw the plain picture and end at once until their
// blits and the effect's own advance exist; a dying actor must not wait for an effect that
// never runs out.
int DrawEffectPlain(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int, int draw) {
    if (draw) BlitActorPlain(actor, target, src);
    return 1;
}

}  // namespace

int DrawUnknownEffect(cActorBase& actor, DDSURFACEDATA* target, GraphicSource& src, int, int draw) {
    if (draw) BlitActorPlain(actor, target, src);
    return 1;
}

const CharaEffectHandler CharaEffectDrawTable[kCharaEffectKinds] = {
    &DrawPlain,       &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain,
    &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain,
    &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain, &DrawEffectPlain,
    &DrawEffectPlain, &DrawEffectPlain,
};
