// Bitmap files and bare bitmaps built byte by byte.
#include <gtest/gtest.h>

#include "tests/texload/ByteWriter.h"
#include "tests/texload/TexloadTestSupport.h"

namespace {

struct DibFields {
    int32_t width = 1;
    int32_t height = 1;
    uint32_t bits = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> colors;  // 0x00RRGGBB, stored blue, green, red, 0
    uint32_t masks[4] = {0, 0, 0, 0};
    uint32_t planes = 1;
};

std::vector<uint8_t> Dib(const DibFields& s, const std::vector<uint8_t>& pixels)
{
    ByteWriter w;
    w.U32(s.headerSize).U32((uint32_t)s.width).U32((uint32_t)s.height).U16(s.planes).U16(s.bits);
    w.U32(s.compression).U32((uint32_t)pixels.size()).U32(2835).U32(2835).U32(s.colorsUsed).U32(0);
    if (s.headerSize >= 108) {
        w.U32(s.masks[0]).U32(s.masks[1]).U32(s.masks[2]).U32(s.masks[3]);
    }
    w.Zeros(s.headerSize - w.bytes.size());
    for (uint32_t c : s.colors) w.U32(c);
    w.bytes.insert(w.bytes.end(), pixels.begin(), pixels.end());
    return w.bytes;
}

// A "BM" file around a bare bitmap; the pixel offset field holds a value nothing reads.
std::vector<uint8_t> BitmapFile(const std::vector<uint8_t>& dib, uint32_t pixelOffset = 0x12345)
{
    ByteWriter w;
    w.Text("BM").U32((uint32_t)dib.size() + 14).U16(0).U16(0).U32(pixelOffset);
    w.bytes.insert(w.bytes.end(), dib.begin(), dib.end());
    return w.bytes;
}

std::vector<uint8_t> Row(const DecodedImage& image, int y)
{
    const uint8_t* row = image.pixels + (size_t)y * image.rowPitch;
    return std::vector<uint8_t>(row, row + image.rect.right);
}

TEST(BitmapReader, TwentyFourBitBottomUpRowsAreCopiedTopFirst)
{
    DibFields s;
    s.width = 2;
    s.height = 2;
    // Bottom row first; rows padded to 8 bytes.
    const auto file = BitmapFile(Dib(s, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
    DecodedImage image;
    ImageReader reader;
    ASSERT_EQ(Decode(file, &image, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::BitmapFile);
    EXPECT_EQ(image.format, D3DFMT_R8G8B8);
    EXPECT_EQ(image.rowPitch, 8u);
    EXPECT_TRUE(image.ownsPixels);
    EXPECT_EQ((std::vector<uint8_t>(image.pixels, image.pixels + 6)), (std::vector<uint8_t>{7, 8, 9, 10, 11, 12}));
    EXPECT_EQ((std::vector<uint8_t>(image.pixels + 8, image.pixels + 14)), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(BitmapReader, TopDownEightBitIsUsedInPlaceWithOpaquePalette)
{
    DibFields s;
    s.width = 3;
    s.height = -2;
    s.bits = 8;
    s.colorsUsed = 2;
    s.colors = {0x00102030, 0x00A0B0C0};
    const auto file = BitmapFile(Dib(s, {0, 1, 0, 9, 1, 1, 0, 9}));
    DecodedImage image;
    ASSERT_EQ(Decode(file, &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_P8);
    EXPECT_FALSE(image.ownsPixels);
    EXPECT_EQ(image.pixels, file.data() + file.size() - 8);
    EXPECT_EQ(image.rowPitch, 4u);
    EXPECT_EQ(Row(image, 0), (std::vector<uint8_t>{0, 1, 0}));
    EXPECT_EQ(Row(image, 1), (std::vector<uint8_t>{1, 1, 0}));
    ASSERT_NE(image.palette, nullptr);
    const PaletteEntry& first = image.palette->entries[0];
    EXPECT_EQ((int)first.red, 0x10);
    EXPECT_EQ((int)first.green, 0x20);
    EXPECT_EQ((int)first.blue, 0x30);
    EXPECT_EQ((int)first.flags, 255);
    EXPECT_EQ((int)image.palette->entries[1].blue, 0xC0);
    for (int i = 2; i < 256; ++i) {
        const PaletteEntry& e = image.palette->entries[i];
        ASSERT_TRUE(e.red == 255 && e.green == 255 && e.blue == 255 && e.flags == 255) << i;
    }
}

TEST(BitmapReader, OneAndFourBitRowsAreUnpackedHighBitsFirst)
{
    // 33 pixels of 1 bit take 8 bytes a row; only pixels 0, 8 and 32 are set.
    DibFields one;
    one.width = 33;
    one.bits = 1;
    one.colors = {0, 0xFFFFFF};
    DecodedImage image;
    ASSERT_EQ(Decode(BitmapFile(Dib(one, {0x80, 0x80, 0, 0, 0x80, 0, 0, 0})), &image), S_OK);
    EXPECT_EQ(image.rowPitch, 36u);
    const auto row = Row(image, 0);
    for (int x = 0; x < 33; ++x) EXPECT_EQ(row[x], (x == 0 || x == 8 || x == 32) ? 1 : 0) << x;

    // 9 pixels of 4 bits take 8 bytes a row.
    DibFields four;
    four.width = 9;
    four.height = 2;
    four.bits = 4;
    four.colors.assign(16, 0);
    ASSERT_EQ(Decode(BitmapFile(Dib(four, {0x12, 0x34, 0x56, 0x78, 0x90, 0, 0, 0,  //
                                           0xFE, 0xDC, 0xBA, 0x98, 0x70, 0, 0, 0})),
                     &image),
              S_OK);
    EXPECT_EQ(image.rowPitch, 12u);
    EXPECT_EQ(Row(image, 0), (std::vector<uint8_t>{15, 14, 13, 12, 11, 10, 9, 8, 7}));
    EXPECT_EQ(Row(image, 1), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(BitmapReader, PixelOffsetFieldIsNotUsed)
{
    DibFields s;
    s.bits = 8;
    s.colorsUsed = 1;
    s.colors = {0x00FF0000};
    // Offsets 0 and far past the end both decode the byte right after the colour table.
    for (uint32_t offset : {0u, 54u + 4u + 100u, 0xFFFFFFFFu}) {
        DecodedImage image;
        ASSERT_EQ(Decode(BitmapFile(Dib(s, {0, 0, 0, 0}), offset), &image), S_OK);
        EXPECT_EQ(Pixel8(image, 0, 0), 0);
    }
}

TEST(BitmapReader, BitFieldMasksPickTheFormat)
{
    struct Case {
        uint32_t bits, r, g, b, a;
        D3DFORMAT format;
    };
    const Case cases[] = {
        {16, 0xF800, 0x7E0, 0x1F, 0, D3DFMT_R5G6B5},
        {16, 0x7C00, 0x3E0, 0x1F, 0, D3DFMT_X1R5G5B5},
        {16, 0x7C00, 0x3E0, 0x1F, 0x8000, D3DFMT_A1R5G5B5},
        {16, 0xF00, 0xF0, 0xF, 0xF000, D3DFMT_A4R4G4B4},
        {16, 0xE0, 0x1C, 0x3, 0xFF00, D3DFMT_A8R3G3B2},
        {16, 0xFF, 0xFF, 0xFF, 0xFF00, D3DFMT_A8L8},
        {24, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_R8G8B8},
        {32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_X8R8G8B8},
        {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, D3DFMT_A8R8G8B8},
        {16, 0xF800, 0x7E0, 0x1F, 0x1, D3DFMT_UNKNOWN},
        {24, 0xFF, 0xFF00, 0xFF0000, 0, D3DFMT_UNKNOWN},
        {32, 0xFF000000, 0xFF0000, 0xFF00, 0, D3DFMT_UNKNOWN},
        {8, 0xE0, 0x1C, 0x3, 0, D3DFMT_UNKNOWN},
    };
    for (const Case& c : cases) {
        DibFields s;
        s.headerSize = 108;
        s.compression = 3;
        s.bits = c.bits;
        s.height = -1;
        s.colorsUsed = c.bits <= 8 ? 1 : 0;
        s.masks[0] = c.r;
        s.masks[1] = c.g;
        s.masks[2] = c.b;
        s.masks[3] = c.a;
        DecodedImage image;
        const HRESULT result = Decode(BitmapFile(Dib(s, {0x11, 0x22, 0x33, 0x44})), &image);
        if (c.format == D3DFMT_UNKNOWN) {
            EXPECT_EQ(result, D3DXERR_INVALIDDATA) << c.bits << " " << std::hex << c.r;
        } else {
            ASSERT_EQ(result, S_OK) << c.bits << " " << std::hex << c.r;
            EXPECT_EQ(image.format, c.format);
            EXPECT_EQ(image.pixels[0], 0x11);
        }
    }
    // Bit fields need the long header.
    DibFields s;
    s.compression = 3;
    s.bits = 32;
    DecodedImage image;
    EXPECT_EQ(Decode(BitmapFile(Dib(s, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 1, 2, 3, 4})), &image),
              D3DXERR_INVALIDDATA);
}

TEST(BitmapReader, OtherCompressionsAreNotImplemented)
{
    DibFields s;
    for (uint32_t compression : {4u, 5u, 6u, 0x31545844u}) {
        s.compression = compression;
        const auto dib = Dib(s, {0, 0, 0, 0});
        DecodedImage image;
        EXPECT_EQ(ReadBareBitmap(&image, dib.data(), dib.size()), E_NOTIMPL);
        image.Clear();
        EXPECT_EQ(Decode(BitmapFile(dib), &image), D3DXERR_INVALIDDATA);
    }
}

TEST(BitmapReader, EightBitRunLengthWithDeltasAndLiterals)
{
    DibFields s;
    s.width = 6;
    s.height = 3;
    s.bits = 8;
    s.compression = 1;
    s.colorsUsed = 8;
    s.colors.assign(8, 0);
    const std::vector<uint8_t> rle = {
        3, 7,              // bottom row: 7 7 7
        0, 3, 1, 2, 3, 0,  // literal 1 2 3, padded to 4 bytes
        0, 0,              // end of line
        0, 2, 2, 1,        // delta: 2 right, 1 up (to the top row)
        2, 5,              // 5 5
        0, 1,              // end of bitmap
    };
    DecodedImage image;
    ASSERT_EQ(Decode(BitmapFile(Dib(s, rle)), &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_P8);
    EXPECT_EQ(Row(image, 2), (std::vector<uint8_t>{7, 7, 7, 1, 2, 3}));
    EXPECT_EQ(Row(image, 1), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0}));  // skipped: index 0
    EXPECT_EQ(Row(image, 0), (std::vector<uint8_t>{0, 0, 5, 5, 0, 0}));
}

TEST(BitmapReader, FourBitRunLengthAlternatesNibbles)
{
    DibFields s;
    s.width = 9;
    s.height = 2;
    s.bits = 4;
    s.compression = 2;
    s.colors.assign(16, 0);
    const std::vector<uint8_t> rle = {
        4, 0x12,                 // 1 2 1 2
        0, 5, 0x34, 0x56, 0x70, 0,  // literal 3 4 5 6 7: 2 + 3 data bytes + 1 pad
        0, 0,                    // end of line
        0, 2, 8, 0,              // delta 8 right
        1, 0xAB,                 // A
        0, 1,
    };
    DecodedImage image;
    ASSERT_EQ(Decode(BitmapFile(Dib(s, rle)), &image), S_OK);
    EXPECT_EQ(Row(image, 1), (std::vector<uint8_t>{1, 2, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Row(image, 0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 10}));
}

TEST(BitmapReader, RunLengthThatLeavesThePictureIsRejected)
{
    DibFields s;
    s.width = 4;
    s.height = 2;
    s.bits = 8;
    s.compression = 1;
    const std::vector<std::vector<uint8_t>> bad = {
        {5, 1, 0, 1},                     // run past the row
        {0, 5, 1, 2, 3, 4, 5, 0, 0, 1},   // literal past the row
        {0, 2, 5, 0, 0, 1},               // delta past the right edge
        {0, 2, 0, 3, 0, 1},               // delta past the top
        {0, 0, 0, 0, 1, 1, 0, 1},         // run above the top row
        {4, 1, 0, 0},                     // no end-of-bitmap
        {0, 4, 1, 2},                     // literal cut short
        {0, 2, 1},                        // delta cut short
    };
    for (const auto& rle : bad) {
        const auto dib = Dib(s, rle);
        DecodedImage image;
        EXPECT_EQ(ReadBareBitmap(&image, dib.data(), dib.size()), E_FAIL) << ::testing::PrintToString(rle);
    }
    // Top-down run-length bitmaps are refused.
    s.height = -2;
    DecodedImage image;
    EXPECT_EQ(Decode(BitmapFile(Dib(s, {0, 1})), &image), D3DXERR_INVALIDDATA);
}

TEST(BitmapReader, MalformedHeadersAreRejected)
{
    DibFields good;
    good.width = 2;
    good.height = 2;
    good.bits = 8;
    good.colorsUsed = 1;
    good.colors = {0};
    const std::vector<uint8_t> pixels(8, 0);
    DecodedImage image;
    ASSERT_EQ(Decode(BitmapFile(Dib(good, pixels)), &image), S_OK);

    auto expectRejected = [&](DibFields s, std::vector<uint8_t> data, const char* what) {
        DecodedImage rejected;
        EXPECT_EQ(Decode(BitmapFile(Dib(s, data)), &rejected), D3DXERR_INVALIDDATA) << what;
        EXPECT_EQ(rejected.pixels, nullptr);
        EXPECT_EQ(rejected.palette, nullptr);
    };
    DibFields s = good;
    s.planes = 2;
    expectRejected(s, pixels, "planes");
    s = good;
    s.colorsUsed = 1000;
    expectRejected(s, pixels, "colour table past the data");
    expectRejected(good, std::vector<uint8_t>(7, 0), "short pixel data");
    s = good;
    s.width = 0;
    expectRejected(s, pixels, "zero width");
    s.width = -2;
    expectRejected(s, pixels, "negative width");
    s = good;
    s.height = 0;
    expectRejected(s, pixels, "zero height");
    s = good;
    s.width = (1 << 20) + 1;
    s.height = 1;
    expectRejected(s, std::vector<uint8_t>((1 << 20) * 4 + 8, 0), "wider than the limit");
    s = good;
    s.bits = 12;
    expectRejected(s, pixels, "bit count");
    s = good;
    s.compression = 1;
    s.bits = 4;
    expectRejected(s, {0, 1}, "8-bit run-length with 4-bit pixels");
    s = good;
    s.headerSize = 39;
    expectRejected(s, pixels, "short header");

    // The file header's size field may not exceed the data.
    auto file = BitmapFile(Dib(good, pixels));
    file[2] = (uint8_t)(file.size() + 1);
    EXPECT_EQ(Decode(file, &image), D3DXERR_INVALIDDATA);
}

TEST(BitmapReader, BareBitmapIsTriedLast)
{
    DibFields s;
    s.width = 1;
    s.height = 1;
    s.bits = 32;
    const auto dib = Dib(s, {1, 2, 3, 4});
    DecodedImage image;
    ImageReader reader;
    ASSERT_EQ(Decode(dib, &image, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::BareBitmap);
    EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Pixel32(image, 0, 0), 0x04030201u);
}

}  // namespace
