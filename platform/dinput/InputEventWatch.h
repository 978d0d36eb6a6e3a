// What the keyboard and mouse devices read: key and button state and mouse
// movement, gathered from SDL events as they are queued (an SDL event watch),
// so that injected events count as well as those of the hardware.
#pragma once

#include "platform/win32/windows.h"

// Movement gathered for one mouse device since its last read.
struct MouseMotion {
    LONG dx = 0;
    LONG dy = 0;
    LONG dz = 0;
};

// The watch is installed while at least one device is attached.
void InputWatchAttach();
void InputWatchDetach();

// Brings in the events the hardware has waiting (without taking them off the queue).
void InputWatchPump();

// Key state in DIK_ numbering: 0x80 while down.
void InputWatchKeys(BYTE keys[256]);

// Mouse buttons in DirectInput order (left, right, middle, X1, X2, ...): 0x80 while down.
void InputWatchButtons(BYTE buttons[8]);

// A registered sink collects movement until it is taken or removed.
void InputWatchAddSink(MouseMotion* sink);
void InputWatchRemoveSink(MouseMotion* sink);
MouseMotion InputWatchTake(MouseMotion* sink);
