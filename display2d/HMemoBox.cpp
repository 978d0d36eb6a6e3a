#include "display2d/HMemoBox.h"

#include "display2d/WidgetLog.h"
#include "display2d/WidgetBitmaps.h"

HMemoBox::HMemoBox(const char* fileName, int32_t newValueA, int32_t newValueB, int32_t newValueC, int32_t newValueD,
                   int32_t newValueE)
    : valueD(0), valueE(0), valueA(0), valueB(0), valueC(0), stateA(0) {
    WidgetLogWrite(" GUI: Initializing hmemobox\n");
    upArrow.CreateFromBitmap(UP_ARROW_BITMAP);
    downArrow.CreateFromBitmap(DOWN_ARROW_BITMAP);
    content.CreateFromBitmap(fileName);
    valueA = newValueA;
    valueB = newValueB;
    valueC = newValueC;
    valueD = newValueD;
    valueE = newValueE;
    stateA = 0;
}

void HMemoBox::SetContent(const char* fileName) {
    content.Release();
    // Emptied, so a bitmap that cannot be loaded leaves no content rather than the old size.
    content.Init();
    content.CreateFromBitmap(fileName);
    stateA = 0;
}

void HMemoBox::Release() {
    content.Release();
    upArrow.Release();
    downArrow.Release();
}
