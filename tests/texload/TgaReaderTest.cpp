// TGA files built byte by byte: every image type, bit depth and stored order.
#include <gtest/gtest.h>

#include "tests/texload/ByteWriter.h"
#include "tests/texload/TexloadTestSupport.h"

namespace {

struct TgaFields {
    uint32_t imageType = 2;
    uint32_t mapType = 0;
    uint32_t firstIndex = 0;
    uint32_t mapLength = 0;
    uint32_t mapBits = 0;
    uint32_t width = 1;
    uint32_t height = 1;
    uint32_t bits = 24;
    uint32_t descriptor = 0x20;  // top row first
    std::string id;
};

std::vector<uint8_t> Tga(const TgaFields& s, const std::vector<uint8_t>& map, const std::vector<uint8_t>& pixels)
{
    ByteWriter w;
    w.U8((uint32_t)s.id.size()).U8(s.mapType).U8(s.imageType).U16(s.firstIndex).U16(s.mapLength).U8(s.mapBits);
    w.U16(0).U16(0).U16(s.width).U16(s.height).U8(s.bits).U8(s.descriptor).Text(s.id);
    w.bytes.insert(w.bytes.end(), map.begin(), map.end());
    w.bytes.insert(w.bytes.end(), pixels.begin(), pixels.end());
    return w.bytes;
}

std::vector<uint8_t> Grey(const DecodedImage& image)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < image.rect.bottom; ++y)
        for (int x = 0; x < image.rect.right; ++x) out.push_back(Pixel8(image, x, y));
    return out;
}

TEST(TgaReader, TrueColourDepthsGiveTheirFormats)
{
    struct Case {
        uint32_t bits;
        D3DFORMAT format;
        std::vector<uint8_t> pixel;
    };
    const Case cases[] = {
        {15, D3DFMT_X1R5G5B5, {0x1F, 0x7C}},
        {16, D3DFMT_A1R5G5B5, {0x1F, 0xFC}},
        {24, D3DFMT_R8G8B8, {1, 2, 3}},
        {32, D3DFMT_A8R8G8B8, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        TgaFields s;
        s.bits = c.bits;
        const auto file = Tga(s, {}, c.pixel);
        DecodedImage image;
        ImageReader reader;
        ASSERT_EQ(Decode(file, &image, &reader), S_OK) << c.bits;
        EXPECT_EQ(reader, ImageReader::Tga);
        EXPECT_EQ(image.format, c.format);
        EXPECT_EQ(image.rowPitch, c.pixel.size());
        // Top-first, left-to-right raw files are used in place.
        EXPECT_FALSE(image.ownsPixels);
        EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + c.pixel.size()), c.pixel);
    }
}

TEST(TgaReader, EveryStoredOrderComesOutTopDownLeftToRight)
{
    // Stored rows "1 2 3" then "4 5 6"; the descriptor says where they belong.
    struct Case {
        uint32_t descriptor;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {0x20, {1, 2, 3, 4, 5, 6}},  // top first, left to right
        {0x00, {4, 5, 6, 1, 2, 3}},  // bottom first
        {0x30, {3, 2, 1, 6, 5, 4}},  // top first, right to left
        {0x10, {6, 5, 4, 3, 2, 1}},  // bottom first, right to left
    };
    for (const Case& c : cases) {
        TgaFields s;
        s.imageType = 3;
        s.bits = 8;
        s.width = 3;
        s.height = 2;
        s.descriptor = c.descriptor;
        DecodedImage image;
        ASSERT_EQ(Decode(Tga(s, {}, {1, 2, 3, 4, 5, 6}), &image), S_OK);
        EXPECT_EQ(image.format, D3DFMT_L8);
        EXPECT_EQ(Grey(image), c.expected) << "raw " << c.descriptor;
        // The same pixels run-length coded: raw packets of 2 (the second crosses into the
        // next stored row), then two runs of 1.
        s.imageType = 11;
        ASSERT_EQ(Decode(Tga(s, {}, {0x01, 1, 2, 0x01, 3, 4, 0x80, 5, 0x80, 6}), &image), S_OK);
        EXPECT_EQ(Grey(image), c.expected) << "run-length " << c.descriptor;
    }
}

TEST(TgaReader, RunLengthPacketsCarryAcrossRows)
{
    TgaFields s;
    s.imageType = 10;
    s.bits = 24;
    s.width = 2;
    s.height = 2;
    s.descriptor = 0;  // bottom first
    // One run of three pixels, then one raw pixel.
    const auto file = Tga(s, {}, {0x82, 10, 20, 30, 0x00, 40, 50, 60});
    DecodedImage image;
    ASSERT_EQ(Decode(file, &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_R8G8B8);
    EXPECT_TRUE(image.ownsPixels);
    const std::vector<uint8_t> top(image.pixels, image.pixels + 6), bottom(image.pixels + 6, image.pixels + 12);
    EXPECT_EQ(top, (std::vector<uint8_t>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(bottom, (std::vector<uint8_t>{10, 20, 30, 10, 20, 30}));
}

TEST(TgaReader, ColourMapsOfEveryEntrySizeFillThePalette)
{
    struct Case {
        uint32_t bits;
        std::vector<uint8_t> map;  // two entries
        PaletteEntry first, second;
    };
    const Case cases[] = {
        {15, {0x00, 0x7C, 0x1F, 0x00}, {255, 0, 0, 255}, {0, 0, 255, 255}},
        {16, {0x00, 0xFC, 0x1F, 0x00}, {255, 0, 0, 255}, {0, 0, 255, 0}},
        {24, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 255}, {6, 5, 4, 255}},
        {32, {1, 2, 3, 4, 5, 6, 7, 8}, {3, 2, 1, 4}, {7, 6, 5, 8}},
    };
    for (const Case& c : cases) {
        TgaFields s;
        s.imageType = 1;
        s.mapType = 1;
        s.firstIndex = 3;
        s.mapLength = 2;
        s.mapBits = c.bits;
        s.bits = 8;
        s.width = 2;
        s.id = "abc";
        DecodedImage image;
        ASSERT_EQ(Decode(Tga(s, c.map, {3, 4}), &image), S_OK) << c.bits;
        EXPECT_EQ(image.format, D3DFMT_P8);
        ASSERT_NE(image.palette, nullptr);
        const PaletteEntry* e = image.palette->entries;
        auto same = [](const PaletteEntry& a, const PaletteEntry& b) {
            return a.red == b.red && a.green == b.green && a.blue == b.blue && a.flags == b.flags;
        };
        EXPECT_TRUE(same(e[3], c.first)) << c.bits;
        EXPECT_TRUE(same(e[4], c.second)) << c.bits;
        EXPECT_TRUE(same(e[0], PaletteEntry{255, 255, 255, 255}));
        EXPECT_TRUE(same(e[5], PaletteEntry{255, 255, 255, 255}));
        EXPECT_EQ(Pixel8(image, 1, 0), 4);
        // Run-length colour-mapped (type 9): one run of two indices.
        s.imageType = 9;
        ASSERT_EQ(Decode(Tga(s, c.map, {0x81, 4}), &image), S_OK) << c.bits;
        EXPECT_EQ(Pixel8(image, 0, 0), 4);
        EXPECT_EQ(Pixel8(image, 1, 0), 4);
        EXPECT_TRUE(same(image.palette->entries[4], c.second)) << c.bits;
    }
    // A true-colour file skips its colour map.
    TgaFields s;
    s.mapType = 1;
    s.mapLength = 2;
    s.mapBits = 24;
    DecodedImage image;
    ASSERT_EQ(Decode(Tga(s, {9, 9, 9, 9, 9, 9}, {1, 2, 3}), &image), S_OK);
    EXPECT_EQ(image.pixels[0], 1);
    EXPECT_EQ(image.palette, nullptr);
}

TEST(TgaReader, MalformedFilesAreRejected)
{
    TgaFields grey;
    grey.imageType = 3;
    grey.bits = 8;
    grey.width = 2;
    grey.height = 2;
    auto rejected = [](const TgaFields& s, const std::vector<uint8_t>& map, const std::vector<uint8_t>& pixels) {
        const auto file = Tga(s, map, pixels);
        DecodedImage image;
        return ReadTga(&image, file.data(), file.size()) == E_FAIL;
    };
    EXPECT_FALSE(rejected(grey, {}, {1, 2, 3, 4}));
    EXPECT_TRUE(rejected(grey, {}, {1, 2, 3}));  // raw data short
    TgaFields s = grey;
    s.descriptor = 0;
    EXPECT_TRUE(rejected(s, {}, {1, 2, 3}));  // raw data short, copied order
    s.imageType = 11;
    EXPECT_TRUE(rejected(s, {}, {0x84, 1}));             // run past the last pixel
    EXPECT_TRUE(rejected(s, {}, {0x02, 1, 2, 3, 0x81}));  // data ends inside a packet
    EXPECT_TRUE(rejected(s, {}, {0x81, 1}));              // data ends before the picture is full
    s = grey;
    s.bits = 16;
    EXPECT_TRUE(rejected(s, {}, std::vector<uint8_t>(8, 0)));  // grey must be 8 bits
    s = grey;
    s.imageType = 4;
    EXPECT_TRUE(rejected(s, {}, {1, 2, 3, 4}));
    s.imageType = 0;
    EXPECT_TRUE(rejected(s, {}, {1, 2, 3, 4}));
    s = grey;
    s.mapType = 2;
    EXPECT_TRUE(rejected(s, {}, {1, 2, 3, 4}));
    s = grey;
    s.width = 0;
    EXPECT_TRUE(rejected(s, {}, {1, 2, 3, 4}));
    s = grey;
    s.imageType = 1;  // colour-mapped without a map
    EXPECT_TRUE(rejected(s, {}, {1, 2, 3, 4}));
    s.mapType = 1;
    s.mapBits = 24;
    s.mapLength = 4;
    EXPECT_TRUE(rejected(s, std::vector<uint8_t>(8, 0), {}));  // map longer than the data
    s.firstIndex = 253;
    EXPECT_TRUE(rejected(s, std::vector<uint8_t>(12, 0), {1, 2, 3, 4}));  // map past entry 255
    s.firstIndex = 0;
    s.mapBits = 8;
    EXPECT_TRUE(rejected(s, std::vector<uint8_t>(4, 0), {1, 2, 3, 4}));  // map entry size
    s = grey;
    s.id = "identification";
    auto file = Tga(s, {}, {});
    file.resize(20);
    DecodedImage image;
    EXPECT_EQ(ReadTga(&image, file.data(), file.size()), E_FAIL);  // id field past the data
}

}  // namespace
