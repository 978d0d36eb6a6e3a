#include "platform/ddraw/SurfaceBlit.h"

#include <cstring>
#include <vector>

#include "platform/gdi/PixelAccess.h"

uint32_t FitPixel(const SDL_Surface* surface, uint32_t pixel) {
    int bits = surface->format->BytesPerPixel * 8;
    return bits >= 32 ? pixel : pixel & ((1u << bits) - 1);
}

void FillArea(SDL_Surface* dest, const RECT& area, uint32_t pixel) {
    pixel = FitPixel(dest, pixel);
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) WritePixel(dest, x, y, pixel);
}

void StretchCopy(SDL_Surface* source, const RECT& from, SDL_Surface* dest, const RECT& to, const RECT& clip,
                 const KeyRange& sourceKey, const KeyRange& destKey) {
    const int64_t fromW = int64_t(from.right) - from.left, fromH = int64_t(from.bottom) - from.top;
    const int64_t toW = int64_t(to.right) - to.left, toH = int64_t(to.bottom) - to.top;
    if (fromW <= 0 || fromH <= 0 || toW <= 0 || toH <= 0) return;
    const bool sameFormat = source->format->format == dest->format->format;
    // Each destination column and row takes the source pixel under its centre.
    std::vector<int> columns(size_t(clip.right - clip.left));
    for (LONG x = clip.left; x < clip.right; ++x)
        columns[size_t(x - clip.left)] = int(from.left + ((2 * (int64_t(x) - to.left) + 1) * fromW) / (2 * toW));
    for (LONG y = clip.top; y < clip.bottom; ++y) {
        int sy = int(from.top + ((2 * (int64_t(y) - to.top) + 1) * fromH) / (2 * toH));
        for (LONG x = clip.left; x < clip.right; ++x) {
            uint32_t pixel = ReadPixel(source, columns[size_t(x - clip.left)], sy);
            if (sourceKey.Holds(pixel)) continue;
            if (destKey.on && !destKey.Holds(ReadPixel(dest, x, y))) continue;
            if (!sameFormat) {
                Uint8 r, g, b;
                SDL_GetRGB(pixel, source->format, &r, &g, &b);
                pixel = SDL_MapRGB(dest->format, r, g, b);
            }
            WritePixel(dest, x, y, pixel);
        }
    }
}
