// What the window layer hands the web page around it (web build only).
#pragma once

// Tells the page that a frame was presented, then waits until the browser asks
// for the next animation frame, so that the page shows every frame and the
// message loop runs one pass of rendering per frame shown.
void WebAwaitNextFrame();

// Shows a message box on the page and waits until the person dismisses it.
void WebShowMessageBox(const char* caption, const char* text, unsigned type);

// Tells the page that the program has ended with this exit code.
void WebReportExit(int code);
