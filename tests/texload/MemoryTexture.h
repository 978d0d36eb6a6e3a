// Direct3D 8 surfaces and textures over plain memory, for the pixel transfer
// tests: rows padded past their pixels, lock state tracked, lock failure on request.
#pragma once

#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/ComObject.h"

class MemorySurface : public ComObject<IDirect3DSurface8> {
public:
    MemorySurface(UINT width, UINT height, D3DFORMAT format);

    // Bytes of one stored row (block row for DXT) and the number of rows.
    static UINT RowBytes(UINT width, D3DFORMAT format);
    static UINT StoredRows(UINT height, D3DFORMAT format);

    BYTE* Row(UINT row) { return bytes.data() + size_t(row) * pitch; }

    UINT width, height;
    D3DFORMAT format;
    INT pitch;
    std::vector<BYTE> bytes;
    int locks = 0;            // locks taken so far
    bool locked = false;
    DWORD lastLockFlags = 0;
    HRESULT lockFailure = S_OK;  // returned by LockRect when set

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetDevice(IDirect3DDevice8**) override { return D3DERR_INVALIDCALL; }
    HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT FreePrivateData(REFGUID) override { return D3DERR_INVALIDCALL; }
    HRESULT GetContainer(REFIID, void**) override { return D3DERR_INVALIDCALL; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
};

class MemoryTexture : public ComObject<IDirect3DTexture8> {
public:
    // A full chain down to 1 x 1 when levels is 0.
    MemoryTexture(UINT width, UINT height, UINT levels, D3DFORMAT format);
    ~MemoryTexture() override;

    MemorySurface* Level(UINT level) { return levels_[level]; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetDevice(IDirect3DDevice8**) override { return D3DERR_INVALIDCALL; }
    HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT FreePrivateData(REFGUID) override { return D3DERR_INVALIDCALL; }
    DWORD SetPriority(DWORD) override { return 0; }
    DWORD GetPriority() override { return 0; }
    void PreLoad() override {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD SetLOD(DWORD) override { return 0; }
    DWORD GetLOD() override { return 0; }
    DWORD GetLevelCount() override { return DWORD(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT AddDirtyRect(const RECT*) override { return S_OK; }

private:
    std::vector<MemorySurface*> levels_;
};
