// The texture loader of the utility library: a texture from an image file (bitmap, PNG or
// JPEG), one level, in the format and pool asked for, with one colour made transparent.
//
// The image is placed at the top-left of the texture without filtering; texels it does not
// cover are transparent black. A texel whose A8R8G8B8 colour equals the key exactly becomes
// transparent black (0); the others are converted to the format, 5-bit channels by
// truncation.
#pragma once

#include "platform/d3d9.h"
#include "platform/image_decoder.h"

namespace plat {

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr HRESULT D3DXERR_INVALIDDATA = MakeD3DResult(2905);

// `file` is a program path. width/height 0 or D3DX_DEFAULT take the image's size. A file that
// cannot be read or decoded gives D3DXERR_INVALIDDATA. K4_FAIL=d3d_video_memory makes a
// managed texture fail as out of video memory (the managed pool lives there too).
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     DWORD pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                     void* srcInfo, PALETTEENTRY* palette, IDirect3DTexture9** out);

// The texels of a decoded image in a texture's storage, as the loader writes them (tests).
void WriteImageTexels(const DecodedImage& image, D3DCOLOR colorKey, SoftSurface& texture);

}  // namespace plat
