#include "platform/d3dx_font.h"

#include <cstring>
#include <new>
#include <string_view>

#include "platform/d3dx_texture.h"
#include "platform/text_raster.h"

namespace plat {

HRESULT ID3DXSprite::Begin(DWORD) {
    if (lost_) return D3DERR_INVALIDCALL;
    begun_ = true;
    return D3D_OK;
}

HRESULT ID3DXSprite::End() {
    if (!begun_) return D3DERR_INVALIDCALL;
    begun_ = false;
    return D3D_OK;
}

HRESULT ID3DXSprite::OnLostDevice() {
    lost_ = true;
    begun_ = false;
    return D3D_OK;
}

HRESULT ID3DXSprite::OnResetDevice() {
    lost_ = false;
    return D3D_OK;
}

int ID3DXFont::DrawTextA(ID3DXSprite*, const char* text, int count, RECT* rect, DWORD format,
                         D3DCOLOR color) {
    if (!text || !rect) return 0;
    const int n = count < 0 ? static_cast<int>(std::strlen(text)) : count;
    const int cell = face_->CellHeight();
    // The lines of the text.
    int widest = 0, lines = 0;
    const bool single = (format & DT_SINGLELINE) != 0;
    SoftSurface* target = nullptr;
    std::uint32_t pixel = 0;
    const bool draw = (format & DT_CALCRECT) == 0;
    if (draw) {
        if (lost_ || !device_) return 0;
        target = device_->RenderTargetPixels();
        if (!target) return 0;
        pixel = ArgbToPixel(target->Format(), color);
    }
    int start = 0;
    while (true) {
        int end = start;
        if (single) {
            end = n;
        } else {
            while (end < n && text[end] != '\n') ++end;
        }
        const int y = rect->top + lines * cell;
        int width = 0;
        if (draw)
            width = RasterText(*target, *face_, rect->left, y, text + start, end - start, pixel,
                               (format & DT_NOCLIP) ? nullptr : rect);
        else
            width = MeasureText(*face_, text + start, end - start);
        if (width > widest) widest = width;
        ++lines;
        if (end >= n) break;
        start = end + 1;
    }
    if (!draw) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + lines * cell;
    }
    return lines * cell;
}

int ID3DXFont::DrawTextClipped(ID3DXSprite*, const char* text, int count, int x, int y,
                               const RECT& clip, D3DCOLOR color) {
    if (!text || lost_ || !device_) return 0;
    SoftSurface* target = device_->RenderTargetPixels();
    if (!target) return 0;
    const int n = count < 0 ? static_cast<int>(std::strlen(text)) : count;
    RasterText(*target, *face_, x, y, text, n, ArgbToPixel(target->Format(), color), &clip);
    return face_->CellHeight();
}

HRESULT ID3DXFont::OnLostDevice() {
    lost_ = true;
    return D3D_OK;
}

HRESULT ID3DXFont::OnResetDevice() {
    lost_ = false;
    return D3D_OK;
}

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc,
                                ID3DXFont** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!device || !desc || desc->Height < -4096 || desc->Height > 4096) return D3DERR_INVALIDCALL;
    const std::string_view name(desc->FaceName, strnlen(desc->FaceName, sizeof desc->FaceName));
    auto* font =
        new (std::nothrow) ID3DXFont(device, CurrentGlyphSource().OpenFace(name, desc->Height));
    if (!font) return E_OUTOFMEMORY;
    *out = font;
    return D3D_OK;
}

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    auto* sprite = new (std::nothrow) ID3DXSprite(device);
    if (!sprite) return E_OUTOFMEMORY;
    *out = sprite;
    return D3D_OK;
}

}  // namespace plat
