// The pixel paths of BlitToSurface: byte copy, conversion, none, point, box,
// linear and triangle, with colour keys and dithering.
#include <gtest/gtest.h>

#include "tests/texload/PixelTestSupport.h"
#include "texload/FilterWord.h"
#include "texload/PixelFormatTable.h"
#include "texload/SurfaceBlit.h"

namespace {

struct Picture {
    UINT width, height;
    D3DFORMAT format;
    std::vector<BYTE> bytes;
    UINT pitch;
    RECT rect;

    Picture(UINT w, UINT h, D3DFORMAT f)
        : width(w), height(h), format(f), pitch(MemorySurface::RowBytes(w, f) + 4),
          rect{0, 0, LONG(w), LONG(h)} {
        bytes.assign(size_t(pitch) * MemorySurface::StoredRows(h, f), 0);
    }
    uint32_t& At(UINT x, UINT y) { return *reinterpret_cast<uint32_t*>(bytes.data() + size_t(y) * pitch + x * 4); }
    void Random(uint32_t seed) {
        std::mt19937 random(seed);
        for (BYTE& b : bytes) b = BYTE(random());
    }
};

struct Target {
    MemorySurface* surface;
    Target(UINT w, UINT h, D3DFORMAT f) : surface(new MemorySurface(w, h, f)) {}
    ~Target() { surface->Release(); }
    uint32_t At(UINT x, UINT y) { return SurfacePixel(surface, x, y); }
};

HRESULT Load(Target& dest, Picture& source, DWORD filter, D3DCOLOR key = 0, const RECT* destRect = nullptr,
             const PALETTEENTRY* destPalette = nullptr, const PALETTEENTRY* sourcePalette = nullptr) {
    return BlitToSurface(dest.surface, destPalette, destRect, source.bytes.data(), source.format, source.pitch,
                         sourcePalette, &source.rect, filter, key);
}

bool SameRows(Target& dest, Picture& source) {
    UINT rowBytes = MemorySurface::RowBytes(source.width, source.format);
    for (UINT r = 0; r < MemorySurface::StoredRows(source.height, source.format); ++r) {
        if (std::memcmp(dest.surface->Row(r), source.bytes.data() + size_t(r) * source.pitch, rowBytes) != 0) {
            return false;
        }
    }
    return true;
}

TEST(BytePath, SameFormatAndSizeCopiesBitForBit) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = {BYTE(i), BYTE(i / 2), 7, 255};
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_P8,
                             D3DFMT_V8U8, D3DFMT_DXT1, D3DFMT_DXT5, D3DFMT_YUY2}) {
        Picture source(10, 6, format);
        source.Random(format);
        Target dest(10, 6, format);
        ASSERT_EQ(Load(dest, source, FILTER_TRIANGLE | FILTER_DITHER, 0, nullptr, palette, palette), S_OK);
        EXPECT_TRUE(SameRows(dest, source)) << format;
    }
}

TEST(BytePath, OtherPalettesOrAColourKeyConvertInstead) {
    PALETTEENTRY a[256], b[256];
    for (int i = 0; i < 256; ++i) {
        a[i] = {BYTE(i), 0, 0, 255};
        b[i] = {BYTE(255 - i), 0, 0, 255};
    }
    Picture source(4, 1, D3DFMT_P8);
    for (int i = 0; i < 4; ++i) source.bytes[i] = BYTE(i * 10);
    Target dest(4, 1, D3DFMT_P8);
    ASSERT_EQ(Load(dest, source, FILTER_NONE, 0, nullptr, b, a), S_OK);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dest.surface->Row(0)[i], 255 - i * 10);  // same colour, other index

    Picture argb(2, 1, D3DFMT_X8R8G8B8);
    argb.At(0, 0) = 0x00123456;
    argb.At(1, 0) = 0x00654321;
    Target keyed(2, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(keyed, argb, FILTER_NONE, 0xFF123456), S_OK);
    EXPECT_EQ(keyed.At(0, 0), 0u);
    EXPECT_EQ(keyed.At(1, 0), 0x00654321u);
}

TEST(ColourKey, ComparesTheFloatsAsReadIncludingAlpha) {
    Picture source(3, 1, D3DFMT_A8R8G8B8);
    source.At(0, 0) = 0x80FF00FF;
    source.At(1, 0) = 0xFFFF00FF;
    source.At(2, 0) = 0xFF00FF00;
    Target dest(3, 1, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(dest, source, FILTER_NONE, 0x80FF00FF), S_OK);
    EXPECT_EQ(dest.At(0, 0), 0u);
    EXPECT_EQ(dest.At(1, 0), 0xFFFF00FFu);
    ASSERT_EQ(Load(dest, source, FILTER_NONE, 0xFFFF00FF), S_OK);
    EXPECT_EQ(dest.At(0, 0), 0x80FF00FFu);
    EXPECT_EQ(dest.At(1, 0), 0u);
    // A key whose alpha is not 255 never matches a format without alpha.
    Picture opaque(2, 1, D3DFMT_X8R8G8B8);
    opaque.At(0, 0) = opaque.At(1, 0) = 0x00FF00FF;
    ASSERT_EQ(Load(dest, opaque, FILTER_NONE, 0x80FF00FF), S_OK);
    EXPECT_EQ(dest.At(0, 0), 0xFFFF00FFu);
    ASSERT_EQ(Load(dest, opaque, FILTER_NONE, 0xFFFF00FF), S_OK);
    EXPECT_EQ(dest.At(0, 0), 0u);
    // Keyed pixels are transparent black before filtering too.
    Picture wide(4, 2, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < 2; ++y) {
        for (UINT x = 0; x < 4; ++x) wide.At(x, y) = x < 2 ? 0x00FF00FF : 0x00FFFFFF;
    }
    Target half(2, 1, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(half, wide, FILTER_BOX, 0xFFFF00FF), S_OK);
    EXPECT_EQ(half.At(0, 0), 0u);
    EXPECT_EQ(half.At(1, 0), 0xFFFFFFFFu);
}

TEST(Filters, ConstantPictureStaysConstantForManySizePairs) {
    const UINT sizes[][4] = {{8, 8, 4, 4},   {7, 5, 3, 2},   {1, 9, 1, 4},    {13, 7, 32, 16}, {100, 60, 128, 64},
                             {5, 5, 1, 1},   {16, 16, 3, 7}, {3, 1, 17, 2},   {2, 2, 1, 1},    {64, 1, 32, 1}};
    const DWORD filters[] = {FILTER_POINT, FILTER_BOX, FILTER_LINEAR, FILTER_TRIANGLE,
                             FILTER_TRIANGLE | FILTER_MIRROR_U | FILTER_MIRROR_V, FILTER_BOX | FILTER_DITHER,
                             FILTER_TRIANGLE | FILTER_DITHER, FILTER_LINEAR | FILTER_DITHER};
    for (const auto& size : sizes) {
        Picture source(size[0], size[1], D3DFMT_A8R8G8B8);
        for (UINT y = 0; y < size[1]; ++y) {
            for (UINT x = 0; x < size[0]; ++x) source.At(x, y) = 0x80C04011;
        }
        for (DWORD filter : filters) {
            for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}) {
                Target dest(size[2], size[3], format);
                ASSERT_EQ(Load(dest, source, filter), S_OK);
                Target reference(1, 1, format);
                Picture one(1, 1, D3DFMT_A8R8G8B8);
                one.At(0, 0) = 0x80C04011;
                ASSERT_EQ(Load(reference, one, FILTER_NONE), S_OK);
                UINT bytes = format == D3DFMT_A8R8G8B8 ? 4 : 2;
                for (UINT y = 0; y < size[3]; ++y) {
                    for (UINT x = 0; x < size[2]; ++x) {
                        if (bytes == 2 && (filter & FILTER_DITHER)) continue;  // dither varies 4-bit values
                        ASSERT_EQ(std::memcmp(dest.surface->Row(y) + x * bytes, reference.surface->Row(0), bytes), 0)
                            << size[0] << "x" << size[1] << " -> " << size[2] << "x" << size[3] << " filter "
                            << std::hex << filter << " at " << std::dec << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(Filters, TriangleWrapsRoundTheEdgesUnlessMirrored) {
    // Black picture with a white last column and last row: with wrap it
    // bleeds into the first destination column and row.
    Picture source(8, 8, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < 8; ++y) {
        for (UINT x = 0; x < 8; ++x) source.At(x, y) = (x == 7 || y == 7) ? 0xFFFFFF : 0;
    }
    Target wrapped(4, 4, D3DFMT_X8R8G8B8), mirrored(4, 4, D3DFMT_X8R8G8B8), mirrorU(4, 4, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(wrapped, source, FILTER_TRIANGLE), S_OK);
    ASSERT_EQ(Load(mirrored, source, FILTER_TRIANGLE | FILTER_MIRROR_U | FILTER_MIRROR_V), S_OK);
    ASSERT_EQ(Load(mirrorU, source, FILTER_TRIANGLE | FILTER_MIRROR_U), S_OK);
    // The wrapped tent of the last column puts 1/16 of it into column 0.
    EXPECT_EQ(Channel(wrapped.At(0, 1), 0), 16);
    EXPECT_EQ(Channel(mirrored.At(0, 1), 0), 0);
    EXPECT_EQ(Channel(mirrorU.At(0, 1), 0), 0);
    EXPECT_EQ(Channel(mirrorU.At(1, 0), 0), 16);  // V still wraps
    EXPECT_EQ(Channel(mirrored.At(1, 0), 0), 0);
    // Mirror keeps the edge pixels' outer halves inside: the last column weighs more.
    EXPECT_GT(Channel(mirrored.At(3, 1), 0), Channel(wrapped.At(3, 1), 0));
}

TEST(Filters, PointStepsIn16Point16) {
    Picture source(5, 1, D3DFMT_X8R8G8B8);
    for (UINT x = 0; x < 5; ++x) source.At(x, 0) = x + 1;
    Target down(3, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(down, source, FILTER_POINT), S_OK);
    EXPECT_EQ(down.At(0, 0), 1u);
    EXPECT_EQ(down.At(1, 0), 2u);
    EXPECT_EQ(down.At(2, 0), 4u);
    Picture two(2, 1, D3DFMT_X8R8G8B8);
    two.At(0, 0) = 1;
    two.At(1, 0) = 2;
    Target up(5, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(up, two, FILTER_POINT), S_OK);
    const uint32_t expected[5] = {1, 1, 1, 2, 2};
    for (UINT x = 0; x < 5; ++x) EXPECT_EQ(up.At(x, 0), expected[x]);
}

TEST(Filters, NoneConvertsTheOverlapAndClearsTheRest) {
    Picture source(3, 2, D3DFMT_A8R8G8B8);
    for (UINT y = 0; y < 2; ++y) {
        for (UINT x = 0; x < 3; ++x) source.At(x, y) = 0xFF102030 + x + y * 16;
    }
    Target bigger(4, 3, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(bigger, source, FILTER_NONE), S_OK);
    for (UINT y = 0; y < 3; ++y) {
        for (UINT x = 0; x < 4; ++x) EXPECT_EQ(bigger.At(x, y), x < 3 && y < 2 ? source.At(x, y) : 0u);
    }
    Target smaller(2, 1, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(smaller, source, FILTER_NONE), S_OK);
    EXPECT_EQ(smaller.At(1, 0), source.At(1, 0));
}

TEST(Filters, LinearSamplesAtTexelCentresClampedAtEdges) {
    Picture source(2, 1, D3DFMT_X8R8G8B8);
    source.At(0, 0) = 0;
    source.At(1, 0) = 0xFF;
    Target dest(4, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(dest, source, FILTER_LINEAR), S_OK);
    const int expected[4] = {0, 64, 191, 255};
    for (UINT x = 0; x < 4; ++x) EXPECT_EQ(Channel(dest.At(x, 0), 0), expected[x]) << x;
}

TEST(BoxFilter, OneByNUsesItsColumnTwiceAndOddSizesDropTheLastPixel) {
    Picture column(1, 8, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < 8; ++y) column.At(0, y) = y * 20;
    Target half(1, 4, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(half, column, FILTER_BOX), S_OK);
    for (UINT y = 0; y < 4; ++y) EXPECT_EQ(half.At(0, y), (2 * y * 20 + (2 * y + 1) * 20 + 1) / 2) << y;
    Picture row(5, 1, D3DFMT_X8R8G8B8);
    for (UINT x = 0; x < 5; ++x) row.At(x, 0) = x == 4 ? 0xFF : 0x10 * x;
    Target two(2, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(two, row, FILTER_BOX), S_OK);
    EXPECT_EQ(two.At(0, 0), 0x08u);
    EXPECT_EQ(two.At(1, 0), 0x28u);
}

TEST(BoxFilter, OtherSizesFallThroughToTheTriangleFilter) {
    Picture source(8, 8, D3DFMT_X8R8G8B8);
    source.Random(3);
    Target box(3, 3, D3DFMT_X8R8G8B8), triangle(3, 3, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(box, source, FILTER_BOX), S_OK);
    ASSERT_EQ(Load(triangle, source, FILTER_TRIANGLE), S_OK);
    EXPECT_EQ(box.surface->bytes, triangle.surface->bytes);
    Target quarter(2, 2, D3DFMT_X8R8G8B8);
    Target quarterTriangle(2, 2, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(quarter, source, FILTER_BOX), S_OK);
    ASSERT_EQ(Load(quarterTriangle, source, FILTER_TRIANGLE), S_OK);
    EXPECT_EQ(quarter.surface->bytes, quarterTriangle.surface->bytes);
}

TEST(BoxFilter, IntegerPathMatchesItsFormulaAndTheFloatPath) {
    Picture source(16, 12, D3DFMT_A8R8G8B8);
    source.Random(11);
    Target integer(8, 6, D3DFMT_A8R8G8B8), floats(8, 6, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(integer, source, FILTER_BOX), S_OK);
    Picture asX(16, 12, D3DFMT_X8R8G8B8);
    asX.bytes = source.bytes;
    Target xDest(8, 6, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(xDest, asX, FILTER_BOX), S_OK);
    // A colour key that matches nothing takes the float path.
    ASSERT_EQ(Load(floats, source, FILTER_BOX, 0x01020304), S_OK);
    int differences = 0;
    for (UINT y = 0; y < 6; ++y) {
        for (UINT x = 0; x < 8; ++x) {
            for (int shift : {0, 8, 16, 24}) {
                int sum = Channel(source.At(2 * x, 2 * y), shift) + Channel(source.At(2 * x + 1, 2 * y), shift) +
                          Channel(source.At(2 * x, 2 * y + 1), shift) +
                          Channel(source.At(2 * x + 1, 2 * y + 1), shift);
                EXPECT_EQ(Channel(integer.At(x, y), shift), (sum + 2) / 4);
                int fromFloats = Channel(floats.At(x, y), shift);
                EXPECT_NEAR(fromFloats, (sum + 2) / 4, 1);
                differences += fromFloats != (sum + 2) / 4;
                // X8R8G8B8: the unused byte is written as 0.
                EXPECT_EQ(Channel(xDest.At(x, y), shift), shift == 24 ? 0 : (sum + 2) / 4);
            }
        }
    }
    EXPECT_LE(differences, 2);
    // 16-bit fields average per field.
    Picture r5(2, 2, D3DFMT_R5G6B5);
    const uint16_t values[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (int i = 0; i < 4; ++i) std::memcpy(r5.bytes.data() + (i / 2) * r5.pitch + (i % 2) * 2, &values[i], 2);
    Target r5Dest(1, 1, D3DFMT_R5G6B5);
    ASSERT_EQ(Load(r5Dest, r5, FILTER_BOX), S_OK);
    uint16_t out;
    std::memcpy(&out, r5Dest.surface->Row(0), 2);
    EXPECT_EQ(out, uint16_t(((31 + 31 + 2) / 4) << 11 | ((63 + 63 + 2) / 4) << 5 | ((31 + 31 + 2) / 4)));
}

TEST(BumpFormats, OnlyCopyConvertNoneAndPointApply) {
    Picture source(8, 8, D3DFMT_V8U8);
    source.Random(5);
    for (DWORD filter : {FILTER_BOX, FILTER_LINEAR, FILTER_TRIANGLE}) {
        Target dest(4, 4, D3DFMT_V8U8);
        EXPECT_EQ(Load(dest, source, filter), E_FAIL) << filter;
        EXPECT_FALSE(dest.surface->locked);
    }
    Target point(4, 4, D3DFMT_Q8W8V8U8);
    ASSERT_EQ(Load(point, source, FILTER_POINT), S_OK);
    EXPECT_EQ(point.At(1, 1) & 0xFFFF, uint32_t(source.bytes[2 * source.pitch + 4] | source.bytes[2 * source.pitch + 5] << 8));
}

TEST(Rectangles, NothingOutsideTheDestinationRectangleIsWritten) {
    Picture source(9, 9, D3DFMT_X8R8G8B8);
    source.Random(8);
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_YUY2}) {
        Target dest(12, 10, format);
        std::vector<BYTE> before = dest.surface->bytes;
        RECT rect = {3, 2, 10, 7};
        ASSERT_EQ(Load(dest, source, FILTER_TRIANGLE | FILTER_DITHER, 0, &rect), S_OK);
        UINT bytes = format == D3DFMT_YUY2 ? 2 : FindPixelFormat(format).bits / 8;
        for (UINT y = 0; y < 10; ++y) {
            for (UINT i = 0; i < UINT(dest.surface->pitch); ++i) {
                UINT x = i / bytes;
                bool inside = y >= 2 && y < 7 && x >= 3 && x < 10 && i < 12 * bytes;
                // YUY2 shares chroma with the pair's other pixel: x = 2 and 10 may change U/V.
                if (format == D3DFMT_YUY2 && (x == 2 || x == 10) && y >= 2 && y < 7 && (i % 2) == 1) continue;
                if (!inside) {
                    ASSERT_EQ(dest.surface->Row(y)[i], before[y * dest.surface->pitch + i]) << format << " " << x << "," << y;
                }
            }
        }
    }
}

TEST(Rectangles, YuvPairCutByTheRectangleTakesItsColourFromBothPixels) {
    for (D3DFORMAT format : {D3DFMT_YUY2, D3DFMT_UYVY}) {
        const int y0 = format == D3DFMT_YUY2 ? 0 : 1, u = format == D3DFMT_YUY2 ? 1 : 0, y1 = y0 + 2, v = u + 2;
        Picture green(12, 2, D3DFMT_X8R8G8B8);
        for (UINT y = 0; y < 2; ++y)
            for (UINT x = 0; x < 12; ++x) green.At(x, y) = 0x0020C040;
        Target dest(12, 2, format);
        ASSERT_EQ(Load(dest, green, FILTER_NONE), S_OK);
        std::vector<BYTE> before(dest.surface->Row(0), dest.surface->Row(0) + 24);
        Picture red(7, 2, D3DFMT_X8R8G8B8);
        for (UINT y = 0; y < 2; ++y)
            for (UINT x = 0; x < 7; ++x) red.At(x, y) = 0x00E02010;
        // Pixels 3 to 9: the pair (2, 3) is cut by the left edge.
        RECT rect = {3, 0, 10, 2};
        ASSERT_EQ(Load(dest, red, FILTER_NONE, 0, &rect), S_OK);
        const BYTE* row = dest.surface->Row(0);
        const BYTE* cut = row + 4;     // pixels 2 and 3
        const BYTE* inside = row + 8;  // pixels 4 and 5, both red
        const BYTE* last = row + 20;   // pixels 10 and 11, outside
        EXPECT_EQ(cut[y0], before[4 + y0]) << format;  // pixel 2 keeps its luma
        EXPECT_EQ(cut[y1], inside[y0]) << format;      // pixel 3 is red's
        EXPECT_NEAR(cut[u], (before[4 + u] + inside[u]) / 2.0, 1.0) << format;
        EXPECT_NEAR(cut[v], (before[4 + v] + inside[v]) / 2.0, 1.0) << format;
        EXPECT_NE(cut[v], inside[v]);
        EXPECT_EQ(std::memcmp(last, before.data() + 20, 4), 0);
    }
}

TEST(Rectangles, DxtRectangleKeepsOtherBlocksAndNeighbouringPixels) {
    Picture base(8, 8, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < 8; ++y) {
        for (UINT x = 0; x < 8; ++x) base.At(x, y) = 0x000000FF;  // blue
    }
    Target dest(8, 8, D3DFMT_DXT1);
    ASSERT_EQ(Load(dest, base, FILTER_NONE), S_OK);
    std::vector<BYTE> before = dest.surface->bytes;
    Picture red(2, 2, D3DFMT_X8R8G8B8);
    for (UINT i = 0; i < 4; ++i) red.At(i % 2, i / 2) = 0x00FF0000;
    RECT rect = {1, 1, 3, 3};
    ASSERT_EQ(Load(dest, red, FILTER_NONE, 0, &rect), S_OK);
    // Blocks 1 to 3 are untouched.
    EXPECT_EQ(std::memcmp(dest.surface->Row(0) + 8, before.data() + 8, 8), 0);
    EXPECT_EQ(std::memcmp(dest.surface->Row(1), before.data() + dest.surface->pitch, 16), 0);
    Target back(8, 8, D3DFMT_X8R8G8B8);
    Picture blocks(8, 8, D3DFMT_DXT1);
    blocks.pitch = UINT(dest.surface->pitch);
    blocks.bytes = dest.surface->bytes;
    ASSERT_EQ(Load(back, blocks, FILTER_NONE), S_OK);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) {
            bool inRect = x >= 1 && x < 3 && y >= 1 && y < 3;
            EXPECT_EQ(back.At(x, y) & 0xFFFFFF, inRect ? 0xFF0000u : 0x0000FFu) << x << "," << y;
        }
    }
}

TEST(BlockFormats, TriangleRowsReachDxtBlocksInAnyOrder) {
    // With wrap the first destination row completes last; its blocks must still be right.
    Picture source(24, 12, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < 12; ++y) {
        for (UINT x = 0; x < 24; ++x) source.At(x, y) = (x * 10) << 16 | (y * 20) << 8 | 0x40;
    }
    Target direct(16, 8, D3DFMT_DXT1), plain(16, 8, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(direct, source, FILTER_TRIANGLE), S_OK);
    ASSERT_EQ(Load(plain, source, FILTER_TRIANGLE), S_OK);
    // The same rows encoded in order, from the 8-bit result.
    Picture plainPicture(16, 8, D3DFMT_X8R8G8B8);
    plainPicture.pitch = UINT(plain.surface->pitch);
    plainPicture.bytes = plain.surface->bytes;
    Target inOrder(16, 8, D3DFMT_DXT1);
    ASSERT_EQ(Load(inOrder, plainPicture, FILTER_NONE), S_OK);
    auto decode = [&](Target& dxt, Target& out) {
        Picture blocks(16, 8, D3DFMT_DXT1);
        blocks.pitch = UINT(dxt.surface->pitch);
        blocks.bytes = dxt.surface->bytes;
        ASSERT_EQ(Load(out, blocks, FILTER_NONE), S_OK);
    };
    Target a(16, 8, D3DFMT_X8R8G8B8), b(16, 8, D3DFMT_X8R8G8B8);
    decode(direct, a);
    decode(inOrder, b);
    for (UINT y = 0; y < 8; ++y) {
        for (UINT x = 0; x < 16; ++x) {
            for (int shift : {0, 8, 16}) EXPECT_NEAR(Channel(a.At(x, y), shift), Channel(b.At(x, y), shift), 9) << x << "," << y;
        }
    }
}

TEST(BlockFormats, PalettisedBoxWritesTheNearestEntry) {
    PALETTEENTRY greys[256];
    for (int i = 0; i < 256; ++i) greys[i] = {BYTE(i), BYTE(i), BYTE(i), 255};
    Picture source(4, 2, D3DFMT_P8);
    const BYTE indices[8] = {10, 20, 200, 201, 30, 40, 202, 203};
    for (int i = 0; i < 8; ++i) source.bytes[(i / 4) * source.pitch + i % 4] = indices[i];
    Target dest(2, 1, D3DFMT_P8);
    ASSERT_EQ(Load(dest, source, FILTER_BOX, 0, nullptr, greys, greys), S_OK);
    EXPECT_EQ(dest.surface->Row(0)[0], 25);   // not the mean of the indices' bits, the nearest colour
    EXPECT_EQ(dest.surface->Row(0)[1], 202);  // 201.5 rounds up
}

}  // namespace
