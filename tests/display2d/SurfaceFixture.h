// What the 2D tests share: a DirectDraw object at the normal level as
// surfaceDirectDraw, a scratch working folder, and pixel reads through Lock.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display2d/Surface2D.h"
#include "tests/platform/gdi/TestBitmaps.h"

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
                  DD_OK);
        ASSERT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        surfaceDirectDraw = directDraw;
    }
    void TearDown() override {
        surfaceDirectDraw = nullptr;
        if (directDraw != nullptr) directDraw->Release();
    }

    // Writes a picture as a 24-bit bitmap file in the scratch folder.
    static void SaveBitmap(const char* name, int width, int height,
                           const testbitmaps::Picture& picture = testbitmaps::Pattern) {
        ASSERT_TRUE(testbitmaps::Save(name, testbitmaps::TrueColour(width, height, picture)));
    }

    // The pixel at (x, y) as 0x00RRGGBB (surfaces are in the 32-bit display format).
    static uint32_t PixelAt(IDirectDrawSurface7* surface, int x, int y) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        if (surface == nullptr || surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
        uint32_t value;
        std::memcpy(&value, static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * 4, 4);
        surface->Unlock(nullptr);
        return value & 0xFFFFFF;
    }

    static void SizeOf(IDirectDrawSurface7* surface, DWORD* width, DWORD* height) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        *width = *height = 0;
        if (surface != nullptr && surface->GetSurfaceDesc(&desc) == DD_OK) {
            *width = desc.dwWidth;
            *height = desc.dwHeight;
        }
    }

    testbitmaps::ScratchFolder folder;
    IDirectDraw7* directDraw = nullptr;
};
