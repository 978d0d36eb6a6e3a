// orvik-image convert, mips and decode of DXT, as a person uses them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/PngWriter.h"
#include "tests/support/TestSupport.h"

namespace {

ChildRun Image(const TempDir& dir, const std::vector<std::string>& args) {
    return RunTool("tools/orvik-image/orvik-image", dir.Path(), args);
}

// A width x height RGBA PNG of a smooth pattern.
void WritePicture(const std::string& path, int width, int height) {
    std::vector<unsigned char> rgba(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgba[(size_t(y) * width + x) * 4];
            p[0] = (unsigned char)(x * 255 / width);
            p[1] = (unsigned char)(y * 255 / height);
            p[2] = (unsigned char)((x + y) * 127 / (width + height));
            p[3] = 255;
        }
    }
    ASSERT_TRUE(WriteRgbaPng(path.c_str(), rgba.data(), width, height, width * 4));
}

uint32_t Word(const std::string& bytes, size_t offset) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

TEST(OrvikImageTextures, ConvertWritesDdsWithItsMipChain) {
    TempDir dir;
    WritePicture(dir.File("in.png"), 64, 32);
    ChildRun run = Image(dir, {"convert", "in.png", "out.dds", "--format", "DXT1", "--mips"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string dds;
    ASSERT_TRUE(ReadFile(dir.File("out.dds"), &dds));
    EXPECT_EQ(dds.substr(0, 4), "DDS ");
    EXPECT_EQ(Word(dds, 12), 32u);
    EXPECT_EQ(Word(dds, 16), 64u);
    EXPECT_EQ(Word(dds, 28), 7u);
    EXPECT_EQ(dds.substr(84, 4), "DXT1");
    // Levels 64x32 down to 1x1: 16x8, 8x4, 4x2, 2x1, then three single blocks of 8 bytes.
    EXPECT_EQ(dds.size(), size_t(128 + (128 + 32 + 8 + 2 + 1 + 1 + 1) * 8));
    ChildRun info = Image(dir, {"info", "out.dds"});
    EXPECT_NE(info.output.find("DXT1 64x32, 7 mip levels"), std::string::npos) << info.output;
    ChildRun decode = Image(dir, {"decode", "out.dds", "back.png"});
    EXPECT_EQ(decode.exitCode, 0) << decode.output;
    EXPECT_TRUE(FileExists(dir.File("back.png")));
}

TEST(OrvikImageTextures, ConvertResizesPlainFormatsThatReadBackAsWritten) {
    TempDir dir;
    WritePicture(dir.File("in.png"), 40, 20);
    ChildRun run = Image(dir, {"convert", "in.png", "out.dds", "--format", "a8r8g8b8", "--size", "20x10", "--filter",
                               "box+dither"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string dds;
    ASSERT_TRUE(ReadFile(dir.File("out.dds"), &dds));
    EXPECT_EQ(dds.size(), size_t(128 + 20 * 10 * 4));
    EXPECT_EQ(Word(dds, 80), 0x41u);  // RGB with alpha, as the DDS reader expects
    EXPECT_EQ(Word(dds, 104), 0xFF000000u);
    ChildRun info = Image(dir, {"info", "out.dds"});
    EXPECT_NE(info.output.find("A8R8G8B8 20x10, 1 mip level"), std::string::npos) << info.output;
    // Converting the DDS again to its own format and size copies its pixels.
    ASSERT_EQ(Image(dir, {"convert", "out.dds", "again.dds", "--format", "A8R8G8B8"}).exitCode, 0);
    std::string again;
    ASSERT_TRUE(ReadFile(dir.File("again.dds"), &again));
    EXPECT_EQ(again.substr(128), dds.substr(128));
}

TEST(OrvikImageTextures, ConvertRefusesBadOptions) {
    TempDir dir;
    WritePicture(dir.File("in.png"), 8, 8);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds", "--format", "RGB9"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds", "--format", "DXT1", "--size", "0x4"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds", "--format", "DXT1", "--size", "4x4x"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds", "--format", "DXT1", "--filter", "cubic"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds", "--format", "DXT1", "--mip"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"convert", "in.png", "o.dds", "--format", "P8"}).exitCode, 4);
    EXPECT_EQ(Image(dir, {"convert", "missing.png", "o.dds", "--format", "DXT1"}).exitCode, 3);
    EXPECT_FALSE(FileExists(dir.File("o.dds")));
}

TEST(OrvikImageTextures, MipsWritesEveryLevelAsPng) {
    TempDir dir;
    WritePicture(dir.File("in.png"), 16, 8);
    ChildRun run = Image(dir, {"mips", "in.png", "levels"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* name : {"level0-16x8.png", "level1-8x4.png", "level2-4x2.png", "level3-2x1.png",
                             "level4-1x1.png"}) {
        EXPECT_TRUE(FileExists(dir.File(std::string("levels/") + name))) << name;
    }
    EXPECT_FALSE(FileExists(dir.File("levels/level5-1x1.png")));
    // Sides that are not powers of two give one level.
    WritePicture(dir.File("odd.png"), 12, 8);
    ASSERT_EQ(Image(dir, {"mips", "odd.png", "odd"}).exitCode, 0);
    EXPECT_EQ(ListDir(dir.File("odd")).size(), 1u);
}

}  // namespace
