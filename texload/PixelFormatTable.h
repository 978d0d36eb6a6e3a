// The pixel formats the texture loader knows, with their classes and channel
// widths. The table's order is the order in which a substitute format is sought.
#pragma once

#include "platform/d3d8/d3d8types.h"

enum PixelFormatClass {
    FORMAT_CLASS_COLOUR = 0,
    FORMAT_CLASS_PALETTE = 1,
    FORMAT_CLASS_LUMINANCE = 2,
    FORMAT_CLASS_BUMP = 3,
};

struct PixelFormatDescriptor {
    D3DFORMAT format;
    int formatClass;
    int bits;        // bits per pixel
    int e;           // extra channel of the bump formats (luminance)
    int a;           // alpha
    int c1, c2, c3;  // red, green, blue (or W, V, U)
    bool substitute; // may stand in for another format
};

constexpr int PIXEL_FORMAT_COUNT = 29;
extern const PixelFormatDescriptor PIXEL_FORMAT_TABLE[PIXEL_FORMAT_COUNT];

// The table row of a format, or the default row (class 0, 32 bits, A8 and
// 8-bit colour, not a substitute) for a format that is not in the table.
const PixelFormatDescriptor& FindPixelFormat(D3DFORMAT format);

// True for a format the table lists.
bool IsKnownPixelFormat(D3DFORMAT format);
