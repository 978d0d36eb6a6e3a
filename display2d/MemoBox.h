// A memo box: one bitmap, its size and the box's settings.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class MemoBox {
public:
    Surface2D image;
    int32_t valueE;
    int32_t valueF;
    int32_t valueA;
    int32_t valueB;
    int32_t valueC;
    int32_t valueD;
    int32_t reservedA;  // kept in the record, not set by the constructor's steps; 0
    int32_t reservedB;
    int32_t imageWidth;
    int32_t imageHeight;

    MemoBox(const char* fileName, int32_t valueA, int32_t valueB, int32_t valueC, int32_t valueD, int32_t valueE,
            int32_t valueF);
    void Release();
};
