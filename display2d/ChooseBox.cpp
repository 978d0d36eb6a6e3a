#include "display2d/ChooseBox.h"

#include "display2d/WidgetLog.h"
#include "display2d/SurfaceBlock.h"
#include "display2d/WidgetBitmaps.h"

ChooseBox::ChooseBox(const char* const* names, int32_t nameCount, int32_t newValueA, int32_t newValueB,
                     int32_t newValueC, int32_t newValueD, int32_t newValueE, int32_t newValueF, int32_t newValueG,
                     int32_t newValueH)
    : valueF(0), valueG(0), valueH(0), items(nullptr), itemCount(0), valueA(0), valueB(0), valueC(0), valueE(0),
      stateA(0), valueD(0), stateB(0), selectedIndex(-1) {
    WidgetLogWrite(" GUI: Initializing choosebox\n");
    items = LoadSurfaceBlock(names, nameCount);
    valueA = newValueA;
    valueB = newValueB;
    valueC = newValueC;
    valueF = newValueF;
    valueG = newValueG;
    itemCount = items != nullptr ? nameCount : 0;
    stateA = 0;
    valueE = newValueE;
    valueD = newValueD;
    upArrow.CreateFromBitmap(UP_ARROW_BITMAP);
    downArrow.CreateFromBitmap(DOWN_ARROW_BITMAP);
    stateB = 0;
    selectedIndex = -1;
    valueH = newValueH;
}

void ChooseBox::Release() {
    FreeSurfaceBlock(items, itemCount);
    items = nullptr;
    itemCount = 0;
    upArrow.Release();
    downArrow.Release();
}
