// The target and texture formats that the device's row loops are compiled for, fixed in the
// loops as template arguments: one switch from the formats of a draw to its loop.
#pragma once

#include "platform/pixel_format.h"

namespace plat {

// True for the formats DrawRowsWithFormats has loops for.
constexpr bool HasRowLoops(D3DFORMAT target, D3DFORMAT texture) {
    auto known = [](D3DFORMAT f) {
        return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5 ||
               f == D3DFMT_A1R5G5B5;
    };
    return known(target) && known(texture);
}

// Rows<target, texture>::Draw(args...) for a texture of the four formats; false for another.
// Inlined, so that a loop chosen inside a function compiled for AVX2 is compiled for it too.
template <template <D3DFORMAT, D3DFORMAT> class Rows, D3DFORMAT kTarget, class... Args>
[[gnu::always_inline]] inline bool DrawRowsWithTexture(D3DFORMAT texture, Args&... args) {
    switch (texture) {
        case D3DFMT_A8R8G8B8:
            Rows<kTarget, D3DFMT_A8R8G8B8>::Draw(args...);
            return true;
        case D3DFMT_X8R8G8B8:
            Rows<kTarget, D3DFMT_X8R8G8B8>::Draw(args...);
            return true;
        case D3DFMT_R5G6B5:
            Rows<kTarget, D3DFMT_R5G6B5>::Draw(args...);
            return true;
        case D3DFMT_A1R5G5B5:
            Rows<kTarget, D3DFMT_A1R5G5B5>::Draw(args...);
            return true;
        default:
            return false;
    }
}

// Rows<target, texture>::Draw(args...) for both formats among the four; false for another.
template <template <D3DFORMAT, D3DFORMAT> class Rows, class... Args>
[[gnu::always_inline]] inline bool DrawRowsWithFormats(D3DFORMAT target, D3DFORMAT texture,
                                                       Args&... args) {
    switch (target) {
        case D3DFMT_A8R8G8B8:
            return DrawRowsWithTexture<Rows, D3DFMT_A8R8G8B8>(texture, args...);
        case D3DFMT_X8R8G8B8:
            return DrawRowsWithTexture<Rows, D3DFMT_X8R8G8B8>(texture, args...);
        case D3DFMT_R5G6B5:
            return DrawRowsWithTexture<Rows, D3DFMT_R5G6B5>(texture, args...);
        case D3DFMT_A1R5G5B5:
            return DrawRowsWithTexture<Rows, D3DFMT_A1R5G5B5>(texture, args...);
        default:
            return false;
    }
}

}  // namespace plat
