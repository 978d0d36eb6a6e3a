// Direct3D 8's types on Windows: MinGW-w64's header, which needs windows.h first.
#pragma once

#include "platform/win32/windows.h"

#include <d3d8types.h>

// The DirectX 8 SDK's name for "the adapter's default refresh rate", which
// MinGW-w64's headers leave out.
#ifndef D3DPRESENT_RATE_DEFAULT
#define D3DPRESENT_RATE_DEFAULT 0x00000000
#endif
