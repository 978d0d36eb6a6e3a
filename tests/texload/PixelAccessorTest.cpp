// The format table, the filter word, and reading and writing every format.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/texload/PixelTestSupport.h"
#include "texload/FilterWord.h"
#include "texload/PixelFormatTable.h"
#include "texload/PixelTransfer.h"

namespace {

TEST(PixelFormatTable, RowsInSubstituteSearchOrderAndDefaultRow) {
    EXPECT_EQ(PIXEL_FORMAT_TABLE[0].format, D3DFMT_R8G8B8);
    EXPECT_FALSE(PIXEL_FORMAT_TABLE[0].substitute);
    EXPECT_EQ(PIXEL_FORMAT_TABLE[5].format, D3DFMT_A8P8);
    EXPECT_EQ(PIXEL_FORMAT_TABLE[6].format, D3DFMT_P8);
    EXPECT_EQ(PIXEL_FORMAT_TABLE[7].format, D3DFMT_A1R5G5B5);
    EXPECT_EQ(PIXEL_FORMAT_TABLE[21].format, D3DFMT_W11V11U10);
    EXPECT_EQ(PIXEL_FORMAT_TABLE[28].format, D3DFMT_DXT5);
    const PixelFormatDescriptor& l6 = FindPixelFormat(D3DFMT_L6V5U5);
    EXPECT_EQ(l6.formatClass, 3);
    EXPECT_EQ(l6.e, 6);
    EXPECT_EQ(l6.c2, 5);
    for (D3DFORMAT unknown : {D3DFMT_UNKNOWN, D3DFMT_D16, D3DFMT_A2B10G10R10}) {
        const PixelFormatDescriptor& row = FindPixelFormat(unknown);
        EXPECT_EQ(row.formatClass, 0);
        EXPECT_EQ(row.bits, 32);
        EXPECT_EQ(row.a, 8);
        EXPECT_EQ(row.c1, 8);
        EXPECT_FALSE(row.substitute);
        EXPECT_FALSE(IsKnownPixelFormat(unknown));
    }
}

TEST(FilterWord, AcceptsFiveFiltersAndFourFlagsOnly) {
    for (DWORD kind = 1; kind <= 5; ++kind) {
        EXPECT_TRUE(IsValidFilter(kind));
        EXPECT_TRUE(IsValidFilter(kind | FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W | FILTER_DITHER));
    }
    EXPECT_FALSE(IsValidFilter(0));
    EXPECT_FALSE(IsValidFilter(6));
    EXPECT_FALSE(IsValidFilter(0x100004));
    EXPECT_FALSE(IsValidFilter(0x80000000u | 4));
    EXPECT_FALSE(IsValidFilter(FILTER_DEFAULT));
}

// One pixel in, four floats out.
std::vector<float> ReadPixel(D3DFORMAT format, uint32_t raw, const PALETTEENTRY* palette = nullptr) {
    TestPicture picture(1, 1, format, palette);
    std::memcpy(picture.bytes.data(), &raw, std::min<size_t>(4, picture.bytes.size()));
    PixelAccessor accessor;
    EXPECT_TRUE(accessor.Init(picture.view));
    std::vector<float> rgba(4);
    accessor.ReadRow(0, rgba.data());
    return rgba;
}

TEST(PixelRead, ChannelsDividedByTheirMaximum) {
    auto p = ReadPixel(D3DFMT_R5G6B5, 0x7E0 | 31);
    EXPECT_FLOAT_EQ(p[0], 0.0f);
    EXPECT_FLOAT_EQ(p[1], 1.0f);
    EXPECT_FLOAT_EQ(p[2], 1.0f);
    EXPECT_FLOAT_EQ(p[3], 1.0f);  // no alpha reads opaque
    p = ReadPixel(D3DFMT_A4R4G4B4, 0x5A3F);
    EXPECT_FLOAT_EQ(p[3], 5.0f / 15);
    EXPECT_FLOAT_EQ(p[0], 10.0f / 15);
    EXPECT_FLOAT_EQ(p[1], 3.0f / 15);
    p = ReadPixel(D3DFMT_R8G8B8, 0x102030);
    EXPECT_FLOAT_EQ(p[0], 16.0f / 255);
    EXPECT_FLOAT_EQ(p[2], 48.0f / 255);
    p = ReadPixel(D3DFMT_A8, 0x40);
    EXPECT_EQ(p, (std::vector<float>{1, 1, 1, 0x40 / 255.0f}));
    p = ReadPixel(D3DFMT_A4L4, 0x9C);
    EXPECT_FLOAT_EQ(p[0], 12.0f / 15);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[0], p[2]);
    EXPECT_FLOAT_EQ(p[3], 9.0f / 15);
    p = ReadPixel(D3DFMT_A1R5G5B5, 0x8000);
    EXPECT_FLOAT_EQ(p[3], 1.0f);
}

TEST(PixelRead, BumpChannelsAreSignedOverHalfTheirRange) {
    auto p = ReadPixel(D3DFMT_V8U8, 0x7F80);  // V 127, U -128
    EXPECT_FLOAT_EQ(p[1], 127.0f / 128);
    EXPECT_FLOAT_EQ(p[2], -1.0f);
    p = ReadPixel(D3DFMT_L6V5U5, (63u << 10) | (0x10u << 5) | 0x0F);  // L 63, V -16, U 15
    EXPECT_FLOAT_EQ(p[3], 1.0f);
    EXPECT_FLOAT_EQ(p[1], -1.0f);
    EXPECT_FLOAT_EQ(p[2], 15.0f / 16);
    p = ReadPixel(D3DFMT_W11V11U10, (0x400u << 21) | (1u << 10) | 0x1FF);
    EXPECT_FLOAT_EQ(p[0], -1.0f);
    EXPECT_FLOAT_EQ(p[1], 1.0f / 1024);
    EXPECT_FLOAT_EQ(p[2], 511.0f / 512);
    p = ReadPixel(D3DFMT_V16U16, 0xFFFF0001u);
    EXPECT_FLOAT_EQ(p[1], -1.0f / 32768);
    EXPECT_FLOAT_EQ(p[2], 1.0f / 32768);
}

TEST(PixelRead, PaletteLookupAndMissingPaletteIsWhite) {
    PALETTEENTRY palette[256] = {};
    palette[7] = {10, 20, 30, 40};
    auto p = ReadPixel(D3DFMT_P8, 7, palette);
    EXPECT_FLOAT_EQ(p[0], 10.0f / 255);
    EXPECT_FLOAT_EQ(p[3], 40.0f / 255);
    p = ReadPixel(D3DFMT_A8P8, 0x8007, palette);
    EXPECT_FLOAT_EQ(p[2], 30.0f / 255);
    EXPECT_FLOAT_EQ(p[3], 128.0f / 255);
    EXPECT_EQ(ReadPixel(D3DFMT_P8, 7), (std::vector<float>{1, 1, 1, 1}));
}

TEST(PixelRead, FormatsWithoutAccessorAreRefused) {
    TestPicture picture(1, 1, D3DFMT_A8R8G8B8);
    picture.view.format = D3DFMT_D16;
    PixelAccessor accessor;
    EXPECT_FALSE(accessor.Init(picture.view));
}

// Writes one value at every pixel of an 8 x 8 A4R4G4B4 picture.
std::vector<uint16_t> WriteConstant(float value, bool dither) {
    TestPicture picture(8, 8, D3DFMT_A4R4G4B4);
    PixelAccessor accessor;
    EXPECT_TRUE(accessor.Init(picture.view));
    std::vector<float> row(8 * 4, value);
    for (UINT y = 0; y < 8; ++y) accessor.WriteRow(y, row.data(), dither);
    std::vector<uint16_t> out;
    for (UINT y = 0; y < 8; ++y) {
        for (UINT x = 0; x < 8; ++x) out.push_back(uint16_t(picture.Row(y)[2 * x] | picture.Row(y)[2 * x + 1] << 8));
    }
    return out;
}

TEST(PixelWrite, DitherOffsetFollowsTheOrderedMatrix) {
    const int matrix[4][4] = {{15, 7, 13, 5}, {3, 11, 1, 9}, {12, 4, 14, 6}, {0, 8, 2, 10}};
    for (UINT y = 0; y < 8; ++y) {
        for (UINT x = 0; x < 8; ++x) EXPECT_FLOAT_EQ(DitherOffset(x, y), (matrix[y % 4][x % 4] + 0.5f) / 16);
    }
    // 7.5 / 15: the fraction .5 rounds up where the offset is at least .5.
    float value = 7.5f / 15.0f;
    std::vector<uint16_t> dithered = WriteConstant(value, true);
    for (UINT y = 0; y < 8; ++y) {
        for (UINT x = 0; x < 8; ++x) {
            int expected = int(DitherOffset(x, y) + value * 15.0f);
            EXPECT_EQ(dithered[y * 8 + x] & 0xF, expected) << x << "," << y;
            EXPECT_EQ(dithered[y * 8 + x] >> 12, expected);
        }
    }
}

TEST(PixelWrite, EightBitChannelsDitherToo) {
    TestPicture picture(4, 4, D3DFMT_X8R8G8B8);
    PixelAccessor accessor;
    ASSERT_TRUE(accessor.Init(picture.view));
    std::vector<float> row(4 * 4, 100.5f / 255.0f);
    for (UINT y = 0; y < 4; ++y) accessor.WriteRow(y, row.data(), true);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) {
            int expected = int(DitherOffset(x, y) + 100.5f);
            EXPECT_EQ(picture.Argb(x, y), uint32_t(expected * 0x010101)) << x << "," << y;
        }
    }
}

TEST(PixelWrite, WithoutDitherRoundsToNearestAndClamps) {
    EXPECT_EQ(WriteConstant(7.49f / 15, false)[0], 0x7777);
    EXPECT_EQ(WriteConstant(7.51f / 15, false)[0], 0x8888);
    EXPECT_EQ(WriteConstant(1.7f, false)[0], 0xFFFF);
    EXPECT_EQ(WriteConstant(-0.3f, false)[0], 0x0000);
    // Signed channels clamp to their range too.
    TestPicture bump(1, 1, D3DFMT_V8U8);
    PixelAccessor accessor;
    ASSERT_TRUE(accessor.Init(bump.view));
    float row[4] = {0, 2.0f, -3.0f, 0};
    accessor.WriteRow(0, row, false);
    EXPECT_EQ(bump.bytes[0], 0x80);  // U -128
    EXPECT_EQ(bump.bytes[1], 0x7F);  // V 127
}

// Fills a picture of the format with random pixels, converts it to A8R8G8B8
// and back, and compares the stored bits that carry channels.
void ExpectRoundTrip(D3DFORMAT format, uint32_t keepMask) {
    const UINT w = 13, h = 7;
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = {BYTE(i), BYTE(255 - i), BYTE(i * 7), BYTE(i ^ 0x5A)};
    TestPicture original(w, h, format, palette);
    std::mt19937 random(format);
    for (BYTE& b : original.bytes) b = BYTE(random());
    TestPicture argb(w, h, D3DFMT_A8R8G8B8);
    ASSERT_EQ(TransferPixels(argb.view, original.view, FILTER_NONE, 0), S_OK);
    TestPicture back(w, h, format, palette);
    ASSERT_EQ(TransferPixels(back.view, argb.view, FILTER_NONE, 0), S_OK);
    UINT bytes = UINT(FindPixelFormat(format).bits / 8);
    for (UINT y = 0; y < h; ++y) {
        for (UINT x = 0; x < w; ++x) {
            uint32_t a = 0, b = 0;
            std::memcpy(&a, original.Row(y) + x * bytes, bytes);
            std::memcpy(&b, back.Row(y) + x * bytes, bytes);
            ASSERT_EQ(a & keepMask, b & keepMask) << "format " << format << " at " << x << "," << y;
        }
    }
}

TEST(PixelRoundTrip, EveryPlainFormatThroughA8R8G8B8IsExact) {
    ExpectRoundTrip(D3DFMT_R8G8B8, 0xFFFFFF);
    ExpectRoundTrip(D3DFMT_A8R8G8B8, 0xFFFFFFFF);
    ExpectRoundTrip(D3DFMT_X8R8G8B8, 0xFFFFFF);
    ExpectRoundTrip(D3DFMT_R5G6B5, 0xFFFF);
    ExpectRoundTrip(D3DFMT_X1R5G5B5, 0x7FFF);
    ExpectRoundTrip(D3DFMT_A1R5G5B5, 0xFFFF);
    ExpectRoundTrip(D3DFMT_A4R4G4B4, 0xFFFF);
    ExpectRoundTrip(D3DFMT_R3G3B2, 0xFF);
    ExpectRoundTrip(D3DFMT_A8, 0xFF);
    ExpectRoundTrip(D3DFMT_A8R3G3B2, 0xFFFF);
    ExpectRoundTrip(D3DFMT_X4R4G4B4, 0xFFF);
    ExpectRoundTrip(D3DFMT_L8, 0xFF);
    ExpectRoundTrip(D3DFMT_A8L8, 0xFFFF);
    ExpectRoundTrip(D3DFMT_A4L4, 0xFF);
    ExpectRoundTrip(D3DFMT_P8, 0xFF);  // the palette's entries are all distinct
    ExpectRoundTrip(D3DFMT_A8P8, 0xFFFF);
}

TEST(PixelRoundTrip, BumpFormatsThroughFloatsAreExactAndDoNotMixWithColour) {
    for (D3DFORMAT format : {D3DFMT_V8U8, D3DFMT_L6V5U5, D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8, D3DFMT_V16U16,
                             D3DFMT_W11V11U10}) {
        TestPicture original(9, 3, format);
        std::mt19937 random(format);
        for (BYTE& b : original.bytes) b = BYTE(random());
        TestPicture copy(9, 3, format);
        PixelAccessor in, out;
        ASSERT_TRUE(in.Init(original.view));
        ASSERT_TRUE(out.Init(copy.view));
        std::vector<float> row(9 * 4);
        for (UINT y = 0; y < 3; ++y) {
            in.ReadRow(y, row.data());
            out.WriteRow(y, row.data(), false);
        }
        uint32_t keep = format == D3DFMT_X8L8V8U8 ? 0xFFFFFF : 0xFFFFFFFF;
        UINT bytes = UINT(FindPixelFormat(format).bits / 8);
        for (UINT y = 0; y < 3; ++y) {
            for (UINT x = 0; x < 9; ++x) {
                uint32_t a = 0, b = 0;
                std::memcpy(&a, original.Row(y) + x * bytes, bytes);
                std::memcpy(&b, copy.Row(y) + x * bytes, bytes);
                ASSERT_EQ(a & keep, b & keep) << format;
            }
        }
        TestPicture argb(9, 3, D3DFMT_A8R8G8B8);
        EXPECT_EQ(TransferPixels(argb.view, original.view, FILTER_NONE, 0), E_FAIL);
        EXPECT_EQ(TransferPixels(original.view, argb.view, FILTER_NONE, 0), E_FAIL);
    }
}

TEST(PixelRoundTrip, YuvPairsOfOneColourComeBackWithinTwoSteps) {
    for (D3DFORMAT format : {D3DFMT_YUY2, D3DFMT_UYVY}) {
        TestPicture argb(16, 4, D3DFMT_A8R8G8B8);
        std::mt19937 random(format);
        for (UINT y = 0; y < 4; ++y) {
            for (UINT x = 0; x < 16; x += 2) argb.Argb(x, y) = argb.Argb(x + 1, y) = uint32_t(random()) | 0xFF000000u;
        }
        TestPicture yuv(16, 4, format);
        ASSERT_EQ(TransferPixels(yuv.view, argb.view, FILTER_NONE, 0), S_OK);
        TestPicture back(16, 4, D3DFMT_A8R8G8B8);
        ASSERT_EQ(TransferPixels(back.view, yuv.view, FILTER_NONE, 0), S_OK);
        for (UINT y = 0; y < 4; ++y) {
            for (UINT x = 0; x < 16; ++x) {
                for (int shift : {0, 8, 16, 24}) {
                    EXPECT_NEAR(Channel(back.Argb(x, y), shift), Channel(argb.Argb(x, y), shift), 2) << format;
                }
            }
        }
    }
}

}  // namespace
