// orvik-image as a texture maker uses it: info, decode to PNG, and its refusals.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "texload/DecodeImage.h"

namespace {

ChildRun Image(const TempDir& dir, const std::vector<std::string>& args) {
    return RunTool("tools/orvik-image/orvik-image", dir.Path(), args, 30);
}

std::string Data(const std::string& name)
{
    return std::string(ORVIK_TEST_DATA_DIR) + "/" + name;
}

TEST(OrvikImageTest, InfoNamesReaderFormatSizeLevelsAndFaces)
{
    TempDir dir;
    ChildRun png = Image(dir, {"info", Data("pngsuite/png/basn3p04.png")});
    EXPECT_EQ(png.exitCode, 0);
    EXPECT_NE(png.output.find("png P8 32x32, 1 mip level, 1 face"), std::string::npos) << png.output;
    ChildRun dds = Image(dir, {"info", Data("fuzz-seeds/dds-dxt1.dds")});
    EXPECT_EQ(dds.exitCode, 0);
    EXPECT_NE(dds.output.find("dds DXT1 8x8, 4 mip levels, 1 face"), std::string::npos) << dds.output;
    ChildRun bmp = Image(dir, {"info", Data("bmpsuite/g/rgb24.bmp")});
    EXPECT_NE(bmp.output.find("bitmap R8G8B8 127x64"), std::string::npos) << bmp.output;
}

TEST(OrvikImageTest, DecodeWritesWhatTheDecoderSees)
{
    TempDir dir;
    ChildRun run = Image(dir, {"decode", Data("bmpsuite/g/pal8.bmp"), "out.png"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string written;
    ASSERT_TRUE(ReadFile(dir.File("out.png"), &written));
    DecodedImage image;
    ASSERT_EQ(DecodeImage(&image, written.data(), (UINT)written.size(), nullptr), S_OK);
    EXPECT_EQ(image.format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(image.rect.right, 127);
    EXPECT_EQ(image.rect.bottom, 64);
    // The picture's top-left pixel comes from the last stored row, through the palette.
    const uint8_t* first = image.pixels;
    EXPECT_EQ(first[3], 255);
}

TEST(OrvikImageTest, DxtPicturesGoThroughTheBlockCodec)
{
    TempDir dir;
    ChildRun run = Image(dir, {"decode", Data("fuzz-seeds/dds-dxt1.dds"), "dxt.png"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string written;
    ASSERT_TRUE(ReadFile(dir.File("dxt.png"), &written));
    DecodedImage image;
    ASSERT_EQ(DecodeImage(&image, written.data(), (UINT)written.size(), nullptr), S_OK);
    EXPECT_EQ(image.rect.right, 8);
    // The seed is a red-to-blue gradient from top to bottom.
    const uint8_t* top = image.pixels;
    const uint8_t* bottom = image.pixels + 7 * image.rowPitch;
    EXPECT_GT(top[2], 200);     // red (stored blue, green, red, alpha)
    EXPECT_GT(bottom[0], 200);  // blue
}

TEST(OrvikImageTest, ErrorsGiveAReasonAndAnExitCode)
{
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.File("junk.bin"), "not an image at all"));
    ChildRun junk = Image(dir, {"info", "junk.bin"});
    EXPECT_EQ(junk.exitCode, 1);
    EXPECT_NE(junk.output.find("no reader accepts"), std::string::npos) << junk.output;

    ChildRun missing = Image(dir, {"info", "missing.png"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_NE(missing.output.find("cannot read missing.png"), std::string::npos) << missing.output;

    ChildRun unwritable = Image(dir, {"decode", Data("bmpsuite/g/pal8.bmp"), "no/such/dir/out.png"});
    EXPECT_EQ(unwritable.exitCode, 3);
    EXPECT_NE(unwritable.output.find("cannot write"), std::string::npos) << unwritable.output;

    EXPECT_EQ(Image(dir, {"decode", "junk.bin"}).exitCode, 2);
    EXPECT_EQ(Image(dir, {"resize", "junk.bin"}).exitCode, 2);
    ChildRun help = Image(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("usage: orvik-image info FILE"), std::string::npos);
}

}  // namespace
