// orvik-widgets on the Linux platform layer.
#include "tools/orvik-widgets/WidgetsHost.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/PlatformSettings.h"
#include "platform/win32/PlatformWindow.h"

bool WidgetsHostPrepareCapture() {
    const char* capture = std::getenv("ORVIK_CAPTURE_DIR");
    if (capture == nullptr || *capture == '\0') return true;
    char absolute[PATH_MAX];
    if (realpath(capture, absolute) == nullptr) {
        std::fprintf(stderr, "orvik-widgets: no capture folder %s\n", capture);
        return false;
    }
    setenv("ORVIK_CAPTURE_DIR", absolute, 1);
    PlatformReloadSettings();
    return true;
}

bool WidgetsHostShowsOneFrame() { return PlatformHeadless() && PlatformGetSettings().closeAfterFrames == 0; }

void WidgetsHostShutdown() { SDL_Quit(); }
