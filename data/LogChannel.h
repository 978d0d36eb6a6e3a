// The log channels: the 2D display's, the input devices' and the widget set's.
// Each is a stream and a debug-level word; a message is written only while
// the word is exactly 1. The viewer leaves every word 0 and every stream null.
#pragma once

#include <cstdint>
#include <cstdio>

class LogChannel {
public:
    std::FILE* stream;
    int32_t debugLevel;

    LogChannel() : stream(nullptr), debugLevel(0) {}
    // True when a message would be written: level 1 and a stream to take it.
    bool IsOn() const { return debugLevel == 1 && stream != nullptr; }
    // Formatted output to the stream, when the channel is on.
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// Defined with the other globals in shell/Globals.cpp.
extern LogChannel displayLog;  // " DDRENDER_SYSTEM: " and " DDRENDER_SYSTEM_INFO: "
extern LogChannel inputLog;    // " INPUT_DRIVER: "
extern LogChannel widgetLog;   // " GUI: "
