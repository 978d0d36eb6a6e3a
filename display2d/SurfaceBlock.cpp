#include "display2d/SurfaceBlock.h"

#include <new>

Surface2D* LoadSurfaceBlock(const char* const* names, int32_t count) {
    if (count < 0) return nullptr;
    Surface2D* block = new (std::nothrow) Surface2D[static_cast<size_t>(count)];
    if (block == nullptr) return nullptr;
    for (int32_t i = 0; i < count; ++i) {
        block[i].Init();
        if (names != nullptr && names[i] != nullptr) block[i].CreateFromBitmap(names[i]);
    }
    return block;
}

void FreeSurfaceBlock(Surface2D* block, int32_t count) {
    if (block == nullptr) return;
    for (int32_t i = 0; i < count; ++i) block[i].Release();
    delete[] block;
}
