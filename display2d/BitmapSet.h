// A plain set of bitmaps.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class BitmapSet {
public:
    int32_t valueF;
    int32_t valueE;
    Surface2D* items;  // itemCount records, owned
    int32_t valueA;
    int32_t valueB;
    int32_t valueC;
    int32_t valueD;
    int32_t itemCount;
    int32_t stateA;

    // Item i comes from names[i]; without a block (see ChooseBox) itemCount is 0.
    BitmapSet(const char* const* names, int32_t nameCount, int32_t valueA, int32_t valueB, int32_t valueC,
              int32_t valueD, int32_t valueE, int32_t valueF);
    void Release();
};
