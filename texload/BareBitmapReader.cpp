// Bare device-independent bitmaps: an information header, a colour table and the rows,
// uncompressed, bit fields, or 4- and 8-bit run-length coded.
#include <cstring>

#include "texload/ByteOrder.h"
#include "texload/ImageLimits.h"
#include "texload/ImageReaders.h"

namespace {

enum : uint32_t { COMPRESSION_RGB = 0, COMPRESSION_RLE8 = 1, COMPRESSION_RLE4 = 2, COMPRESSION_BITFIELDS = 3 };

// Picks the format for the header's bit count, compression and masks; UNKNOWN when none fits.
D3DFORMAT BitmapFormat(uint32_t bits, uint32_t compression, const uint8_t* header, uint32_t headerSize)
{
    if (compression != COMPRESSION_BITFIELDS) {
        // Run-length data needs its own pixel size.
        if (compression == COMPRESSION_RLE8 && bits != 8) return D3DFMT_UNKNOWN;
        if (compression == COMPRESSION_RLE4 && bits != 4) return D3DFMT_UNKNOWN;
        switch (bits) {
        case 1:
        case 4:
        case 8: return D3DFMT_P8;
        case 16: return D3DFMT_X1R5G5B5;
        case 24: return D3DFMT_R8G8B8;
        case 32: return D3DFMT_X8R8G8B8;
        default: return D3DFMT_UNKNOWN;
        }
    }
    if (headerSize < 108) {
        return D3DFMT_UNKNOWN;
    }
    const uint32_t r = ReadLe32(header + 40), g = ReadLe32(header + 44);
    const uint32_t b = ReadLe32(header + 48), a = ReadLe32(header + 52);
    struct MaskFormat {
        uint32_t r, g, b, a;
        D3DFORMAT format;
    };
    static const MaskFormat masks16[] = {
        {0xF800, 0x7E0, 0x1F, 0, D3DFMT_R5G6B5},
        {0x7C00, 0x3E0, 0x1F, 0, D3DFMT_X1R5G5B5},
        {0x7C00, 0x3E0, 0x1F, 0x8000, D3DFMT_A1R5G5B5},
        {0xF00, 0xF0, 0xF, 0xF000, D3DFMT_A4R4G4B4},
        {0xE0, 0x1C, 0x3, 0xFF00, D3DFMT_A8R3G3B2},
        {0xFF, 0xFF, 0xFF, 0xFF00, D3DFMT_A8L8},
    };
    if (bits == 16) {
        for (const MaskFormat& m : masks16) {
            if (m.r == r && m.g == g && m.b == b && m.a == a) return m.format;
        }
        return D3DFMT_UNKNOWN;
    }
    const bool rgb = r == 0xFF0000 && g == 0xFF00 && b == 0xFF;
    if (bits == 24) {
        return rgb && a == 0 ? D3DFMT_R8G8B8 : D3DFMT_UNKNOWN;
    }
    if (bits == 32 && rgb) {
        if (a == 0) return D3DFMT_X8R8G8B8;
        if (a == 0xFF000000) return D3DFMT_A8R8G8B8;
    }
    return D3DFMT_UNKNOWN;
}

// Decodes run-length rows into buffer (rows bottom-up from the last). Runs and deltas that
// leave the picture, and data that ends before the end-of-bitmap code, fail.
HRESULT DecodeRunLength(uint8_t* buffer, uint32_t pitch, uint32_t width, uint32_t height, bool fourBit,
                        const uint8_t* data, size_t size)
{
    size_t at = 0;
    uint32_t x = 0, row = 0;  // row counts up from the bottom
    for (;;) {
        if (size - at < 2) return E_FAIL;
        const uint32_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            if (row >= height || count > width - x) return E_FAIL;
            uint8_t* out = buffer + (size_t)(height - 1 - row) * pitch + x;
            if (fourBit) {
                for (uint32_t i = 0; i < count; ++i) out[i] = (i & 1) ? (value & 0x0F) : (value >> 4);
            } else {
                std::memset(out, (int)value, count);
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0:  // end of line
            if (row >= height) return E_FAIL;
            x = 0;
            ++row;
            break;
        case 1:  // end of bitmap
            return S_OK;
        case 2: {  // delta: right and up
            if (size - at < 2) return E_FAIL;
            const uint32_t dx = data[at], dy = data[at + 1];
            at += 2;
            if (dx > width - x || dy > height - row) return E_FAIL;
            x += dx;
            row += dy;
            break;
        }
        default: {  // literal pixels, padded to an even byte count
            const size_t bytes = fourBit ? (value + 1) / 2 : value;
            const size_t padded = bytes + (bytes & 1);
            if (size - at < padded) return E_FAIL;
            if (row >= height || value > width - x) return E_FAIL;
            uint8_t* out = buffer + (size_t)(height - 1 - row) * pitch + x;
            const uint8_t* in = data + at;
            if (fourBit) {
                for (uint32_t i = 0; i < value; ++i) out[i] = (i & 1) ? (in[i / 2] & 0x0F) : (in[i / 2] >> 4);
            } else {
                std::memcpy(out, in, value);
            }
            x += value;
            at += padded;
            break;
        }
        }
    }
}

}  // namespace

HRESULT ReadBareBitmap(DecodedImage* image, const uint8_t* data, size_t size)
{
    if (size < 40) return E_FAIL;
    const uint32_t headerSize = ReadLe32(data);
    if (headerSize < 40 || headerSize > size) return E_FAIL;
    const int64_t width = (int32_t)ReadLe32(data + 4);
    const int64_t signedHeight = (int32_t)ReadLe32(data + 8);
    const uint32_t planes = ReadLe16(data + 12);
    const uint32_t bits = ReadLe16(data + 14);
    const uint32_t compression = ReadLe32(data + 16);
    const uint32_t colorsUsed = ReadLe32(data + 32);

    const uint64_t colorCount = colorsUsed ? colorsUsed : (bits <= 8 ? (uint64_t)1 << bits : 0);
    const uint64_t pixelStart = headerSize + 4 * colorCount;
    if (pixelStart > size || planes != 1) return E_FAIL;
    const bool topDown = signedHeight < 0;
    if (topDown && compression != COMPRESSION_RGB && compression != COMPRESSION_BITFIELDS) return E_FAIL;
    if (compression > COMPRESSION_BITFIELDS) return E_NOTIMPL;

    const D3DFORMAT format = BitmapFormat(bits, compression, data, headerSize);
    if (format == D3DFMT_UNKNOWN) return E_FAIL;
    const int64_t height64 = topDown ? -signedHeight : signedHeight;
    if (width <= 0 || !ImageSizeAllowed((uint64_t)width, (uint64_t)height64)) return E_FAIL;
    const uint32_t w = (uint32_t)width, h = (uint32_t)height64;

    const size_t sourceStride = (((size_t)w * bits + 31) / 32) * 4;
    const size_t outRow = bits < 8 ? w : (size_t)w * (bits / 8);
    const size_t pitch = (outRow + 3) & ~(size_t)3;
    const uint8_t* pixels = data + pixelStart;
    const size_t available = size - pixelStart;
    const bool runLength = compression == COMPRESSION_RLE8 || compression == COMPRESSION_RLE4;
    if (!runLength && available / sourceStride < h) return E_FAIL;

    image->format = format;
    image->SetRect(w, h);
    image->rowPitch = (UINT)pitch;
    if (format == D3DFMT_P8) {
        Palette* palette = image->AllocatePalette();
        if (!palette) return E_OUTOFMEMORY;
        const uint64_t used = colorCount < PALETTE_ENTRIES ? colorCount : PALETTE_ENTRIES;
        for (uint64_t i = 0; i < used; ++i) {
            const uint8_t* entry = data + headerSize + 4 * i;
            palette->entries[i] = PaletteEntry{entry[2], entry[1], entry[0], 255};
        }
    }

    if (topDown && bits >= 8) {
        image->pixels = pixels;  // used in place
        return S_OK;
    }
    // Run-length data may skip pixels: those stay 0.
    uint8_t* buffer = image->AllocatePixels(pitch * h, runLength);
    if (!buffer) return E_OUTOFMEMORY;
    if (runLength) {
        return DecodeRunLength(buffer, (uint32_t)pitch, w, h, compression == COMPRESSION_RLE4, pixels, available);
    }
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* in = pixels + (size_t)y * sourceStride;
        uint8_t* out = buffer + (size_t)(topDown ? y : h - 1 - y) * pitch;
        if (bits >= 8) {
            std::memcpy(out, in, pitch);
            continue;
        }
        const uint32_t perByte = 8 / bits, mask = (1u << bits) - 1;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t shift = 8 - bits * (x % perByte + 1);
            out[x] = (uint8_t)((in[x / perByte] >> shift) & mask);
        }
        std::memset(out + w, 0, pitch - w);
    }
    return S_OK;
}
