// IDirect3DVertexBuffer8: bytes in memory, mirrored into a GL buffer when a
// lock ends, with the vertex layout last used to draw from it kept in a GL
// vertex array.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/DeviceChild.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PrivateDataStore.h"

class D3D8VertexBuffer : public DeviceChild<IDirect3DVertexBuffer8> {
public:
    D3D8VertexBuffer(D3D8Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
    HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override;
    HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override;
    HRESULT FreePrivateData(REFGUID refguid) override;
    DWORD SetPriority(DWORD PriorityNew) override;
    DWORD GetPriority() override;
    void PreLoad() override {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    GLuint GlBuffer() const { return glBuffer_; }
    const uint8_t* Bytes() const { return bytes_.data(); }

    // The vertex array set up for this buffer with the given layout, or 0 when
    // the layout differs from the one it holds; RememberLayout records a new one.
    GLuint VertexArrayFor(DWORD fvf, UINT stride, DWORD texSet) const {
        return (vaoFvf_ == fvf && vaoStride_ == stride && vaoTexSet_ == texSet) ? vao_ : 0;
    }
    GLuint VertexArray();
    void RememberLayout(DWORD fvf, UINT stride, DWORD texSet) {
        vaoFvf_ = fvf;
        vaoStride_ = stride;
        vaoTexSet_ = texSet;
    }

private:
    ~D3D8VertexBuffer() override;

    D3DVERTEXBUFFER_DESC desc_{};
    std::vector<uint8_t> bytes_;
    GLuint glBuffer_ = 0;
    GLuint vao_ = 0;
    DWORD vaoFvf_ = 0xFFFFFFFF;
    UINT vaoStride_ = 0;
    DWORD vaoTexSet_ = 0;
    UINT lockCount_ = 0;
    size_t dirtyBegin_ = SIZE_MAX, dirtyEnd_ = 0;
    DWORD priority_ = 0;
    PrivateDataStore privateData_;
};
