// IDirect3DSurface8: a level of a texture, a free-standing image surface, or
// the device's back buffer or depth buffer. Pixels live in memory with
// Direct3D's layout and pitch; a texture level's changes reach GL when the
// texture is next drawn with.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/DeviceChild.h"
#include "platform/d3d8/PrivateDataStore.h"
#include "platform/d3d8/TextureFormat.h"

class D3D8Texture;

enum class SurfaceKind { Image, TextureLevel, BackBuffer, DepthStencil };

class D3D8Surface : public DeviceChild<IDirect3DSurface8> {
public:
    // A surface with its own references (image, back buffer, depth buffer).
    D3D8Surface(D3D8Device* device, SurfaceKind kind, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                D3DPOOL pool, bool lockable);
    // A level of a texture, which owns it and counts its references.
    D3D8Surface(D3D8Texture* container, UINT level, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                D3DPOOL pool, bool lockable);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
    HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override;
    HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override;
    HRESULT FreePrivateData(REFGUID refguid) override;
    HRESULT GetContainer(REFIID riid, void** ppContainer) override;
    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect() override;

    const TextureFormat& Format() const { return *format_; }
    const D3DSURFACE_DESC& Desc() const { return desc_; }
    UINT Pitch() const { return pitch_; }
    std::vector<uint8_t>& Bits() { return bits_; }
    const std::vector<uint8_t>& Bits() const { return bits_; }
    bool Locked() const { return locked_; }
    SurfaceKind Kind() const { return kind_; }
    D3D8Device* Device() const;

    // The pixels were written by the device (a copy): the texture must follow.
    void Written();
    // Brings a texture level's bytes into memory before Bits() is used (see
    // D3D8Texture::MakeResident); other surfaces always have them.
    HRESULT MakeResident();
    // A texture level whose bytes live in GL alone: Bits() is empty.
    bool InGlOnly() const { return inGlOnly_; }
    void SetInGlOnly(bool inGlOnly) { inGlOnly_ = inGlOnly; }

    // Destroys a texture level; only its texture calls this.
    void DestroyLevel() { delete this; }

private:
    ~D3D8Surface() override = default;

    SurfaceKind kind_;
    D3D8Texture* container_ = nullptr;
    UINT level_ = 0;
    const TextureFormat* format_;
    D3DSURFACE_DESC desc_{};
    UINT pitch_ = 0;
    bool lockable_ = true;
    bool locked_ = false;
    bool lockReadOnly_ = false;
    bool inGlOnly_ = false;
    std::vector<uint8_t> bits_;
    PrivateDataStore privateData_;
};

// Checks a lock rectangle against a surface of this size and format (DXT
// rectangles must lie on block edges) and gives the byte offset of its corner.
bool LockOffset(const TextureFormat& format, UINT pitch, UINT width, UINT height, const RECT* rect,
                size_t* offset);
