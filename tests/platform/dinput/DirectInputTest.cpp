// The DirectInput layer's own answers: creation, acquisition, the foreground
// rule and the key numbering.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/dinput/KeyCodeMap.h"
#include "platform/dinput/dinput.h"
#include "tests/support/TestWindow.h"

namespace {

IDirectInput8A* Create() {
    void* out = nullptr;
    EXPECT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A, &out, nullptr), DI_OK);
    return static_cast<IDirectInput8A*>(out);
}

TEST(DirectInput, CreationChecksVersionInterfaceAndDevice) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), 0x0700, IID_IDirectInput8A, &out, nullptr),
              DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), 0x0900, IID_IDirectInput8A, &out, nullptr),
              DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, &out, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IUnknown, &out, nullptr) != DI_OK, true);

    IDirectInput8A* input = Create();
    ASSERT_NE(input, nullptr);
    IDirectInputDevice8A* device = reinterpret_cast<IDirectInputDevice8A*>(1);
    EXPECT_EQ(input->CreateDevice(GUID_Key, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(input->CreateDevice(GUID_SysMouse, &device, nullptr), DI_OK);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(input->Release(), 0u);
}

TEST(DirectInput, AcquisitionFollowsTheForegroundWindow) {
    HWND window = ShowTestWindow(32, 32);
    IDirectInput8A* input = Create();
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    BYTE keys[256];

    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse2), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_BACKGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND), DI_OK);  // sharing mode left out
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->GetDeviceState(16, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);

    HWND other = ShowTestWindow(32, 32);
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

    ShowWindow(window, SW_SHOW);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);

    keyboard->Release();
    input->Release();
    DestroyWindow(other);
    DestroyWindow(window);
}

TEST(DirectInput, MouseStateHasBothStandardSizes) {
    HWND window = ShowTestWindow(32, 32);
    IDirectInput8A* input = Create();
    IDirectInputDevice8A* mouse = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
    ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
    ASSERT_EQ(mouse->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);

    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = 2;
    event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_X1;
    SDL_PushEvent(&event);

    DIMOUSESTATE state{};
    EXPECT_EQ(mouse->GetDeviceState(sizeof(DIMOUSESTATE2), &state), DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lZ, -2 * WHEEL_DELTA);
    EXPECT_EQ(state.rgbButtons[3], 0x80);

    event.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&event);
    mouse->Release();
    input->Release();
    DestroyWindow(window);
}

TEST(DirectInput, KeysAreNumberedByPosition) {
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_ESCAPE), 1);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_A), 30);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_Z), 44);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_Q), 0x10);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_M), 0x32);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), 200);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LEFT), 203);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RIGHT), 205);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_DOWN), 208);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_ENTER), DIK_NUMPADENTER);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RCTRL), DIK_RCONTROL);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_7), DIK_NUMPAD7);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F12), DIK_F12);
    EXPECT_EQ(KeyCodeFromScancode(static_cast<SDL_Scancode>(-1)), 0);
    EXPECT_EQ(KeyCodeFromScancode(SDL_NUM_SCANCODES), 0);
    // Every code comes from at most the keys of one position (apart from alternative names).
    int mapped = 0;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) mapped += KeyCodeFromScancode(static_cast<SDL_Scancode>(s)) != 0;
    EXPECT_GT(mapped, 120);
}

}  // namespace
