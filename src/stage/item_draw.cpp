// Drawing an item: its picture (stretched when it is larger than its cells) and its mark.
#include "gfx/anim_pattern.h"
#include "gfx/blit.h"
#include "gfx/surface_tables.h"
#include "stage/graphic_source.h"
#include "stage/item_object.h"

void cItemObject::Draw(DDSURFACEDATA* target, int hold) {
    if (m_Item.bHidden) return;
    const int pattern = hold ? m_AnimPattern.GetPattern() : m_AnimPattern.Next();
    GraphicSource src;
    ResolveGraphicSource(src, GRAPHIC_USER_ITEM, m_Item.nGraphicSource, m_Item.nGraphic,
                         m_Item.nPatternBase, this, pattern);
    const int giant = GiantSize();
    const bool stretched = src.bOwnSize ? giant != src.nSize : giant > 1;
    const int x = m_rcScreen.left, y = m_rcScreen.top;
    if (stretched)
        DDBltScale(target, x, y, m_nSpriteW, m_nSpriteH, src.lpStretchOwn, src.nSrcX, src.nSrcY,
                   m_nBaseSpriteW * src.nSize, m_nBaseSpriteH * src.nSize, DDBLT_COLORKEY);
    else
        DDBltRect(target, x, y, m_nSpriteW, m_nSpriteH, src.lpOwn1, src.nSrcX, src.nSrcY,
                  DDBLT_COLORKEY);
    if (m_Item.bEmblem != 1) return;
    const int d = m_Item.nEmblem;
    const int sx = (d / 15) * 32, sy = (d % 15) * 32;
    if (giant <= 1)
        DDBltRect(target, x, y, 32, 32, &StdSD[kMarkSheet], sx, sy, DDBLT_COLORKEY);
    else
        DDBltScale(target, x, y, m_nSpriteW, m_nSpriteH, MarkStretchSurface(), sx, sy,
                   m_nBaseSpriteW, m_nBaseSpriteH, DDBLT_COLORKEY);
}
