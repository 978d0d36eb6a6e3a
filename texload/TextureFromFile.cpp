#include "texload/TextureFromFile.h"

#include <cstring>

#include "texload/DecodeImage.h"
#include "texload/FilterWord.h"
#include "texload/MipFilter.h"
#include "texload/PixelFormatTable.h"
#include "texload/SurfaceBlit.h"

namespace {

constexpr UINT DEFAULT_SIZE = 0xFFFFFFFFu;

// The result of a failed Win32 call, as the loader reports it.
HRESULT SystemError() {
    DWORD code = GetLastError();
    if (static_cast<HRESULT>(code) <= 0) return static_cast<HRESULT>(code);
    return static_cast<HRESULT>(0x80070000u | (code & 0xFFFF));
}

// The format a texture gets when the caller asks for none.
D3DFORMAT DerivedFormat(D3DFORMAT image, D3DCOLOR colorKey) {
    if (colorKey != 0) {
        switch (image) {
        case D3DFMT_R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R5G6B5: return D3DFMT_A8R8G8B8;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_R3G3B2:
        case D3DFMT_X4R4G4B4: return D3DFMT_A1R5G5B5;
        case D3DFMT_L8: return D3DFMT_A8L8;
        default: return image;
        }
    }
    return image == D3DFMT_R8G8B8 ? D3DFMT_X8R8G8B8 : image;
}

bool IsDxt(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

bool IsPowerOfTwo(UINT v) { return v != 0 && (v & (v - 1)) == 0; }

UINT NextPowerOfTwo(UINT v) {
    UINT p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

UINT Log2(UINT v) {
    UINT n = 0;
    while (v > 1) {
        v >>= 1;
        ++n;
    }
    return n;
}

// How well a table row stands in for the requested one: lower is better; -1 never wins.
long long SubstituteScore(const PixelFormatDescriptor& row, const PixelFormatDescriptor& wanted) {
    if (!row.substitute) return -1;
    if (row.formatClass != wanted.formatClass &&
        !(row.formatClass == 0 && (wanted.formatClass == 1 || wanted.formatClass == 2)))
        return -1;
    const int d[5] = {wanted.e, wanted.a, wanted.c1, wanted.c2, wanted.c3};
    const int r[5] = {row.e, row.a, row.c1, row.c2, row.c3};
    long long score = 0;
    for (int i = 0; i < 5; ++i) {
        if (d[i] < r[i]) score += d[i] == 0 ? 256 : r[i] - d[i];
        else if (r[i] < d[i]) score += r[i] == 0 ? 0x1000000 : static_cast<long long>(d[i] - r[i]) * 65536;
    }
    return score;
}

// Releases what a load holds when it gives up.
struct LoadResources {
    IDirect3DTexture8* texture = nullptr;
    IDirect3DTexture8* staging = nullptr;
    IDirect3DSurface8* surface = nullptr;

    ~LoadResources() {
        if (surface) surface->Release();
        if (staging) staging->Release();
        if (texture) texture->Release();
    }
};

HRESULT LoadLevel(IDirect3DTexture8* target, UINT level, const PALETTEENTRY* paletteOut, const DecodedImage& image,
                  const PALETTEENTRY* workingPalette, DWORD filter, D3DCOLOR colorKey, LoadResources& held) {
    HRESULT hr = target->GetSurfaceLevel(level, &held.surface);
    if (FAILED(hr)) return hr;
    hr = BlitToSurface(held.surface, paletteOut, nullptr, image.pixels, image.format, image.rowPitch, workingPalette,
                       &image.rect, filter, colorKey);
    held.surface->Release();
    held.surface = nullptr;
    return hr;
}

}  // namespace

HRESULT FitTextureRequest(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                          D3DFORMAT* format, D3DPOOL pool) {
    if (device == nullptr) return D3DERR_INVALIDCALL;
    if (usage == 0xFFFFFFFFu) usage = 0;
    if ((usage & ~static_cast<DWORD>(D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;

    IDirect3D8* direct3D = nullptr;
    device->GetDirect3D(&direct3D);
    D3DCAPS8 caps;
    std::memset(&caps, 0, sizeof caps);
    device->GetDeviceCaps(&caps);
    D3DDISPLAYMODE mode;
    std::memset(&mode, 0, sizeof mode);
    device->GetDisplayMode(&mode);

    UINT w = width ? *width : DEFAULT_SIZE;
    UINT h = height ? *height : DEFAULT_SIZE;
    if (w != DEFAULT_SIZE) {
        if (h == DEFAULT_SIZE) h = w;
        if (w == 0) w = 1;
        if (h == 0) h = 1;
    } else if (h == DEFAULT_SIZE) {
        w = h = 256;
    } else {
        if (h == 0) h = 1;
        w = h;
    }
    if (caps.MaxTextureWidth != 0 && w > caps.MaxTextureWidth) w = caps.MaxTextureWidth;
    if (caps.MaxTextureHeight != 0 && h > caps.MaxTextureHeight) h = caps.MaxTextureHeight;
    DWORD aspect = (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) ? 1 : caps.MaxTextureAspectRatio;
    if (aspect != 0) {
        if (static_cast<unsigned long long>(h) * aspect < w) w = h * aspect;
        if (static_cast<unsigned long long>(w) * aspect < h) h = w * aspect;
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        w = NextPowerOfTwo(w);
        h = NextPowerOfTwo(h);
    }
    D3DFORMAT wanted = format ? *format : D3DFMT_UNKNOWN;
    if (IsDxt(wanted)) {
        w = (w + 3) & ~3u;
        h = (h + 3) & ~3u;
    }

    UINT levels = mipLevels ? *mipLevels : DEFAULT_SIZE;
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) || !IsPowerOfTwo(w) || !IsPowerOfTwo(h)) {
        levels = 1;
    } else {
        UINT full = 1 + (Log2(w) > Log2(h) ? Log2(w) : Log2(h));
        if (levels == 0 || levels > full) levels = full;
    }

    const PixelFormatDescriptor& request = FindPixelFormat(wanted);
    const PixelFormatDescriptor* kept = nullptr;
    long long best = -1;
    for (int i = 0; i < PIXEL_FORMAT_COUNT; ++i) {
        const PixelFormatDescriptor& row = PIXEL_FORMAT_TABLE[i];
        if (direct3D == nullptr || FAILED(direct3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType,
                                                                      mode.Format, usage, D3DRTYPE_TEXTURE,
                                                                      row.format)))
            continue;
        if (row.format == wanted) {
            kept = &row;
            break;
        }
        long long score = SubstituteScore(row, request);
        if (score < 0) continue;
        if (kept == nullptr || score < best || (score == best && row.bits < kept->bits)) {
            kept = &row;
            best = score;
        }
    }
    if (direct3D) direct3D->Release();
    if (kept == nullptr) return D3DERR_NOTAVAILABLE;
    if (width) *width = w;
    if (height) *height = h;
    if (mipLevels) *mipLevels = levels;
    if (format) *format = kept->format;
    return D3D_OK;
}

HRESULT TextureFromMemory(IDirect3DDevice8* device, const void* data, UINT size, UINT width, UINT height,
                          UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                          DWORD mipFilter, D3DCOLOR colorKey, SourceImageInfo* info, PALETTEENTRY* palette,
                          IDirect3DTexture8** texture) {
    if (device == nullptr || data == nullptr || size == 0 || texture == nullptr) return D3DERR_INVALIDCALL;
    DecodedImage image;
    HRESULT hr = DecodeImage(&image, data, size, info);
    if (FAILED(hr)) return hr;

    UINT storedLevels = 0;
    for (const DecodedImage* level = &image; level != nullptr; level = level->nextLevel) ++storedLevels;
    if (width == 0 || width == DEFAULT_SIZE) width = static_cast<UINT>(image.rect.right);
    if (height == 0 || height == DEFAULT_SIZE) height = static_cast<UINT>(image.rect.bottom);

    const D3DFORMAT imageFormat = image.format;
    if (format == D3DFMT_UNKNOWN) format = DerivedFormat(imageFormat, colorKey);
    bool bump = FindPixelFormat(imageFormat).formatClass == FORMAT_CLASS_BUMP;
    if (filter == FILTER_DEFAULT) filter = (bump ? FILTER_POINT : FILTER_TRIANGLE) | FILTER_DITHER;
    if (mipFilter == FILTER_DEFAULT) mipFilter = bump ? FILTER_POINT : FILTER_BOX;
    bool cascade = (filter & 0xFF) == FILTER_NONE || (mipFilter & 0xFF) == FILTER_POINT ||
                   (mipFilter & 0xFF) == FILTER_BOX;

    // The working palette: the image's, with the colour key's entries made
    // fully transparent black; all white and opaque without one.
    PALETTEENTRY working[256];
    if (image.palette != nullptr) {
        const BYTE key[4] = {static_cast<BYTE>(colorKey >> 16), static_cast<BYTE>(colorKey >> 8),
                             static_cast<BYTE>(colorKey), static_cast<BYTE>(colorKey >> 24)};
        std::memcpy(working, image.palette->entries, sizeof working);
        for (PALETTEENTRY& entry : working)
            if (std::memcmp(&entry, key, 4) == 0) entry = PALETTEENTRY{0, 0, 0, 0};
        colorKey = 0;
    } else {
        for (PALETTEENTRY& entry : working) entry = PALETTEENTRY{255, 255, 255, 255};
    }
    if (palette != nullptr) {
        std::memcpy(palette, working, sizeof working);
    } else if (format == D3DFMT_A8P8) {
        format = D3DFMT_A8R8G8B8;
    } else if (format == D3DFMT_P8) {
        // The file's own palette decides, not the keyed copy: a colour key alone
        // does not ask for an alpha channel.
        bool translucent = false;
        for (int i = 0; i < 256; ++i)
            translucent = translucent || (image.palette != nullptr ? image.palette->entries[i].flags
                                                                   : working[i].peFlags) != 255;
        format = translucent ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }

    hr = FitTextureRequest(device, &width, &height, &mipLevels, usage, &format, pool);
    if (FAILED(hr)) return hr;

    LoadResources held;
    hr = device->CreateTexture(width, height, mipLevels, usage, format, pool, &held.texture);
    if (FAILED(hr)) return hr;
    if (pool == D3DPOOL_DEFAULT) {
        hr = device->CreateTexture(width, height, mipLevels, 0, format, D3DPOOL_SYSTEMMEM, &held.staging);
        if (FAILED(hr)) return hr;
    }
    IDirect3DTexture8* loading = held.staging ? held.staging : held.texture;

    UINT level = 0;
    const DecodedImage* source = &image;
    while (level < mipLevels) {
        hr = LoadLevel(loading, level, palette, *source, working, filter, colorKey, held);
        if (FAILED(hr)) return hr;
        ++level;
        if (level == storedLevels) break;
        source = source->nextLevel;
    }
    if (cascade) {
        if (storedLevels < mipLevels) {
            hr = FilterMipChain(loading, working, storedLevels - 1, mipFilter);
            if (FAILED(hr)) return hr;
        }
    } else {
        for (; level < mipLevels; ++level) {
            hr = LoadLevel(loading, level, palette, *source, working, mipFilter, colorKey, held);
            if (FAILED(hr)) return hr;
        }
    }
    if (held.staging != nullptr) {
        hr = device->UpdateTexture(held.staging, held.texture);
        if (FAILED(hr)) return hr;
    }
    *texture = held.texture;
    held.texture = nullptr;
    return D3D_OK;
}

HRESULT TextureFromFileEx(IDirect3DDevice8* device, const char* fileName, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                          D3DCOLOR colorKey, SourceImageInfo* info, PALETTEENTRY* palette,
                          IDirect3DTexture8** texture) {
    if (fileName == nullptr) return D3DERR_INVALIDCALL;
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SystemError();
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        HRESULT hr = SystemError();
        CloseHandle(file);
        return hr;
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    DWORD size = view ? GetFileSize(file, nullptr) : INVALID_FILE_SIZE;
    HRESULT hr;
    if (view == nullptr || size == INVALID_FILE_SIZE) {
        hr = SystemError();
    } else {
        // Decoded pictures that point into the view are gone when this returns.
        hr = TextureFromMemory(device, view, size, width, height, mipLevels, usage, format, pool, filter, mipFilter,
                               colorKey, info, palette, texture);
    }
    if (view != nullptr) UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    return hr;
}

HRESULT TextureFromFile(IDirect3DDevice8* device, const char* fileName, IDirect3DTexture8** texture) {
    return TextureFromFileEx(device, fileName, DEFAULT_SIZE, DEFAULT_SIZE, DEFAULT_SIZE, 0, D3DFMT_UNKNOWN,
                             D3DPOOL_MANAGED, FILTER_DEFAULT, FILTER_DEFAULT, 0, nullptr, nullptr, texture);
}
