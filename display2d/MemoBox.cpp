#include "display2d/MemoBox.h"

#include "display2d/WidgetLog.h"

MemoBox::MemoBox(const char* fileName, int32_t newValueA, int32_t newValueB, int32_t newValueC, int32_t newValueD,
                 int32_t newValueE, int32_t newValueF)
    : valueE(0), valueF(0), valueA(0), valueB(0), valueC(0), valueD(0), reservedA(0), reservedB(0), imageWidth(0),
      imageHeight(0) {
    WidgetLogWrite(" GUI: Creating memobox\n");
    image.CreateFromBitmap(fileName);
    imageWidth = image.width;
    imageHeight = image.height;
    valueA = newValueA;
    valueB = newValueB;
    valueC = newValueC;
    valueD = newValueD;
    valueF = newValueF;
    valueE = newValueE;
}

void MemoBox::Release() { image.Release(); }
