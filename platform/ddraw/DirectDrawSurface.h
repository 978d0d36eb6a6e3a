// A DirectDraw surface over an SDL surface: an off-screen picture, or the
// primary surface with its back buffers, which Flip shows in the window.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/ddraw/SurfaceBlit.h"
#include "platform/ddraw/ddraw.h"
#include "platform/win32/ComObject.h"

class DirectDrawObject;
class DirectDrawClipperObject;

class DirectDrawSurface : public ComObject<IDirectDrawSurface7> {
public:
    // Takes pixels (owned) and a reference on its DirectDraw object.
    DirectDrawSurface(DirectDrawObject* owner, SDL_Surface* pixels, DWORD caps, size_t bytes);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) override;
    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD trans) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT GetCaps(LPDDSCAPS2 caps) override;
    HRESULT GetClipper(LPDIRECTDRAWCLIPPER* clipper) override;
    HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetPixelFormat(LPDDPIXELFORMAT format) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
    HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT Unlock(LPRECT rect) override;

    // A primary surface's back buffers, in flipping order; it holds a reference on each.
    void AttachBackBuffer(DirectDrawSurface* backBuffer);

    // The surface behind an interface pointer, where it is one of this layer's.
    static DirectDrawSurface* From(IDirectDrawSurface7* surface);

protected:
    ~DirectDrawSurface() override;

private:
    bool Busy() const { return dc_ != nullptr || locked_; }
    bool IsFront() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
    // Shows a front buffer's pixels in the window of an exclusive display.
    void Present();
    HRESULT Copy(const RECT* destRect, DirectDrawSurface* source, const RECT* sourceRect, const KeyRange& sourceKey,
                 const KeyRange& destKey, bool clip);

    DirectDrawObject* owner_;
    SDL_Surface* pixels_;
    DWORD caps_;
    size_t bytes_;
    std::vector<DirectDrawSurface*> backBuffers_;
    DirectDrawClipperObject* clipper_ = nullptr;
    KeyRange sourceKey_;
    KeyRange destKey_;
    HDC dc_ = nullptr;
    bool locked_ = false;
};
