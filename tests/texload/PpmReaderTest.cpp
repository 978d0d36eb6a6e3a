// PPM files, text and binary.
#include <gtest/gtest.h>

#include "tests/texload/ByteWriter.h"
#include "tests/texload/TexloadTestSupport.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

HRESULT ReadPpmText(const std::string& text, DecodedImage* image)
{
    const auto bytes = Bytes(text);
    return ReadPpm(image, bytes.data(), bytes.size());
}

TEST(PpmReader, TextSamplesWithCommentsAndAnOddMaximum)
{
    const std::string file =
        "P3\n# made by hand\n2 # width\n\t2\r\n1000\n"
        "1000 0 500  0 1000 0\n"
        "# a comment between pixels\n"
        "0 0 1000\v999\f1 4000";  // last sample ends the data; 4000 is above the maximum
    DecodedImage image;
    ImageReader reader;
    ASSERT_EQ(Decode(Bytes(file), &image, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::Ppm);
    EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(image.rowPitch, 8u);
    EXPECT_EQ(Pixel32(image, 0, 0), 0xFFFF007Fu);  // 500 * 255 / 1000 = 127
    EXPECT_EQ(Pixel32(image, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(Pixel32(image, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(Pixel32(image, 1, 1), 0xFFFE00FFu);  // 999 -> 254, 1 -> 0, above maximum -> 255
}

TEST(PpmReader, BinarySamplesAreScaledToTheMaximum)
{
    ByteWriter w;
    w.Text("P6\n# binary\n2 1\n100\n").Bytes({100, 50, 0, 1, 2, 3});
    DecodedImage image;
    ASSERT_EQ(Decode(w.bytes, &image), S_OK);
    EXPECT_EQ(Pixel32(image, 0, 0), 0xFFFF7F00u);
    EXPECT_EQ(Pixel32(image, 1, 0), 0xFF020507u);

    // A carriage return and line feed after the maximum are both skipped.
    ByteWriter crlf;
    crlf.Text("P6 1 1 255\r\n").Bytes({10, 20, 30});
    ASSERT_EQ(Decode(crlf.bytes, &image), S_OK);
    EXPECT_EQ(Pixel32(image, 0, 0), 0xFF0A141Eu);
}

TEST(PpmReader, EveryPixelOfAFullRangeBinaryFile)
{
    // Widths around the four- and eight-pixel steps of the fast conversion.
    for (uint32_t width : {1u, 5u, 6u, 9u, 10u, 11u, 37u}) {
        ByteWriter w;
        w.Text("P6 " + std::to_string(width) + " 3 255\n");
        for (uint32_t i = 0; i < width * 3 * 3; ++i) w.U8(i * 37 + 11);
        DecodedImage image;
        ASSERT_EQ(Decode(w.bytes, &image), S_OK) << width;
        const uint8_t* in = w.bytes.data() + w.bytes.size() - width * 9;
        for (uint32_t y = 0; y < 3; ++y) {
            for (uint32_t x = 0; x < width; ++x, in += 3) {
                const uint32_t want = 0xFF000000u | in[0] << 16 | in[1] << 8 | in[2];
                ASSERT_EQ(Pixel32(image, x, y), want) << width << " " << x << "," << y;
            }
        }
    }
}

TEST(PpmReader, MaximumAbove255IsOnlyForText)
{
    DecodedImage image;
    EXPECT_EQ(ReadPpmText("P6 1 1 256\n\x01\x02\x03\x04\x05\x06", &image), E_FAIL);
    image.Clear();
    EXPECT_EQ(ReadPpmText("P3 1 1 65535\n65535 0 32768\n", &image), S_OK);
    EXPECT_EQ(Pixel32(image, 0, 0), 0xFFFF007Fu);
}

TEST(PpmReader, MalformedFilesAreRejected)
{
    const char* bad[] = {
        "P3",                         // nothing after the magic
        "P5 1 1 255\n\x01",           // grey PPM is not read
        "P3 0 1 255\n1 2 3\n",        // zero width
        "P3 1 0 255\n",               // zero height
        "P3 1 1 0\n1 2 3\n",          // zero maximum
        "P3 1 1 255\n1 2\n",          // last pixel incomplete
        "P3 1 1 255\n1 2 x\n",        // stray character
        "P3 1 1 255\n1 2 3x",         // digits not ended by white space
        "P3 2 1 255\n1 2 3 # 4 5 6",  // comment to the end
        "P3 99999999999 1 255\n",     // number overflows
        "P3 1048577 1 255\n",         // wider than the limit
        "P6 2 1 255\n\x01\x02\x03\x04\x05",  // binary data short
        "P6 1 1 255",                 // no separator, no data
    };
    for (const char* text : bad) {
        DecodedImage image;
        EXPECT_EQ(ReadPpmText(text, &image), E_FAIL) << text;
        image.Clear();
        EXPECT_EQ(Decode(Bytes(text), &image), D3DXERR_INVALIDDATA) << text;
        EXPECT_EQ(image.pixels, nullptr);
    }
}

}  // namespace
