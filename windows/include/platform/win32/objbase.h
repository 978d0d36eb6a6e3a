// COM on Windows: the system's ole32.
#pragma once

#include "platform/win32/windows.h"
