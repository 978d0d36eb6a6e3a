// The pixel transfer's byte paths: same-size conversions between 8-bit
// channel formats must give exactly what the float path (read a row, write
// it back, dithered or not) gives, for every byte value in every channel; a
// box halving of whole-byte channels rounds each byte's average.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "texload/ByteChannelCopy.h"
#include "texload/PixelAccessor.h"
#include "texload/PixelTransfer.h"
#include "texload/FilterWord.h"

namespace {

constexpr UINT SIDE = 64;  // 4096 pixels: every byte value, in every dither position

UINT BytesOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_P8: return 1;
        case D3DFMT_R8G8B8: return 3;
        case D3DFMT_R5G6B5: case D3DFMT_L8: return format == D3DFMT_L8 ? 1 : 2;
        default: return 4;
    }
}

PixelView View(std::vector<BYTE>& bytes, D3DFORMAT format, const PALETTEENTRY* palette) {
    PixelView view;
    view.bits = bytes.data();
    view.pitch = INT(SIDE * BytesOf(format));
    view.format = format;
    view.width = view.height = view.imageWidth = view.imageHeight = SIDE;
    view.palette = palette;
    return view;
}

TEST(ByteChannelCopyTest, GivesTheFloatPathsBytesForEveryPairAndDither) {
    std::mt19937 random(11);
    PALETTEENTRY palette[256];
    for (PALETTEENTRY& e : palette)
        e = PALETTEENTRY{BYTE(random()), BYTE(random()), BYTE(random()), BYTE(random())};
    const D3DFORMAT sources[] = {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
                                 D3DFMT_P8};
    const D3DFORMAT dests[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8};
    for (D3DFORMAT sourceFormat : sources) {
        std::vector<BYTE> in(SIDE * SIDE * BytesOf(sourceFormat));
        // Counting bytes first (each value in each channel), then noise.
        for (size_t i = 0; i < in.size(); ++i) in[i] = BYTE(i < 256 * 4 ? i / 4 + i % 4 * 64 : random());
        for (int withPalette = 0; withPalette < 2; ++withPalette) {
            if (withPalette && sourceFormat != D3DFMT_P8) continue;
            PixelView source = View(in, sourceFormat, withPalette ? palette : nullptr);
            for (D3DFORMAT destFormat : dests) {
                for (bool dither : {false, true}) {
                    std::vector<BYTE> expected(SIDE * SIDE * BytesOf(destFormat), 0x5A), got = expected;
                    PixelView expectedView = View(expected, destFormat, nullptr);
                    PixelAccessor reader, writer;
                    ASSERT_TRUE(reader.Init(source));
                    ASSERT_TRUE(writer.Init(expectedView));
                    std::vector<float> row(SIDE * 4);
                    for (UINT y = 0; y < SIDE; ++y) {
                        reader.ReadRow(y, row.data());
                        writer.WriteRow(y, row.data(), dither);
                    }
                    ASSERT_TRUE(CopyByteChannels(View(got, destFormat, nullptr), source));
                    EXPECT_EQ(expected, got) << sourceFormat << " to " << destFormat << " dither " << dither;
                    // And through the transfer, as texture loading reaches it (equal
                    // formats are copied byte for byte before either path).
                    if (sourceFormat == destFormat) continue;
                    std::vector<BYTE> transferred(expected.size(), 0x5A);
                    ASSERT_EQ(TransferPixels(View(transferred, destFormat, nullptr), source,
                                             FILTER_TRIANGLE | (dither ? FILTER_DITHER : 0), 0),
                              S_OK);
                    EXPECT_EQ(expected, transferred);
                }
            }
        }
    }
}

TEST(ByteChannelCopyTest, LeavesOtherFormatsToTheFloatPath) {
    std::vector<BYTE> a(SIDE * SIDE * 4), b(SIDE * SIDE * 4);
    EXPECT_FALSE(CopyByteChannels(View(a, D3DFMT_R5G6B5, nullptr), View(b, D3DFMT_X8R8G8B8, nullptr)));
    EXPECT_FALSE(CopyByteChannels(View(a, D3DFMT_X8R8G8B8, nullptr), View(b, D3DFMT_L8, nullptr)));
    EXPECT_FALSE(CopyByteChannels(View(a, D3DFMT_L8, nullptr), View(b, D3DFMT_X8R8G8B8, nullptr)));
    EXPECT_FALSE(CopyByteChannels(View(a, D3DFMT_P8, nullptr), View(b, D3DFMT_X8R8G8B8, nullptr)));
    PixelView half = View(a, D3DFMT_X8R8G8B8, nullptr);
    half.width = SIDE / 2;
    EXPECT_FALSE(CopyByteChannels(half, View(b, D3DFMT_X8R8G8B8, nullptr)));
}

// Every width from 1 to 19 output pixels (the wide path's steps of four and
// each remainder), every format with whole-byte channels; the unused byte of
// X8R8G8B8 comes out zero.
TEST(BoxBytesTest, HalvingWholeByteChannelsRoundsEachBytesAverage) {
    std::mt19937 random(12);
    for (D3DFORMAT format : {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_R8G8B8, D3DFMT_A8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
        UINT bytes = format == D3DFMT_A8L8 ? 2
                     : format == D3DFMT_R8G8B8 ? 3
                     : format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4
                                                                              : 1;
        for (UINT width = 1; width < 20; ++width) {
            const UINT inWidth = 2 * width, inHeight = 6;
            std::vector<BYTE> in(inWidth * inHeight * bytes);
            for (BYTE& b : in) b = BYTE(random());
            std::vector<BYTE> out(width * inHeight / 2 * bytes, 0x5A);
            PixelView source;
            source.bits = in.data();
            source.pitch = INT(inWidth * bytes);
            source.format = format;
            source.width = source.imageWidth = inWidth;
            source.height = source.imageHeight = inHeight;
            PixelView dest = source;
            dest.bits = out.data();
            dest.pitch = INT(width * bytes);
            dest.width = dest.imageWidth = width;
            dest.height = dest.imageHeight = inHeight / 2;
            ASSERT_EQ(TransferPixels(dest, source, FILTER_BOX, 0), S_OK);
            for (UINT y = 0; y < inHeight / 2; ++y)
                for (UINT x = 0; x < width; ++x)
                    for (UINT i = 0; i < bytes; ++i) {
                        auto at = [&](UINT sx, UINT sy) { return int(in[(sy * inWidth + sx) * bytes + i]); };
                        int sum = at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) +
                                  at(2 * x + 1, 2 * y + 1);
                        int expected = format == D3DFMT_X8R8G8B8 && i == 3 ? 0 : (sum + 2) / 4;
                        ASSERT_EQ(out[(y * width + x) * bytes + i], expected)
                            << format << " width " << width << " at " << x << "," << y << " byte " << i;
                    }
        }
    }
}

}  // namespace
