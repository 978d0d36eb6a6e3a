// InputDevices over the real DirectInput layer, fed with injected SDL events,
// and over counting fakes for the failure paths.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "input/InputDevices.h"
#include "input/InputLog.h"
#include "tests/input/FakeInputDevice.h"
#include "tests/support/TestWindow.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    SDL_PushEvent(&event);
}

void PushButton(Uint8 button, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void PushMotion(int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

void PushWheel(int notches) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&event);
}

class InputDevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        window = ShowTestWindow(64, 64);
        ASSERT_NE(window, nullptr);
        devices.Start(window);
        ASSERT_NE(devices.keyboard, nullptr);
        ASSERT_NE(devices.mouse, nullptr);
    }
    void TearDown() override {
        devices.Close();
        DestroyWindow(window);
        Pump();
        CoUninitialize();
    }

    HWND window = nullptr;
    InputDevices devices;
};

TEST_F(InputDevicesTest, HighestHeldKeyWins) {
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 0);

    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_UP, true);
    Pump();
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 200);

    PushKey(SDL_SCANCODE_DOWN, true);
    Pump();
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 208);

    PushKey(SDL_SCANCODE_UP, false);
    PushKey(SDL_SCANCODE_DOWN, false);
    Pump();
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 30);

    PushKey(SDL_SCANCODE_A, false);
    PushKey(SDL_SCANCODE_ESCAPE, true);
    Pump();
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 1);
    PushKey(SDL_SCANCODE_ESCAPE, false);
    Pump();
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 0);
}

TEST_F(InputDevicesTest, MouseMovementIsRelativeAndButtonsTakePriority) {
    devices.PollMouse();  // drops anything gathered before the test

    PushMotion(4, -2);
    PushMotion(6, -3);
    PushWheel(1);
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_MIDDLE, true);
    Pump();
    devices.PollMouse();
    EXPECT_EQ(devices.mouseDx, 10);
    EXPECT_EQ(devices.mouseDy, -5);
    EXPECT_EQ(devices.mouseDz, WHEEL_DELTA);
    EXPECT_EQ(devices.mouseButton, 3);  // first and third: the third wins

    PushButton(SDL_BUTTON_MIDDLE, false);
    PushButton(SDL_BUTTON_RIGHT, true);
    Pump();
    devices.PollMouse();
    EXPECT_EQ(devices.mouseDx, 0);  // nothing moved since the last read
    EXPECT_EQ(devices.mouseDy, 0);
    EXPECT_EQ(devices.mouseDz, 0);
    EXPECT_EQ(devices.mouseButton, 2);  // first and second: the second wins

    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_RIGHT, false);
    Pump();
    devices.PollMouse();
    EXPECT_EQ(devices.mouseButton, 0);
}

TEST_F(InputDevicesTest, ReadsFailWhileAnotherWindowIsInFrontAndRecoverAfter) {
    devices.PollMouse();
    PushMotion(7, 3);
    PushButton(SDL_BUTTON_LEFT, true);
    PushKey(SDL_SCANCODE_Z, true);
    Pump();
    devices.PollMouse();
    devices.PollKeyboard();
    ASSERT_EQ(devices.mouseDx, 7);
    ASSERT_EQ(devices.lastKey, 44);

    HWND other = ShowTestWindow(64, 64);  // now in front
    PushMotion(100, 100);
    Pump();
    devices.PollMouse();  // fails: the values of the last good read stay
    devices.PollKeyboard();
    EXPECT_EQ(devices.mouseDx, 7);
    EXPECT_EQ(devices.mouseDy, 3);
    EXPECT_EQ(devices.mouseButton, 1);
    EXPECT_EQ(devices.lastKey, 0);

    ShowWindow(window, SW_SHOW);  // back in front: the failed read re-acquires
    devices.PollMouse();
    devices.PollKeyboard();
    devices.PollMouse();
    devices.PollKeyboard();
    EXPECT_EQ(devices.mouseDx, 0);
    EXPECT_EQ(devices.lastKey, 44);

    PushKey(SDL_SCANCODE_Z, false);
    PushButton(SDL_BUTTON_LEFT, false);
    Pump();
    DestroyWindow(other);
}

TEST(InputDevicesFakes, FailedReadsReacquireUntilInputIsNoLongerLost) {
    auto* keyboard = new FakeInputDevice();
    auto* mouse = new FakeInputDevice();
    InputDevices devices;
    devices.keyboard = keyboard;
    devices.mouse = mouse;

    mouse->SetMouse(10, -5, 0, 0x80, 0, 0);
    devices.PollMouse();
    EXPECT_EQ(devices.mouseButton, 1);

    mouse->readResult = DIERR_INPUTLOST;
    mouse->acquireAnswers = {DIERR_INPUTLOST, DIERR_INPUTLOST, DIERR_OTHERAPPHASPRIO};
    mouse->SetMouse(1, 1, 1, 0, 0, 0);
    devices.PollMouse();
    EXPECT_EQ(mouse->acquireCalls, 3);
    EXPECT_EQ(devices.mouseDx, 10);
    EXPECT_EQ(devices.mouseDy, -5);
    EXPECT_EQ(devices.mouseButton, 1);

    keyboard->state[30] = 0x80;
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 30);
    keyboard->readResult = DIERR_NOTACQUIRED;
    devices.PollKeyboard();
    EXPECT_EQ(devices.lastKey, 0);
    EXPECT_EQ(keyboard->acquireCalls, 1);

    devices.keyboard = nullptr;
    devices.mouse = nullptr;
    keyboard->Release();
    mouse->Release();
}

TEST(InputDevicesFakes, CloseCallsTheLayerOnlyOnce) {
    int keyboardReleases = 0, mouseReleases = 0;
    auto* keyboard = new FakeInputDevice();
    auto* mouse = new FakeInputDevice();
    keyboard->AddRef();  // keep both alive to read their counts
    mouse->AddRef();
    keyboard->releases = &keyboardReleases;
    mouse->releases = &mouseReleases;

    InputDevices devices;
    devices.Close();  // never started: nothing to call
    devices.keyboard = keyboard;
    devices.mouse = mouse;
    devices.Close();
    devices.Close();
    EXPECT_EQ(keyboard->unacquireCalls, 1);
    EXPECT_EQ(mouse->unacquireCalls, 1);
    EXPECT_EQ(keyboardReleases, 1);
    EXPECT_EQ(mouseReleases, 1);
    EXPECT_EQ(devices.keyboard, nullptr);
    EXPECT_EQ(devices.mouse, nullptr);
    EXPECT_EQ(devices.directInput, nullptr);

    keyboard->releases = nullptr;
    mouse->releases = nullptr;
    keyboard->Release();
    mouse->Release();
}

TEST(InputDevicesFakes, LogLinesOnlyAtLevelOne) {
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    inputLogStream = log;
    InputDevices devices;
    inputDebugLevel = 2;
    devices.Close();
    inputDebugLevel = 1;
    devices.Close();
    inputDebugLevel = 0;
    devices.Close();
    inputLogStream = nullptr;

    std::rewind(log);
    char text[256] = {};
    size_t length = std::fread(text, 1, sizeof text - 1, log);
    std::fclose(log);
    EXPECT_EQ(std::string(text, length), " INPUT_DRIVER: Closing main input system\n");
}

}  // namespace
