// The pixel work of Blt: scaled copies with colour keys, and colour fills,
// on SDL surfaces of any of the display formats.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/win32/windows.h"

// A colour key: pixel values from low to high, both included.
struct KeyRange {
    bool on = false;
    uint32_t low = 0;
    uint32_t high = 0;

    bool Holds(uint32_t pixel) const { return on && pixel >= low && pixel <= high; }
};

// Copies the source rectangle onto the destination rectangle, scaling by
// nearest pixel. Only destination pixels inside clip are written; clip lies
// inside the destination surface and the source rectangle inside the source.
// Source pixels within sourceKey are not copied; with destKey on, only
// destination pixels within it are replaced.
void StretchCopy(SDL_Surface* source, const RECT& from, SDL_Surface* dest, const RECT& to, const RECT& clip,
                 const KeyRange& sourceKey, const KeyRange& destKey);

// Sets every pixel of the area (inside the surface) to a raw pixel value.
void FillArea(SDL_Surface* dest, const RECT& area, uint32_t pixel);

// The pixel value cut to the bits a pixel of the surface holds.
uint32_t FitPixel(const SDL_Surface* surface, uint32_t pixel);
