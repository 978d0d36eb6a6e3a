// Bounds every reader keeps to, whatever a file claims.
#pragma once

#include <cstdint>

// Widest and tallest picture accepted: files declaring more are rejected by their reader,
// so a buffer is never larger than 16384 x 16384 x 4 bytes (1 GiB).
constexpr uint32_t MAX_IMAGE_DIMENSION = 16384;

// Most mip levels a DDS file may declare (a full chain of the largest picture has 15).
constexpr uint32_t MAX_IMAGE_LEVELS = 32;

inline bool ImageSizeAllowed(uint64_t width, uint64_t height)
{
    return width != 0 && height != 0 && width <= MAX_IMAGE_DIMENSION &&
           height <= MAX_IMAGE_DIMENSION;
}
