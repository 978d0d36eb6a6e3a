// Block codec of the DXT1 to DXT5 formats: 4 x 4 pixel blocks of 8 (DXT1) or
// 16 bytes, read and written as 16 pixels of four floats (red, green, blue,
// alpha in 0..1, row by row). DXT2 and DXT4 store colour premultiplied by
// alpha; the codec hands out and takes straight (not premultiplied) colour.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8types.h"

bool IsDxtFormat(D3DFORMAT format);

// Bytes of one block: 8 for DXT1, 16 for DXT2 to DXT5.
UINT DxtBlockBytes(D3DFORMAT format);

void DecodeDxtBlock(D3DFORMAT format, const BYTE* block, float pixels[16][4]);

// Encodes the pixels whose bit is set in validMask (bit 4 * y + x); the others
// are outside the picture and do not count. In DXT1 a pixel with alpha below
// 0.5 becomes the transparent code.
void EncodeDxtBlock(D3DFORMAT format, const float pixels[16][4], uint16_t validMask, BYTE* block);
