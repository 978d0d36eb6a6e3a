// The window layer's own records: registered classes and live windows.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/win32/windows.h"

struct HWND__ {
    std::string className;
    std::string title;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HINSTANCE instance = nullptr;
    SDL_Window* sdlWindow = nullptr;
    bool destroyed = false;
};

// The class registered under this name (case-insensitive, as Windows compares
// class names), or null.
const WNDCLASSA* FindWindowClass(const char* name);

// A live window: created and not destroyed.
bool IsLiveWindow(HWND window);

// Fills out with the live windows, oldest first, and returns how many (at most capacity).
int ListLiveWindows(HWND* out, int capacity);
