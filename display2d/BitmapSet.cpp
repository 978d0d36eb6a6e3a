#include "display2d/BitmapSet.h"

#include "display2d/SurfaceBlock.h"

BitmapSet::BitmapSet(const char* const* names, int32_t nameCount, int32_t newValueA, int32_t newValueB,
                     int32_t newValueC, int32_t newValueD, int32_t newValueE, int32_t newValueF)
    : valueF(0), valueE(0), items(nullptr), valueA(0), valueB(0), valueC(0), valueD(0), itemCount(0), stateA(0) {
    items = LoadSurfaceBlock(names, nameCount);
    itemCount = items != nullptr ? nameCount : 0;
    valueA = newValueA;
    valueB = newValueB;
    valueC = newValueC;
    valueD = newValueD;
    valueE = newValueE;
    valueF = newValueF;
    stateA = 1;
}

void BitmapSet::Release() {
    FreeSurfaceBlock(items, itemCount);
    items = nullptr;
    itemCount = 0;
}
