// libFuzzer target: DecodeImage on arbitrary bytes. Every byte of every decoded picture is
// read, so a picture that claims more than its buffer or the input holds is caught by the
// address sanitizer.
#include <cstddef>
#include <cstdint>

#include "texload/DecodeImage.h"

namespace {

// Bytes of one row of the picture (of one row of 4 x 4 blocks for DXT).
size_t RowBytes(const DecodedImage& image)
{
    const size_t width = (size_t)image.rect.right;
    switch (image.format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return width * 4;
    case D3DFMT_R8G8B8: return width * 3;
    case D3DFMT_P8:
    case D3DFMT_L8: return width;
    case D3DFMT_DXT1: return (width + 3) / 4 * 8;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: return (width + 3) / 4 * 16;
    default: return width * 2;
    }
}

unsigned Touch(const DecodedImage& image)
{
    unsigned sum = 0;
    const bool blocks = image.format >= D3DFMT_DXT1 && image.format <= D3DFMT_DXT5;
    const size_t rows = blocks ? ((size_t)image.rect.bottom + 3) / 4 : (size_t)image.rect.bottom;
    const size_t rowBytes = RowBytes(image);
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* row = image.pixels + y * image.rowPitch;
        for (size_t x = 0; x < rowBytes; ++x) sum += row[x];
    }
    if (image.palette) {
        for (const PaletteEntry& e : image.palette->entries) sum += e.red + e.flags;
    }
    return sum;
}

volatile unsigned sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu) return 0;
    DecodedImage image;
    SourceImageInfo info;
    if (DecodeImage(&image, data, (UINT)size, &info) != S_OK) return 0;
    unsigned sum = 0;
    for (const DecodedImage* face = &image; face; face = face->nextFace) {
        for (const DecodedImage* level = face; level; level = level->nextLevel) sum += Touch(*level);
    }
    sink = sum;
    return 0;
}
