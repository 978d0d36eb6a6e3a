// The plain globals the viewer's parts share, defined in shell/Globals.cpp.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/win32/windows.h"

// Eye x, y, z; target x, y, z; direction x, y, z; yaw; pitch (radians).
constexpr int CAMERA_POSE_FLOATS = 11;
extern float CameraPose[CAMERA_POSE_FLOATS];

// 2: render frames; 0: stop; any other value: pump messages only.
extern int32_t RunState;

// Width and height of the screen in pixels.
extern int32_t ScreenSize[2];

extern float MoveSpeed;
extern float MouseSensitivity;
extern HWND mainWindow;
extern std::FILE* pathFile;
