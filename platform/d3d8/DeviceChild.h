// Reference counting of the objects a device makes (textures, surfaces,
// buffers). Each public reference keeps the device alive, as in Direct3D. The
// device's own bindings (a texture set on a stage, a stream source) are counted
// apart, so that a device released with objects still bound is freed: an object
// whose last public reference is gone lives on only until the device lets go of
// it, and holds no reference to the device meanwhile.
#pragma once

#include "platform/d3d8/d3d8.h"

class D3D8Device;

// Implemented in D3D8Device.cpp, which knows the device.
void DeviceChildAddRefDevice(D3D8Device* device);
void DeviceChildReleaseDevice(D3D8Device* device);

template <typename Interface>
class DeviceChild : public Interface {
public:
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

    ULONG AddRef() override {
        if (refs_ == 0 && device_ != nullptr && !holdsDevice_) {
            holdsDevice_ = true;
            DeviceChildAddRefDevice(device_);
        }
        return ++refs_;
    }

    ULONG Release() override {
        if (refs_ == 0) return 0;
        ULONG left = --refs_;
        if (left != 0) return left;
        if (binds_ == 0) {
            delete this;
            return 0;
        }
        // Still bound: give the device back now; the device frees this object when it unbinds it.
        D3D8Device* device = device_;
        bool held = holdsDevice_;
        holdsDevice_ = false;
        if (held) DeviceChildReleaseDevice(device);
        return 0;
    }

    void Bind() { ++binds_; }

    void Unbind() {
        if (binds_ == 0) return;
        if (--binds_ == 0 && refs_ == 0) delete this;
    }

    ULONG PublicRefs() const { return refs_; }
    D3D8Device* Owner() const { return device_; }

protected:
    // Starts with one public reference, which holds the device.
    explicit DeviceChild(D3D8Device* device) : device_(device) {
        if (device_ != nullptr) {
            holdsDevice_ = true;
            DeviceChildAddRefDevice(device_);
        }
    }

    virtual ~DeviceChild() {
        if (holdsDevice_) DeviceChildReleaseDevice(device_);
    }

    HRESULT AnswerQuery(REFIID riid, void** object, REFIID own, REFIID parent1 = IID_IUnknown,
                        REFIID parent2 = IID_IUnknown) {
        if (object == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == own || riid == parent1 || riid == parent2) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    D3D8Device* device_;

private:
    ULONG refs_ = 1;
    ULONG binds_ = 0;
    bool holdsDevice_ = false;
};
