// A progressive JPEG stream may repeat a scan any number of times, each one a
// pass over the whole picture: the reader gives up beyond 100 scans.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "texload/DecodeImage.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A grey picture written as a progressive stream (six scans).
Bytes ProgressiveGrey(int size) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &out, &length);
    info.image_width = static_cast<JDIMENSION>(size);
    info.image_height = static_cast<JDIMENSION>(size);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) row[static_cast<size_t>(x)] = static_cast<uint8_t>((x * 7 + y * 13) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + length);
    std::free(out);
    return bytes;
}

// The stream with its last scan (marker, header and entropy-coded data) repeated
// copies more times before the end of image.
Bytes RepeatLastScan(const Bytes& stream, int copies) {
    size_t lastScan = 0;
    for (size_t i = 0; i + 1 < stream.size(); ++i)
        if (stream[i] == 0xFF && stream[i + 1] == 0xDA) lastScan = i;
    size_t end = stream.size() - 2;  // the end-of-image marker
    Bytes out(stream.begin(), stream.begin() + static_cast<long>(end));
    for (int c = 0; c < copies; ++c)
        out.insert(out.end(), stream.begin() + static_cast<long>(lastScan), stream.begin() + static_cast<long>(end));
    out.push_back(0xFF);
    out.push_back(0xD9);
    return out;
}

TEST(JpegScanLimitTest, StreamsOfMoreThanAHundredScansAreRefused) {
    Bytes plain = ProgressiveGrey(32);
    ASSERT_EQ(plain[plain.size() - 2], 0xFF);
    ASSERT_EQ(plain[plain.size() - 1], 0xD9);
    DecodedImage image;
    ImageReader reader = ImageReader::None;
    ASSERT_EQ(DecodeImage(&image, plain.data(), static_cast<UINT>(plain.size()), nullptr, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::Jpeg);
    EXPECT_EQ(image.format, D3DFMT_L8);

    // 6 + 94 = 100 scans still decode; 101 do not, and no other reader takes the stream.
    Bytes hundred = RepeatLastScan(plain, 94);
    EXPECT_EQ(DecodeImage(&image, hundred.data(), static_cast<UINT>(hundred.size()), nullptr, &reader), S_OK);
    EXPECT_EQ(reader, ImageReader::Jpeg);
    Bytes tooMany = RepeatLastScan(plain, 95);
    EXPECT_EQ(DecodeImage(&image, tooMany.data(), static_cast<UINT>(tooMany.size()), nullptr, &reader),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(image.pixels, nullptr);
    Bytes thousands = RepeatLastScan(plain, 3000);
    EXPECT_EQ(DecodeImage(&image, thousands.data(), static_cast<UINT>(thousands.size()), nullptr, &reader),
              D3DXERR_INVALIDDATA);
}

}  // namespace
