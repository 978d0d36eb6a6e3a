// PPM files, text and binary.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

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

// Reads a P6 file from a heap block of exactly its size, so that a read past the last
// pixel shows under AddressSanitizer, and checks every pixel against pixel(sample bytes).
template <typename Expected>
void ExpectEveryBinaryPixel(const std::string& header, uint32_t width, uint32_t height, Expected pixel)
{
    const size_t size = header.size() + (size_t)width * height * 3;
    std::unique_ptr<uint8_t[]> file(new uint8_t[size]);
    std::memcpy(file.get(), header.data(), header.size());
    uint8_t* samples = file.get() + header.size();
    for (size_t i = 0; i < (size_t)width * height * 3; ++i) samples[i] = (uint8_t)(i * 37 + 11);

    DecodedImage image;
    ASSERT_EQ(ReadPpm(&image, file.get(), size), S_OK) << header;
    ASSERT_EQ(image.rowPitch, width * 4);
    const uint8_t* in = samples;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x, in += 3) {
            ASSERT_EQ(Pixel32(image, x, y), pixel(in)) << header << "pixel " << x << "," << y;
        }
    }
}

TEST(PpmReader, EveryPixelOfABinaryFile)
{
    const auto full = [](const uint8_t* in) { return 0xFF000000u | in[0] << 16 | in[1] << 8 | in[2]; };
    // Every count of pixels left over after the sixteen-pixel steps of the fast conversion,
    // with the samples starting at each offset within a 16-byte block.
    for (uint32_t width = 1; width <= 70; ++width) {
        for (uint32_t pad = 0; pad < 16; ++pad) {
            const std::string header = "P6 " + std::string(pad, ' ') + std::to_string(width) + " 1 255\n";
            ExpectEveryBinaryPixel(header, width, 1, full);
        }
    }
    // Rows whose ends fall inside a step.
    for (uint32_t width : {5u, 37u, 100u}) {
        ExpectEveryBinaryPixel("P6\n" + std::to_string(width) + " 7\n255\n", width, 7, full);
    }

    // Below 255 each sample is scaled, s * 255 / max truncated, and one above the maximum
    // is full; every sample value occurs in these pictures.
    for (uint32_t max : {1u, 100u, 254u}) {
        const auto scaled = [max](const uint8_t* in) {
            uint32_t word = 0xFF000000u;
            for (int c = 0; c < 3; ++c) word |= (in[c] >= max ? 255 : in[c] * 255 / max) << (16 - 8 * c);
            return word;
        };
        ExpectEveryBinaryPixel("P6 129 2 " + std::to_string(max) + "\n", 129, 2, scaled);
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
