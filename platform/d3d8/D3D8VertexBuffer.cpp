#include "platform/d3d8/D3D8VertexBuffer.h"

D3D8VertexBuffer::D3D8VertexBuffer(D3D8Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : D3D8Buffer(device, length, usage, D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, pool, true) {
    desc_.FVF = fvf;
}

D3D8VertexBuffer::~D3D8VertexBuffer() {
    device_->MakeCurrent();
    device_->ForgetVertexArray(vao_);
    if (vao_ != 0) glDeleteVertexArrays(1, &vao_);
}

GLuint D3D8VertexBuffer::VertexArray() {
    if (vao_ == 0) glGenVertexArrays(1, &vao_);
    return vao_;
}
