// The viewer's start-up, one frame and its shutdown, shared by the viewer and
// the free-flight tool.
#pragma once

#include "platform/win32/windows.h"

// Runs the start-up steps up to opening the camera path. Returns 0 when the
// loop may begin; otherwise the start-up failure was reported, everything
// taken so far was released, and the result is the exit code.
int StartViewer(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// Clears, sets the camera from the camera pose, draws the level and presents.
void RenderFrame();

// Releases everything in order and deletes the extracted files. Safe after a
// start-up that failed part way.
void ShutDownViewer();
