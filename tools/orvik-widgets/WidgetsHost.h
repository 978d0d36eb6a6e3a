// What orvik-widgets needs of the system beyond DirectDraw and GDI: the Linux
// layer's frame capture and headless mode, which Windows does not have.
#pragma once

// Makes the capture folder (ORVIK_CAPTURE_DIR) absolute before the tool moves
// into DIR; false, with a message, when it does not exist.
bool WidgetsHostPrepareCapture();

// True where no person sees the display, so one frame is enough.
bool WidgetsHostShowsOneFrame();

// Releases what the system set up for the display.
void WidgetsHostShutdown();
