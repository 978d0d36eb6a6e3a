// A shown pop-up window of the test class, for tests that need a window handle.
#pragma once

#include "platform/win32/windows.h"

HWND ShowTestWindow(int width = 64, int height = 64);
