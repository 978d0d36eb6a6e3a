// DDS files: every format, mip chains and cube maps.
#include <gtest/gtest.h>

#include "tests/texload/ByteWriter.h"
#include "tests/texload/TexloadTestSupport.h"

namespace {

struct DdsFields {
    uint32_t width = 8;
    uint32_t height = 8;
    uint32_t levels = 1;
    uint32_t flags = 0x40;
    uint32_t fourCc = 0;
    uint32_t bits = 32;
    uint32_t greenMask = 0;
    uint32_t alphaMask = 0;
    uint32_t caps2 = 0;
};

// A header followed by dataSize bytes counting up from 0.
std::vector<uint8_t> Dds(const DdsFields& s, size_t dataSize)
{
    ByteWriter w;
    w.Text("DDS ").U32(124).U32(0x1007).U32(s.height).U32(s.width).U32(0).U32(0).U32(s.levels);
    w.Zeros(44);
    w.U32(32).U32(s.flags).U32(s.fourCc).U32(s.bits).U32(0).U32(s.greenMask).U32(0).U32(s.alphaMask);
    w.U32(0x1000).U32(s.caps2).Zeros(12);
    for (size_t i = 0; i < dataSize; ++i) w.U8((uint32_t)i);
    return w.bytes;
}

struct FormatCase {
    const char* name;
    DdsFields fields;
    D3DFORMAT format;
    uint32_t pitch8;   // pitch of an 8-wide level
    uint32_t size8;    // bytes of an 8 x 8 level
    uint32_t sizes[4]; // bytes of the 8, 4, 2 and 1 levels
};

DdsFields Fields(uint32_t flags, uint32_t bits, uint32_t green, uint32_t alpha, uint32_t fourCc = 0)
{
    DdsFields s;
    s.flags = flags;
    s.bits = bits;
    s.greenMask = green;
    s.alphaMask = alpha;
    s.fourCc = fourCc;
    return s;
}

TEST(DdsReader, EveryFormatWithAMipChain)
{
    const FormatCase cases[] = {
        {"A8R8G8B8", Fields(0x41, 32, 0xFF00, 0xFF000000), D3DFMT_A8R8G8B8, 32, 256, {256, 64, 16, 4}},
        {"X8R8G8B8", Fields(0x40, 32, 0xFF00, 0), D3DFMT_X8R8G8B8, 32, 256, {256, 64, 16, 4}},
        {"R5G6B5", Fields(0x40, 16, 0x7E0, 0), D3DFMT_R5G6B5, 16, 128, {128, 32, 8, 2}},
        {"X1R5G5B5", Fields(0x40, 16, 0x3E0, 0), D3DFMT_X1R5G5B5, 16, 128, {128, 32, 8, 2}},
        {"A1R5G5B5", Fields(0x41, 16, 0x3E0, 0x8000), D3DFMT_A1R5G5B5, 16, 128, {128, 32, 8, 2}},
        {"A4R4G4B4", Fields(0x41, 16, 0xF0, 0xF000), D3DFMT_A4R4G4B4, 16, 128, {128, 32, 8, 2}},
        {"DXT1", Fields(0x4, 0, 0, 0, D3DFMT_DXT1), D3DFMT_DXT1, 16, 32, {32, 8, 8, 8}},
        {"DXT2", Fields(0x4, 0, 0, 0, D3DFMT_DXT2), D3DFMT_DXT2, 32, 64, {64, 16, 16, 16}},
        {"DXT3", Fields(0x4, 0, 0, 0, D3DFMT_DXT3), D3DFMT_DXT3, 32, 64, {64, 16, 16, 16}},
        {"DXT4", Fields(0x4, 0, 0, 0, D3DFMT_DXT4), D3DFMT_DXT4, 32, 64, {64, 16, 16, 16}},
        {"DXT5", Fields(0x41, 32, 0, 0, D3DFMT_DXT5), D3DFMT_DXT5, 32, 64, {64, 16, 16, 16}},
    };
    for (const FormatCase& c : cases) {
        DdsFields s = c.fields;
        s.levels = 4;
        const size_t total = c.sizes[0] + c.sizes[1] + c.sizes[2] + c.sizes[3];
        const auto file = Dds(s, total);
        DecodedImage image;
        SourceImageInfo info;
        ImageReader reader;
        ASSERT_EQ(DecodeImage(&image, file.data(), (UINT)file.size(), &info, &reader), S_OK) << c.name;
        EXPECT_EQ(reader, ImageReader::Dds);
        EXPECT_EQ(info.format, c.format) << c.name;
        EXPECT_EQ(info.mipLevels, 4u);
        EXPECT_EQ(info.width, 8u);
        EXPECT_EQ(info.depth, 1u);
        EXPECT_EQ(image.rowPitch, c.pitch8) << c.name;
        EXPECT_EQ(image.nextFace, nullptr);
        const uint8_t* expected = file.data() + 128;
        uint32_t size = 8;
        int level = 0;
        for (const DecodedImage* l = &image; l; l = l->nextLevel, ++level) {
            EXPECT_EQ(l->pixels, expected) << c.name << " level " << level;
            EXPECT_FALSE(l->ownsPixels);
            EXPECT_EQ(l->rect.right, (LONG)size);
            EXPECT_EQ(l->rect.bottom, (LONG)size);
            expected += c.sizes[level];
            size /= 2;
        }
        EXPECT_EQ(level, 4);
        // One byte short of the last level.
        const auto cut = Dds(s, total - 1);
        image.Clear();
        EXPECT_EQ(ReadDds(&image, cut.data(), cut.size()), E_FAIL) << c.name;
        image.Clear();
    }
}

TEST(DdsReader, FlagsAreComparedWhole)
{
    const auto withFlags = Dds(Fields(0x41 | 0x200, 32, 0xFF00, 0xFF000000), 256);
    DecodedImage image;
    EXPECT_EQ(ReadDds(&image, withFlags.data(), withFlags.size()), E_FAIL);
    image.Clear();
    const auto unknown = Dds(Fields(0x40, 24, 0xFF00, 0), 192);
    EXPECT_EQ(ReadDds(&image, unknown.data(), unknown.size()), E_FAIL);
}

TEST(DdsReader, CubeMapHasSixFacesWithTheirOwnChains)
{
    DdsFields s = Fields(0x40, 32, 0xFF00, 0);
    s.width = 4;
    s.height = 4;
    s.levels = 3;
    s.caps2 = 0x200 | 0xFC00;
    const size_t faceSize = 64 + 16 + 4;
    const auto file = Dds(s, faceSize * 6);
    DecodedImage image;
    SourceImageInfo info;
    ASSERT_EQ(DecodeImage(&image, file.data(), (UINT)file.size(), &info), S_OK);
    EXPECT_EQ(info.mipLevels, 3u);
    int faces = 0;
    for (const DecodedImage* face = &image; face; face = face->nextFace, ++faces) {
        EXPECT_EQ(face->pixels, file.data() + 128 + faces * faceSize);
        ASSERT_NE(face->nextLevel, nullptr);
        ASSERT_NE(face->nextLevel->nextLevel, nullptr);
        EXPECT_EQ(face->nextLevel->nextLevel->nextLevel, nullptr);
        EXPECT_EQ(face->nextLevel->nextLevel->pixels, face->pixels + 80);
        EXPECT_EQ(face->nextLevel->nextFace, nullptr);
    }
    EXPECT_EQ(faces, 6);
    // Only some face bits: rejected.
    s.caps2 = 0x200 | 0x0C00;
    const auto partial = Dds(s, faceSize * 6);
    image.Clear();
    EXPECT_EQ(ReadDds(&image, partial.data(), partial.size()), E_FAIL);
}

TEST(DdsReader, LevelsHalveButNeverBelowOne)
{
    DdsFields s = Fields(0x40, 16, 0x7E0, 0);
    s.width = 4;
    s.height = 1;
    s.levels = 4;
    const auto file = Dds(s, 8 + 4 + 2 + 2);
    DecodedImage image;
    ASSERT_EQ(Decode(file, &image), S_OK);
    const DecodedImage* last = image.nextLevel->nextLevel->nextLevel;
    EXPECT_EQ(last->rect.right, 1);
    EXPECT_EQ(last->rect.bottom, 1);
    EXPECT_EQ(last->pixels, file.data() + 128 + 14);

    // A mip-map count of 0 counts as 1.
    s.levels = 0;
    const auto single = Dds(s, 8);
    SourceImageInfo info;
    ASSERT_EQ(DecodeImage(&image, single.data(), (UINT)single.size(), &info), S_OK);
    EXPECT_EQ(info.mipLevels, 1u);
}

TEST(DdsReader, MalformedHeadersAreRejected)
{
    DecodedImage image;
    auto rejected = [&](std::vector<uint8_t> file) {
        image.Clear();
        return ReadDds(&image, file.data(), file.size()) == E_FAIL;
    };
    DdsFields s = Fields(0x40, 32, 0, 0);
    auto file = Dds(s, 256);
    EXPECT_FALSE(rejected(file));
    file.resize(127);
    EXPECT_TRUE(rejected(file));  // header cut short
    s.width = 0;
    EXPECT_TRUE(rejected(Dds(s, 256)));
    s.width = 1 << 20;
    EXPECT_TRUE(rejected(Dds(s, 256)));
    s.width = 1;
    s.levels = 1000000;  // a chain no picture has
    EXPECT_TRUE(rejected(Dds(s, 4096)));
}

}  // namespace
