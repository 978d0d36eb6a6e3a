// DirectInput 8 on Windows: the system's dinput8.dll.
#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include "platform/win32/windows.h"

#include <dinput.h>
