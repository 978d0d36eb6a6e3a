// IDirect3DIndexBuffer8: 16- or 32-bit indices in memory, mirrored into a GL
// element buffer when a lock ends.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/DeviceChild.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PrivateDataStore.h"

class D3D8IndexBuffer : public DeviceChild<IDirect3DIndexBuffer8> {
public:
    D3D8IndexBuffer(D3D8Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
    HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override;
    HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override;
    HRESULT FreePrivateData(REFGUID refguid) override;
    DWORD SetPriority(DWORD PriorityNew) override;
    DWORD GetPriority() override;
    void PreLoad() override {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    UINT IndexSize() const { return desc_.Format == D3DFMT_INDEX32 ? 4 : 2; }
    GLuint GlBuffer() const { return glBuffer_; }
    const uint8_t* Bytes() const { return bytes_.data(); }

private:
    ~D3D8IndexBuffer() override;

    D3DINDEXBUFFER_DESC desc_{};
    std::vector<uint8_t> bytes_;
    GLuint glBuffer_ = 0;
    UINT lockCount_ = 0;
    size_t dirtyBegin_ = SIZE_MAX, dirtyEnd_ = 0;
    DWORD priority_ = 0;
    PrivateDataStore privateData_;
};
