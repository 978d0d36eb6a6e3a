#include "platform/ddraw/DirectDrawClipperObject.h"

#include <algorithm>
#include <new>

#include "platform/ddraw/DirectDrawObject.h"

HRESULT DirectDrawClipperObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectDrawClipper);
}

HRESULT DirectDrawClipperObject::GetHWnd(HWND* window) {
    if (window == nullptr) return DDERR_INVALIDPARAMS;
    *window = window_;
    return DD_OK;
}

HRESULT DirectDrawClipperObject::SetHWnd(DWORD flags, HWND window) {
    if (flags != 0 || (window != nullptr && !IsWindow(window))) return DDERR_INVALIDPARAMS;
    window_ = window;
    return DD_OK;
}

RECT DirectDrawClipperObject::ClipArea(int surfaceWidth, int surfaceHeight) const {
    RECT area = {0, 0, surfaceWidth, surfaceHeight};
    RECT client;
    int displayWidth, displayHeight;
    // The display's window may be desktop-sized with the mode scaled into it:
    // in the display's own pixels it covers the whole mode.
    if (DisplayWindowSize(window_, &displayWidth, &displayHeight)) {
        area.right = std::min<LONG>(area.right, displayWidth);
        area.bottom = std::min<LONG>(area.bottom, displayHeight);
    } else if (window_ != nullptr && GetClientRect(window_, &client)) {
        area.right = std::min<LONG>(area.right, client.right);
        area.bottom = std::min<LONG>(area.bottom, client.bottom);
    }
    return area;
}

HRESULT WINAPI DirectDrawCreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
    if (clipper == nullptr || flags != 0) return DDERR_INVALIDPARAMS;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    *clipper = new (std::nothrow) DirectDrawClipperObject;
    return *clipper != nullptr ? DD_OK : DDERR_OUTOFMEMORY;
}
