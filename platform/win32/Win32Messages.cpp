// The thread's message queue: posted messages and messages made from SDL events.
#include <SDL.h>

#include <deque>

#include "platform/win32/PlatformWindow.h"
#include "platform/win32/SignalRelay.h"
#include "platform/win32/WindowRegistry.h"

namespace {

std::deque<MSG>& Queue() {
    static std::deque<MSG> queue;
    return queue;
}

DWORD Now() { return static_cast<DWORD>(SDL_GetTicks()); }

void Enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{window, message, wParam, lParam, Now(), {0, 0}};
    Queue().push_back(msg);
}

void RequestCloseOfAll() {
    HWND windows[64];
    int count = ListLiveWindows(windows, 64);
    if (count == 0) {
        // Nothing to close: end the loop directly.
        PostQuitMessage(0);
        return;
    }
    for (int i = 0; i < count; ++i) PlatformRequestClose(windows[i]);
}

WPARAM VirtualKeyFromSdl(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    default: return 0;
    }
}

// Turns one SDL event into the messages Windows would have queued for it.
void TranslateSdlEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        RequestCloseOfAll();
        break;
    case SDL_WINDOWEVENT: {
        HWND window = PlatformWindowFromSdlId(event.window.windowID);
        if (window == nullptr) break;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PlatformRequestClose(window);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            Enqueue(window, WM_ACTIVATE, WA_ACTIVE, 0);
            Enqueue(window, WM_SETFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            Enqueue(window, WM_ACTIVATE, WA_INACTIVE, 0);
            Enqueue(window, WM_KILLFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            Enqueue(window, WM_PAINT, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Enqueue(window, WM_SIZE, 0, MAKELPARAM(event.window.data1, event.window.data2));
            break;
        default:
            break;
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        HWND window = PlatformWindowFromSdlId(event.key.windowID);
        WPARAM vk = VirtualKeyFromSdl(event.key.keysym.sym);
        if (window == nullptr || vk == 0) break;
        LPARAM lParam = 1 | (static_cast<LPARAM>(event.key.keysym.scancode & 0xFF) << 16);
        if (event.type == SDL_KEYUP) lParam |= static_cast<LPARAM>(0xC0000000u);
        else if (event.key.repeat) lParam |= static_cast<LPARAM>(0x40000000u);
        Enqueue(window, event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, lParam);
        break;
    }
    case SDL_MOUSEMOTION: {
        HWND window = PlatformWindowFromSdlId(event.motion.windowID);
        if (window != nullptr) Enqueue(window, WM_MOUSEMOVE, 0, MAKELPARAM(event.motion.x, event.motion.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        HWND window = PlatformWindowFromSdlId(event.button.windowID);
        if (window == nullptr) break;
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        UINT message = 0;
        if (event.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (event.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else if (event.button.button == SDL_BUTTON_MIDDLE) message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        if (message != 0) Enqueue(window, message, 0, MAKELPARAM(event.button.x, event.button.y));
        break;
    }
    case SDL_MOUSEWHEEL: {
        HWND window = PlatformWindowFromSdlId(event.wheel.windowID);
        if (window != nullptr)
            Enqueue(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(event.wheel.y * WHEEL_DELTA)), 0);
        break;
    }
    default:
        break;
    }
}

void PumpSdlEvents() {
    if (TakeSignalRequest()) RequestCloseOfAll();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) TranslateSdlEvent(event);
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

void PlatformRequestClose(HWND window) {
    if (IsLiveWindow(window)) Enqueue(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (msg == nullptr) return FALSE;
    PumpSdlEvents();
    auto& queue = Queue();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        // WM_QUIT belongs to the thread and passes every window filter.
        if (it->message != WM_QUIT && !Matches(*it, window, filterMin, filterMax)) continue;
        *msg = *it;
        if (removeMsg & PM_REMOVE) queue.erase(it);
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (msg == nullptr || msg->message != WM_KEYDOWN) return FALSE;
    WPARAM vk = msg->wParam;
    WPARAM ch = 0;
    if ((vk >= 'A' && vk <= 'Z')) ch = vk - 'A' + 'a';
    else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK ||
             vk == VK_TAB)
        ch = vk;
    if (ch == 0) return FALSE;
    Enqueue(msg->hwnd, WM_CHAR, ch, msg->lParam);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || !IsLiveWindow(msg->hwnd)) return 0;
    return msg->hwnd->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // DestroyWindow sends WM_DESTROY and WM_NCDESTROY before it marks the window.
    if (!IsLiveWindow(window) || window->procedure == nullptr) return 0;
    return window->procedure(window, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && !IsLiveWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Enqueue(window, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) { Enqueue(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0); }

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_NCCREATE:
        return TRUE;
    default:
        return 0;
    }
}
