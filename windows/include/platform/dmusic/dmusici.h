// DirectMusic 8 on Windows: the system's classes, reached through COM.
#pragma once

#include "platform/win32/windows.h"

#include <dmusici.h>
