#include "tools/orvik-image/ImageToRgba.h"

#include "texload/ByteOrder.h"

namespace {

// Channel of bits bits at shift, widened to 8 bits by repeating its bits.
uint8_t Channel(uint32_t word, int shift, int bits)
{
    const uint32_t value = (word >> shift) & ((1u << bits) - 1);
    if (bits == 0) return 255;
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits) | value;
        filled += bits;
    }
    return (uint8_t)(out >> (filled - 8));
}

}  // namespace

bool ImageToRgba(const DecodedImage& image, std::vector<uint8_t>* rgba)
{
    const uint32_t width = (uint32_t)image.rect.right, height = (uint32_t)image.rect.bottom;
    rgba->assign((size_t)width * height * 4, 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = image.pixels + (size_t)y * image.rowPitch;
        uint8_t* out = rgba->data() + (size_t)y * width * 4;
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            uint8_t r = 0, g = 0, b = 0, a = 255;
            switch (image.format) {
            case D3DFMT_R8G8B8: b = row[x * 3]; g = row[x * 3 + 1]; r = row[x * 3 + 2]; break;
            case D3DFMT_A8R8G8B8: a = row[x * 4 + 3]; [[fallthrough]];
            case D3DFMT_X8R8G8B8: b = row[x * 4]; g = row[x * 4 + 1]; r = row[x * 4 + 2]; break;
            case D3DFMT_R5G6B5: {
                const uint32_t w = ReadLe16(row + x * 2);
                r = Channel(w, 11, 5); g = Channel(w, 5, 6); b = Channel(w, 0, 5);
                break;
            }
            case D3DFMT_A1R5G5B5: a = (ReadLe16(row + x * 2) & 0x8000) ? 255 : 0; [[fallthrough]];
            case D3DFMT_X1R5G5B5: {
                const uint32_t w = ReadLe16(row + x * 2);
                r = Channel(w, 10, 5); g = Channel(w, 5, 5); b = Channel(w, 0, 5);
                break;
            }
            case D3DFMT_A4R4G4B4: {
                const uint32_t w = ReadLe16(row + x * 2);
                a = Channel(w, 12, 4); r = Channel(w, 8, 4); g = Channel(w, 4, 4); b = Channel(w, 0, 4);
                break;
            }
            case D3DFMT_A8R3G3B2: {
                const uint32_t w = ReadLe16(row + x * 2);
                a = Channel(w, 8, 8); r = Channel(w, 5, 3); g = Channel(w, 2, 3); b = Channel(w, 0, 2);
                break;
            }
            case D3DFMT_P8: {
                const PaletteEntry white{255, 255, 255, 255};
                const PaletteEntry& e = image.palette ? image.palette->entries[row[x]] : white;
                r = e.red; g = e.green; b = e.blue; a = e.flags;
                break;
            }
            case D3DFMT_L8: r = g = b = row[x]; break;
            case D3DFMT_A8L8: r = g = b = row[x * 2]; a = row[x * 2 + 1]; break;
            default: return false;
            }
            out[0] = r; out[1] = g; out[2] = b; out[3] = a;
        }
    }
    return true;
}
