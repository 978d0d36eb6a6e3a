// Small helpers of the pixel transfer tests: pictures in memory as views.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "texload/PixelAccessor.h"
#include "tests/texload/MemoryTexture.h"

// A packed picture in a byte vector with its view (pitch padded past the pixels).
struct TestPicture {
    std::vector<BYTE> bytes;
    PixelView view;

    TestPicture(UINT width, UINT height, D3DFORMAT format, const PALETTEENTRY* palette = nullptr) {
        UINT rowBytes = MemorySurface::RowBytes(width, format);
        view.pitch = INT(rowBytes + 8);
        bytes.assign(size_t(view.pitch) * MemorySurface::StoredRows(height, format), 0);
        view.bits = bytes.data();
        view.format = format;
        view.width = view.imageWidth = width;
        view.height = view.imageHeight = height;
        view.palette = palette;
    }

    uint32_t& Argb(UINT x, UINT y) { return *reinterpret_cast<uint32_t*>(bytes.data() + size_t(y) * view.pitch + x * 4); }
    BYTE* Row(UINT y) { return bytes.data() + size_t(y) * view.pitch; }
};

// A surface's pixel at (x, y) for 32-bit formats.
inline uint32_t SurfacePixel(MemorySurface* surface, UINT x, UINT y) {
    uint32_t v;
    std::memcpy(&v, surface->Row(y) + x * 4, 4);
    return v;
}

inline void SetSurfacePixel(MemorySurface* surface, UINT x, UINT y, uint32_t v) {
    std::memcpy(surface->Row(y) + x * 4, &v, 4);
}

inline int Channel(uint32_t argb, int shift) { return int((argb >> shift) & 0xFF); }

// Random bytes in every stored row of a surface (not its padding).
inline void FillRandom(MemorySurface* surface, uint32_t seed) {
    std::mt19937 random(seed);
    UINT rowBytes = MemorySurface::RowBytes(surface->width, surface->format);
    for (UINT y = 0; y < MemorySurface::StoredRows(surface->height, surface->format); ++y) {
        for (UINT i = 0; i < rowBytes; ++i) surface->Row(y)[i] = BYTE(random());
    }
}
