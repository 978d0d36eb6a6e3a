#pragma once

#include "platform/win32/windows.h"

// The window procedure of class "klasa": WM_DESTROY ends the message loop with
// code 0; everything else gets the default handling.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
