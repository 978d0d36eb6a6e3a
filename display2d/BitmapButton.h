// A button: its bitmap scaled to the button's rectangle, and an optional comment bitmap.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class BitmapButton {
public:
    Surface2D image;
    Surface2D comment;
    int32_t valueA;
    int32_t valueB;
    int32_t left;
    int32_t top;
    int32_t right;   // exclusive
    int32_t bottom;  // exclusive
    int32_t valueC;

    // With right or bottom 0 the button takes the bitmap's own size at (left, top).
    BitmapButton(const char* fileName, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t valueA,
                 int32_t valueB, int32_t valueC);
    void LoadComment(const char* fileName);
    // Gives back the picture and the comment.
    void Release();
};
