// Display colour depths and DirectDraw pixel formats as SDL pixel formats.
#pragma once

#include <SDL.h>

#include "platform/ddraw/ddraw.h"

// The SDL format of a display mode of this many bits a pixel (16: 5-6-5,
// 24: packed 8-8-8, 32: 8-8-8 and a spare byte), or SDL_PIXELFORMAT_UNKNOWN.
Uint32 DisplayFormatForBits(DWORD bitsPerPixel);

// The SDL format a DirectDraw RGB pixel format describes, or SDL_PIXELFORMAT_UNKNOWN.
Uint32 SdlFormatOf(const DDPIXELFORMAT& format);

// Fills a DirectDraw pixel format record for an SDL format.
void DescribeFormat(Uint32 sdlFormat, DDPIXELFORMAT* format);
