// The clipper: limits blits onto the surface it is set on to the client area
// of its window, or to the display for the exclusive display's window.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/win32/ComObject.h"

class DirectDrawClipperObject : public ComObject<IDirectDrawClipper> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetHWnd(HWND* window) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;

    // The area blits may write, in surface coordinates: the window's client
    // area (the display's size for the exclusive display's window), cut to the
    // surface size. The whole surface where no window is set.
    RECT ClipArea(int surfaceWidth, int surfaceHeight) const;

private:
    HWND window_ = nullptr;
};
