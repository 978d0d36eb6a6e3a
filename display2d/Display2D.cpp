#include "display2d/Display2D.h"

#include <cinttypes>
#include <cstring>

#include "display2d/DisplayLog.h"
#include "display2d/Surface2D.h"

namespace {

// The driver capability bits the log names, with their words, in order.
struct CapabilityWord {
    DWORD bit;
    const char* word;
};
const CapabilityWord CAPABILITY_WORDS[] = {
    {DDCAPS_3D, "3DRENDERING "}, {DDCAPS_BLT, "BLITING "}, {DDCAPS_BLTSTRETCH, "STRETCHING "},
    {DDCAPS_GDI, "GDI"},         {DDCAPS_NOHARDWARE, "NOHARDWARE"},
};

}  // namespace

Display2D::Display2D()
    : directDraw(nullptr), primary(nullptr), backBuffer(nullptr), clipper(nullptr), width(0), height(0),
      bitsPerPixel(0) {
    std::memset(&emulationCaps, 0, sizeof emulationCaps);
    std::memset(&driverCaps, 0, sizeof driverCaps);
}

void Display2D::Create(int32_t newWidth, int32_t newHeight, int32_t newBitsPerPixel, HWND window) {
    DisplayLogWrite(" DDRENDER_SYSTEM: Setting up main render class, creating DirectDraw flip stream\n");
    DisplayLogWrite(" DDRENDER_SYSTEM: Creating %dx%dx%dbpp device, and handling it on 0x%" PRIxPTR
                     "h HWND pointer\n",
                     newWidth, newHeight, newBitsPerPixel, reinterpret_cast<uintptr_t>(window));
    DisplayLogWrite(" DDRENDER_SYSTEM_INFO: Debug level low -> for better performance on movie pockets\n");
    // A display set up before is given back rather than lost.
    if (directDraw != nullptr) Release();
    width = newWidth;
    height = newHeight;
    bitsPerPixel = newBitsPerPixel;

    DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr);
    if (directDraw != nullptr) {
        directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
        directDraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                   static_cast<DWORD>(bitsPerPixel), 0, 0);
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        directDraw->CreateSurface(&desc, &primary, nullptr);
    }
    if (primary != nullptr) {
        DDSCAPS2 caps;
        std::memset(&caps, 0, sizeof caps);
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        primary->GetAttachedSurface(&caps, &backBuffer);
    }
    std::memset(&driverCaps, 0, sizeof driverCaps);
    std::memset(&emulationCaps, 0, sizeof emulationCaps);
    driverCaps.dwSize = sizeof driverCaps;
    emulationCaps.dwSize = sizeof emulationCaps;
    if (directDraw != nullptr) {
        directDraw->GetCaps(&driverCaps, &emulationCaps);
        directDraw->CreateClipper(0, &clipper, nullptr);
    }
    if (clipper != nullptr) clipper->SetHWnd(0, window);
    if (backBuffer != nullptr && clipper != nullptr) backBuffer->SetClipper(clipper);
    if (directDraw != nullptr) surfaceDirectDraw = directDraw;

    DisplayLogWrite(" DDRENDER_SYSTEM: Total video memory: %dKb\n", static_cast<int>(driverCaps.dwVidMemTotal >> 10));
    DisplayLogWrite(" DDRENDER_SYSTEM: Total free video memory: %dKb\n",
                     static_cast<int>(driverCaps.dwVidMemFree >> 10));
    DisplayLogWrite(" DDRENDER_SYSTEM: Hardware capabilites: ");
    for (const CapabilityWord& capability : CAPABILITY_WORDS)
        if (driverCaps.dwCaps & capability.bit) DisplayLogWrite("%s", capability.word);
    DisplayLogWrite("\n");
}

void Display2D::Release() {
    if (clipper != nullptr) clipper->Release();
    if (backBuffer != nullptr) backBuffer->Release();
    if (primary != nullptr) primary->Release();
    clipper = nullptr;
    backBuffer = nullptr;
    primary = nullptr;
    if (directDraw == nullptr) return;
    // Surfaces made through surfaceDirectDraw may outlive the display; the
    // mode and the exclusive hold go back now all the same.
    directDraw->RestoreDisplayMode();
    directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    if (surfaceDirectDraw == directDraw) surfaceDirectDraw = nullptr;
    directDraw->Release();
    directDraw = nullptr;
}
