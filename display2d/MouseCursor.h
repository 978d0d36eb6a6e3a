// The mouse (or emulated) cursor: its picture and settings.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class MouseCursor {
public:
    int32_t valueB;
    int32_t valueA;
    Surface2D image;
    int32_t stateA;
    int32_t reservedA;  // kept in the record, not set by the constructor's steps; 0
    int32_t reservedB;
    int32_t stateB;
    int32_t stateC;
    int32_t stateD;

    MouseCursor(const char* fileName, int32_t valueA, int32_t valueB);
    // Gives back the picture.
    void Release();
};
