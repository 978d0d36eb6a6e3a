#include "platform/win32/PlatformSettings.h"

#include <cstdlib>
#include <cstring>

namespace {

PlatformSettings settings;
bool loaded = false;

long ReadCount(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0) return fallback;
    return value;
}

}  // namespace

void PlatformReloadSettings() {
    const char* windowed = std::getenv("ORVIK_WINDOWED");
    settings.windowed = windowed != nullptr && std::strcmp(windowed, "1") == 0;
    const char* dir = std::getenv("ORVIK_CAPTURE_DIR");
    settings.captureDir = dir ? dir : "";
    settings.captureEvery = ReadCount("ORVIK_CAPTURE_EVERY", 1);
    if (settings.captureEvery < 1) settings.captureEvery = 1;
    settings.closeAfterFrames = ReadCount("ORVIK_CLOSE_AFTER_FRAMES", 0);
    settings.textureMemoryMb = ReadCount("ORVIK_TEXTURE_MEMORY_MB", -1);
    loaded = true;
}

const PlatformSettings& PlatformGetSettings() {
    if (!loaded) PlatformReloadSettings();
    return settings;
}
