// Window classes and windows over SDL windows.
#include <SDL.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/PlatformWindow.h"
#include "platform/win32/WindowRegistry.h"

namespace {

struct ClassRecord {
    std::string name;
    WNDCLASSA wndClass;
};

std::vector<ClassRecord>& Classes() {
    static std::vector<ClassRecord> classes;
    return classes;
}

// Windows are never freed while the process runs: a handle stays a valid
// pointer after DestroyWindow, so a late message to it is simply dropped.
std::vector<std::unique_ptr<HWND__>>& Windows() {
    static std::vector<std::unique_ptr<HWND__>> windows;
    return windows;
}

HWND lastShown = nullptr;

// Distinct non-null handles for the system icons and cursors.
HICON__* SystemResource(int index) {
    static char resources[16];
    return reinterpret_cast<HICON__*>(&resources[index & 15]);
}

}  // namespace

bool PlatformVideoInit() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked == nullptr || *asked == '\0') {
        std::fprintf(stderr, "orvik: no display (%s); running headless with the offscreen video driver\n",
                     SDL_GetError());
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    }
    std::fprintf(stderr, "orvik: cannot start video: %s\n", SDL_GetError());
    return false;
}

bool PlatformHeadless() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return true;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

const WNDCLASSA* FindWindowClass(const char* name) {
    if (name == nullptr) return nullptr;
    for (const ClassRecord& record : Classes())
        if (strcasecmp(record.name.c_str(), name) == 0) return &record.wndClass;
    return nullptr;
}

bool IsLiveWindow(HWND window) {
    if (window == nullptr) return false;
    for (const auto& owned : Windows())
        if (owned.get() == window) return !window->destroyed;
    return false;
}

int ListLiveWindows(HWND* out, int capacity) {
    int count = 0;
    for (const auto& owned : Windows())
        if (!owned->destroyed && count < capacity) out[count++] = owned.get();
    return count;
}

SDL_Window* PlatformWindowSdl(HWND window) { return IsLiveWindow(window) ? window->sdlWindow : nullptr; }

SDL_Window* PlatformWindowRecreate(HWND window, Uint32 sdlFlags, int width, int height) {
    if (!IsLiveWindow(window)) return nullptr;
    int x = SDL_WINDOWPOS_UNDEFINED, y = SDL_WINDOWPOS_UNDEFINED;
#ifdef __EMSCRIPTEN__
    // Every SDL window of the browser is the one canvas: destroying the old one
    // after the new one was made would shrink the canvas to nothing and take
    // its event handlers away.
    if (window->sdlWindow != nullptr) SDL_DestroyWindow(window->sdlWindow);
    window->sdlWindow = nullptr;
#endif
    SDL_Window* created = SDL_CreateWindow(window->title.c_str(), x, y, width, height, sdlFlags);
    if (created == nullptr) return nullptr;
    if (window->sdlWindow != nullptr) SDL_DestroyWindow(window->sdlWindow);
    window->sdlWindow = created;
    return created;
}

HWND PlatformWindowFromSdlId(Uint32 windowId) {
    for (const auto& owned : Windows())
        if (!owned->destroyed && owned->sdlWindow != nullptr && SDL_GetWindowID(owned->sdlWindow) == windowId)
            return owned.get();
    return nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (wndClass == nullptr || wndClass->lpszClassName == nullptr || wndClass->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindWindowClass(wndClass->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ClassRecord record{wndClass->lpszClassName, *wndClass};
    Classes().push_back(record);
    ClassRecord& stored = Classes().back();
    stored.wndClass.lpszClassName = stored.name.c_str();
    stored.wndClass.lpszMenuName = nullptr;
    // Atoms of registered classes start at 0xC000, as on Windows.
    return static_cast<ATOM>(0xC000 + Classes().size() - 1);
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto& classes = Classes();
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (strcasecmp(it->name.c_str(), className) == 0) {
            // Records are kept stable for windows that still point at them.
            it->name.clear();
            return TRUE;
        }
    }
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (instance != nullptr || !IS_INTRESOURCE(name)) return nullptr;
    return SystemResource(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) - 32512);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance != nullptr || !IS_INTRESOURCE(name)) return nullptr;
    return SystemResource(8 + static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) - 32512);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU, HINSTANCE instance, LPVOID param) {
    const WNDCLASSA* wndClass = FindWindowClass(className);
    if (wndClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (!PlatformVideoInit()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // A pop-up window given default placement gets no size; SDL needs at least one pixel.
    if (width == CW_USEDEFAULT || width < 1) width = 1;
    if (height == CW_USEDEFAULT || height < 1) height = 1;
    int posX = (x == CW_USEDEFAULT) ? 0 : x;
    int posY = (y == CW_USEDEFAULT) ? 0 : y;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* sdlWindow = SDL_CreateWindow(windowName ? windowName : "", posX, posY, width, height, flags);
    if (sdlWindow == nullptr) {
        std::fprintf(stderr, "orvik: cannot create a window: %s\n", SDL_GetError());
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto window = std::make_unique<HWND__>();
    window->className = wndClass->lpszClassName;
    window->title = windowName ? windowName : "";
    window->procedure = wndClass->lpfnWndProc;
    window->style = style;
    window->exStyle = exStyle;
    window->instance = instance;
    window->sdlWindow = sdlWindow;
    HWND handle = window.get();
    Windows().push_back(std::move(window));
    SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(param));
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return handle;
}

BOOL WINAPI DestroyWindow(HWND window) {
    if (!IsLiveWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    SendMessageA(window, WM_DESTROY, 0, 0);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    window->destroyed = true;
    if (lastShown == window) lastShown = nullptr;
    // The SDL window is hidden, not freed: a device made on it may still be
    // released during the shutdown that follows, and needs its GL context.
    if (window->sdlWindow != nullptr) SDL_HideWindow(window->sdlWindow);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return IsLiveWindow(window) ? TRUE : FALSE; }

BOOL WINAPI ShowWindow(HWND window, int cmdShow) {
    if (!IsLiveWindow(window)) return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    switch (cmdShow) {
    case SW_HIDE:
        SDL_HideWindow(window->sdlWindow);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        SDL_ShowWindow(window->sdlWindow);
        SDL_MinimizeWindow(window->sdlWindow);
        break;
    case SW_SHOWMAXIMIZED:
        SDL_ShowWindow(window->sdlWindow);
        SDL_MaximizeWindow(window->sdlWindow);
        break;
    default:
        SDL_ShowWindow(window->sdlWindow);
        SDL_RaiseWindow(window->sdlWindow);
        lastShown = window;
        break;
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND window) {
    if (!IsLiveWindow(window)) return FALSE;
    SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    if (!IsLiveWindow(window) || rect == nullptr) return FALSE;
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdlWindow, &w, &h);
    *rect = RECT{0, 0, w, h};
    return TRUE;
}

HWND WINAPI GetForegroundWindow() {
    for (const auto& owned : Windows())
        if (!owned->destroyed && owned->sdlWindow != nullptr &&
            (SDL_GetWindowFlags(owned->sdlWindow) & SDL_WINDOW_INPUT_FOCUS))
            return owned.get();
    // Headless drivers give no window the focus: the last window shown counts.
    if (PlatformHeadless() && IsLiveWindow(lastShown)) return lastShown;
    return nullptr;
}
