// Reference counting shared by the platform's COM objects: the object deletes
// itself when its last reference is released.
#pragma once

#include "platform/win32/windows.h"

template <typename Interface>
class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG AddRef() override { return ++refCount_; }

    ULONG Release() override {
        ULONG left = --refCount_;
        if (left == 0) delete this;
        return left;
    }

    ULONG RefCount() const { return refCount_; }

protected:
    virtual ~ComObject() = default;

    // Answers IUnknown and the interfaces listed; each answer holds a new reference.
    template <typename... Iids>
    HRESULT AnswerQuery(REFIID riid, void** object, const Iids&... accepted) {
        if (object == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || ((riid == accepted) || ...)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

private:
    ULONG refCount_ = 1;
};
