// The 2D display's log channel: a stream and a debug level. A message is written
// only while the level is exactly 1 (and a stream is set). Its messages begin
// with " DDRENDER_SYSTEM: " and " DDRENDER_SYSTEM_INFO: ".
#pragma once

#include <cstdint>
#include <cstdio>

extern std::FILE* displayLogStream;  // defined in shell/Globals.cpp; null in the viewer
extern int32_t displayDebugLevel;    // 0 in the viewer

// Formatted output of a message, or of a piece of one.
void DisplayLogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
