#include "texload/MipFilter.h"

#include "texload/FilterWord.h"
#include "texload/PixelFormatTable.h"
#include "texload/SurfaceBlit.h"

HRESULT FilterMipChain(IDirect3DTexture8* texture, const PALETTEENTRY* palette, UINT sourceLevel, DWORD filter) {
    if (texture == nullptr) return D3DERR_INVALIDCALL;
    if (filter == FILTER_DEFAULT) {
        D3DSURFACE_DESC top;
        HRESULT hr = texture->GetLevelDesc(0, &top);
        if (FAILED(hr)) return hr;
        filter = FindPixelFormat(top.Format).formatClass == FORMAT_CLASS_BUMP ? FILTER_POINT : FILTER_BOX;
    }
    if (!IsValidFilter(filter)) return D3DERR_INVALIDCALL;
    if (sourceLevel == UINT(-1)) sourceLevel = 0;
    UINT levels = texture->GetLevelCount();
    if (sourceLevel >= levels) return D3DERR_INVALIDCALL;
    bool cascade = (filter & 0xFF) == FILTER_POINT || (filter & 0xFF) == FILTER_BOX;

    IDirect3DSurface8* source = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(sourceLevel, &source);
    if (FAILED(hr)) return hr;
    for (UINT level = sourceLevel + 1; level < levels; ++level) {
        IDirect3DSurface8* dest = nullptr;
        hr = texture->GetSurfaceLevel(level, &dest);
        if (FAILED(hr)) break;
        hr = BlitSurfaceToSurface(dest, palette, nullptr, source, palette, nullptr, filter, 0);
        if (FAILED(hr)) {
            dest->Release();
            break;
        }
        if (cascade) {
            source->Release();
            source = dest;
        } else {
            dest->Release();
        }
    }
    source->Release();
    return hr;
}
