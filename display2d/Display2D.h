// The full-screen 2D display: an exclusive DirectDraw display with a flipping
// primary surface and one back buffer, clipped to its window.
#pragma once

#include <cstdint>

#include "platform/ddraw/ddraw.h"

class Display2D {
public:
    IDirectDraw7* directDraw;          // owned
    IDirectDrawSurface7* primary;      // owned
    IDirectDrawSurface7* backBuffer;   // the primary's attached back buffer
    IDirectDrawClipper* clipper;       // owned; bound to the window, set on the back buffer
    DDCAPS emulationCaps;
    DDCAPS driverCaps;
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;

    Display2D();
    // Sets up the display in a mode of this size and depth on the window, and
    // makes it the one Surface2D::Create makes surfaces with.
    void Create(int32_t width, int32_t height, int32_t bitsPerPixel, HWND window);
    // Gives back the clipper, the back buffer, the primary surface and the
    // DirectDraw object, and puts the display mode back as it was.
    void Release();
};
