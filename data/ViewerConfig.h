// Reads GAME.CFG and applies each setting as soon as it is read: the screen
// size creates the device, the rest goes to the renderer and the camera.
#pragma once

#include "platform/win32/windows.h"

enum class ViewerConfigResult {
    Applied,      // the device exists and every setting that read was applied
    MissingFile,  // GAME.CFG could not be opened (or is not a regular file); nothing was done
    Unreadable,   // GAME.CFG opened but reading it failed; what was read before was applied
    NoDevice,     // the device could not be created; no setting after the size was applied
};

ViewerConfigResult ReadViewerConfig(HWND window);
