// Bounds every reader keeps to, whatever a file claims.
#pragma once

#include <cstdint>

// Most pixels a picture may have: files declaring more are rejected by their
// reader, so a decoded buffer is never larger than 2^28 pixels x 4 bytes
// (1 GiB). A picture larger than the device takes is decoded whole and
// brought to size when it is fitted to the texture.
constexpr uint64_t MAX_IMAGE_PIXELS = uint64_t(1) << 28;

// Widest and tallest picture accepted, far beyond any texture: the pixel
// transfer holds a source row as four floats per pixel, 16 MiB at this width.
constexpr uint32_t MAX_IMAGE_SIDE = uint32_t(1) << 20;

// Most mip levels a DDS file may declare (a full chain of the widest picture has 21).
constexpr uint32_t MAX_IMAGE_LEVELS = 32;

inline bool ImageSizeAllowed(uint64_t width, uint64_t height)
{
    return width != 0 && height != 0 && width <= MAX_IMAGE_SIDE && height <= MAX_IMAGE_SIDE &&
           width * height <= MAX_IMAGE_PIXELS;
}
