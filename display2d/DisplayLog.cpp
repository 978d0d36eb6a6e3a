#include "display2d/DisplayLog.h"

#include <cstdarg>

void DisplayLogWrite(const char* format, ...) {
    if (displayDebugLevel != 1 || displayLogStream == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(displayLogStream, format, args);
    va_end(args);
}
