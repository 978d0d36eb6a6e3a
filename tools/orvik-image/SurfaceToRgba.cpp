#include "tools/orvik-image/SurfaceToRgba.h"

#include "texload/FilterWord.h"
#include "texload/PixelTransfer.h"

bool PixelsToRgba(const void* bits, INT pitch, D3DFORMAT format, UINT width, UINT height,
                  const PALETTEENTRY* palette, std::vector<uint8_t>* rgba) {
    std::vector<uint8_t> argb(size_t(width) * height * 4);
    PixelView source;
    source.bits = static_cast<BYTE*>(const_cast<void*>(bits));
    source.pitch = pitch;
    source.format = format;
    source.width = source.imageWidth = width;
    source.height = source.imageHeight = height;
    source.palette = palette;
    PixelView dest;
    dest.bits = argb.data();
    dest.pitch = INT(width * 4);
    dest.format = D3DFMT_A8R8G8B8;
    dest.width = dest.imageWidth = width;
    dest.height = dest.imageHeight = height;
    if (FAILED(TransferPixels(dest, source, FILTER_NONE, 0))) return false;
    rgba->resize(argb.size());
    for (size_t i = 0; i < argb.size(); i += 4) {
        (*rgba)[i] = argb[i + 2];
        (*rgba)[i + 1] = argb[i + 1];
        (*rgba)[i + 2] = argb[i];
        (*rgba)[i + 3] = argb[i + 3];
    }
    return true;
}

bool SurfaceToRgba(IDirect3DSurface8* surface, const PALETTEENTRY* palette, std::vector<uint8_t>* rgba,
                   UINT* width, UINT* height) {
    D3DSURFACE_DESC desc;
    if (FAILED(surface->GetDesc(&desc))) return false;
    D3DLOCKED_RECT locked;
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
    bool done = PixelsToRgba(locked.pBits, locked.Pitch, desc.Format, desc.Width, desc.Height, palette, rgba);
    surface->UnlockRect();
    *width = desc.Width;
    *height = desc.Height;
    return done;
}
