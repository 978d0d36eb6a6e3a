// IDirect3DIndexBuffer8: 16- or 32-bit indices in memory, mirrored into a GL
// element buffer when a lock ends.
#pragma once

#include "platform/d3d8/D3D8Buffer.h"

class D3D8IndexBuffer : public D3D8Buffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC, GL_COPY_WRITE_BUFFER> {
public:
    D3D8IndexBuffer(D3D8Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : D3D8Buffer(device, length, usage, format, D3DRTYPE_INDEXBUFFER, pool, false) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, IID_IDirect3DIndexBuffer8, IID_IDirect3DResource8);
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }

    UINT IndexSize() const { return desc_.Format == D3DFMT_INDEX32 ? 4 : 2; }

private:
    ~D3D8IndexBuffer() override = default;
};
