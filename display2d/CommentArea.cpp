#include "display2d/CommentArea.h"

#include "display2d/WidgetLog.h"

CommentArea::CommentArea(const char* fileName, int32_t newValueA, int32_t newValueB, int32_t newValueC,
                         int32_t newValueD, int32_t newValueE)
    : valueE(0), valueA(0), valueB(0), valueC(0), valueD(0) {
    WidgetLogWrite(" GUI: Initializing comment area\n");
    image.CreateFromBitmap(fileName);
    valueA = newValueA;
    valueB = newValueB;
    valueC = newValueC;
    valueD = newValueD;
    valueE = newValueE;
}

void CommentArea::Release() { image.Release(); }
