// Frame hooks shared by the 3D and 2D presentations: counting, capture, close-after.
#include <cstdio>
#include <string>

#include "platform/win32/PlatformSettings.h"
#include "platform/win32/PlatformWindow.h"
#include "platform/win32/PngWriter.h"
#ifdef __EMSCRIPTEN__
#include "platform/win32/web/WebPage.h"
#endif

namespace {

long presentedFrames = 0;
long savedFrames = 0;

}  // namespace

bool PlatformFramePresented(HWND window) {
    const PlatformSettings& settings = PlatformGetSettings();
    ++presentedFrames;
#ifdef __EMSCRIPTEN__
    // The browser shows the canvas only once control returns to it.
    WebAwaitNextFrame();
#endif
    if (settings.closeAfterFrames > 0 && presentedFrames == settings.closeAfterFrames) PlatformRequestClose(window);
    if (settings.captureDir.empty()) return false;
    return (presentedFrames - 1) % settings.captureEvery == 0;
}

bool PlatformSaveCapture(const unsigned char* rgba, int width, int height, int pitch, bool bottomUp) {
    const PlatformSettings& settings = PlatformGetSettings();
    if (settings.captureDir.empty()) return false;
    char name[64];
    std::snprintf(name, sizeof name, "/frame-%06ld.png", presentedFrames);
    std::string path = settings.captureDir + name;
    bool saved = WriteRgbaPng(path.c_str(), rgba, width, height, pitch, bottomUp);
    if (saved) ++savedFrames;
    else std::fprintf(stderr, "orvik: cannot save frame %s\n", path.c_str());
    return saved;
}
