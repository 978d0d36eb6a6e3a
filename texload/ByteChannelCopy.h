// Same-size conversion between formats whose colour channels are all 8 bits
// wide (and from 8-bit palettised pixels): each channel's byte moves as it
// is. The float path gives exactly these bytes, dithered or not, since its
// offset never reaches a whole step; this is only much faster.
#pragma once

#include "texload/PixelAccessor.h"

// False, with nothing written, when the formats are not such a pair.
bool CopyByteChannels(const PixelView& dest, const PixelView& source);
