// The viewer's start-up, one frame and its shutdown, shared by the viewer and
// the free-flight tool.
#pragma once

#include "platform/win32/windows.h"

// Runs the start-up steps up to opening the camera path. True when the loop
// may begin. False when start-up stopped: a failure was reported (exit code
// 1), or the user asked to stop (exit code 0); everything taken so far was
// released and the extracted files were deleted.
bool StartViewer(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow, int* exitCode);

// Clears, sets the camera from the camera pose, draws the level and presents.
void RenderFrame();

// Releases everything in order and deletes the extracted files. Safe after a
// start-up that failed part way.
void ShutDownViewer();
