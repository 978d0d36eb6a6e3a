// Starting, polling and closing the keyboard and mouse.
#include "input/InputDevices.h"

#include <cstring>

#include "input/InputLog.h"

namespace {

// Re-acquires a device whose read failed, for as long as it answers that input was lost.
void Reacquire(IDirectInputDevice8* device) {
    while (device->Acquire() == DIERR_INPUTLOST) {
    }
}

}  // namespace

void InputDevices::ReleaseHeld() {
    if (keyboard != nullptr) keyboard->Unacquire();
    if (keyboard != nullptr) {
        keyboard->Release();
        keyboard = nullptr;
    }
    if (mouse != nullptr) mouse->Unacquire();
    if (mouse != nullptr) {
        mouse->Release();
        mouse = nullptr;
    }
    if (directInput != nullptr) {
        directInput->Release();
        directInput = nullptr;
    }
}

void InputDevices::Start(HWND window) {
    InputLogWrite(" INPUT_DRIVER: Setting up main input system\n");
    ReleaseHeld();
    DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&directInput),
                       nullptr);
    // A step that failed leaves its object empty; nothing is called on an empty one.
    if (directInput == nullptr) return;
    directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr);
    if (keyboard != nullptr) {
        keyboard->SetDataFormat(&c_dfDIKeyboard);
        keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND);
        keyboard->Acquire();
    }
    directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr);
    if (mouse != nullptr) {
        mouse->SetDataFormat(&c_dfDIMouse2);
        mouse->SetCooperativeLevel(window, DISCL_FOREGROUND);
        mouse->Acquire();
    }
}

void InputDevices::Close() {
    InputLogWrite(" INPUT_DRIVER: Closing main input system\n");
    ReleaseHeld();
}

void InputDevices::PollKeyboard() {
    BYTE state[256];
    std::memset(state, 0, sizeof state);
    HRESULT result = keyboard != nullptr ? keyboard->GetDeviceState(sizeof state, state) : DIERR_NOTINITIALIZED;
    lastKey = 0;
    if (FAILED(result)) {
        if (keyboard != nullptr) Reacquire(keyboard);
        return;
    }
    for (int32_t code = 0; code < 256; ++code)
        if (state[code] & 0x80) lastKey = code;
}

void InputDevices::PollMouse() {
    DIMOUSESTATE2 state;
    std::memset(&state, 0, sizeof state);
    HRESULT result = mouse != nullptr ? mouse->GetDeviceState(sizeof state, &state) : DIERR_NOTINITIALIZED;
    if (FAILED(result)) {
        if (mouse != nullptr) Reacquire(mouse);
        return;
    }
    mouseDx = state.lX;
    mouseDy = state.lY;
    mouseDz = state.lZ;
    mouseButton = 0;
    if (state.rgbButtons[0] & 0x80) mouseButton = 1;
    if (state.rgbButtons[1] & 0x80) mouseButton = 2;
    if (state.rgbButtons[2] & 0x80) mouseButton = 3;
}
