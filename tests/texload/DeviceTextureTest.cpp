// Loading pixels and mip chains into the GL device's own textures, in the
// managed and system-memory pools, gives the bytes the memory surfaces get.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/platform/d3d8/DeviceFixture.h"
#include "tests/texload/MemoryTexture.h"
#include "texload/FilterWord.h"
#include "texload/MipFilter.h"
#include "texload/SurfaceBlit.h"

namespace {

class DeviceTextureTest : public DeviceFixture {};

std::vector<uint32_t> Gradient(UINT width, UINT height) {
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            pixels[y * width + x] = 0xFF000000u | (x * 255 / width) << 16 | (y * 255 / height) << 8 | ((x * y) & 0xFF);
        }
    }
    return pixels;
}

// Loads a 40 x 20 picture into level 0 and computes the chain below it.
HRESULT LoadChain(IDirect3DTexture8* texture, const std::vector<uint32_t>& picture) {
    IDirect3DSurface8* top = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(0, &top);
    if (FAILED(hr)) return hr;
    RECT rect = {0, 0, 40, 20};
    hr = BlitToSurface(top, nullptr, nullptr, picture.data(), D3DFMT_A8R8G8B8, 40 * 4, nullptr, &rect,
                       FILTER_TRIANGLE | FILTER_DITHER, 0);
    top->Release();
    if (FAILED(hr)) return hr;
    return FilterMipChain(texture, nullptr, 0, FILTER_BOX);
}

TEST_F(DeviceTextureTest, ManagedAndSystemMemoryTexturesMatchMemorySurfaces) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    std::vector<uint32_t> picture = Gradient(40, 20);
    for (D3DPOOL pool : {D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM}) {
        for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_L8,
                                 D3DFMT_R8G8B8, D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
            IDirect3DTexture8* texture = nullptr;
            ASSERT_EQ(device_->CreateTexture(32, 16, 0, 0, format, pool, &texture), D3D_OK) << format;
            ASSERT_EQ(LoadChain(texture, picture), S_OK) << format;
            MemoryTexture* reference = new MemoryTexture(32, 16, 0, format);
            ASSERT_EQ(LoadChain(reference, picture), S_OK);
            ASSERT_EQ(texture->GetLevelCount(), reference->GetLevelCount());
            for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
                MemorySurface* expected = reference->Level(level);
                D3DLOCKED_RECT locked;
                ASSERT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
                UINT rowBytes = MemorySurface::RowBytes(expected->width, format);
                for (UINT row = 0; row < MemorySurface::StoredRows(expected->height, format); ++row) {
                    EXPECT_EQ(std::memcmp(static_cast<BYTE*>(locked.pBits) + size_t(row) * locked.Pitch,
                                          expected->Row(row), rowBytes),
                              0)
                        << "format " << format << " pool " << pool << " level " << level << " row " << row;
                }
                texture->UnlockRect(level);
            }
            reference->Release();
            EXPECT_EQ(texture->Release(), 0u);
        }
    }
}

TEST_F(DeviceTextureTest, DrawsALoadedDxtTexture) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    std::vector<uint32_t> picture(40 * 20, 0xFF2040E0u);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(32, 16, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(LoadChain(texture, picture), S_OK);
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    const ScreenTexVertex quad[4] = {
        {0, 0, 0.5f, 1, 0, 0}, {64, 0, 0.5f, 1, 1, 0}, {0, 64, 0.5f, 1, 0, 1}, {64, 64, 0.5f, 1, 1, 1}};
    Draw(quad, sizeof(ScreenTexVertex), 4, SCREEN_TEX_FVF, D3DPT_TRIANGLESTRIP);
    std::vector<D3DCOLOR> frame = ReadBack();
    D3DCOLOR centre = Pixel(frame, 32, 32);
    // 565 of (0x20, 0x40, 0xE0), as the device decodes it.
    EXPECT_NEAR(Channel(centre, 16), 0x20, 4);
    EXPECT_NEAR(Channel(centre, 8), 0x40, 4);
    EXPECT_NEAR(Channel(centre, 0), 0xE0, 4);
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
