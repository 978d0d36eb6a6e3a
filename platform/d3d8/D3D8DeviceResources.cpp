// The device's resources: textures, vertex and index buffers, image surfaces,
// texture updates and the front buffer's copy.
#include "platform/d3d8/D3D8Device.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d8/D3D8IndexBuffer.h"
#include "platform/d3d8/D3D8Surface.h"
#include "platform/d3d8/D3D8Texture.h"
#include "platform/d3d8/D3D8VertexBuffer.h"
#include "platform/d3d8/VertexLayout.h"
#include "platform/win32/ComGuard.h"

namespace {

bool IsPowerOfTwo(UINT v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

HRESULT D3D8Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DTexture8** ppTexture) {
    if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
    if (Pool != D3DPOOL_DEFAULT && Pool != D3DPOOL_MANAGED && Pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if ((Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0) return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    const TextureFormat& format = DescribeFormat(Format);
    if (!format.texture) return D3DERR_INVALIDCALL;
    if (format.compressed && (Width % 4 != 0 || Height % 4 != 0)) return D3DERR_INVALIDCALL;
    // The limits this device reports are the limits it keeps.
    if (Width > caps_.MaxTextureWidth || Height > caps_.MaxTextureHeight) return D3DERR_INVALIDCALL;
    if ((caps_.TextureCaps & D3DPTEXTURECAPS_POW2) && (!IsPowerOfTwo(Width) || !IsPowerOfTwo(Height)))
        return D3DERR_INVALIDCALL;
    if ((caps_.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && Width != Height) return D3DERR_INVALIDCALL;
    uint64_t aspect = caps_.MaxTextureAspectRatio;
    if (aspect != 0 && (Width > Height * aspect || Height > Width * aspect)) return D3DERR_INVALIDCALL;
    UINT full = D3D8Texture::FullChain(Width, Height);
    if (!(caps_.TextureCaps & D3DPTEXTURECAPS_MIPMAP)) full = 1;
    if (Levels == 0) Levels = full;
    if (Levels > full) return D3DERR_INVALIDCALL;
    // Beyond the budget a default-pool texture finds no video memory; the
    // others, and any allocation that fails, are out of memory.
    // The texture worked on last gives its memory back first, for this one to use
    // (and likewise before a buffer is made).
    SettlePendingTexture();
    uint64_t cost = D3D8Texture::MemoryCost(Width, Height, Levels, Format, Pool, decodeDxt_);
    if (!textureMemory_.Reserve(cost)) return Pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
    MakeCurrent();
    HRESULT result = NoThrowCall([&] {
        *ppTexture = new D3D8Texture(this, Width, Height, Levels, Usage, Format, Pool, cost);
        return D3D_OK;
    });
    if (FAILED(result)) textureMemory_.Return(cost);
    return result;
}

HRESULT D3D8Device::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                        IDirect3DVolumeTexture8** ppVolumeTexture) {
    if (ppVolumeTexture != nullptr) *ppVolumeTexture = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8** ppCubeTexture) {
    if (ppCubeTexture != nullptr) *ppCubeTexture = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                       IDirect3DVertexBuffer8** ppVertexBuffer) {
    if (ppVertexBuffer == nullptr) return D3DERR_INVALIDCALL;
    *ppVertexBuffer = nullptr;
    if (Length == 0 || Pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (FVF != 0) {
        VertexLayout layout = DescribeFvf(FVF);
        if (!layout.valid || Length < layout.size) return D3DERR_INVALIDCALL;
    }
    SettlePendingTexture();
    return NoThrowCall([&] {
        *ppVertexBuffer = new D3D8VertexBuffer(this, Length, Usage, FVF, Pool);
        return D3D_OK;
    });
}

HRESULT D3D8Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DIndexBuffer8** ppIndexBuffer) {
    if (ppIndexBuffer == nullptr) return D3DERR_INVALIDCALL;
    *ppIndexBuffer = nullptr;
    if (Length == 0 || Pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    SettlePendingTexture();
    return NoThrowCall([&] {
        *ppIndexBuffer = new D3D8IndexBuffer(this, Length, Usage, Format, Pool);
        return D3D_OK;
    });
}

HRESULT D3D8Device::CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL, IDirect3DSurface8** ppSurface) {
    if (ppSurface != nullptr) *ppSurface = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE,
                                              IDirect3DSurface8** ppSurface) {
    if (ppSurface != nullptr) *ppSurface = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format, IDirect3DSurface8** ppSurface) {
    if (ppSurface == nullptr) return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    const TextureFormat& format = DescribeFormat(Format);
    if (Width == 0 || Height == 0 || !format.texture) return D3DERR_INVALIDCALL;
    if (format.compressed && (Width % 4 != 0 || Height % 4 != 0)) return D3DERR_INVALIDCALL;
    // Pixels beyond what a surface's 32-bit size can describe cannot be had.
    uint64_t units = format.compressed ? (uint64_t{Width} + 3) / 4 * ((uint64_t{Height} + 3) / 4)
                                       : uint64_t{Width} * Height;
    if (units * format.bytesPerUnit > 0xFFFFFFFFu) return E_OUTOFMEMORY;
    return NoThrowCall([&] {
        *ppSurface = new D3D8Surface(this, SurfaceKind::Image, Width, Height, Format, 0, D3DPOOL_SYSTEMMEM, true);
        return D3D_OK;
    });
}

HRESULT D3D8Device::CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                              IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) {
    auto* source = dynamic_cast<D3D8Surface*>(pSourceSurface);
    auto* dest = dynamic_cast<D3D8Surface*>(pDestinationSurface);
    if (source == nullptr || dest == nullptr || source == dest) return D3DERR_INVALIDCALL;
    if (source->Desc().Format != dest->Desc().Format) return D3DERR_INVALIDCALL;
    if (dest->Kind() == SurfaceKind::BackBuffer || dest->Kind() == SurfaceKind::DepthStencil ||
        source->Kind() == SurfaceKind::DepthStencil || source->Locked() || dest->Locked())
        return D3DERR_INVALIDCALL;
    bool read = true;
    HRESULT result = NoThrowCall([&] {
        if (source->Kind() == SurfaceKind::BackBuffer) read = ReadBackBufferBgra(source->Bits());
        return D3D_OK;
    });
    if (FAILED(result)) return result;
    if (!read) return D3DERR_INVALIDCALL;
    if (HRESULT resident = source->MakeResident(); FAILED(resident)) return resident;
    if (HRESULT resident = dest->MakeResident(); FAILED(resident)) return resident;
    const TextureFormat& format = source->Format();
    const D3DSURFACE_DESC& sd = source->Desc();
    const D3DSURFACE_DESC& dd = dest->Desc();
    RECT whole{0, 0, static_cast<LONG>(sd.Width), static_cast<LONG>(sd.Height)};
    UINT count = pSourceRectsArray != nullptr ? cRects : 1;
    for (UINT i = 0; i < count; ++i) {
        RECT r = pSourceRectsArray != nullptr ? pSourceRectsArray[i] : whole;
        POINT at = pDestPointsArray != nullptr ? pDestPointsArray[i] : POINT{r.left, r.top};
        RECT target{at.x, at.y, at.x + (r.right - r.left), at.y + (r.bottom - r.top)};
        size_t from = 0, to = 0;
        if (!LockOffset(format, source->Pitch(), sd.Width, sd.Height, &r, &from) ||
            !LockOffset(format, dest->Pitch(), dd.Width, dd.Height, &target, &to))
            return D3DERR_INVALIDCALL;
        UINT rows = format.compressed ? (static_cast<UINT>(r.bottom - r.top) + 3) / 4 : static_cast<UINT>(r.bottom - r.top);
        UINT rowBytes = FormatPitch(format, static_cast<UINT>(r.right - r.left));
        for (UINT row = 0; row < rows; ++row)
            std::memcpy(dest->Bits().data() + to + static_cast<size_t>(row) * dest->Pitch(),
                        source->Bits().data() + from + static_cast<size_t>(row) * source->Pitch(), rowBytes);
    }
    dest->Written();
    return D3D_OK;
}

HRESULT D3D8Device::UpdateTexture(IDirect3DBaseTexture8* pSourceTexture, IDirect3DBaseTexture8* pDestinationTexture) {
    auto* source = dynamic_cast<D3D8Texture*>(pSourceTexture);
    auto* dest = dynamic_cast<D3D8Texture*>(pDestinationTexture);
    if (source == nullptr || dest == nullptr || source == dest) return D3DERR_INVALIDCALL;
    if (source->Pool() != D3DPOOL_SYSTEMMEM || dest->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (source->FormatCode() != dest->FormatCode()) return D3DERR_INVALIDCALL;
    // Source levels are matched to destination levels by size.
    UINT first = 0;
    while (first < source->LevelCount() &&
           (source->Level(first)->Desc().Width != dest->Level(0)->Desc().Width ||
            source->Level(first)->Desc().Height != dest->Level(0)->Desc().Height))
        ++first;
    if (first == source->LevelCount() || source->LevelCount() - first < dest->LevelCount()) return D3DERR_INVALIDCALL;
    for (UINT level = 0; level < dest->LevelCount(); ++level) {
        if (source->Level(first + level)->Locked() || dest->Level(level)->Locked()) return D3DERR_INVALIDCALL;
        // The level is replaced whole: room for it, but nothing read back.
        if (HRESULT resident = dest->MakeResident(level, false); FAILED(resident)) return resident;
        HRESULT copied = NoThrowCall([&] {
            dest->Level(level)->Bits() = source->Level(first + level)->Bits();
            return D3D_OK;
        });
        if (FAILED(copied)) return copied;
        dest->MarkDirty(level);
    }
    TextureInUse(dest);
    return D3D_OK;
}

HRESULT D3D8Device::GetFrontBuffer(IDirect3DSurface8* pDestSurface) {
    auto* dest = dynamic_cast<D3D8Surface*>(pDestSurface);
    if (dest == nullptr || dest->Desc().Format != D3DFMT_A8R8G8B8 || dest->Kind() == SurfaceKind::BackBuffer ||
        dest->Kind() == SurfaceKind::DepthStencil || dest->Locked())
        return D3DERR_INVALIDCALL;
    UINT w = parameters_.BackBufferWidth, h = parameters_.BackBufferHeight;
    if (dest->Desc().Width < w || dest->Desc().Height < h) return D3DERR_INVALIDCALL;
    if (HRESULT resident = dest->MakeResident(); FAILED(resident)) return resident;
    std::vector<uint8_t> rgba;
    HRESULT read = NoThrowCall([&] {
        ReadBackBufferRgba(rgba);
        return D3D_OK;
    });
    if (FAILED(read)) return read;
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            const uint8_t* in = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            uint8_t* out = dest->Bits().data() + static_cast<size_t>(y) * dest->Pitch() + x * 4;
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
    dest->Written();
    return D3D_OK;
}

void D3D8Device::TextureInUse(D3D8Texture* texture) {
    if (pendingTexture_ != nullptr && pendingTexture_ != texture) pendingTexture_->Settle();
    pendingTexture_ = texture;
}

void D3D8Device::TextureGone(D3D8Texture* texture) {
    if (pendingTexture_ == texture) pendingTexture_ = nullptr;
}

void D3D8Device::SettlePendingTexture() {
    D3D8Texture* texture = pendingTexture_;
    pendingTexture_ = nullptr;
    if (texture != nullptr) texture->Settle();
}

HRESULT D3D8Device::SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) {
    // Only the device's own back buffer and depth buffer can be drawn into.
    if (pRenderTarget != nullptr && pRenderTarget != backBuffer_) return D3DERR_INVALIDCALL;
    if (pNewZStencil != nullptr && pNewZStencil != depthSurface_) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT D3D8Device::GetRenderTarget(IDirect3DSurface8** ppRenderTarget) {
    return GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, ppRenderTarget);
}

HRESULT D3D8Device::GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) {
    if (ppZStencilSurface == nullptr) return D3DERR_INVALIDCALL;
    *ppZStencilSurface = nullptr;
    if (depthSurface_ == nullptr) return D3DERR_NOTFOUND;
    depthSurface_->AddRef();
    *ppZStencilSurface = depthSurface_;
    return D3D_OK;
}
