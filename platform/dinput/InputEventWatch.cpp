// The SDL event watch behind the keyboard and mouse devices.
#include "platform/dinput/InputEventWatch.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/dinput/KeyCodeMap.h"
#include "platform/dinput/dinput.h"

namespace {

struct WatchState {
    std::mutex lock;
    int attached = 0;
    BYTE keys[256] = {};
    BYTE buttons[8] = {};
    std::vector<MouseMotion*> sinks;
};

WatchState& State() {
    static WatchState state;
    return state;
}

// SDL numbers left, middle, right, X1, X2; DirectInput left, right, middle, ...
int ButtonIndex(Uint8 sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return sdlButton >= 4 && sdlButton <= 8 ? sdlButton - 1 : -1;
    }
}

int Watch(void*, SDL_Event* event) {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        BYTE code = KeyCodeFromScancode(event->key.keysym.scancode);
        if (code != 0) state.keys[code] = event->type == SDL_KEYDOWN ? 0x80 : 0;
        break;
    }
    case SDL_MOUSEMOTION:
        for (MouseMotion* sink : state.sinks) {
            sink->dx += event->motion.xrel;
            sink->dy += event->motion.yrel;
        }
        break;
    case SDL_MOUSEWHEEL: {
        // One notch is WHEEL_DELTA; away from the user is positive.
        LONG notches = event->wheel.y;
        if (event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        for (MouseMotion* sink : state.sinks) sink->dz += notches * WHEEL_DELTA;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int index = ButtonIndex(event->button.button);
        if (index >= 0) state.buttons[index] = event->type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
        break;
    }
    default:
        break;
    }
    return 1;
}

}  // namespace

void InputWatchAttach() {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.attached++ == 0) {
        std::memset(state.keys, 0, sizeof state.keys);
        std::memset(state.buttons, 0, sizeof state.buttons);
        SDL_AddEventWatch(Watch, nullptr);
    }
}

void InputWatchDetach() {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.attached > 0 && --state.attached == 0) SDL_DelEventWatch(Watch, nullptr);
}

void InputWatchPump() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_PumpEvents();
}

void InputWatchKeys(BYTE keys[256]) {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::memcpy(keys, state.keys, sizeof state.keys);
}

void InputWatchButtons(BYTE buttons[8]) {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::memcpy(buttons, state.buttons, sizeof state.buttons);
}

void InputWatchAddSink(MouseMotion* sink) {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    *sink = MouseMotion{};
    if (std::find(state.sinks.begin(), state.sinks.end(), sink) == state.sinks.end()) state.sinks.push_back(sink);
}

void InputWatchRemoveSink(MouseMotion* sink) {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.sinks.erase(std::remove(state.sinks.begin(), state.sinks.end(), sink), state.sinks.end());
}

MouseMotion InputWatchTake(MouseMotion* sink) {
    WatchState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    MouseMotion taken = *sink;
    *sink = MouseMotion{};
    return taken;
}
