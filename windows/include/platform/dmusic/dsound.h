// DirectSound 8 on Windows: the system's dsound.dll.
#pragma once

#include "platform/win32/windows.h"

#include <dsound.h>
