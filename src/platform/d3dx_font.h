// The utility library's font and sprite: text drawn with a face of the glyph source into the
// device's current render target, in one colour, monochrome (ink pixels take the colour, the
// rest is left as it was).
//
// Both objects belong to the device's default pool in the sense of the original: OnLostDevice
// before a reset, OnResetDevice after it. Between the two the font draws nothing, and while
// the device is lost nothing is drawn either.
#pragma once

#include <memory>

#include "platform/d3d9.h"
#include "platform/gdi_text.h"
#include "platform/glyph_source.h"

namespace plat {

constexpr DWORD DT_TOP = 0x0;
constexpr DWORD DT_LEFT = 0x0;
constexpr DWORD DT_SINGLELINE = 0x20;
constexpr DWORD DT_NOCLIP = 0x100;
constexpr DWORD DT_CALCRECT = 0x400;

constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x10;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 0x80;

struct D3DXFONT_DESCA {
    int Height = 0;
    UINT Width = 0;
    UINT Weight = 0;
    UINT MipLevels = 0;
    BOOL Italic = 0;
    BYTE CharSet = 0;
    BYTE OutputPrecision = 0;
    BYTE Quality = 0;
    BYTE PitchAndFamily = 0;
    char FaceName[32] = {};
};

class ID3DXSprite : public DeviceObject {
public:
    HRESULT Begin(DWORD flags);
    HRESULT End();
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();
    bool Begun() const { return begun_; }

private:
    friend HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** out);
    explicit ID3DXSprite(IDirect3DDevice9* device) : device_(device) {}
    Ref<IDirect3DDevice9> device_;
    bool begun_ = false;
    bool lost_ = false;
};

class ID3DXFont : public DeviceObject {
public:
    // Draws count bytes (-1: up to the terminating zero) with the first cell's top-left at
    // the rectangle's top-left; a line feed starts a new line one cell height lower unless
    // DT_SINGLELINE. DT_CALCRECT draws nothing and sets the rectangle's right and bottom to
    // the text's extent (advance of the widest line by lines x cell height). Without
    // DT_NOCLIP the ink is cut at the rectangle. Returns the text's height, 0 when nothing
    // could be drawn.
    int DrawTextA(ID3DXSprite* sprite, const char* text, int count, RECT* rect, DWORD format,
                  D3DCOLOR color);
    // One line at (x, y) with its ink cut at clip: what a scissor rectangle around the text
    // gives (the device has none). 0 when nothing could be drawn.
    int DrawTextClipped(ID3DXSprite* sprite, const char* text, int count, int x, int y,
                        const RECT& clip, D3DCOLOR color);
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();
    GlyphFace& Face() { return *face_; }

private:
    friend HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc,
                                           ID3DXFont** out);
    ID3DXFont(IDirect3DDevice9* device, std::shared_ptr<GlyphFace> face)
        : device_(device), face_(std::move(face)) {}
    Ref<IDirect3DDevice9> device_;
    std::shared_ptr<GlyphFace> face_;
    bool lost_ = false;
};

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc,
                                ID3DXFont** out);
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** out);

}  // namespace plat
