#include "display2d/MouseCursor.h"

#include "input/InputLog.h"

MouseCursor::MouseCursor(const char* fileName, int32_t newValueA, int32_t newValueB)
    : valueB(0), valueA(0), stateA(0), reservedA(0), reservedB(0), stateB(0), stateC(0), stateD(0) {
    InputLogWrite(" INPUT_DRIVER: Creating mouse (or emulated) cursor handler\n");
    image.CreateFromBitmap(fileName);
    stateB = 0;
    stateC = 0;
    stateD = 0;
    valueA = newValueA;
    valueB = newValueB;
    stateA = 0;
}

void MouseCursor::Release() { image.Release(); }
