#include "platform/d3d8/D3D8Surface.h"

#include "platform/d3d8/D3D8Device.h"
#include "platform/d3d8/D3D8Texture.h"
#include "platform/win32/ComGuard.h"

namespace {

void FillDesc(D3DSURFACE_DESC& desc, const TextureFormat& format, D3DFORMAT code, UINT width, UINT height,
              DWORD usage, D3DPOOL pool) {
    desc.Format = code;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.MultiSampleType = D3DMULTISAMPLE_NONE;
    desc.Width = width;
    desc.Height = height;
    desc.Size = format.bytesPerUnit != 0 ? FormatLevelSize(format, width, height) : 0;
}

}  // namespace

bool LockOffset(const TextureFormat& format, UINT pitch, UINT width, UINT height, const RECT* rect,
                size_t* offset) {
    *offset = 0;
    if (rect == nullptr) return true;
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > width || static_cast<UINT>(rect->bottom) > height)
        return false;
    if (format.compressed) {
        if (rect->left % 4 != 0 || rect->top % 4 != 0) return false;
        *offset = static_cast<size_t>(rect->top / 4) * pitch + static_cast<size_t>(rect->left / 4) * format.bytesPerUnit;
        return true;
    }
    *offset = static_cast<size_t>(rect->top) * pitch + static_cast<size_t>(rect->left) * format.bytesPerUnit;
    return true;
}

D3D8Surface::D3D8Surface(D3D8Device* device, SurfaceKind kind, UINT width, UINT height, D3DFORMAT format,
                         DWORD usage, D3DPOOL pool, bool lockable)
    : DeviceChild(device), kind_(kind), format_(&DescribeFormat(format)), lockable_(lockable) {
    FillDesc(desc_, *format_, format, width, height, usage, pool);
    if (kind_ == SurfaceKind::BackBuffer) {
        pitch_ = FormatPitch(*format_, width);
        desc_.Size = pitch_ * height;
    } else if (kind_ == SurfaceKind::DepthStencil) {
        desc_.Size = width * height * (format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE ? 2 : 4);
        pitch_ = width * 4;
    } else {
        pitch_ = FormatPitch(*format_, width);
        bits_.assign(desc_.Size, 0);
    }
}

D3D8Surface::D3D8Surface(D3D8Texture* container, UINT level, UINT width, UINT height, D3DFORMAT format,
                         DWORD usage, D3DPOOL pool, bool lockable)
    : DeviceChild(nullptr),
      kind_(SurfaceKind::TextureLevel),
      container_(container),
      level_(level),
      format_(&DescribeFormat(format)),
      lockable_(lockable) {
    FillDesc(desc_, *format_, format, width, height, usage, pool);
    pitch_ = FormatPitch(*format_, width);
    bits_.assign(desc_.Size, 0);
}

D3D8Device* D3D8Surface::Device() const { return container_ != nullptr ? container_->Owner() : device_; }

HRESULT D3D8Surface::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3DSurface8);
}

ULONG D3D8Surface::AddRef() {
    if (container_ != nullptr) return container_->AddRef();
    return DeviceChild::AddRef();
}

ULONG D3D8Surface::Release() {
    if (container_ != nullptr) return container_->Release();
    return DeviceChild::Release();
}

HRESULT D3D8Surface::GetDevice(IDirect3DDevice8** ppDevice) {
    if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
    D3D8Device* device = Device();
    device->AddRef();
    *ppDevice = device;
    return D3D_OK;
}

HRESULT D3D8Surface::SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) {
    return privateData_.Set(refguid, pData, SizeOfData, Flags);
}

HRESULT D3D8Surface::GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) {
    return privateData_.Get(refguid, pData, pSizeOfData);
}

HRESULT D3D8Surface::FreePrivateData(REFGUID refguid) { return privateData_.Free(refguid); }

HRESULT D3D8Surface::GetContainer(REFIID riid, void** ppContainer) {
    if (ppContainer == nullptr) return D3DERR_INVALIDCALL;
    if (container_ != nullptr) return container_->QueryInterface(riid, ppContainer);
    return Device()->QueryInterface(riid, ppContainer);
}

HRESULT D3D8Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (pDesc == nullptr) return D3DERR_INVALIDCALL;
    *pDesc = desc_;
    return D3D_OK;
}

HRESULT D3D8Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
    if (pLockedRect == nullptr || locked_ || !lockable_) return D3DERR_INVALIDCALL;
    if (kind_ == SurfaceKind::DepthStencil) return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (!LockOffset(*format_, pitch_, desc_.Width, desc_.Height, pRect, &offset)) return D3DERR_INVALIDCALL;
    HRESULT resident = MakeResident();
    if (FAILED(resident)) return resident;
    if (kind_ == SurfaceKind::BackBuffer) {
        bool read = false;
        HRESULT result = NoThrowCall([&] {
            read = Device()->ReadBackBufferBgra(bits_);
            return D3D_OK;
        });
        if (FAILED(result)) return result;
        if (!read) return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    lockReadOnly_ = (Flags & D3DLOCK_READONLY) != 0;
    pLockedRect->Pitch = static_cast<INT>(pitch_);
    pLockedRect->pBits = bits_.data() + offset;
    return D3D_OK;
}

HRESULT D3D8Surface::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (lockReadOnly_) return D3D_OK;
    if (container_ != nullptr) container_->MarkDirty(level_);
    if (kind_ == SurfaceKind::BackBuffer) Device()->WriteBackBufferBgra(bits_);
    return D3D_OK;
}

void D3D8Surface::Written() {
    if (container_ != nullptr) container_->MarkDirty(level_);
}

HRESULT D3D8Surface::MakeResident() {
    return container_ != nullptr ? container_->MakeResident(level_) : D3D_OK;
}
