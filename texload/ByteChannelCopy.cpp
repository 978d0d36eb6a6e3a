#include "texload/ByteChannelCopy.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

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
    // The loop is made for each pair of pixel sizes, so that the byte positions
    // are the only thing left to look up.
    // Direct3D's own order (blue, green, red, then alpha or nothing) on both
    // sides is the common case: then a pixel is its bytes, masked.
    auto directOrder = [](const ByteLayout& layout) {
        return layout.at[0] == 2 && layout.at[1] == 1 && layout.at[2] == 0 && (layout.at[3] < 0 || layout.at[3] == 3);
    };
    bool direct = !palettised && directOrder(from) && directOrder(to);
    uint32_t opaque = to.at[3] < 0 ? 0 : 0xFF000000u, kept = to.at[3] < 0 || from.at[3] < 0 ? 0x00FFFFFFu : ~0u;
    auto rows = [&](auto fromSize, auto toSize, auto fromPalette) {
        constexpr UINT fromBytes = decltype(fromSize)::value, toBytes = decltype(toSize)::value;
        constexpr bool paletteIndex = decltype(fromPalette)::value;
        for (UINT y = 0; y < dest.height; ++y) {
            const BYTE* in = source.bits + ptrdiff_t(source.top + y) * source.pitch + size_t(source.left) * fromBytes;
            BYTE* out = dest.bits + ptrdiff_t(dest.top + y) * dest.pitch + size_t(dest.left) * toBytes;
            if (!paletteIndex && direct) {
                for (UINT x = 0; x < dest.width; ++x, in += fromBytes, out += toBytes) {
                    uint32_t v = uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16;
                    if constexpr (fromBytes == 4) v |= uint32_t(in[3]) << 24;
                    v = (v & kept) | (kept == ~0u ? 0 : opaque);
                    if constexpr (toBytes == 4) {
                        std::memcpy(out, &v, 4);
                    } else {
                        out[0] = BYTE(v), out[1] = BYTE(v >> 8), out[2] = BYTE(v >> 16);
                    }
                }
                continue;
            }
            for (UINT x = 0; x < dest.width; ++x, in += fromBytes, out += toBytes) {
                uint32_t v = paletteIndex ? entries[in[0]]
                                          : pack(in[from.at[0]], in[from.at[1]], in[from.at[2]],
                                                 from.at[3] < 0 ? 255u : in[from.at[3]]);
                if constexpr (toBytes == 4) {
                    std::memcpy(out, &v, 4);
                } else {
                    for (UINT i = 0; i < toBytes; ++i) out[i] = BYTE(v >> (8 * i));
                }
            }
        }
    };
    using One = std::integral_constant<UINT, 1>;
    using Three = std::integral_constant<UINT, 3>;
    using Four = std::integral_constant<UINT, 4>;
    if (palettised) {
        if (to.bytes == 4) rows(One{}, Four{}, std::true_type{});
        else rows(One{}, Three{}, std::true_type{});
    } else if (from.bytes == 4) {
        if (to.bytes == 4) rows(Four{}, Four{}, std::false_type{});
        else rows(Four{}, Three{}, std::false_type{});
    } else {
        if (to.bytes == 4) rows(Three{}, Four{}, std::false_type{});
        else rows(Three{}, Three{}, std::false_type{});
    }
    return true;
}
