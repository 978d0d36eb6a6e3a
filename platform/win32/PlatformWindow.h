// What the other platform libraries need of the window layer: the SDL window
// behind a window handle, the headless test, and the frame hooks of presenting.
// The viewer's own code never includes this header.
#pragma once

#include <SDL.h>

#include "platform/win32/windows.h"

// Starts SDL's video subsystem once. Where no display can be opened and no
// driver was asked for, falls back to the offscreen driver and says so.
bool PlatformVideoInit();

// True where nothing is shown to a person: the offscreen or dummy video driver.
bool PlatformHeadless();

// The SDL window behind a live window handle, or null.
SDL_Window* PlatformWindowSdl(HWND window);

// Replaces the SDL window behind a handle by a new one with these SDL flags and
// size (an OpenGL window for a 3D device, say). The handle stays the same.
SDL_Window* PlatformWindowRecreate(HWND window, Uint32 sdlFlags, int width, int height);

// The window handle whose SDL window has this SDL window id, or null.
HWND PlatformWindowFromSdlId(Uint32 windowId);

// Asks a window to close as the window manager would: WM_SYSCOMMAND with SC_CLOSE.
void PlatformRequestClose(HWND window);

// Called by every presentation (3D Present, 2D Flip) once its frame is shown.
// Counts frames, returns whether ORVIK_CAPTURE_DIR asks for this one, and posts
// the close request once ORVIK_CLOSE_AFTER_FRAMES frames have been presented.
bool PlatformFramePresented(HWND window);

// Saves a captured frame as the next PNG in ORVIK_CAPTURE_DIR. rgba holds 8-bit
// red, green, blue, alpha; rows follow each other pitch bytes apart, top row
// first unless bottomUp.
bool PlatformSaveCapture(const unsigned char* rgba, int width, int height, int pitch, bool bottomUp);
