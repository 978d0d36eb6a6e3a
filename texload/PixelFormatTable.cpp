#include "texload/PixelFormatTable.h"

const PixelFormatDescriptor PIXEL_FORMAT_TABLE[PIXEL_FORMAT_COUNT] = {
    {D3DFMT_R8G8B8, 0, 24, 0, 0, 8, 8, 8, false},
    {D3DFMT_A8R8G8B8, 0, 32, 0, 8, 8, 8, 8, true},
    {D3DFMT_X8R8G8B8, 0, 32, 0, 0, 8, 8, 8, true},
    {D3DFMT_R5G6B5, 0, 16, 0, 0, 5, 6, 5, true},
    {D3DFMT_X1R5G5B5, 0, 16, 0, 0, 5, 5, 5, true},
    {D3DFMT_A8P8, 1, 16, 0, 8, 8, 8, 8, true},
    {D3DFMT_P8, 1, 8, 0, 8, 8, 8, 8, true},
    {D3DFMT_A1R5G5B5, 0, 16, 0, 1, 5, 5, 5, true},
    {D3DFMT_A4R4G4B4, 0, 16, 0, 4, 4, 4, 4, true},
    {D3DFMT_R3G3B2, 0, 8, 0, 0, 3, 3, 2, true},
    {D3DFMT_A8, 0, 8, 0, 8, 0, 0, 0, true},
    {D3DFMT_A8R3G3B2, 0, 16, 0, 8, 3, 3, 2, true},
    {D3DFMT_X4R4G4B4, 0, 16, 0, 0, 4, 4, 4, true},
    {D3DFMT_L8, 2, 8, 0, 0, 8, 8, 8, true},
    {D3DFMT_A8L8, 2, 16, 0, 8, 8, 8, 8, true},
    {D3DFMT_A4L4, 2, 8, 0, 4, 4, 4, 4, true},
    {D3DFMT_V8U8, 3, 16, 0, 0, 0, 8, 8, true},
    {D3DFMT_L6V5U5, 3, 16, 6, 0, 0, 5, 5, true},
    {D3DFMT_X8L8V8U8, 3, 32, 8, 0, 0, 8, 8, true},
    {D3DFMT_Q8W8V8U8, 3, 32, 0, 8, 8, 8, 8, true},
    {D3DFMT_V16U16, 3, 32, 0, 0, 0, 16, 16, true},
    {D3DFMT_W11V11U10, 3, 32, 0, 0, 11, 11, 10, true},
    {D3DFMT_UYVY, 0, 16, 0, 0, 8, 8, 8, false},
    {D3DFMT_YUY2, 0, 16, 0, 0, 8, 8, 8, false},
    {D3DFMT_DXT1, 0, 16, 0, 1, 5, 6, 5, false},
    {D3DFMT_DXT2, 0, 16, 0, 4, 5, 6, 5, false},
    {D3DFMT_DXT3, 0, 16, 0, 4, 5, 6, 5, false},
    {D3DFMT_DXT4, 0, 16, 0, 3, 5, 6, 5, false},
    {D3DFMT_DXT5, 0, 16, 0, 3, 5, 6, 5, false},
};

static const PixelFormatDescriptor DEFAULT_FORMAT_ROW = {D3DFMT_UNKNOWN, 0, 32, 0, 8, 8, 8, 8, false};

const PixelFormatDescriptor& FindPixelFormat(D3DFORMAT format) {
    for (const PixelFormatDescriptor& row : PIXEL_FORMAT_TABLE) {
        if (row.format == format) return row;
    }
    return DEFAULT_FORMAT_ROW;
}

bool IsKnownPixelFormat(D3DFORMAT format) {
    for (const PixelFormatDescriptor& row : PIXEL_FORMAT_TABLE) {
        if (row.format == format) return true;
    }
    return false;
}
