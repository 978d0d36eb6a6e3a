// Spreads a decoded picture into 8-bit red, green, blue, alpha bytes, as the decoder sees
// it: palettes applied, luminance spread to grey, missing alpha opaque.
#pragma once

#include <cstdint>
#include <vector>

#include "texload/DecodedImage.h"

// False for formats it cannot spread (the DXT block formats); rgba gets width x height x 4 bytes.
bool ImageToRgba(const DecodedImage& image, std::vector<uint8_t>* rgba);
