// The widget set's log channel: a stream and a debug level. A message is written
// only while the level is exactly 1 (and a stream is set). Its messages begin
// with " GUI: ".
#pragma once

#include <cstdint>
#include <cstdio>

extern std::FILE* widgetLogStream;  // defined in shell/Globals.cpp; null in the viewer
extern int32_t widgetDebugLevel;    // 0 in the viewer

// Formatted output of a message, or of a piece of one.
void WidgetLogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
