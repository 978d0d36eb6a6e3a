// Result codes of the texture loader beyond the Win32 ones (E_FAIL, E_OUTOFMEMORY, ...).
#pragma once

#include "platform/win32/windows.h"

// The bytes are no image file that any reader accepts.
constexpr HRESULT D3DXERR_INVALIDDATA = (HRESULT)0x88760B59u;
