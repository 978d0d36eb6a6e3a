// The DirectInput keyboard and mouse and what the last polls read from them.
#pragma once

#include <cstdint>

#include "platform/dinput/dinput.h"

// Key codes the free-flight control acts on (DirectInput numbering).
constexpr int32_t KEY_ESCAPE = 1;
constexpr int32_t KEY_A = 30;
constexpr int32_t KEY_Z = 44;
constexpr int32_t KEY_UP = 200;
constexpr int32_t KEY_LEFT = 203;
constexpr int32_t KEY_RIGHT = 205;
constexpr int32_t KEY_DOWN = 208;

class InputDevices {
public:
    IDirectInput8* directInput;
    IDirectInputDevice8* keyboard;
    IDirectInputDevice8* mouse;
    int32_t mouseDx;      // movement of the last successful mouse poll
    int32_t mouseDy;
    int32_t mouseDz;      // wheel
    int32_t mouseButton;  // 0 none, 1 first, 2 second, 3 third button (the later one wins)
    int32_t lastKey;      // highest key code held at the last keyboard poll; 0 for none or a failed read

    InputDevices()
        : directInput(nullptr), keyboard(nullptr), mouse(nullptr), mouseDx(0), mouseDy(0), mouseDz(0),
          mouseButton(0), lastKey(0) {}

    // Creates DirectInput and both devices for the window and acquires them.
    void Start(HWND window);
    // Unacquires and releases both devices and releases DirectInput.
    void Close();
    void PollKeyboard();
    void PollMouse();

private:
    void ReleaseHeld();
};

extern InputDevices inputDevices;  // defined with the other globals in shell/Globals.cpp
