// The DirectDraw object: cooperative level, display mode, surface creation
// and the capabilities of this layer.
#pragma once

#include <SDL.h>

#include <cstddef>

#include "platform/ddraw/ddraw.h"
#include "platform/win32/ComObject.h"

// Memory the layer lets its surfaces hold, reported as video memory.
constexpr size_t VIDEO_MEMORY_BYTES = size_t(128) << 20;

class DirectDrawSurface;

class DirectDrawObject : public ComObject<IDirectDraw7> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override;
    HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override;
    HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override;
    HRESULT GetDisplayMode(LPDDSURFACEDESC2 desc) override;
    HRESULT GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) override;
    HRESULT TestCooperativeLevel() override;

    // What surfaces need of their DirectDraw object.
    bool Exclusive() const;
    HWND Window() const { return window_; }
    // The display's size in pixels: the mode's, else the desktop's.
    void CurrentSize(int* width, int* height) const;
    bool TakeMemory(size_t bytes);
    void GiveMemory(size_t bytes);
    void PrimaryGone(DirectDrawSurface* primary);

protected:
    ~DirectDrawObject() override;

private:
    void FillCaps(DDCAPS* caps) const;
    Uint32 CurrentFormat() const;

    bool cooperativeSet_ = false;
    DWORD cooperativeFlags_ = 0;
    HWND window_ = nullptr;
    bool modeSet_ = false;
    int modeWidth_ = 0;
    int modeHeight_ = 0;
    DWORD modeBits_ = 32;
    size_t memoryUsed_ = 0;
    DirectDrawSurface* primary_ = nullptr;
};

// True when window shows the exclusive display: it then covers the display's
// whole size in display pixels, however large it is on the screen.
bool DisplayWindowSize(HWND window, int* width, int* height);

// Surfaces compare their pixels with this record size check.
bool ValidDescSize(DWORD size);
bool ValidBltFxSize(DWORD size);
