// Surfaces: the records every drawing operation takes, their two back-end attachments, the
// definitions tables of surfaces are made from, creation of blank surfaces, release, and the
// surface list through which the Direct3D back end rebuilds its textures after a reset.
//
// A surface on the surface list must not move while it is listed, so records are never
// copied (a copy would also own the same attachment twice) and the containers of the scenes
// keep their records at fixed addresses.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "base/checked_list.h"
#include "base/checked_vector.h"
#include "platform/d3d9_types.h"
#include "platform/ddraw_fwd.h"

// The Direct3D attachment.
struct DDTEXTUREDATA {
    std::uint32_t dwID = 0;
    plat::IDirect3DSurface9* lpSurface = nullptr;
    plat::IDirect3DSurface9* lpSystemSurface = nullptr;
    plat::IDirect3DVertexBuffer9* lpVB = nullptr;
    plat::IDirect3DTexture9* lpTexture = nullptr;
    plat::D3DSURFACE_DESC desc;
    int nMemoryType = 0;
    int bColorKey = 0;
    int bRenderTarget = 0;
    std::unique_ptr<std::uint8_t[]> lpPalIndex;
};

// The DirectDraw attachment.
struct DDSDATA {
    plat::IDirectDrawSurface7* lpDDSurface = nullptr;
    std::unique_ptr<std::uint8_t[]> lpPalIndex;
};

// Memory types of the Direct3D back end.
constexpr int DTMEMORYTYPE_VIDEO_RT = 0;
constexpr int DTMEMORYTYPE_SYSTEM = 1;
constexpr int DTMEMORYTYPE_VIDEO_NORT = 2;

struct DDSURFACEDATA {
    DDSURFACEDATA() = default;
    DDSURFACEDATA(const DDSURFACEDATA&) = delete;
    DDSURFACEDATA& operator=(const DDSURFACEDATA&) = delete;
    // A surface still holding its attachment gives it back, so no surface list keeps
    // a record that no longer exists.
    ~DDSURFACEDATA();

    DDTEXTUREDATA* lpDT = nullptr;
    DDSDATA* lpDS = nullptr;
    char szSurfaceType[260] = {};
    int nWidth = 0;
    int nHeight = 0;
    int nTexWidth = 0;
    int nTexHeight = 0;
    char szFileName[260] = {};
    int nDDMemory = 0;
    int nMirrorWidth = 0;
    int nMirrorHeight = 0;
    DDSURFACEDATA* lpShareSD = nullptr;
    int bLost = 0;
};

struct DDSURFACEDEF {
    char szFileName[260] = {};
    int bColorKey = 0;
    int nDDMemory = 0;
    int nMemoryType = 0;
    DDSURFACEDATA* lpSrcSD = nullptr;
    const void* lpPalData = nullptr;
    int bOptional = 0;
    int nMirrorWidth = 0;
    int nMirrorHeight = 0;
    int nWidth = 0;
    int nHeight = 0;

    // Fills the definition in field order (the file name is cut to 259 bytes).
    void Set(const char* fileName, int colorKey, int ddMemory, int memoryType, DDSURFACEDATA* srcSD,
             const void* palData, int optional, int mirrorWidth, int mirrorHeight, int width,
             int height);
};

// A growable array of surfaces whose elements never move: appending keeps every earlier
// surface where it is, so the surface list can point at them. Index access is checked.
class SurfaceVector {
public:
    DDSURFACEDATA& operator[](int index);
    unsigned Size() const { return static_cast<unsigned>(items_.size()); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    DDSURFACEDATA& back() { return items_.back(); }
    DDSURFACEDATA& emplace_back() { return items_.emplace_back(); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    // Releases and destroys every surface.
    void clear() { items_.clear(); }

private:
    std::deque<DDSURFACEDATA> items_;
};

using SurfaceList = CheckedList<DDSURFACEDATA>;
using SurfaceDefVector = CheckedVector<DDSURFACEDEF>;
using SurfaceDefList = CheckedList<DDSURFACEDEF>;

// Every Direct3D surface that owns a texture, in creation order.
extern CheckedList<DDSURFACEDATA*>& SDList;

// Attaches the back end's record asked for at DDInit when it is missing; false when
// memory runs out.
bool DDAllocSurfaceData(DDSURFACEDATA* lpSD);
bool DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bColorKey, int nDDMemory,
                     int nMemoryType, DDSURFACEDATA* lpShareSD, int bRecreate);
// 0 success, 1 mirror failure, 4 surface not created, 8 image not loaded, or a negative
// result of the texture creation.
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFileName, int bColorKey, int nBpp,
                            int nDDMemory, int nMemoryType, DDSURFACEDATA* lpShareSD,
                            const void* lpPalData, int nMirrorWidth, int nMirrorHeight,
                            int bRecreate);
bool DDCheckResult(int code);
bool DDLoadSurfaceSet(DDSURFACEDATA* lpSDArray, const int* lpIndices, int nCount);

bool DDAddSurfaceToVector(SurfaceVector& surfaces, SurfaceDefVector& defs, int nWidth, int nHeight,
                          int bColorKey, int nDDMemory, int nMemoryType, DDSURFACEDATA* lpSrcSD);
bool DDAddSurfaceToList(SurfaceList& surfaces, SurfaceDefList& defs, int nWidth, int nHeight,
                        int bColorKey, int nDDMemory, int nMemoryType, DDSURFACEDATA* lpSrcSD);
int DDRemoveSurfaceFromList(SurfaceList& surfaces, SurfaceDefList& defs, DDSURFACEDATA* lpSD);

void DDFreeSurfaceData(DDSURFACEDATA* lpSD);
void DDReleaseSurface(DDSURFACEDATA* lpSD);
void DDReleaseSurfaceVector(SurfaceVector& surfaces);
void DDReleaseSurfaceList(SurfaceList& surfaces);

void DDGetShareSD(DDSURFACEDATA** ppSD);
void D3DAdjustTextureSize(int* pW, int* pH);
int D3DCheckTextureSize(unsigned w, unsigned h);
// DirectDraw: *pbTooLarge = 1 when the bitmap is wider or taller than nWidth x nHeight; 0 when
// the bitmap cannot be loaded. Direct3D: 1, *pbTooLarge unchanged.
int DDCheckBitmapSize(int* pbTooLarge, const char* szFileName, int nWidth, int nHeight);
