// Windows file names on this system: a relative name such as "GUI\MBUP.BMP"
// is read with '\' as the folder separator, and where no file has exactly that
// name each part is matched without regard to case, as Windows matches them.
#pragma once

#include <string>

// The path of this system to open for a Windows file name. Where nothing
// matches, the name with '/' separators (opening it then fails as it should).
std::string NativePathOf(const char* windowsName);
