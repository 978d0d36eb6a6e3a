// The message box and the mouse cursor.
#include <SDL.h>

#include <cstdio>

#include "platform/win32/PlatformWindow.h"
#ifdef __EMSCRIPTEN__
#include "platform/win32/web/WebPage.h"
#endif

namespace {

int cursorCount = 0;

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const char* shownText = text ? text : "";
    const char* shownCaption = caption ? caption : "Error";
    // Whatever the box shows also goes to the terminal, where a log keeps it.
    std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
    std::fflush(stderr);
#ifdef __EMSCRIPTEN__
    WebShowMessageBox(shownCaption, shownText, type);
    return IDOK;
#endif
    // Where no person can see the box it returns as if OK had been pressed.
    if (!PlatformVideoInit() || PlatformHeadless()) return IDOK;
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    else if ((type & 0xF0) == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
    SDL_Window* parent = PlatformWindowSdl(owner);
    if (parent != nullptr && !(SDL_GetWindowFlags(parent) & SDL_WINDOW_SHOWN)) parent = nullptr;
    SDL_ShowSimpleMessageBox(flags, shownCaption, shownText, parent);
    return IDOK;
}

int WINAPI ShowCursor(BOOL show) {
    cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount;
}
