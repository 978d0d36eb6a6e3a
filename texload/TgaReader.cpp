// TGA files: colour-mapped, true-colour and grey pictures, raw or run-length coded, stored in
// any of the four row and column orders. TGA has no magic number, so this reader runs late.
#include <cstring>

#include "texload/ByteOrder.h"
#include "texload/ImageLimits.h"
#include "texload/ImageReaders.h"

namespace {

uint8_t Widen5(uint32_t v)
{
    return (uint8_t)((v << 3) | (v >> 2));
}

PaletteEntry MapEntry(const uint8_t* p, uint32_t bits)
{
    switch (bits) {
    case 24: return PaletteEntry{p[2], p[1], p[0], 255};
    case 32: return PaletteEntry{p[2], p[1], p[0], p[3]};
    default: {
        const uint32_t v = ReadLe16(p);
        const uint8_t alpha = bits == 15 || (v & 0x8000) ? 255 : 0;
        return PaletteEntry{Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31), alpha};
    }
    }
}

// Places pixels given in stored order into a top-down, left-to-right buffer.
struct TgaPlacer {
    uint8_t* buffer;
    size_t pitch;
    uint32_t width, height, bytesPerPixel;
    bool topFirst, rightToLeft;
    uint64_t placed;  // pixels placed so far, in stored order

    uint8_t* Row(uint64_t storedRow) const
    {
        const uint64_t y = topFirst ? storedRow : height - 1 - storedRow;
        return buffer + y * pitch;
    }

    // count pixels of bytesPerPixel bytes from in (or the one pixel at in, repeated);
    // false when they run past the picture's last pixel.
    bool Place(const uint8_t* in, uint32_t count, bool repeat)
    {
        if (count > (uint64_t)width * height - placed) return false;
        const uint32_t b = bytesPerPixel;
        while (count > 0) {
            const uint32_t k = (uint32_t)(placed % width);
            const uint32_t run = count < width - k ? count : width - k;
            uint8_t* row = Row(placed / width);
            if (!rightToLeft && !repeat) {
                std::memcpy(row + (size_t)k * b, in, (size_t)run * b);
                in += (size_t)run * b;
            } else {
                for (uint32_t i = 0; i < run; ++i) {
                    const uint32_t x = rightToLeft ? width - 1 - (k + i) : k + i;
                    std::memcpy(row + (size_t)x * b, in, b);
                    if (!repeat) in += b;
                }
            }
            placed += run;
            count -= run;
        }
        return true;
    }
};

}  // namespace

HRESULT ReadTga(DecodedImage* image, const uint8_t* data, size_t size)
{
    if (size <= 17) return E_FAIL;
    const uint32_t idLength = data[0], mapType = data[1], imageType = data[2];
    const uint32_t firstIndex = ReadLe16(data + 3), mapLength = ReadLe16(data + 5), mapBits = data[7];
    const uint32_t width = ReadLe16(data + 12), height = ReadLe16(data + 14);
    const uint32_t pixelBits = data[16], descriptor = data[17];
    if (mapType > 1 || (imageType & ~0x0Bu) || width == 0 || height == 0) return E_FAIL;
    if (!ImageSizeAllowed(width, height)) return E_FAIL;
    if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return E_FAIL;

    D3DFORMAT format = D3DFMT_UNKNOWN;
    switch (imageType & 3) {
    case 1:
        if (mapType == 1 && pixelBits == 8) format = D3DFMT_P8;
        break;
    case 2:
        if (pixelBits == 15) format = D3DFMT_X1R5G5B5;
        if (pixelBits == 16) format = D3DFMT_A1R5G5B5;
        if (pixelBits == 24) format = D3DFMT_R8G8B8;
        if (pixelBits == 32) format = D3DFMT_A8R8G8B8;
        break;
    case 3:
        if (pixelBits == 8) format = D3DFMT_L8;
        break;
    }
    if (format == D3DFMT_UNKNOWN) return E_FAIL;

    const size_t entryBytes = (mapBits + 7) / 8;
    const size_t mapBytes = mapType == 1 ? mapLength * entryBytes : 0;
    size_t at = 18 + idLength;
    if (at > size || size - at < mapBytes) return E_FAIL;
    image->format = format;
    if (format == D3DFMT_P8) {
        if (firstIndex + mapLength > PALETTE_ENTRIES) return E_FAIL;
        Palette* palette = image->AllocatePalette();
        if (!palette) return E_OUTOFMEMORY;
        for (uint32_t i = 0; i < mapLength; ++i) {
            palette->entries[firstIndex + i] = MapEntry(data + at + i * entryBytes, mapBits);
        }
    }
    at += mapBytes;

    const uint32_t b = (pixelBits + 7) / 8;
    const size_t pitch = (size_t)width * b;
    image->rowPitch = (UINT)pitch;
    image->SetRect(width, height);
    const bool topFirst = descriptor & 0x20, rightToLeft = descriptor & 0x10, runLength = imageType & 8;
    const uint8_t* in = data + at;
    const size_t left = size - at;
    const uint64_t pixelCount = (uint64_t)width * height;

    if (!runLength) {
        if (left / b < pixelCount) return E_FAIL;
        if (topFirst && !rightToLeft) {
            image->pixels = in;  // used in place
            return S_OK;
        }
    }
    uint8_t* buffer = image->AllocatePixels(pitch * height);
    if (!buffer) return E_OUTOFMEMORY;
    TgaPlacer placer{buffer, pitch, width, height, b, topFirst, rightToLeft, 0};
    if (!runLength) {
        for (uint32_t row = 0; row < height; ++row) {
            placer.Place(in + (size_t)row * pitch, width, false);
        }
        return S_OK;
    }
    // Packets may carry on from one row into the next, never past the last pixel.
    size_t pos = 0;
    while (placer.placed < pixelCount) {
        if (pos >= left) return E_FAIL;
        const uint8_t header = in[pos++];
        const uint32_t count = (header & 0x7F) + 1;
        const bool repeat = header & 0x80;
        const size_t bytes = repeat ? b : (size_t)count * b;
        if (left - pos < bytes) return E_FAIL;
        if (!placer.Place(in + pos, count, repeat)) return E_FAIL;
        pos += bytes;
    }
    return S_OK;
}
