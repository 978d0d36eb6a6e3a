// Win32 files and file mapping on Windows: the system's kernel32.
#pragma once

#include "platform/win32/windows.h"
