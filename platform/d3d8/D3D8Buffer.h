// What vertex and index buffers share: their bytes in memory, mirrored into a
// GL buffer when the last lock ends, with the resource calls of Direct3D 8.
// A buffer made to live in GL alone gives its memory back once the last lock
// ends and reads its bytes back from GL at the next lock.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/d3d8/D3D8Device.h"
#include "platform/d3d8/DeviceChild.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/PrivateDataStore.h"
#include "platform/win32/ComGuard.h"

// Interface is the buffer's COM interface, Desc its description record, and
// UploadTarget the GL binding point used to fill the GL buffer.
template <typename Interface, typename Desc, GLenum UploadTarget>
class D3D8Buffer : public DeviceChild<Interface> {
public:
    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override {
        if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
        this->device_->AddRef();
        *ppDevice = this->device_;
        return D3D_OK;
    }
    HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override {
        return privateData_.Set(refguid, pData, SizeOfData, Flags);
    }
    HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override {
        return privateData_.Get(refguid, pData, pSizeOfData);
    }
    HRESULT FreePrivateData(REFGUID refguid) override { return privateData_.Free(refguid); }
    DWORD SetPriority(DWORD PriorityNew) override {
        DWORD old = priority_;
        priority_ = PriorityNew;
        return old;
    }
    DWORD GetPriority() override { return priority_; }
    void PreLoad() override {}

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override {
        if (ppbData == nullptr) return D3DERR_INVALIDCALL;
        size_t length = desc_.Size;
        if (OffsetToLock > length || (SizeToLock != 0 && static_cast<size_t>(OffsetToLock) + SizeToLock > length)) {
            *ppbData = nullptr;
            return D3DERR_INVALIDCALL;
        }
        // Size 0 locks everything from the offset to the end.
        size_t end = SizeToLock == 0 ? length : static_cast<size_t>(OffsetToLock) + SizeToLock;
        if (lockCount_ == 0 && bytes_.empty()) {
            HRESULT read = ReadBack();
            if (FAILED(read)) {
                *ppbData = nullptr;
                return read;
            }
        }
        if ((Flags & D3DLOCK_READONLY) == 0) {
            dirtyBegin_ = std::min<size_t>(dirtyBegin_, OffsetToLock);
            dirtyEnd_ = std::max(dirtyEnd_, end);
        }
        ++lockCount_;
        *ppbData = bytes_.data() + OffsetToLock;
        return D3D_OK;
    }

    HRESULT Unlock() override {
        if (lockCount_ == 0) return D3DERR_INVALIDCALL;
        if (--lockCount_ != 0) return D3D_OK;
        if (dirtyBegin_ < dirtyEnd_) {
            this->device_->MakeCurrent();
            glBindBuffer(UploadTarget, glBuffer_);
            glBufferSubData(UploadTarget, static_cast<GLintptr>(dirtyBegin_),
                            static_cast<GLsizeiptr>(dirtyEnd_ - dirtyBegin_), bytes_.data() + dirtyBegin_);
            dirtyBegin_ = SIZE_MAX;
            dirtyEnd_ = 0;
        }
        if (livesInGl_) std::vector<uint8_t>().swap(bytes_);
        return D3D_OK;
    }

    HRESULT GetDesc(Desc* pDesc) override {
        if (pDesc == nullptr) return D3DERR_INVALIDCALL;
        *pDesc = desc_;
        return D3D_OK;
    }

    UINT Length() const { return desc_.Size; }
    GLuint GlBuffer() const { return glBuffer_; }
    // The bytes in memory; empty while the buffer lives in GL alone.
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

protected:
    // livesInGl: the bytes are wanted in GL only (drawing never reads them
    // here); takes effect where GL can hand them back.
    D3D8Buffer(D3D8Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DRESOURCETYPE type, D3DPOOL pool,
               bool livesInGl)
        : DeviceChild<Interface>(device), bytes_(length, 0) {
        desc_.Format = format;
        desc_.Type = type;
        desc_.Usage = usage;
        desc_.Pool = pool;
        desc_.Size = length;
        this->device_->MakeCurrent();
        glGenBuffers(1, &glBuffer_);
        glBindBuffer(UploadTarget, glBuffer_);
        glBufferData(UploadTarget, length, bytes_.data(),
                     (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        // Buffers rewritten often, and system-memory buffers, keep their bytes.
        livesInGl_ = livesInGl && pool != D3DPOOL_SYSTEMMEM && (usage & D3DUSAGE_DYNAMIC) == 0 &&
                     this->device_->Limits().textureReadBack;
    }

    ~D3D8Buffer() override {
        this->device_->MakeCurrent();
        glDeleteBuffers(1, &glBuffer_);
    }

    Desc desc_{};

private:
    HRESULT ReadBack() {
        HRESULT result = NoThrowCall([&] {
            bytes_.resize(desc_.Size);
            return D3D_OK;
        });
        if (FAILED(result)) return result;
#ifndef __EMSCRIPTEN__  // buffers never live in WebGL alone
        this->device_->MakeCurrent();
        glBindBuffer(UploadTarget, glBuffer_);
        glGetBufferSubData(UploadTarget, 0, static_cast<GLsizeiptr>(desc_.Size), bytes_.data());
#endif
        return D3D_OK;
    }

    bool livesInGl_ = false;
    std::vector<uint8_t> bytes_;
    GLuint glBuffer_ = 0;
    UINT lockCount_ = 0;
    size_t dirtyBegin_ = SIZE_MAX, dirtyEnd_ = 0;
    DWORD priority_ = 0;
    PrivateDataStore privateData_;
};
