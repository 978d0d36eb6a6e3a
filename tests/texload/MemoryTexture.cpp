#include "tests/texload/MemoryTexture.h"

#include <algorithm>

#include "texload/DxtCodec.h"
#include "texload/PixelFormatTable.h"

UINT MemorySurface::RowBytes(UINT width, D3DFORMAT format) {
    if (IsDxtFormat(format)) return (width + 3) / 4 * DxtBlockBytes(format);
    if (format == D3DFMT_YUY2 || format == D3DFMT_UYVY) return (width + 1) / 2 * 4;
    return width * UINT(FindPixelFormat(format).bits / 8);
}

UINT MemorySurface::StoredRows(UINT height, D3DFORMAT format) {
    return IsDxtFormat(format) ? (height + 3) / 4 : height;
}

MemorySurface::MemorySurface(UINT w, UINT h, D3DFORMAT f)
    : width(w), height(h), format(f), pitch(INT(RowBytes(w, f) + 12)),
      bytes(size_t(pitch) * StoredRows(h, f), 0xCD) {}

HRESULT MemorySurface::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3DSurface8);
}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* desc) {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{};
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Pool = D3DPOOL_MANAGED;
    desc->Size = UINT(bytes.size());
    desc->Width = width;
    desc->Height = height;
    return S_OK;
}

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (lockFailure != S_OK) return lockFailure;
    if (locked || lockedRect == nullptr) return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->right > LONG(width) || rect->bottom > LONG(height) ||
            rect->left > rect->right || rect->top > rect->bottom) {
            return D3DERR_INVALIDCALL;
        }
        if (IsDxtFormat(format) || format == D3DFMT_YUY2 || format == D3DFMT_UYVY) return D3DERR_INVALIDCALL;
        offset = size_t(rect->top) * pitch + size_t(rect->left) * (FindPixelFormat(format).bits / 8);
    }
    lockedRect->pBits = bytes.data() + offset;
    lockedRect->Pitch = pitch;
    locked = true;
    ++locks;
    lastLockFlags = flags;
    return S_OK;
}

HRESULT MemorySurface::UnlockRect() {
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    return S_OK;
}

MemoryTexture::MemoryTexture(UINT width, UINT height, UINT levels, D3DFORMAT format) {
    for (UINT i = 0; levels == 0 || i < levels; ++i) {
        levels_.push_back(new MemorySurface(width, height, format));
        if (width == 1 && height == 1) break;
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
}

MemoryTexture::~MemoryTexture() {
    for (MemorySurface* level : levels_) level->Release();
}

HRESULT MemoryTexture::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3DTexture8, IID_IDirect3DBaseTexture8, IID_IDirect3DResource8);
}

HRESULT MemoryTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
}

HRESULT MemoryTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
    if (level >= levels_.size() || surface == nullptr) return D3DERR_INVALIDCALL;
    levels_[level]->AddRef();
    *surface = levels_[level];
    return S_OK;
}

HRESULT MemoryTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(lockedRect, rect, flags);
}

HRESULT MemoryTexture::UnlockRect(UINT level) {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}
