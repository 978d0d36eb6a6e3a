// The input log channel: a stream and a debug level. A message is written only
// while the level is exactly 1 (and a stream is set). The mouse cursor of the
// widget set writes here too.
#pragma once

#include <cstdint>
#include <cstdio>

extern std::FILE* inputLogStream;  // defined in shell/Globals.cpp; null in the viewer
extern int32_t inputDebugLevel;    // 0 in the viewer

// Formatted output of a whole message, prefix and line feed included.
void InputLogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
