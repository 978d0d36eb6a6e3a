// DirectDraw 7 on Windows: the system's ddraw.dll.
#pragma once

#include "platform/win32/windows.h"

#include <ddraw.h>
