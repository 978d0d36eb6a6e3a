// Moves a rectangle of pixels into another, in memory, with format conversion,
// resampling, colour keying and dithering: the engine under BlitToSurface.
#pragma once

#include "platform/d3d8/d3d8types.h"
#include "texload/PixelAccessor.h"

// Runs the first pixel path that applies: byte copy; same-size conversion;
// filter none; point; box; linear; triangle. The filter word must be valid
// (not -1). Returns 0, or E_FAIL when no path applies, a format has no
// accessor, bump and other formats are mixed, or memory ran out.
HRESULT TransferPixels(const PixelView& dest, const PixelView& source, DWORD filter, D3DCOLOR colorKey);
