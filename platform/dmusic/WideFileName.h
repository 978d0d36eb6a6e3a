// Wide (UTF-16) file names as the file system here takes them: UTF-8, with
// Windows' backslash separators turned into slashes.
#pragma once

#include <string>

#include "platform/win32/windows.h"

// False for a name that is not valid UTF-16 (an unpaired surrogate).
bool WideFileNameToUtf8(const WCHAR* name, std::string* out);
