#include "data/LogChannel.h"

#include <cstdarg>

void LogChannel::Write(const char* format, ...) {
    if (!IsOn()) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stream, format, arguments);
    va_end(arguments);
}
