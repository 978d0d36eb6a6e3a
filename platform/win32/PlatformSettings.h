// The platform layer's own settings, read once from the environment. They
// change how frames are shown and kept, never what the viewer does.
#pragma once

#include <string>

struct PlatformSettings {
    bool windowed = false;        // ORVIK_WINDOWED=1: a window instead of full screen
    std::string captureDir;       // ORVIK_CAPTURE_DIR: save presented frames here as PNG
    long captureEvery = 1;        // ORVIK_CAPTURE_EVERY: every Nth frame
    long closeAfterFrames = 0;    // ORVIK_CLOSE_AFTER_FRAMES: close the window after N frames (0: never)
    long textureMemoryMb = -1;    // ORVIK_TEXTURE_MEMORY_MB: a device's texture budget (-1: the default)
};

const PlatformSettings& PlatformGetSettings();

// Reads the environment again (tests change it between cases).
void PlatformReloadSettings();
