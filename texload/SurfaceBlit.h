// Loading pixels into Direct3D 8 surfaces, with format conversion, resampling,
// colour keying and dithering.
#pragma once

#include "platform/d3d8/d3d8.h"

// Writes a rectangle of source pixels (any known format) into a rectangle of
// the destination surface (null: the whole surface). Filter -1 means triangle
// with dither, or point with dither for a bump source. The colour key
// (0xAARRGGBB, 0 for none) turns matching source pixels into (0, 0, 0, 0).
HRESULT BlitToSurface(IDirect3DSurface8* destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                      const void* sourcePixels, D3DFORMAT sourceFormat, UINT sourcePitch,
                      const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey);

// The same with a surface as the source (null rectangle: the whole surface).
HRESULT BlitSurfaceToSurface(IDirect3DSurface8* destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                             IDirect3DSurface8* sourceSurface, const PALETTEENTRY* sourcePalette,
                             const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey);
