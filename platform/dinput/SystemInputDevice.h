// The system keyboard and the system mouse as DirectInput devices.
#pragma once

#include "platform/dinput/InputEventWatch.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/ComObject.h"

class SystemInputDevice : public ComObject<IDirectInputDevice8A> {
public:
    enum class Kind { Keyboard, Mouse };

    // Holds a reference to the DirectInput object that made it.
    SystemInputDevice(Kind kind, IUnknown* parent);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT Poll() override;

private:
    ~SystemInputDevice() override;

    // A foreground device may only be used while its window is in front.
    bool WindowAllowsUse() const;
    void StopUse();
    void SetRelativeMouse(bool on);

    Kind kind_;
    IUnknown* parent_;
    DWORD dataSize_ = 0;     // 0 until a data format is set
    HWND window_ = nullptr;
    DWORD level_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired_ = false;
    bool lost_ = false;      // acquisition was taken away and not yet reported
    bool relativeMode_ = false;
    MouseMotion motion_;
};
