// DirectDrawCreateEx: the one display driver of this layer.
#include <new>

#include "platform/ddraw/DirectDrawObject.h"
#include "platform/win32/PlatformWindow.h"

HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
    if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    // Only IDirectDraw7 comes from DirectDrawCreateEx.
    if (iid != IID_IDirectDraw7) return DDERR_INVALIDPARAMS;
    if (driverGuid != nullptr && driverGuid != DDCREATE_EMULATIONONLY && driverGuid != DDCREATE_HARDWAREONLY)
        return DDERR_INVALIDPARAMS;
    if (!PlatformVideoInit()) return DDERR_GENERIC;
    auto* made = new (std::nothrow) DirectDrawObject;
    if (made == nullptr) return DDERR_OUTOFMEMORY;
    *directDraw = static_cast<IDirectDraw7*>(made);
    return DD_OK;
}
