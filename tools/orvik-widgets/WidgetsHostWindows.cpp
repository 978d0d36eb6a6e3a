// orvik-widgets on Windows: the display is always shown and nothing is captured.
#include "tools/orvik-widgets/WidgetsHost.h"

bool WidgetsHostPrepareCapture() { return true; }

bool WidgetsHostShowsOneFrame() { return false; }

void WidgetsHostShutdown() {}
