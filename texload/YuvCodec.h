// Pair codec of the YUY2 and UYVY formats: two pixels share one U and one V
// byte (YUY2: Y0 U Y1 V; UYVY: U Y0 V Y1). Studio-range BT.601: Y 16..235,
// U and V 16..240 around 128.
#pragma once

#include "platform/d3d8/d3d8types.h"

bool IsYuvFormat(D3DFORMAT format);

// Both pixels of a pair as red, green, blue, alpha (alpha is 1).
void DecodeYuvPair(D3DFORMAT format, const BYTE* pair, float pixels[2][4]);

// Writes the luma of the pixels whose bit is set in lumaMask (bit 0 the first
// pixel), keeping the other's stored luma, and the chroma of both pixels
// averaged: a pixel that is not written is given as it reads now, so that the
// pair's shared colour still comes from both. Offsets are the packing offsets
// of the two pixels (0.5 rounds).
void EncodeYuvPair(D3DFORMAT format, const float pixels[2][4], unsigned lumaMask, const float offsets[2],
                   BYTE* pair);
