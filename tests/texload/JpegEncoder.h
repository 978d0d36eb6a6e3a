// Writes JPEG files in memory through libjpeg, for the tests.
#pragma once

#include <cstdint>
#include <vector>

// pixels: width x height samples of components (1 grey, 3 RGB) bytes each.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height, int components,
                                int quality = 95);
