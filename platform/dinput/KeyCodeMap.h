// SDL scancodes to DirectInput key codes.
#pragma once

#include <SDL.h>

#include "platform/dinput/dinput.h"

// The DIK_ code of the key at this position on a PC keyboard, or 0 for a key
// DirectInput has no code for.
BYTE KeyCodeFromScancode(SDL_Scancode scancode);
