// IDirect3DVertexBuffer8: bytes in memory, mirrored into a GL buffer when a
// lock ends, with the vertex layout last used to draw from it kept in a GL
// vertex array.
#pragma once

#include "platform/d3d8/D3D8Buffer.h"

class D3D8VertexBuffer : public D3D8Buffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC, GL_ARRAY_BUFFER> {
public:
    D3D8VertexBuffer(D3D8Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, IID_IDirect3DVertexBuffer8, IID_IDirect3DResource8);
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }

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

    GLuint vao_ = 0;
    DWORD vaoFvf_ = 0xFFFFFFFF;
    UINT vaoStride_ = 0;
    DWORD vaoTexSet_ = 0;
};
