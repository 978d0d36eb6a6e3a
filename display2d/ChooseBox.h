// A choose box: a list of item bitmaps with up and down arrows.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

class ChooseBox {
public:
    int32_t valueF;
    int32_t valueG;
    Surface2D upArrow;
    Surface2D downArrow;
    int32_t valueH;
    Surface2D* items;  // itemCount records, owned
    int32_t itemCount;
    int32_t valueA;
    int32_t valueB;
    int32_t valueC;
    int32_t valueE;
    int32_t stateA;
    int32_t valueD;
    int32_t stateB;
    int32_t selectedIndex;  // -1: no item

    // Item i comes from names[i]. Where the item block cannot be allocated
    // (or nameCount is negative) the box has no block and itemCount 0.
    ChooseBox(const char* const* names, int32_t nameCount, int32_t valueA, int32_t valueB, int32_t valueC,
              int32_t valueD, int32_t valueE, int32_t valueF, int32_t valueG, int32_t valueH);
    // Gives back every surface and frees the item block.
    void Release();
};
