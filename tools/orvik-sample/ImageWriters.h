// Writers of the image files the sample level uses, one per file layout the
// viewer reads. Each returns the file's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/orvik-sample/Picture.h"

using Bytes = std::vector<uint8_t>;

Bytes WriteBmp24(const Picture& picture);
// 8-bit palettised bitmap; colours are reduced to a 6 x 7 x 6 cube.
Bytes WriteBmp8(const Picture& picture);
// A device-independent bitmap without the file header: information header, then 24-bit rows.
Bytes WriteBareDib24(const Picture& picture);
Bytes WritePpmText(const Picture& picture, int maxValue);
Bytes WritePpmBinary(const Picture& picture);
// Run-length true-colour TGA, bottom row first.
Bytes WriteTgaRle24(const Picture& picture);
Bytes WritePngRgba(const Picture& picture);
// Palettised PNG with a tRNS chunk: colours reduced to the cube, the fully transparent pixels to entry 0.
Bytes WritePngPaletteTrns(const Picture& picture);
Bytes WritePngGrey(const Picture& picture);
// RGB PNG whose tRNS chunk makes one colour transparent.
Bytes WritePngRgbTrns(const Picture& picture, uint8_t red, uint8_t green, uint8_t blue);
Bytes WriteJpegColor(const Picture& picture, int quality);
Bytes WriteJpegGrey(const Picture& picture, int quality);
// DXT1 DDS with a full mip chain, each level made by a 2 x 2 box and encoded with the given block encoder.
using Dxt1BlockEncoder = void (*)(const uint8_t rgba[16 * 4], uint8_t block[8]);
Bytes WriteDdsDxt1(const Picture& picture, Dxt1BlockEncoder encoder);

// Halves a picture with a 2 x 2 box (odd edges repeat their last pixel).
Picture HalvePicture(const Picture& picture);
