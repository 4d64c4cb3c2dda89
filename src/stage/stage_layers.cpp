// The stage's own layers on the play screen: the backgrounds (filled, tiled with parallax,
// or scrolling by themselves) and the blocks of the block map with their marks.
#include <cstdint>

#include "data/stage_record.h"
#include "data/stage_sub_records.h"
#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "platform/trunc.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"

namespace {

// The colour of a screen without backgrounds.
constexpr std::uint32_t kNoBackgroundColour = 16;
// A tiny image must not tile forever: at most this many columns and rows.
constexpr int kMaxTiles = 1000;
// Rows and columns of blocks the view can show (a partial one at each edge).
constexpr int kBlockRows = 16;
constexpr int kBlockColumns = 21;

// The surface of background i, or null when none could be loaded for it.
DDSURFACEDATA* BackgroundSurface(int index) {
    if (index < 0 || index >= kBackgroundCount) return nullptr;
    DDSURFACEDATA* sd = &StdSD[kBackgroundSurfaceFirst + index];
    // A file that failed to load, or a released surface, holds nothing.
    if ((sd->lpDT == nullptr && sd->lpDS == nullptr) || sd->nWidth <= 0 || sd->nHeight <= 0)
        return nullptr;
    return sd;
}

// n mod m in 0 .. m - 1 (m > 0).
int PositiveMod(std::int64_t n, int m) {
    const std::int64_t r = n % m;
    return static_cast<int>(r < 0 ? r + m : r);
}

// A double offset as an integer the way the drawing needs it, held within 32 bits.
std::int64_t ToOffset(double v) {
    return plat::TruncToInt(v);
}

// Brings an auto position back into [0, size) by one size at most.
void WrapOnce(double& position, int size) {
    if (position < 0)
        position += size;
    else if (position >= size)
        position -= size;
}

void Tile(DDSURFACEDATA* target, DDSURFACEDATA* image, std::int64_t offsetX, std::int64_t offsetY,
          std::uint32_t flags) {
    const int w = image->nWidth, h = image->nHeight;
    const int sx0 = PositiveMod(offsetX, w);
    const int sy0 = PositiveMod(offsetY, h);
    int y = 0;
    for (int row = 0; row < kMaxTiles && y < kViewH; ++row) {
        const int sy = row == 0 ? sy0 : 0;
        const int th = h - sy;
        int x = 0;
        for (int column = 0; column < kMaxTiles && x < kViewW; ++column) {
            const int sx = column == 0 ? sx0 : 0;
            const int tw = w - sx;
            DDBltRect(target, x, y, tw, th, image, sx, sy, flags);
            x += tw;
        }
        y += th;
    }
}

}  // namespace

void cGameScene::ScrollBackgrounds() {
    auto& list = EdStageWork.vecBackground;
    for (int i = 0; i < static_cast<int>(list.Size()); ++i) {
        cEdBackground& bg = list[i];
        if (!bg.bAutoScrollX && !bg.bAutoScrollY) continue;
        // Without a picture there is no size to wrap at.
        DDSURFACEDATA* image = BackgroundSurface(i);
        if (image == nullptr) continue;
        if (bg.bAutoScrollX) {
            bg.dOffsetX -= bg.dRateX;
            WrapOnce(bg.dOffsetX, image->nWidth);
        }
        if (bg.bAutoScrollY) {
            bg.dOffsetY -= bg.dRateY;
            WrapOnce(bg.dOffsetY, image->nHeight);
        }
    }
}

void cGameScene::DrawBackgrounds(DDSURFACEDATA* target, int layer) {
    auto& list = EdStageWork.vecBackground;
    const int count = static_cast<int>(list.Size());
    if (layer == 0) {
        bool anyShown = false;
        for (int i = 0; i < count && !anyShown; ++i) anyShown = list[i].bShown != 0;
        if (!anyShown) {
            DDFillSurface(target, kNoBackgroundColour);
            return;
        }
    }
    int drawn = 0;
    DDBeginSpriteBatch(0);
    for (int i = 0; i < count; ++i) {
        const cEdBackground& bg = list[i];
        if (!bg.bShown || bg.nLayer != layer) continue;
        if (bg.bPlainColour) {
            DDFillRect(target, 0, 0, kViewW, kViewH, static_cast<std::uint32_t>(bg.nColour));
            ++drawn;
            continue;
        }
        DDSURFACEDATA* image = BackgroundSurface(i);
        if (image == nullptr) continue;
        const double scrollX = m_ScrollX.m_dPos, scrollY = m_ScrollY.m_dPos;
        const std::int64_t marginX = std::int64_t{m_ScrollX.m_nMargin} * 32;
        const std::int64_t marginY = std::int64_t{m_ScrollY.m_nMargin} * 32;
        const std::int64_t ox =
            bg.bAutoScrollX
                ? ToOffset(bg.dOffsetX + scrollX - static_cast<double>(marginX))
                : ToOffset(static_cast<double>(ToOffset(scrollX + 0.5) - marginX) * bg.dRateX);
        const std::int64_t oy =
            bg.bAutoScrollY
                ? ToOffset(bg.dOffsetY + scrollY - static_cast<double>(marginY))
                : ToOffset(static_cast<double>(ToOffset(scrollY) - marginY) * bg.dRateY);
        // The first picture of the far layer covers the whole screen: nothing under it
        // needs to show through.
        const std::uint32_t flags = layer == 0 && drawn == 0 ? 0 : DDBLT_COLORKEY;
        Tile(target, image, ox, oy, flags);
        ++drawn;
    }
    DDEndSpriteBatch();
    if (layer == 0 && drawn == 0) DDFillSurface(target, kNoBackgroundColour);
}

void cGameScene::DrawBlocks(DDSURFACEDATA* target, int layer) {
    if (BlockMap.CellCount() == 0) return;
    const int scrollX = plat::TruncToInt(m_ScrollX.m_dPos);
    const int scrollY = plat::TruncToInt(m_ScrollY.m_dPos);
    const int firstColumn = scrollX >> 5, firstRow = scrollY >> 5;
    const int dx = scrollX & 31, dy = scrollY & 31;
    DDBeginSpriteBatch(1);
    DDRegisterSpriteSurface(&StdSD[kMarkSheet]);
    for (int r = 0; r < kBlockRows; ++r) {
        const int row = firstRow + r;
        if (row < 0 || row >= BlockMap.Rows()) continue;
        for (int c = 0; c < kBlockColumns; ++c) {
            const int column = firstColumn + c;
            if (column < 0 || column >= BlockMap.Columns()) continue;
            cBlock& cell = BlockMap.Cell(BlockMap.CellIndex(column, row));
            if (cell.nGraphic == 0 || cell.nDrawLayer != layer || cell.bHidden) continue;
            if (!TestBlockConditions(cell)) continue;
            cell.Draw(target, 32 * c - dx, 32 * r - dy);
        }
    }
    DDEndSpriteBatch();
}

void cBlock::Draw(DDSURFACEDATA* target, int x, int y) const {
    GraphicSource src;
    ResolveGraphicSource(src, GRAPHIC_USER_OTHER, nGraphicSource, nGraphic, nPatternBase, nullptr,
                         0);
    DDBltRect(target, x, y, 32, 32, src.lpOwn1, src.nSrcX, src.nSrcY, DDBLT_COLORKEY);
    if (bEmblem == 1)
        DDBltRect(target, x, y, 32, 32, &StdSD[kMarkSheet], (nEmblem / 15) * 32,
                  (nEmblem % 15) * 32, DDBLT_COLORKEY);
}
