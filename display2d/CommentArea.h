// A comment area: one bitmap and its settings.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class CommentArea {
public:
    Surface2D image;
    int32_t valueE;
    int32_t valueA;
    int32_t valueB;
    int32_t valueC;
    int32_t valueD;

    CommentArea(const char* fileName, int32_t valueA, int32_t valueB, int32_t valueC, int32_t valueD,
                int32_t valueE);
    void Release();
};
