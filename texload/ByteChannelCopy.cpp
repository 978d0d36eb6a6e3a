#include "texload/ByteChannelCopy.h"

#include <cstdint>
#include <cstring>

namespace {

// Byte positions of red, green, blue and alpha (-1: absent) in a pixel.
struct ByteLayout {
    UINT bytes = 0;
    int at[4] = {-1, -1, -1, -1};
};

bool EightBitLayout(D3DFORMAT format, ByteLayout* layout) {
    int shifts[4], bits[4];
    if (!PlainChannelLayout(format, &layout->bytes, shifts, bits)) return false;
    for (int c = 0; c < 4; ++c) {
        if (bits[c] == 0 && c == 3) continue;
        if (bits[c] != 8 || shifts[c] % 8 != 0) return false;  // also rules out luminance
        layout->at[c] = shifts[c] / 8;
    }
    return true;
}

}  // namespace

bool CopyByteChannels(const PixelView& dest, const PixelView& source) {
    ByteLayout to, from;
    bool palettised = source.format == D3DFMT_P8;
    if (!EightBitLayout(dest.format, &to) || (!palettised && !EightBitLayout(source.format, &from))) return false;
    if (dest.width != source.width || dest.height != source.height) return false;

    // A pixel of red, green, blue, alpha packed as the destination stores them;
    // bytes of no channel are zero.
    auto pack = [&to](uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        uint32_t v = r << (8 * to.at[0]) | g << (8 * to.at[1]) | b << (8 * to.at[2]);
        return to.at[3] < 0 ? v : v | a << (8 * to.at[3]);
    };
    uint32_t entries[256];
    if (palettised) {
        for (int i = 0; i < 256; ++i) {
            const PALETTEENTRY e = source.palette ? source.palette[i] : PALETTEENTRY{255, 255, 255, 255};
            entries[i] = pack(e.peRed, e.peGreen, e.peBlue, e.peFlags);
        }
    }
    UINT fromBytes = palettised ? 1 : from.bytes;
    for (UINT y = 0; y < dest.height; ++y) {
        const BYTE* in = source.bits + ptrdiff_t(source.top + y) * source.pitch + size_t(source.left) * fromBytes;
        BYTE* out = dest.bits + ptrdiff_t(dest.top + y) * dest.pitch + size_t(dest.left) * to.bytes;
        for (UINT x = 0; x < dest.width; ++x, in += fromBytes, out += to.bytes) {
            uint32_t v = palettised ? entries[in[0]]
                                    : pack(in[from.at[0]], in[from.at[1]], in[from.at[2]],
                                           from.at[3] < 0 ? 255u : in[from.at[3]]);
            if (to.bytes == 4) {
                std::memcpy(out, &v, 4);
            } else {
                for (UINT i = 0; i < to.bytes; ++i) out[i] = BYTE(v >> (8 * i));
            }
        }
    }
    return true;
}
