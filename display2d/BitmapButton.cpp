#include "display2d/BitmapButton.h"

#include <algorithm>
#include <cstdint>

#include "display2d/WidgetLog.h"

namespace {

// Sums and differences of caller's coordinates, kept to 32 bits.
int32_t Fit(int64_t value) { return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

}  // namespace

BitmapButton::BitmapButton(const char* fileName, int32_t newLeft, int32_t newTop, int32_t newRight,
                           int32_t newBottom, int32_t newValueA, int32_t newValueB, int32_t newValueC)
    : valueA(0), valueB(0), left(0), top(0), right(0), bottom(0), valueC(0) {
    WidgetLogWrite(" GUI: Creating a bitmap button\n");
    Surface2D picture;
    picture.Init();
    picture.CreateFromBitmap(fileName);
    if (newRight == 0 || newBottom == 0) {
        newRight = Fit(int64_t(newLeft) + picture.width);
        newBottom = Fit(int64_t(newTop) + picture.height);
    }
    const int32_t width = Fit(int64_t(newRight) - newLeft), height = Fit(int64_t(newBottom) - newTop);
    image.Create(width, height);
    image.Blit(picture.surface, image.surface, 0, 0, picture.width, picture.height, 0, 0, width, height);
    picture.Release();
    left = newLeft;
    top = newTop;
    right = newRight;
    bottom = newBottom;
    valueA = newValueA;
    valueB = newValueB;
    comment.surface = nullptr;
    valueC = newValueC;
}

void BitmapButton::LoadComment(const char* fileName) {
    WidgetLogWrite(" GUI: Initializing comment for button\n");
    comment.CreateFromBitmap(fileName);
}

void BitmapButton::Release() {
    image.Release();
    comment.Release();
}
