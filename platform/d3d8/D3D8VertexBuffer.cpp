#include "platform/d3d8/D3D8VertexBuffer.h"

#include <algorithm>

#include "platform/d3d8/D3D8Device.h"

D3D8VertexBuffer::D3D8VertexBuffer(D3D8Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : DeviceChild(device), bytes_(length, 0) {
    desc_.Format = D3DFMT_VERTEXDATA;
    desc_.Type = D3DRTYPE_VERTEXBUFFER;
    desc_.Usage = usage;
    desc_.Pool = pool;
    desc_.Size = length;
    desc_.FVF = fvf;
    device_->MakeCurrent();
    glGenBuffers(1, &glBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, glBuffer_);
    glBufferData(GL_ARRAY_BUFFER, length, bytes_.data(),
                 (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

D3D8VertexBuffer::~D3D8VertexBuffer() {
    device_->MakeCurrent();
    device_->ForgetVertexArray(vao_);
    if (vao_ != 0) glDeleteVertexArrays(1, &vao_);
    glDeleteBuffers(1, &glBuffer_);
}

HRESULT D3D8VertexBuffer::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3DVertexBuffer8, IID_IDirect3DResource8);
}

HRESULT D3D8VertexBuffer::GetDevice(IDirect3DDevice8** ppDevice) {
    if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *ppDevice = device_;
    return D3D_OK;
}

HRESULT D3D8VertexBuffer::SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) {
    return privateData_.Set(refguid, pData, SizeOfData, Flags);
}

HRESULT D3D8VertexBuffer::GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) {
    return privateData_.Get(refguid, pData, pSizeOfData);
}

HRESULT D3D8VertexBuffer::FreePrivateData(REFGUID refguid) { return privateData_.Free(refguid); }

DWORD D3D8VertexBuffer::SetPriority(DWORD PriorityNew) {
    DWORD old = priority_;
    priority_ = PriorityNew;
    return old;
}

DWORD D3D8VertexBuffer::GetPriority() { return priority_; }

HRESULT D3D8VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) {
    if (ppbData == nullptr) return D3DERR_INVALIDCALL;
    size_t length = bytes_.size();
    if (OffsetToLock > length || (SizeToLock != 0 && static_cast<size_t>(OffsetToLock) + SizeToLock > length)) {
        *ppbData = nullptr;
        return D3DERR_INVALIDCALL;
    }
    // Size 0 locks everything from the offset to the end.
    size_t end = SizeToLock == 0 ? length : static_cast<size_t>(OffsetToLock) + SizeToLock;
    if ((Flags & D3DLOCK_READONLY) == 0) {
        dirtyBegin_ = std::min<size_t>(dirtyBegin_, OffsetToLock);
        dirtyEnd_ = std::max(dirtyEnd_, end);
    }
    ++lockCount_;
    *ppbData = bytes_.data() + OffsetToLock;
    return D3D_OK;
}

HRESULT D3D8VertexBuffer::Unlock() {
    if (lockCount_ == 0) return D3DERR_INVALIDCALL;
    if (--lockCount_ != 0 || dirtyBegin_ >= dirtyEnd_) return D3D_OK;
    device_->MakeCurrent();
    glBindBuffer(GL_ARRAY_BUFFER, glBuffer_);
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(dirtyBegin_),
                    static_cast<GLsizeiptr>(dirtyEnd_ - dirtyBegin_), bytes_.data() + dirtyBegin_);
    dirtyBegin_ = SIZE_MAX;
    dirtyEnd_ = 0;
    return D3D_OK;
}

HRESULT D3D8VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
    if (pDesc == nullptr) return D3DERR_INVALIDCALL;
    *pDesc = desc_;
    return D3D_OK;
}

GLuint D3D8VertexBuffer::VertexArray() {
    if (vao_ == 0) glGenVertexArrays(1, &vao_);
    return vao_;
}
