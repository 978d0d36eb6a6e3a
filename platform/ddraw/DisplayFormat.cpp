#include "platform/ddraw/DisplayFormat.h"

#include <cstring>

Uint32 DisplayFormatForBits(DWORD bitsPerPixel) {
    switch (bitsPerPixel) {
    case 16: return SDL_PIXELFORMAT_RGB565;
    case 24: return SDL_MasksToPixelFormatEnum(24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    case 32: return SDL_PIXELFORMAT_RGB888;
    default: return SDL_PIXELFORMAT_UNKNOWN;
    }
}

Uint32 SdlFormatOf(const DDPIXELFORMAT& format) {
    if (!(format.dwFlags & DDPF_RGB) || (format.dwFlags & (DDPF_FOURCC | DDPF_PALETTEINDEXED8))) return SDL_PIXELFORMAT_UNKNOWN;
    DWORD bits = format.dwRGBBitCount;
    if (bits != 16 && bits != 24 && bits != 32) return SDL_PIXELFORMAT_UNKNOWN;
    DWORD alpha = (format.dwFlags & DDPF_ALPHAPIXELS) ? format.dwRGBAlphaBitMask : 0;
    return SDL_MasksToPixelFormatEnum(int(bits), format.dwRBitMask, format.dwGBitMask, format.dwBBitMask, alpha);
}

void DescribeFormat(Uint32 sdlFormat, DDPIXELFORMAT* format) {
    std::memset(format, 0, sizeof *format);
    format->dwSize = sizeof *format;
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    SDL_PixelFormatEnumToMasks(sdlFormat, &bpp, &r, &g, &b, &a);
    format->dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
    format->dwRGBBitCount = SDL_BYTESPERPIXEL(sdlFormat) * 8;
    format->dwRBitMask = r;
    format->dwGBitMask = g;
    format->dwBBitMask = b;
    format->dwRGBAlphaBitMask = a;
}
