// Decoding of DXT1 to DXT5 blocks into 8-bit RGBA.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"

// Decodes a whole level of width x height pixels stored as 4x4 blocks, rows of
// blocks one after another, into rgba (width * 4 bytes a row, top row first).
void DecodeDxtLevel(D3DFORMAT format, const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba);
