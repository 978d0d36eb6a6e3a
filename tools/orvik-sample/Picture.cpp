#include "tools/orvik-sample/Picture.h"

namespace {

uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

void Picture::Set(int x, int y, int r, int g, int b, int a) {
    uint8_t* p = At(x, y);
    p[0] = Clamp(r);
    p[1] = Clamp(g);
    p[2] = Clamp(b);
    p[3] = Clamp(a);
}
