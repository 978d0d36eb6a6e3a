#include "tests/support/TestWindow.h"

HWND ShowTestWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wndClass = {};
        wndClass.lpfnWndProc = DefWindowProcA;
        wndClass.lpszClassName = "orvik-test";
        RegisterClassA(&wndClass);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "orvik-test", "test", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                                  nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}
