// The Direct3D-9-like personality of the software display device: a device with a back
// buffer, textures (render targets in the default pool, managed and system-memory ones),
// off-screen surfaces, vertex buffers, Clear, screen-space quads drawn through the
// stage-0 colour and alpha operations and the alpha blend, Present, and device loss with
// Reset. The texture creator stands in for the utility library's one.
//
// The rules of the original that the drawing layer depends on are kept, so a fault there
// shows here: default-pool textures cannot be locked (their pixels go through a
// system-memory twin), drawing happens between BeginScene and EndScene, a present must not
// happen inside a scene, and a lost device is reset only after every default-pool resource
// and back-buffer reference was released.
//
// Drawing arithmetic, fixed once: a pixel is covered when its centre (x, y) lies inside the
// quad (left and top edges inclusive); texels are sampled by point at floor(u * width);
// blending is out = (s * fs + d * fd + 127) / 255 per channel; modulate is (a * b + 127) / 255.
// Quads are axis-aligned rectangles (the 2D layer draws nothing else yet).
//
// The device is lost only when a test hook says so (K4_LOSE_DEVICE at a present, or
// SimulateDeviceLoss). The first TestCooperativeLevel after a loss answers DEVICELOST and
// the following ones DEVICENOTRESET, so a restore that is tried at once fails once and then
// succeeds, as when the user comes back to the program.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/d3d9_types.h"
#include "platform/device_object.h"
#include "platform/messages.h"
#include "platform/pixel_format.h"
#include "platform/rect.h"
#include "platform/soft_device.h"

namespace plat {

class IDirect3DSurface9 : public DeviceObject {
public:
    // A null rectangle locks the whole surface.
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();
    HRESULT GetDesc(D3DSURFACE_DESC* desc);

    SoftSurface& Pixels() { return *pixels_; }
    const D3DSURFACE_DESC& Desc() const { return desc_; }
    bool IsRenderTarget() const { return (desc_.Usage & D3DUSAGE_RENDERTARGET) != 0; }

private:
    friend class IDirect3DDevice9;
    friend class IDirect3DTexture9;
    IDirect3DSurface9(IDirect3DDevice9* device, IDirect3DTexture9* container,
                      std::shared_ptr<SoftSurface> pixels, const D3DSURFACE_DESC& desc,
                      bool lockable);
    ~IDirect3DSurface9() override;

    Ref<IDirect3DDevice9> device_;
    Ref<IDirect3DTexture9> container_;  // the texture whose level this is
    std::shared_ptr<SoftSurface> pixels_;
    D3DSURFACE_DESC desc_;
    bool lockable_;
};

class IDirect3DTexture9 : public DeviceObject {
public:
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** out);
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc);
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);

    SoftSurface& Pixels() { return *pixels_; }
    const D3DSURFACE_DESC& Desc() const { return desc_; }

private:
    friend class IDirect3DDevice9;
    friend class IDirect3DSurface9;
    IDirect3DTexture9(IDirect3DDevice9* device, std::shared_ptr<SoftSurface> pixels,
                      const D3DSURFACE_DESC& desc);
    ~IDirect3DTexture9() override;
    bool Lockable() const;

    Ref<IDirect3DDevice9> device_;
    std::shared_ptr<SoftSurface> pixels_;
    D3DSURFACE_DESC desc_;
};

// The bytes of a vertex or index buffer, counted among the device's default-pool resources
// while it lives in that pool.
class D3DBuffer9 : public DeviceObject {
public:
    // size 0 locks from offset to the end.
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();

protected:
    D3DBuffer9(IDirect3DDevice9* device, std::shared_ptr<std::vector<std::uint8_t>> data,
               DWORD pool);
    ~D3DBuffer9() override;

    Ref<IDirect3DDevice9> device_;
    std::shared_ptr<std::vector<std::uint8_t>> data_;
    DWORD pool_;
    bool locked_ = false;
};

class IDirect3DVertexBuffer9 : public D3DBuffer9 {
private:
    friend class IDirect3DDevice9;
    using D3DBuffer9::D3DBuffer9;
};

// 16-bit indices into the vertex stream (the batches draw their quads through them).
class IDirect3DIndexBuffer9 : public D3DBuffer9 {
private:
    friend class IDirect3DDevice9;
    using D3DBuffer9::D3DBuffer9;
};

class IDirect3DDevice9 : public DeviceObject {
public:
    HRESULT TestCooperativeLevel();
    HRESULT Reset(D3DPRESENT_PARAMETERS* params);
    HRESULT Present(const RECT* src, const RECT* dst, HWND window, const void* dirty);
    HRESULT GetBackBuffer(UINT swapChain, UINT index, DWORD type, IDirect3DSurface9** out);

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          DWORD pool, IDirect3DTexture9** out, void* shared);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, DWORD pool,
                               IDirect3DVertexBuffer9** out, void* shared);
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, DWORD pool,
                                        IDirect3DSurface9** out, void* shared);
    // Only D3DFMT_INDEX16.
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, DWORD pool,
                              IDirect3DIndexBuffer9** out, void* shared);

    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* target);
    HRESULT GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dst);
    HRESULT UpdateSurface(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst,
                          const POINT* dstPoint);
    HRESULT StretchRect(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst,
                        const RECT* dstRect, DWORD filter);

    HRESULT Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT SetRenderState(DWORD state, DWORD value);
    HRESULT GetRenderState(DWORD state, DWORD* value);
    // Inline: the drawing layer sets the sprite stage before every blit.
    HRESULT SetTextureStageState(DWORD stage, DWORD type, DWORD value) {
        if (stage >= 8 || type >= stage0_.size()) return D3DERR_INVALIDCALL;
        // Only stage 0 takes part in drawing.
        if (stage == 0) stage0_[type] = value;
        return D3D_OK;
    }
    HRESULT SetSamplerState(DWORD sampler, DWORD type, DWORD value);
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture);
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* vb, UINT offset, UINT stride);
    HRESULT SetFVF(DWORD fvf);
    // Triangle strips of two triangles forming an axis-aligned quad.
    HRESULT DrawPrimitive(DWORD type, UINT start, UINT count);
    // One quad of four vertices in strip order (not from a vertex buffer) drawn onto target,
    // as SetRenderTarget(target), a Clear of *clear to clearColour when clear is given and
    // DrawPrimitive of those vertices would draw it, leaving the render target as it was:
    // the drawing layer's single sprites, without the vertex buffer and the target switches.
    HRESULT DrawQuadOnto(IDirect3DSurface9* target, const D3DTLVERTEX* v, const RECT* clear,
                         D3DCOLOR clearColour);
    // The quad DrawQuadOnto draws for the vertices of a sprite on whole pixels over whole
    // texels one to one: pixel edges at dst's sides less half a pixel, texture coordinates
    // sx / texWidth .. (sx + width) / texWidth and sy / texHeight .. (sy + height) / texHeight,
    // one vertex colour, in the current states. Drawn here without the vertices when the
    // sprite loops take it whole (the texture is texWidth x texHeight, the rectangles lie in
    // their surfaces, the states are a sprite's): true. Otherwise false, and nothing is done:
    // the caller hands the vertices to DrawQuadOnto. Mirrored: the texture coordinates run
    // backwards, from sx / texWidth to (sx - width) / texWidth (a sprite facing the other way).
    bool DrawSpriteRectOnto(IDirect3DSurface9* target, const RECT& dst, int sx, int sy,
                            int texWidth, int texHeight, D3DCOLOR diffuse, const RECT* clear,
                            D3DCOLOR clearColour, bool mirrored = false);
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices);
    // The same quads with their four vertices named by indices startIndex..startIndex + 3
    // (plus baseVertexIndex).
    HRESULT DrawIndexedPrimitive(DWORD type, int baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primCount);
    HRESULT SetDialogBoxMode(BOOL on);

    // Test hook: the device is lost, as when another program took the full screen.
    void SimulateDeviceLoss();
    bool IsLost() const { return state_ != State::Ok; }
    // Default-pool resources and back-buffer references alive (a reset needs none).
    int DefaultPoolResources() const { return defaultPool_.load(); }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return params_; }
    // Index buffers made so far (tests: the batches make one per group they draw).
    int IndexBuffersCreated() const { return indexBuffersCreated_; }
    // Tests: the way the last quad drawn took (one colour, a sprite's texels, or pixel by
    // pixel through the general arithmetic).
    // Sprite: the sprite row loops; SpriteWhole: the same loops reached without the general
    // set-up, for a quad on whole pixels reading whole texels one to one. Triangles: a quad
    // that is not an axis-aligned rectangle, drawn as its two triangles.
    // Textured: a quad of one vertex colour reading its texture by other operations, through
    // loops fixed per format and operation; Modulated: one whose stage modulates each texel
    // by a colour, unscaled across, eight pixels at a time.
    enum class QuadPath {
        None,
        Constant,
        Sprite,
        SpriteWhole,
        Textured,
        Modulated,
        General,
        Triangles,
        TriangleRows  // triangles a row at a time with the formats fixed
    };
    QuadPath LastQuadPath() const { return lastQuadPath_; }
    // The pixels of the current render target (the utility library's font draws into it);
    // null while the device is lost.
    SoftSurface* RenderTargetPixels() const {
        return state_ == State::Ok ? renderTarget_.get() : nullptr;
    }

private:
    friend class IDirect3D9;
    friend class IDirect3DSurface9;
    friend class IDirect3DTexture9;
    friend class D3DBuffer9;
    enum class State { Ok, Lost, NotReset };

    IDirect3DDevice9(const D3DCAPS9& caps, const D3DPRESENT_PARAMETERS& params);
    ~IDirect3DDevice9() override;
    // Makes the back buffer and the default states of the presentation parameters.
    bool Setup(const D3DPRESENT_PARAMETERS& params);
    void ResetStates();
    // Draws the quad of the four vertices (strip order) into rt (the render target, or the
    // target DrawQuadOnto names).
    void DrawQuad(const D3DTLVERTEX* v, SoftSurface& rt);
    // DrawQuad for the common sprite case (see DrawQuad); the way it was drawn, or
    // QuadPath::None when it does not apply.
    QuadPath DrawSpriteQuad(SoftSurface& rt, const D3DTLVERTEX* const* corner, int x0, int x1,
                            int y0, int y1, float minX, float maxX, float minY, float maxY);
    // How the sprite loops draw a quad of the vertex colour onto rt in the current states;
    // false when they do not.
    struct SpriteShading {
        bool wide;        // 32-bit texels and target (else 16-bit)
        bool texelAlpha;  // the texel's alpha is the coverage (else the vertex alpha)
        std::uint32_t vertexAlpha;
    };
    bool SpriteShadingOf(const SoftSurface& rt, D3DCOLOR diffuse, SpriteShading* out) const;
    // The pixels x0..x1 by y0..y1 of rt from the texels first.., firstRow.. read in order,
    // or, mirrored, from texel first backwards along each row (not onto the texture itself).
    void DrawWholeSprite(SoftSurface& rt, const SpriteShading& shading, int x0, int y0, int x1,
                         int y1, int first, int firstRow, bool mirrored);
    // DrawQuad for a quad of one vertex colour, unscaled across its texture, whose stage
    // modulates each texel by a colour (the texel and the target not the same surface, the
    // column table filled): false, with nothing drawn, for any other.
    bool DrawModulatedQuad(SoftSurface& rt, int x0, int y0, int x1, int y1, float minY, float maxY,
                           double vT, double vB, D3DCOLOR diffuse);
    // Any quad, as the two triangles of its strip (see DrawQuad).
    void DrawTriangles(const D3DTLVERTEX* v, SoftSurface& rt);

    D3DCAPS9 caps_;
    D3DPRESENT_PARAMETERS params_;
    State state_ = State::Ok;
    bool inScene_ = false;
    bool fullScreen_ = false;
    std::atomic<int> defaultPool_{0};
    std::shared_ptr<SoftSurface> backBuffer_;
    std::shared_ptr<SoftSurface> renderTarget_;
    std::shared_ptr<SoftSurface> texture_;  // stage 0
    std::shared_ptr<std::vector<std::uint8_t>> stream_;
    std::shared_ptr<std::vector<std::uint8_t>> indices_;
    std::vector<int> columnTexel_;        // DrawQuad's texel column per pixel column
    std::vector<int> rowTexel_;           // and texel row per pixel row
    std::vector<std::uint8_t> mirrored_;  // the texels of a mirrored sprite, turned round
    int indexBuffersCreated_ = 0;
    QuadPath lastQuadPath_ = QuadPath::None;
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
    DWORD fvf_ = 0;
    std::array<DWORD, 256> renderStates_{};
    std::array<DWORD, 33> stage0_{};
    std::array<DWORD, 14> sampler0_{};
};

class IDirect3D9 : public DeviceObject {
public:
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode);
    HRESULT GetDeviceCaps(UINT adapter, DWORD type, D3DCAPS9* caps);
    // K4_FAIL: d3d_device fails every creation, d3d_hardware_vertex the one with hardware
    // vertex processing.
    HRESULT CreateDevice(UINT adapter, DWORD type, HWND focus, DWORD flags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out);

private:
    friend IDirect3D9* Direct3DCreate9(UINT sdk);
    IDirect3D9() = default;
};

// Null with K4_FAIL=d3d_create or a wrong SDK version.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

// The texture creator of the utility library: one level of the size asked for.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels,
                          DWORD usage, D3DFORMAT format, DWORD pool, IDirect3DTexture9** out);

// Tests: every quad is drawn pixel by pixel through the general arithmetic (true), the
// reference that the faster ways are held to, or by the fastest way that gives its pixels
// (false).
void UseGeneralQuadPath(bool general);

// Tests: every quad, rectangles included, is drawn as the two triangles of its strip (true),
// the way a rotated quad is drawn, or by the rectangle paths (false).
void UseTriangleQuadPath(bool triangles);

// The version text the display driver reports for its interface ("9", or "8" with
// K4_FAIL=d3d_ddi_version: a driver older than the program needs).
const char* DisplayDriverDdiVersion();

}  // namespace plat
