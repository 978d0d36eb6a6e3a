// DirectDraw on real SDL surfaces: surface creation rules, Blt (scaling,
// colour keys, fills, clipping), device contexts, locks, and the exclusive
// full-screen display with its flipping chain and frame capture.
#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/wingdi.h"
#include "platform/win32/PlatformSettings.h"
#include "platform/win32/PlatformWindow.h"

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.lpszClassName = "ddraw-test";
        RegisterClassA(&windowClass);
        registered = true;
    }
    return CreateWindowExA(0, "ddraw-test", "ddraw", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
}

IDirectDraw7* MakeDirectDraw(DWORD level = DDSCL_NORMAL, HWND window = nullptr) {
    IDirectDraw7* dd = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    if (dd != nullptr) {
        EXPECT_EQ(dd->SetCooperativeLevel(window, level), DD_OK);
    }
    return dd;
}

DDSURFACEDESC2 PlainDesc(DWORD width, DWORD height) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    return desc;
}

IDirectDrawSurface7* MakeSurface(IDirectDraw7* dd, DWORD width, DWORD height) {
    DDSURFACEDESC2 desc = PlainDesc(width, height);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

DDBLTFX Fx() {
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    return fx;
}

void Fill(IDirectDrawSurface7* surface, RECT* area, DWORD pixel) {
    DDBLTFX fx = Fx();
    fx.dwFillColor = pixel;
    ASSERT_EQ(surface->Blt(area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

// The raw pixel at (x, y) of a 32-bit surface, read through Lock.
DWORD PixelAt(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return 0xDEADBEEF;
    DWORD value;
    std::memcpy(&value, static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * 4, 4);
    surface->Unlock(nullptr);
    return value & 0xFFFFFF;
}

}  // namespace

TEST(DirectDraw, RecordsKeepTheirSizes) {
    EXPECT_EQ(sizeof(DDCAPS), 380u);
    EXPECT_EQ(sizeof(DDCOLORKEY), 8u);
    EXPECT_EQ(sizeof(DDSCAPS2), 16u);
    EXPECT_EQ(sizeof(DDPIXELFORMAT), 32u);
    EXPECT_EQ(offsetof(DDCAPS, dwVidMemTotal), 60u);
    EXPECT_EQ(offsetof(DDCAPS, ddsCaps), 364u);
    // The two records holding pointers are larger on this 64-bit build than
    // the 124 and 100 bytes of 32-bit Windows; the layer takes either size.
    EXPECT_EQ(sizeof(DDSURFACEDESC2), 136u);
    EXPECT_EQ(sizeof(DDBLTFX), 128u);
    IDirectDraw7* dd = MakeDirectDraw();
    IDirectDrawSurface7* surface = MakeSurface(dd, 4, 4);
    for (DWORD size : {DWORD(sizeof(DDBLTFX)), DDBLTFX_SIZE_32BIT}) {
        DDBLTFX fx = Fx();
        fx.dwSize = size;
        fx.dwFillColor = size;
        EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK) << size;
        EXPECT_EQ(PixelAt(surface, 3, 3), size);
    }
    for (DWORD size : {DWORD(sizeof(DDSURFACEDESC2)), DDSURFACEDESC2_SIZE_32BIT}) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = size;
        EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK) << size;
        EXPECT_EQ(desc.dwSize, size);
        EXPECT_EQ(desc.dwWidth, 4u);
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK) << size;
        EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
        EXPECT_EQ(dd->GetDisplayMode(&desc), DD_OK) << size;
    }
    DDBLTFX odd = Fx();
    odd.dwSize = 112;
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &odd), DDERR_INVALIDPARAMS);
    surface->Release();
    dd->Release();
}

TEST(DirectDraw, CreationChecksItsArguments) {
    IDirectDraw7* dd = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDrawSurface7, nullptr),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, nullptr, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    DDSURFACEDESC2 desc = PlainDesc(8, 8);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    desc.dwWidth = 0;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    desc.dwWidth = 100000;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_TOOBIGSIZE);
    desc = PlainDesc(8, 8);
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDCAPS);
    desc = PlainDesc(8, 8);
    desc.dwSize = 12;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    // Code written for 32-bit Windows puts 124 there.
    desc.dwSize = 124;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    // A flipping primary needs the exclusive level.
    DDSURFACEDESC2 primary;
    std::memset(&primary, 0, sizeof primary);
    primary.dwSize = sizeof primary;
    primary.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    primary.dwBackBufferCount = 1;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7* front = nullptr;
    EXPECT_EQ(dd->CreateSurface(&primary, &front, nullptr), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(front, nullptr);
    surface->Release();
    EXPECT_EQ(dd->Release(), 0u);
}

TEST(DirectDraw, SurfacesTakeTheDisplayFormatOrTheOneAsked) {
    IDirectDraw7* dd = MakeDirectDraw();
    IDirectDrawSurface7* plain = MakeSurface(dd, 5, 4);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    ASSERT_EQ(plain->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 5u);
    EXPECT_EQ(desc.dwHeight, 4u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN);

    DDSURFACEDESC2 asked = PlainDesc(2, 2);
    asked.dwFlags |= DDSD_PIXELFORMAT;
    asked.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    asked.ddpfPixelFormat.dwFlags = DDPF_RGB;
    asked.ddpfPixelFormat.dwRGBBitCount = 16;
    asked.ddpfPixelFormat.dwRBitMask = 0xF800;
    asked.ddpfPixelFormat.dwGBitMask = 0x07E0;
    asked.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface7* small = nullptr;
    ASSERT_EQ(dd->CreateSurface(&asked, &small, nullptr), DD_OK);
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    ASSERT_EQ(small->GetPixelFormat(&format), DD_OK);
    EXPECT_EQ(format.dwRGBBitCount, 16u);
    EXPECT_EQ(format.dwGBitMask, 0x07E0u);
    // A 32-bit picture copied to 5-6-5 and back keeps pure colours.
    Fill(plain, nullptr, 0x00FF00);
    EXPECT_EQ(small->Blt(nullptr, plain, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    Fill(plain, nullptr, 0);
    EXPECT_EQ(plain->Blt(nullptr, small, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(plain, 3, 3), 0x00FF00u);
    asked.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
    IDirectDrawSurface7* odd = nullptr;
    EXPECT_EQ(dd->CreateSurface(&asked, &odd, nullptr), DDERR_INVALIDPIXELFORMAT);
    small->Release();
    plain->Release();
    dd->Release();
}

TEST(DirectDraw, BltScalesKeysAndFills) {
    IDirectDraw7* dd = MakeDirectDraw();
    IDirectDrawSurface7* source = MakeSurface(dd, 4, 4);
    IDirectDrawSurface7* dest = MakeSurface(dd, 8, 8);
    RECT left = {0, 0, 2, 4}, right = {2, 0, 4, 4};
    Fill(source, &left, 0xFF0000);
    Fill(source, &right, 0x0000FF);
    Fill(dest, nullptr, 0x00FF00);
    // Doubled: columns 0-3 red, 4-7 blue.
    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(dest, 3, 7), 0xFF0000u);
    EXPECT_EQ(PixelAt(dest, 4, 0), 0x0000FFu);
    // Blue is the source key: those pixels of the destination stay.
    Fill(dest, nullptr, 0x00FF00);
    DDCOLORKEY key = {0x0000FF, 0x0000FF};
    EXPECT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(dest, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(dest, 7, 7), 0x00FF00u);
    // The key given with the blit in place of the surface's own.
    DDBLTFX fx = Fx();
    fx.ddckSrcColorkey = DDCOLORKEY{0xFF0000, 0xFF0000};
    Fill(dest, nullptr, 0x00FF00);
    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRCOVERRIDE, &fx), DD_OK);
    EXPECT_EQ(PixelAt(dest, 0, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(dest, 7, 7), 0x0000FFu);
    // Shrinking keeps one source pixel per destination pixel.
    RECT one = {0, 0, 2, 1};
    EXPECT_EQ(dest->Blt(&one, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(dest, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(dest, 1, 0), 0x0000FFu);
    // Without a clipper, rectangles must lie inside.
    RECT outside = {4, 4, 9, 9}, empty = {3, 3, 3, 5};
    EXPECT_EQ(dest->Blt(&outside, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(&empty, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, source, &outside, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_ROP, &fx), DDERR_UNSUPPORTED);
    // BltFast copies at the source's size.
    Fill(dest, nullptr, 0);
    EXPECT_EQ(dest->BltFast(4, 4, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(PixelAt(dest, 3, 3), 0u);
    EXPECT_EQ(PixelAt(dest, 4, 4), 0xFF0000u);
    EXPECT_EQ(PixelAt(dest, 7, 7), 0x0000FFu);
    EXPECT_EQ(dest->BltFast(6, 6, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    source->Release();
    dest->Release();
    dd->Release();
}

TEST(DirectDraw, ClipperCutsBlitsToTheWindow) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    IDirectDraw7* dd = MakeDirectDraw(DDSCL_NORMAL, window);
    IDirectDrawSurface7* source = MakeSurface(dd, 10, 10);
    IDirectDrawSurface7* dest = MakeSurface(dd, 100, 100);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    ASSERT_EQ(dest->SetClipper(clipper), DD_OK);
    Fill(source, nullptr, 0xFFFFFF);
    Fill(dest, nullptr, 0);
    // The window is 64 x 48: a blit running past it is cut there, not refused.
    RECT across = {60, 40, 70, 50};
    EXPECT_EQ(dest->Blt(&across, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(dest, 63, 47), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(dest, 64, 47), 0u);
    EXPECT_EQ(PixelAt(dest, 63, 48), 0u);
    // Even the widest rectangle is cut, not overflowed.
    RECT widest = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_EQ(dest->Blt(&widest, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(dest, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(dest->BltFast(0, 0, source, nullptr, 0), DDERR_BLTFASTCANTCLIP);
    IDirectDrawClipper* held = nullptr;
    EXPECT_EQ(dest->GetClipper(&held), DD_OK);
    EXPECT_EQ(held, clipper);
    held->Release();
    EXPECT_EQ(dest->SetClipper(nullptr), DD_OK);
    EXPECT_EQ(dest->GetClipper(&held), DDERR_NOCLIPPERATTACHED);
    EXPECT_EQ(clipper->Release(), 0u);
    source->Release();
    dest->Release();
    dd->Release();
    DestroyWindow(window);
}

TEST(DirectDraw, ClipperOfTheDisplayWindowCoversAModeLargerThanTheScreen) {
    HWND window = MakeWindow();
    IDirectDraw7* dd = MakeDirectDraw(DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE, window);
    // Where no display mode has this size the window is desktop-sized and the
    // frame scaled into it; the clipper still lets blits reach the whole mode.
    // The offscreen driver offers every mode, so the smaller screen's window is
    // made here.
    ASSERT_EQ(dd->SetDisplayMode(1280, 1024, 32, 0, 0), DD_OK);
    SDL_Window* shown = PlatformWindowSdl(window);
    ASSERT_NE(shown, nullptr);
    SDL_SetWindowFullscreen(shown, 0);
    SDL_SetWindowSize(shown, 1024, 768);
    RECT client = {};
    ASSERT_TRUE(GetClientRect(window, &client));
    ASSERT_EQ(client.right, 1024);
    ASSERT_EQ(client.bottom, 768);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    ASSERT_EQ(back->SetClipper(clipper), DD_OK);

    Fill(back, nullptr, 0x102030);
    EXPECT_EQ(PixelAt(back, 1279, 1023), 0x102030u);
    IDirectDrawSurface7* source = MakeSurface(dd, 8, 8);
    Fill(source, nullptr, 0xFFFFFF);
    RECT corner = {1270, 1014, 1290, 1034};
    EXPECT_EQ(back->Blt(&corner, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(back, 1279, 1023), 0xFFFFFFu);
    DDCOLORKEY key = {0x000000, 0x000000};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    Fill(back, nullptr, 0);
    RECT bottom = {0, 1000, 1280, 1024};
    EXPECT_EQ(back->Blt(&bottom, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(back, 1279, 1023), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(back, 1100, 1010), 0xFFFFFFu);

    back->SetClipper(nullptr);
    clipper->Release();
    source->Release();
    back->Release();
    primary->Release();
    EXPECT_EQ(dd->Release(), 0u);
    DestroyWindow(window);
}

TEST(DirectDraw, SurfacesGoToSystemMemoryOnceVideoMemoryIsFull) {
    IDirectDraw7* dd = MakeDirectDraw();
    DDSCAPS2 query = {};
    DWORD total = 0, free = 0;
    ASSERT_EQ(dd->GetAvailableVidMem(&query, &total, &free), DD_OK);
    const DWORD side = 1024, bytes = side * side * 4;
    const DWORD fit = free / bytes;
    std::vector<IDirectDrawSurface7*> surfaces;
    auto memoryOf = [](IDirectDrawSurface7* surface) {
        DDSCAPS2 caps = {};
        surface->GetCaps(&caps);
        return caps.dwCaps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY);
    };
    // Every plain surface is made; those past the video memory live in system memory.
    for (DWORD i = 0; i < fit + 3; ++i) {
        surfaces.push_back(MakeSurface(dd, side, side));
        ASSERT_NE(surfaces.back(), nullptr) << i;
        EXPECT_EQ(memoryOf(surfaces.back()), DWORD(i < fit ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY)) << i;
    }
    DWORD left = 0;
    ASSERT_EQ(dd->GetAvailableVidMem(&query, &total, &left), DD_OK);
    EXPECT_EQ(left, free - fit * bytes);
    // One that asks for video memory is refused; one that asks for system memory is not counted.
    DDSURFACEDESC2 desc = PlainDesc(side, side);
    desc.ddsCaps.dwCaps |= DDSCAPS_VIDEOMEMORY;
    IDirectDrawSurface7* refused = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &refused, nullptr), DDERR_OUTOFVIDEOMEMORY);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    IDirectDrawSurface7* system = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &system, nullptr), DD_OK);
    // Blits work across the two kinds of memory.
    Fill(surfaces.back(), nullptr, 0x00FF00);
    EXPECT_EQ(surfaces.front()->Blt(nullptr, surfaces.back(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(surfaces.front(), side - 1, side - 1), 0x00FF00u);
    system->Release();
    surfaces.back()->Release();
    surfaces.pop_back();
    ASSERT_EQ(dd->GetAvailableVidMem(&query, &total, &left), DD_OK);
    EXPECT_EQ(left, free - fit * bytes);
    surfaces.front()->Release();
    surfaces.erase(surfaces.begin());
    ASSERT_EQ(dd->GetAvailableVidMem(&query, &total, &left), DD_OK);
    EXPECT_EQ(left, free - (fit - 1) * bytes);
    for (IDirectDrawSurface7* surface : surfaces) surface->Release();
    EXPECT_EQ(dd->Release(), 0u);
}

TEST(DirectDraw, DeviceContextsAndLocksKeepOthersOut) {
    IDirectDraw7* dd = MakeDirectDraw();
    IDirectDrawSurface7* surface = MakeSurface(dd, 16, 16);
    IDirectDrawSurface7* other = MakeSurface(dd, 16, 16);
    Fill(surface, nullptr, 0);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(surface->Blt(nullptr, other, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(other->Blt(nullptr, surface, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
    // GDI draws on the surface's own pixels.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT area = {2, 2, 4, 4};
    FillRect(dc, &area, red);
    DeleteObject(red);
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(surface->ReleaseDC(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_NODC);
    EXPECT_FALSE(LineTo(dc, 1, 1));
    EXPECT_EQ(PixelAt(surface, 2, 2), 0xFF0000u);
    EXPECT_EQ(PixelAt(surface, 4, 4), 0u);
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    RECT part = {8, 8, 10, 10};
    ASSERT_EQ(surface->Lock(&part, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->GetDC(&second), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    RECT outside = {10, 10, 20, 20};
    EXPECT_EQ(surface->Lock(&outside, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
    surface->Release();
    other->Release();
    dd->Release();
}

TEST(DirectDraw, CapsReportWhatTheLayerDoes) {
    IDirectDraw7* dd = MakeDirectDraw();
    DDCAPS driver, emulation;
    std::memset(&driver, 0, sizeof driver);
    std::memset(&emulation, 0, sizeof emulation);
    driver.dwSize = emulation.dwSize = sizeof(DDCAPS);
    ASSERT_EQ(dd->GetCaps(&driver, &emulation), DD_OK);
    EXPECT_TRUE(driver.dwCaps & DDCAPS_BLT);
    EXPECT_TRUE(driver.dwCaps & DDCAPS_BLTSTRETCH);
    EXPECT_TRUE(driver.dwCaps & DDCAPS_GDI);
    EXPECT_TRUE(driver.dwCaps & DDCAPS_COLORKEY);
    EXPECT_FALSE(driver.dwCaps & DDCAPS_3D);
    EXPECT_FALSE(driver.dwCaps & DDCAPS_NOHARDWARE);
    EXPECT_TRUE(driver.dwCKeyCaps & DDCKEYCAPS_SRCBLT);
    EXPECT_TRUE(driver.dwFXCaps & DDFXCAPS_BLTSTRETCHX);
    EXPECT_EQ(emulation.dwCaps, driver.dwCaps);
    // Free memory goes down as surfaces take it.
    DWORD freeBefore = driver.dwVidMemFree;
    EXPECT_EQ(freeBefore, driver.dwVidMemTotal);
    IDirectDrawSurface7* surface = MakeSurface(dd, 100, 100);
    DDSCAPS2 caps = {};
    DWORD total = 0, free = 0;
    ASSERT_EQ(dd->GetAvailableVidMem(&caps, &total, &free), DD_OK);
    EXPECT_EQ(free, freeBefore - 100 * 100 * 4);
    DDCAPS wrong;
    std::memset(&wrong, 0, sizeof wrong);
    wrong.dwSize = 100;
    EXPECT_EQ(dd->GetCaps(&wrong, nullptr), DDERR_INVALIDPARAMS);
    surface->Release();
    dd->Release();
}

TEST(DirectDraw, ExclusiveDisplayFlipsAndCapturesFrames) {
    char folder[] = "/tmp/orvik-capture-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("ORVIK_CAPTURE_DIR", folder, 1);
    PlatformReloadSettings();
    HWND window = MakeWindow();
    IDirectDraw7* dd = MakeDirectDraw(DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE, window);
    IDirectDraw7* rival = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&rival), IID_IDirectDraw7, nullptr), DD_OK);
    EXPECT_EQ(rival->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_EXCLUSIVEMODEALREADYSET);
    EXPECT_EQ(dd->SetDisplayMode(320, 200, 8, 0, 0), DDERR_INVALIDMODE);
    ASSERT_EQ(dd->SetDisplayMode(320, 200, 32, 0, 0), DD_OK);
    DDSURFACEDESC2 mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dwSize = sizeof mode;
    ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 320u);
    EXPECT_EQ(mode.dwHeight, 200u);

    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    IDirectDrawSurface7* again = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &again, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

    Fill(primary, nullptr, 0x0000FF);
    Fill(back, nullptr, 0xFF0000);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    // The back buffer's picture is in front; the old front is behind.
    EXPECT_EQ(PixelAt(primary, 10, 10), 0xFF0000u);
    EXPECT_EQ(PixelAt(back, 10, 10), 0x0000FFu);
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->ReleaseDC(dc);

    // The shown frame was saved as a PNG of the display's size.
    int saved = 0;
    if (DIR* dir = opendir(folder)) {
        while (dirent* entry = readdir(dir)) saved += std::strstr(entry->d_name, ".png") != nullptr;
        closedir(dir);
    }
    EXPECT_EQ(saved, 1);
    std::string remove = std::string("rm -rf ") + folder;
    EXPECT_EQ(std::system(remove.c_str()), 0);
    unsetenv("ORVIK_CAPTURE_DIR");
    PlatformReloadSettings();

    // Back to normal: the mode is restored and another object may take the display.
    EXPECT_EQ(dd->RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(rival->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    back->Release();
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
    rival->Release();
    DestroyWindow(window);
}
