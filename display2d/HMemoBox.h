// An hmemo box: a content bitmap that can be replaced, with up and down arrows.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class HMemoBox {
public:
    int32_t valueD;
    int32_t valueE;
    Surface2D content;
    Surface2D upArrow;
    Surface2D downArrow;
    int32_t valueA;
    int32_t valueB;
    int32_t valueC;
    int32_t stateA;  // 0, and 0 again whenever the content is replaced

    HMemoBox(const char* fileName, int32_t valueA, int32_t valueB, int32_t valueC, int32_t valueD, int32_t valueE);
    // Gives back the content and loads this bitmap in its place.
    void SetContent(const char* fileName);
    void Release();
};
