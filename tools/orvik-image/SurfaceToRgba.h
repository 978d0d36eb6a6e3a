// Any known pixel format spread into 8-bit red, green, blue, alpha bytes,
// through the texture loader's pixel accessors (DXT and YUV included).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

// bits: the picture's first row (DXT: block row); false for unknown formats and bump formats.
bool PixelsToRgba(const void* bits, INT pitch, D3DFORMAT format, UINT width, UINT height,
                  const PALETTEENTRY* palette, std::vector<uint8_t>* rgba);

// The whole surface (locked read-only); false when it cannot be read.
bool SurfaceToRgba(IDirect3DSurface8* surface, const PALETTEENTRY* palette, std::vector<uint8_t>* rgba,
                   UINT* width, UINT* height);
