// DirectInput8Create and the DirectInput object, which makes the system devices.
#include <new>

#include "platform/dinput/SystemInputDevice.h"
#include "platform/win32/PlatformWindow.h"

namespace {

class DirectInputObject : public ComObject<IDirectInput8A> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, IID_IDirectInput8A);
    }

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override {
        if (device == nullptr) return E_POINTER;
        *device = nullptr;
        if (outer != nullptr) return DIERR_NOAGGREGATION;
        if (guid == GUID_SysKeyboard)
            *device = new (std::nothrow) SystemInputDevice(SystemInputDevice::Kind::Keyboard, this);
        else if (guid == GUID_SysMouse)
            *device = new (std::nothrow) SystemInputDevice(SystemInputDevice::Kind::Mouse, this);
        else
            return DIERR_DEVICENOTREG;
        return *device != nullptr ? DI_OK : DIERR_OUTOFMEMORY;
    }

    HRESULT GetDeviceStatus(REFGUID guid) override {
        return guid == GUID_SysKeyboard || guid == GUID_SysMouse ? DI_OK : DIERR_DEVICENOTREG;
    }

    HRESULT Initialize(HINSTANCE instance, DWORD version) override {
        if (instance == nullptr) return DIERR_INVALIDPARAM;
        if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
        if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
        return DI_OK;
    }
};

}  // namespace

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return DIERR_NOAGGREGATION;
    if (iid != IID_IDirectInput8A) return DIERR_NOINTERFACE;
    auto* object = new (std::nothrow) DirectInputObject();
    if (object == nullptr) return DIERR_OUTOFMEMORY;
    HRESULT result = object->Initialize(instance, version);
    if (FAILED(result)) {
        object->Release();
        return result;
    }
    // Keyboard and mouse events arrive through SDL's video subsystem.
    PlatformVideoInit();
    *out = static_cast<IDirectInput8A*>(object);
    return DI_OK;
}
