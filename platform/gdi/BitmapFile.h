// Reads a Windows bitmap file ("BM"): 1, 4, 8, 16, 24 and 32 bits a pixel,
// uncompressed, run-length coded (8 and 4 bit) or with bit-field masks, with
// any of the Windows and OS/2 info headers.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

// The picture as a new 32-bit XRGB surface, top row first, or null (with
// *error set to a Win32 error code) where the data is not a bitmap file this
// reader takes. Pixels that run-length data skips take palette entry 0.
SDL_Surface* DecodeBitmapPixels(const uint8_t* data, size_t size, uint32_t* error);

// Reads the file at a path of this system (not a Windows name) and decodes it.
SDL_Surface* ReadBitmapPixels(const char* path, uint32_t* error);
