// Helpers of the image decoding tests: files, decoding and pixel access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "texload/DecodeImage.h"

std::vector<uint8_t> ReadTestFile(const std::string& relativePath);  // below tests/data

// Decodes bytes; returns the result code.
HRESULT Decode(const std::vector<uint8_t>& bytes, DecodedImage* image, ImageReader* reader = nullptr);
// The same for a temporary: its bytes are kept until the program ends, since the picture
// may point into them.
HRESULT Decode(std::vector<uint8_t>&& bytes, DecodedImage* image, ImageReader* reader = nullptr);

// The first picture as RGBA bytes (empty for DXT).
std::vector<uint8_t> Rgba(const DecodedImage& image);

// The 32-bit word of pixel (x, y) of a 4-byte format, and a row's bytes.
uint32_t Pixel32(const DecodedImage& image, int x, int y);
uint16_t Pixel16(const DecodedImage& image, int x, int y);
uint8_t Pixel8(const DecodedImage& image, int x, int y);
