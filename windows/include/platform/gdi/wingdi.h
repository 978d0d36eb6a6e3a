// GDI on Windows: the system's gdi32.
#pragma once

#include "platform/win32/windows.h"

#include <wingdi.h>
