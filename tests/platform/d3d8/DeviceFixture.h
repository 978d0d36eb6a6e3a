// A window and a Direct3D 8 device on it, with helpers to draw and read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/D3D8Testing.h"
#include "platform/d3d8/d3d8.h"

// Pre-transformed vertex: screen x, y, depth, 1/w, colour.
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr DWORD SCREEN_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// Pre-transformed vertex with one texture coordinate set and no colour.
struct ScreenTexVertex {
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD SCREEN_TEX_FVF = D3DFVF_XYZRHW | D3DFVF_TEX1;

// The viewer's layout: position and one texture coordinate set.
struct WorldVertex {
    float x, y, z;
    float u, v;
};
constexpr DWORD WORLD_FVF = D3DFVF_XYZ | D3DFVF_TEX1;

class DeviceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the device as the viewer does (full screen, one back buffer, D16).
    HRESULT CreateDevice(UINT width, UINT height);
    void ReleaseDevice();

    // Fills a vertex buffer of the device with these bytes and returns it.
    IDirect3DVertexBuffer8* MakeBuffer(const void* bytes, UINT size, DWORD fvf);
    // A managed A8R8G8B8 texture filled with these pixels (0xAARRGGBB).
    IDirect3DTexture8* MakeTexture(UINT width, UINT height, const std::vector<D3DCOLOR>& pixels);
    // Draws vertices from a buffer made on the spot, inside BeginScene/EndScene.
    void Draw(const void* vertices, UINT vertexSize, UINT count, DWORD fvf,
              D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST);

    // Clears the frame and draws the texture over all of it; the colour at its
    // centre (alpha left out).
    D3DCOLOR DrawTextured(IDirect3DTexture8* texture);

    // The back buffer, top row first, as 0xAARRGGBB per pixel.
    std::vector<D3DCOLOR> ReadBack();
    D3DCOLOR Pixel(const std::vector<D3DCOLOR>& frame, UINT x, UINT y) const { return frame[y * width_ + x]; }
    // Saves the back buffer as a PNG under the build tree (for looking at).
    void SaveFrame(const std::string& name);

    HWND window_ = nullptr;
    IDirect3D8* direct3D_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
    UINT width_ = 0, height_ = 0;
};

inline int Channel(D3DCOLOR c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
