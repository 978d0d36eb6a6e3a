// The reader order, results and clean-up of DecodeImage, and the JPEG reader.
#include <gtest/gtest.h>

#include "tests/texload/ByteWriter.h"
#include "tests/texload/JpegEncoder.h"
#include "tests/texload/TexloadTestSupport.h"

namespace {

TEST(DecodeImage, UnrecognisedBytesGiveInvalidDataAndAnEmptyImage)
{
    const std::vector<std::vector<uint8_t>> junk = {
        {},
        {0},
        {'B', 'M'},
        {'D', 'D', 'S', ' ', 1, 2, 3},
        {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13},
        {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'},
        std::vector<uint8_t>(300, 0xAB),
    };
    for (const auto& bytes : junk) {
        DecodedImage image;
        SourceImageInfo info{7, 7, 7, 7, D3DFMT_P8};
        ImageReader reader = ImageReader::Png;
        const uint8_t one = 0;
        EXPECT_EQ(DecodeImage(&image, bytes.empty() ? &one : bytes.data(), (UINT)bytes.size(), &info, &reader),
                  D3DXERR_INVALIDDATA);
        EXPECT_EQ(reader, ImageReader::None);
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.format, D3DFMT_UNKNOWN);
        EXPECT_EQ(info.width, 7u);  // not written on failure
    }
    DecodedImage image;
    EXPECT_EQ(DecodeImage(&image, nullptr, 10, nullptr), D3DXERR_INVALIDDATA);
}

TEST(DecodeImage, AFailedReaderLeavesNothingForTheNext)
{
    // A run-length TGA whose reader allocates, then runs out of data; a picture decoded
    // before is dropped as well.
    DecodedImage image;
    ByteWriter ppm;
    ppm.Text("P3 1 1 255 1 2 3");
    ASSERT_EQ(Decode(ppm.bytes, &image), S_OK);
    ASSERT_TRUE(image.ownsPixels);
    ByteWriter tga;
    tga.U8(0).U8(0).U8(10).Zeros(9).U16(4).U16(4).U8(24).U8(0).Bytes({0x81, 1, 2, 3});
    EXPECT_EQ(Decode(tga.bytes, &image), D3DXERR_INVALIDDATA);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_FALSE(image.ownsPixels);
    EXPECT_EQ(image.rect.right, 0);
}

TEST(DecodeImage, InfoDescribesTheFirstPicture)
{
    ByteWriter ppm;
    ppm.Text("P6 3 2 255\n").Zeros(18);
    DecodedImage image;
    SourceImageInfo info;
    ImageReader reader;
    ASSERT_EQ(DecodeImage(&image, ppm.bytes.data(), (UINT)ppm.bytes.size(), &info, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::Ppm);
    EXPECT_EQ(info.width, 3u);
    EXPECT_EQ(info.height, 2u);
    EXPECT_EQ(info.depth, 1u);
    EXPECT_EQ(info.mipLevels, 1u);
    EXPECT_EQ(info.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(image.rect.left, 0);
    EXPECT_EQ(image.rect.top, 0);
}

TEST(JpegReader, ColourGivesX8R8G8B8AndGreyGivesL8)
{
    const int w = 16, h = 8;
    std::vector<uint8_t> rgb, grey;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool left = x < 8;
            rgb.insert(rgb.end(), {(uint8_t)(left ? 200 : 20), 100, (uint8_t)(left ? 30 : 220)});
            grey.push_back(left ? 40 : 210);
        }
    }
    DecodedImage image;
    ImageReader reader;
    ASSERT_EQ(Decode(EncodeJpeg(rgb, w, h, 3), &image, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::Jpeg);
    EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(image.rowPitch, (UINT)w * 4);
    const uint32_t left = Pixel32(image, 2, 3), right = Pixel32(image, 13, 3);
    EXPECT_NEAR((int)(left >> 16 & 0xFF), 200, 6);
    EXPECT_NEAR((int)(left >> 8 & 0xFF), 100, 6);
    EXPECT_NEAR((int)(left & 0xFF), 30, 6);
    EXPECT_NEAR((int)(right >> 16 & 0xFF), 20, 6);
    EXPECT_NEAR((int)(right & 0xFF), 220, 6);

    ASSERT_EQ(Decode(EncodeJpeg(grey, w, h, 1), &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_L8);
    EXPECT_EQ(image.rowPitch, (UINT)w);
    EXPECT_NEAR(Pixel8(image, 1, 1), 40, 4);
    EXPECT_NEAR(Pixel8(image, 14, 6), 210, 4);
}

TEST(JpegReader, StreamCutShortIsRejected)
{
    std::vector<uint8_t> rgb(64 * 64 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = (uint8_t)(i * 7);
    const auto whole = EncodeJpeg(rgb, 64, 64, 3);
    DecodedImage image;
    ASSERT_EQ(ReadJpeg(&image, whole.data(), whole.size()), S_OK);
    for (size_t keep : {whole.size() - 2, whole.size() / 2, (size_t)200, (size_t)3}) {
        image.Clear();
        EXPECT_EQ(ReadJpeg(&image, whole.data(), keep), E_FAIL) << keep;
    }
}

}  // namespace
