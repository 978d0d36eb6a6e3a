// Which member names may become files in the working directory.
#pragma once

// A name is safe when it names a file right in the working directory: not empty,
// not "." or "..", and without '/' or '\' (so never absolute and never a path).
bool IsSafeMemberName(const char* name);
