#include "input/InputLog.h"

#include <cstdarg>

void InputLogWrite(const char* format, ...) {
    if (inputDebugLevel != 1 || inputLogStream == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(inputLogStream, format, args);
    va_end(args);
}
