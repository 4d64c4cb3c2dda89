#include "platform/d3dx_texture.h"

#include <algorithm>

#include "platform/seams.h"

namespace plat {
namespace {

template <class Pixel, class Convert>
void WriteTexels(const DecodedImage& image, D3DCOLOR key, SoftSurface& t, Convert convert) {
    const int w = std::min(image.width, t.Width()), h = std::min(image.height, t.Height());
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<Pixel*>(t.Row(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = image.ColourAt(x, y);
            d[x] = (key != 0 && c == key) ? Pixel{0} : convert(c);
        }
    }
}

}  // namespace

void WriteImageTexels(const DecodedImage& image, D3DCOLOR key, SoftSurface& t) {
    switch (t.Format()) {
        case D3DFMT_A8R8G8B8:
            WriteTexels<std::uint32_t>(image, key, t, [](std::uint32_t c) { return c; });
            break;
        case D3DFMT_X8R8G8B8:
            WriteTexels<std::uint32_t>(image, key, t,
                                       [](std::uint32_t c) { return 0xFF000000u | c; });
            break;
        case D3DFMT_A1R5G5B5:
        case D3DFMT_R5G6B5: {
            const D3DFORMAT f = t.Format();
            WriteTexels<std::uint16_t>(image, key, t, [f](std::uint32_t c) {
                return static_cast<std::uint16_t>(ArgbToPixel(f, c));
            });
            break;
        }
        default:
            break;
    }
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width,
                                     UINT height, UINT, DWORD usage, D3DFORMAT format, DWORD pool,
                                     DWORD, DWORD, D3DCOLOR colorKey, void*, PALETTEENTRY*,
                                     IDirect3DTexture9** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!device || !file) return D3DERR_INVALIDCALL;
    DecodedImage image;
    if (!LoadImageFile(file, false, image, nullptr)) return D3DXERR_INVALIDDATA;
    if (pool == D3DPOOL_MANAGED && FailStep("d3d_video_memory")) return D3DERR_OUTOFVIDEOMEMORY;
    const UINT w = (width == 0 || width == D3DX_DEFAULT) ? static_cast<UINT>(image.width) : width;
    const UINT h =
        (height == 0 || height == D3DX_DEFAULT) ? static_cast<UINT>(image.height) : height;
    IDirect3DTexture9* texture = nullptr;
    const HRESULT hr = device->CreateTexture(w, h, 1, usage, format, pool, &texture, nullptr);
    if (FAILED(hr)) return hr;
    WriteImageTexels(image, colorKey, texture->Pixels());
    *out = texture;
    return D3D_OK;
}

}  // namespace plat
