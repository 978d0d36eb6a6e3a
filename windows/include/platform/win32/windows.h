// On Windows the viewer's Win32 names are the system's own. NOMINMAX keeps
// std::min and std::max usable.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>

// These two live in windowsx.h, whose many other macros are better kept out.
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#endif
