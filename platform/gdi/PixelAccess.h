// Raw pixel reads and writes on SDL surfaces of 1 to 4 bytes a pixel, and
// GDI colours mapped to and from a surface's format. Callers keep x and y
// inside the surface.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstring>

#include "platform/win32/windows.h"

inline uint32_t ReadPixel(const SDL_Surface* surface, int x, int y) {
    const int bytes = surface->format->BytesPerPixel;
    const uint8_t* p = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch + x * bytes;
    switch (bytes) {
    case 1: return *p;
    case 2: { uint16_t v; std::memcpy(&v, p, 2); return v; }
    case 3: return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
    }
}

inline void WritePixel(SDL_Surface* surface, int x, int y, uint32_t value) {
    const int bytes = surface->format->BytesPerPixel;
    uint8_t* p = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + x * bytes;
    switch (bytes) {
    case 1: *p = static_cast<uint8_t>(value); break;
    case 2: { uint16_t v = static_cast<uint16_t>(value); std::memcpy(p, &v, 2); break; }
    case 3:
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
        break;
    default: std::memcpy(p, &value, 4); break;
    }
}

// A GDI colour (0x00BBGGRR) as a pixel value of the surface's format.
inline uint32_t ColourToPixel(const SDL_Surface* surface, COLORREF colour) {
    return SDL_MapRGB(surface->format, colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

inline COLORREF PixelToColour(const SDL_Surface* surface, uint32_t pixel) {
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return RGB(r, g, b);
}
