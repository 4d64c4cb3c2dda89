// A headless Direct3D-like device with its back buffer and one vertex buffer of transformed,
// lit vertices: what the device tests draw with.
#pragma once

#include <gtest/gtest.h>

#include "platform/d3d9.h"
#include "platform/platform_state.h"
#include "platform/seams.h"

class HeadlessDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace plat;
        saved = GetSeams();
        Seams seams;
        seams.headless = true;
        SetSeams(seams);
        ResetPlatformState();
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp;
        pp.Windowed = 1;
        pp.BackBufferWidth = 8;
        pp.BackBufferHeight = 6;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        params = pp;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &pp, &device),
                  D3D_OK);
        ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(D3DTLVERTEX), D3DUSAGE_WRITEONLY,
                                             D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                             D3DPOOL_MANAGED, &vb, nullptr),
                  D3D_OK);
    }
    void TearDown() override {
        if (back) back->Release();
        if (vb) vb->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
        plat::ResetPlatformState();
        plat::SetSeams(saved);
    }

    plat::Seams saved;
    plat::IDirect3D9* d3d = nullptr;
    plat::IDirect3DDevice9* device = nullptr;
    plat::IDirect3DSurface9* back = nullptr;
    plat::IDirect3DVertexBuffer9* vb = nullptr;
    plat::D3DPRESENT_PARAMETERS params;
};
