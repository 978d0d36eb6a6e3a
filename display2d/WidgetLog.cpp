#include "display2d/WidgetLog.h"

#include <cstdarg>

void WidgetLogWrite(const char* format, ...) {
    if (widgetDebugLevel != 1 || widgetLogStream == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(widgetLogStream, format, args);
    va_end(args);
}
