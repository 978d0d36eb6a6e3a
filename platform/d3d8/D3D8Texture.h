// IDirect3DTexture8: a 2D texture with a chain of levels and, unless it lives
// in system memory, a GL texture. Where GL can hand a level's bytes back as
// they were given, managed and default-pool levels live in GL alone once
// uploaded: a lock brings the level back into memory (read from GL) until the
// texture is next settled. Otherwise every level keeps its bytes in memory too.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/D3D8Surface.h"
#include "platform/d3d8/DeviceChild.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/GlLimits.h"
#include "platform/d3d8/PrivateDataStore.h"

class D3D8Texture : public DeviceChild<IDirect3DTexture8> {
public:
    // Allocates every level; throws std::bad_alloc, leaving nothing behind, when
    // memory runs out. memoryCost is what the device counted for it (MemoryCost);
    // what the texture counts at the time is given back when it is destroyed.
    D3D8Texture(D3D8Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                D3DPOOL pool, uint64_t memoryCost);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
    HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override;
    HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override;
    HRESULT FreePrivateData(REFGUID refguid) override;
    DWORD SetPriority(DWORD PriorityNew) override;
    DWORD GetPriority() override;
    void PreLoad() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }

    DWORD SetLOD(DWORD LODNew) override;
    DWORD GetLOD() override;
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }

    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;
    HRESULT AddDirtyRect(const RECT* pDirtyRect) override;

    D3DPOOL Pool() const { return pool_; }
    D3DFORMAT FormatCode() const { return format_; }
    D3D8Surface* Level(UINT level) const { return levels_[level]; }
    UINT LevelCount() const { return static_cast<UINT>(levels_.size()); }

    // A level's memory changed: it goes to GL before the next draw.
    void MarkDirty(UINT level);
    // Brings a level's bytes into memory (read back from GL where they live
    // there alone, unless the caller replaces them all) before they are read
    // or written; E_OUTOFMEMORY without memory or budget for them. The texture
    // becomes the device's texture in use.
    HRESULT MakeResident(UINT level, bool readBack = true);
    // Sends changed levels to GL and, where the levels can live in GL alone,
    // gives their memory back (levels that are locked stay).
    void Settle();
    // Brings the GL texture up to date and returns it (0 for system memory).
    GLuint Prepare();
    GLuint GlTexture() const { return glTexture_; }

    // Number of levels of a full chain down to 1 x 1.
    static UINT FullChain(UINT width, UINT height);
    // Whether a texture's levels live in GL alone once uploaded.
    static bool LivesInGl(D3DFORMAT format, D3DPOOL pool, DWORD usage, bool decodeDxt, const GlLimits& limits);
    // Bytes a new texture of this shape holds: every level in memory, and for
    // the managed and default pools the GL copy as well (in the layout it is
    // uploaded in: expanded to 8-bit RGBA, DXT blocks, or the format's own).
    // Levels that go to live in GL alone give their memory's share back then,
    // and take it again while a lock brings them back.
    static uint64_t MemoryCost(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool,
                               bool decodeDxt);

private:
    ~D3D8Texture() override;

    void UploadLevel(UINT level, bool decode, bool giveBack, std::vector<uint8_t>& rgba);
    void ReadLevelFromGl(UINT level);

    D3DFORMAT format_;
    D3DPOOL pool_;
    bool livesInGl_ = false;   // levels live in GL alone once uploaded
    bool storage_ = false;     // GL storage made once for every level
    DWORD lod_ = 0;
    DWORD priority_ = 0;
    std::vector<D3D8Surface*> levels_;
    std::vector<bool> dirty_;
    bool anyDirty_ = false;
    GLuint glTexture_ = 0;
    uint64_t memoryCost_;
    PrivateDataStore privateData_;
};
