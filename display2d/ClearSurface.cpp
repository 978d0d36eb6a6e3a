#include "display2d/ClearSurface.h"

#include <cstring>

void ClearSurface(IDirectDrawSurface7* surface) {
    if (surface == nullptr) return;
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
}
