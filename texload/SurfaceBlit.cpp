#include "texload/SurfaceBlit.h"

#include "texload/FilterWord.h"
#include "texload/PixelAccessor.h"
#include "texload/PixelFormatTable.h"
#include "texload/PixelTransfer.h"

namespace {

bool RectInside(const RECT& rect, UINT width, UINT height) {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           LONGLONG(rect.right) <= LONGLONG(width) && LONGLONG(rect.bottom) <= LONGLONG(height);
}

}  // namespace

HRESULT BlitToSurface(IDirect3DSurface8* destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                      const void* sourcePixels, D3DFORMAT sourceFormat, UINT sourcePitch,
                      const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey) {
    if (destSurface == nullptr || sourcePixels == nullptr || sourceRect == nullptr) return D3DERR_INVALIDCALL;
    if (filter == FILTER_DEFAULT) {
        filter = FindPixelFormat(sourceFormat).formatClass == FORMAT_CLASS_BUMP ? (FILTER_POINT | FILTER_DITHER)
                                                                                : (FILTER_TRIANGLE | FILTER_DITHER);
    }
    if (!IsValidFilter(filter)) return D3DERR_INVALIDCALL;
    // A source rectangle turned inside out or off the origin would read outside the pixels.
    if (sourceRect->left < 0 || sourceRect->top < 0 || sourceRect->right < sourceRect->left ||
        sourceRect->bottom < sourceRect->top) {
        return D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC desc;
    HRESULT hr = destSurface->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    RECT whole = {0, 0, LONG(desc.Width), LONG(desc.Height)};
    RECT rect = destRect != nullptr ? *destRect : whole;
    if (!RectInside(rect, desc.Width, desc.Height)) return D3DERR_INVALIDCALL;

    const PixelFormatDescriptor& destRow = FindPixelFormat(desc.Format);
    const PixelFormatDescriptor& sourceRow = FindPixelFormat(sourceFormat);
    if (!IsKnownPixelFormat(desc.Format) || !IsKnownPixelFormat(sourceFormat)) return E_FAIL;
    if ((destRow.formatClass == FORMAT_CLASS_BUMP) != (sourceRow.formatClass == FORMAT_CLASS_BUMP)) return E_FAIL;
    // An empty rectangle writes nothing, once the formats are known to mix.
    if (rect.right == rect.left || rect.bottom == rect.top) return S_OK;

    PixelView source;
    source.bits = static_cast<BYTE*>(const_cast<void*>(sourcePixels));
    source.pitch = INT(sourcePitch);
    source.format = sourceFormat;
    source.left = UINT(sourceRect->left);
    source.top = UINT(sourceRect->top);
    source.width = UINT(sourceRect->right - sourceRect->left);
    source.height = UINT(sourceRect->bottom - sourceRect->top);
    source.palette = sourcePalette;

    bool wholeLock = IsBlockFormat(desc.Format);
    D3DLOCKED_RECT locked;
    hr = destSurface->LockRect(&locked, wholeLock ? nullptr : &rect, 0);
    if (FAILED(hr)) return hr;
    PixelView dest;
    dest.bits = static_cast<BYTE*>(locked.pBits);
    dest.pitch = locked.Pitch;
    dest.format = desc.Format;
    dest.left = wholeLock ? UINT(rect.left) : 0;
    dest.top = wholeLock ? UINT(rect.top) : 0;
    dest.width = UINT(rect.right - rect.left);
    dest.height = UINT(rect.bottom - rect.top);
    dest.imageWidth = wholeLock ? desc.Width : dest.width;
    dest.imageHeight = wholeLock ? desc.Height : dest.height;
    dest.palette = destPalette;

    hr = TransferPixels(dest, source, filter, colorKey);
    destSurface->UnlockRect();
    return hr;
}

HRESULT BlitSurfaceToSurface(IDirect3DSurface8* destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                             IDirect3DSurface8* sourceSurface, const PALETTEENTRY* sourcePalette,
                             const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey) {
    if (destSurface == nullptr || sourceSurface == nullptr) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    HRESULT hr = sourceSurface->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    RECT whole = {0, 0, LONG(desc.Width), LONG(desc.Height)};
    RECT rect = sourceRect != nullptr ? *sourceRect : whole;
    if (!RectInside(rect, desc.Width, desc.Height)) return D3DERR_INVALIDCALL;
    if (destRect != nullptr) {
        D3DSURFACE_DESC destDesc;
        hr = destSurface->GetDesc(&destDesc);
        if (FAILED(hr)) return hr;
        if (!RectInside(*destRect, destDesc.Width, destDesc.Height)) return D3DERR_INVALIDCALL;
    }
    bool wholeLock = IsBlockFormat(desc.Format);
    D3DLOCKED_RECT locked;
    hr = sourceSurface->LockRect(&locked, wholeLock ? nullptr : &rect, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    // A partly locked source is addressed from the origin of the locked block.
    RECT used = wholeLock ? rect : RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    hr = BlitToSurface(destSurface, destPalette, destRect, locked.pBits, desc.Format, UINT(locked.Pitch),
                       sourcePalette, &used, filter, colorKey);
    sourceSurface->UnlockRect();
    return hr;
}
