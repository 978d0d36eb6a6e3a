// Keyboard and mouse devices: acquisition, the foreground rule and the state reads.
#include "platform/dinput/SystemInputDevice.h"

#include <SDL.h>

#include <cstring>

#include "platform/win32/ComGuard.h"

SystemInputDevice::SystemInputDevice(Kind kind, IUnknown* parent) : kind_(kind), parent_(parent) {
    if (parent_ != nullptr) parent_->AddRef();
    InputWatchAttach();
}

SystemInputDevice::~SystemInputDevice() {
    StopUse();
    InputWatchDetach();
    if (parent_ != nullptr) parent_->Release();
}

HRESULT SystemInputDevice::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectInputDevice8A, IID_IDirectInputDevice8W);
}

HRESULT SystemInputDevice::SetDataFormat(LPCDIDATAFORMAT format) {
    if (format == nullptr || format->dwSize != sizeof(DIDATAFORMAT)) return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_ACQUIRED;
    // The standard formats of each device are the ones understood.
    bool known = kind_ == Kind::Keyboard
                     ? format->dwDataSize == 256
                     : format->dwDataSize == sizeof(DIMOUSESTATE) || format->dwDataSize == sizeof(DIMOUSESTATE2);
    if (!known) return DIERR_INVALIDPARAM;
    dataSize_ = format->dwDataSize;
    return DI_OK;
}

HRESULT SystemInputDevice::SetCooperativeLevel(HWND window, DWORD flags) {
    bool foreground = (flags & DISCL_FOREGROUND) != 0;
    bool background = (flags & DISCL_BACKGROUND) != 0;
    bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
    if (foreground == background) return DIERR_INVALIDPARAM;
    if (exclusive && (flags & DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
    if (foreground && !IsWindow(window)) return DIERR_INVALIDPARAM;
    if (kind_ == Kind::Keyboard && exclusive && background) return DIERR_UNSUPPORTED;
    // A level that names neither sharing mode gets a shared (non-exclusive) device.
    level_ = (flags & (DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY)) |
             (exclusive ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE);
    window_ = window;
    return DI_OK;
}

bool SystemInputDevice::WindowAllowsUse() const {
    if (!(level_ & DISCL_FOREGROUND)) return true;
    return IsWindow(window_) && GetForegroundWindow() == window_;
}

void SystemInputDevice::SetRelativeMouse(bool on) {
    if (kind_ != Kind::Mouse || on == relativeMode_) return;
    relativeMode_ = on;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

void SystemInputDevice::StopUse() {
    if (acquired_ && kind_ == Kind::Mouse) InputWatchRemoveSink(&motion_);
    acquired_ = false;
    SetRelativeMouse(false);
}

HRESULT SystemInputDevice::Acquire() {
    if (dataSize_ == 0) return DIERR_INVALIDPARAM;
    // Never DIERR_INPUTLOST: a caller that retries on it always gets an answer that ends its loop.
    if (!WindowAllowsUse()) return DIERR_OTHERAPPHASPRIO;
    lost_ = false;
    if (acquired_) return DI_NOEFFECT;
    if (kind_ == Kind::Mouse) {
        HRESULT watched = NoThrowCall([&] {
            InputWatchAddSink(&motion_);
            return DI_OK;
        }, DIERR_OUTOFMEMORY);
        if (FAILED(watched)) return watched;
    }
    acquired_ = true;
    if (kind_ == Kind::Mouse) {
        SetRelativeMouse((level_ & DISCL_FOREGROUND) != 0);
    }
    return DI_OK;
}

HRESULT SystemInputDevice::Unacquire() {
    lost_ = false;
    if (!acquired_) return DI_NOEFFECT;
    StopUse();
    return DI_OK;
}

HRESULT SystemInputDevice::GetDeviceState(DWORD size, LPVOID data) {
    if (data == nullptr) return E_POINTER;
    InputWatchPump();
    if (acquired_ && !WindowAllowsUse()) {
        StopUse();
        lost_ = true;
    }
    if (!acquired_) {
        if (!lost_) return DIERR_NOTACQUIRED;
        lost_ = false;
        return DIERR_INPUTLOST;
    }
    if (size != dataSize_) return DIERR_INVALIDPARAM;
    if (kind_ == Kind::Keyboard) {
        InputWatchKeys(static_cast<BYTE*>(data));
        return DI_OK;
    }
    DIMOUSESTATE2 state{};
    MouseMotion motion = InputWatchTake(&motion_);
    state.lX = motion.dx;
    state.lY = motion.dy;
    state.lZ = motion.dz;
    InputWatchButtons(state.rgbButtons);
    std::memcpy(data, &state, size);
    return DI_OK;
}

HRESULT SystemInputDevice::Poll() {
    // Keyboards and mice report by themselves; there is nothing to poll.
    if (!acquired_) return DIERR_NOTACQUIRED;
    return DI_NOEFFECT;
}
