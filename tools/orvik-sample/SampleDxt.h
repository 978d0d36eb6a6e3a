// The texture loader's DXT1 encoder, shaped for the DDS writer.
#pragma once

#include <cstdint>

void SampleDxt1Block(const uint8_t rgba[16 * 4], uint8_t block[8]);
