// The bitmap file reader on hand-made files: run-length details and damaged
// files, which are refused without reading outside the data. BMP Suite
// covers the depths and headers.
#include <gtest/gtest.h>

#include "platform/gdi/BitmapFile.h"
#include "platform/win32/windows.h"
#include "tests/platform/gdi/TestBitmaps.h"

using namespace testbitmaps;

namespace {

uint32_t At(SDL_Surface* s, int x, int y) {
    return static_cast<uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] & 0xFFFFFF;
}

SDL_Surface* Decode(const Bytes& file, uint32_t* error = nullptr) {
    uint32_t ignored;
    return DecodeBitmapPixels(file.data(), file.size(), error ? error : &ignored);
}

}  // namespace

TEST(BitmapFile, RunLengthEightAndFourBit) {
    std::vector<uint32_t> colours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // 6 x 3, bottom row first: a run, an absolute run, end of line; a delta
    // skipping two pixels right and one row up; end of picture.
    Bytes rle8 = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1};
    SDL_Surface* s = Decode(FileOf(6, 3, 8, 1, Palette(colours), rle8, 4));
    ASSERT_NE(s, nullptr);
    // Bottom row (y 2): 1 1 1 2 3 2.
    const uint32_t bottom[6] = {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(s, x, 2), bottom[x]) << x;
    // Middle row skipped; top row from x 2: two pixels of colour 3, rest untouched (black).
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(s, x, 1), 0u);
    EXPECT_EQ(At(s, 1, 0), 0u);
    EXPECT_EQ(At(s, 2, 0), 0x0000FFu);
    EXPECT_EQ(At(s, 3, 0), 0x0000FFu);
    EXPECT_EQ(At(s, 4, 0), 0u);
    SDL_FreeSurface(s);

    // 4-bit: a run alternating two colours, then an absolute run of three.
    Bytes rle4 = {4, 0x12, 0, 3, 0x32, 0x10, 0, 1};
    s = Decode(FileOf(7, 1, 4, 2, Palette(colours), rle4, 4));
    ASSERT_NE(s, nullptr);
    const uint32_t row[7] = {0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00, 0xFF0000};
    for (int x = 0; x < 7; ++x) EXPECT_EQ(At(s, x, 0), row[x]) << x;
    SDL_FreeSurface(s);
}

TEST(BitmapFile, RunLengthDataPastThePictureIsDropped) {
    std::vector<uint32_t> colours = {0x000000, 0xFFFFFF};
    // Runs far longer than the 2 x 2 picture, a delta far outside it, and data that ends mid-record.
    Bytes rle8 = {255, 1, 255, 1, 0, 2, 200, 200, 9, 1, 0, 40, 1};
    SDL_Surface* s = Decode(FileOf(2, 2, 8, 1, Palette(colours), rle8, 2));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(At(s, 0, 1), 0xFFFFFFu);
    EXPECT_EQ(At(s, 1, 1), 0xFFFFFFu);
    SDL_FreeSurface(s);
}

TEST(BitmapFile, DamagedFilesAreRefused) {
    Bytes good = TrueColour(8, 8, Pattern);
    uint32_t error = 0;
    SDL_Surface* decoded = Decode(good);
    EXPECT_NE(decoded, nullptr);
    SDL_FreeSurface(decoded);

    Bytes truncated(good.begin(), good.end() - 10);
    EXPECT_EQ(Decode(truncated, &error), nullptr);
    EXPECT_EQ(error, ERROR_FILE_INVALID);

    Bytes wrongMagic = good;
    wrongMagic[0] = 'P';
    EXPECT_EQ(Decode(wrongMagic), nullptr);

    Bytes offsetOutside = good;
    offsetOutside[10] = 0xFF, offsetOutside[11] = 0xFF, offsetOutside[12] = 0xFF;
    EXPECT_EQ(Decode(offsetOutside), nullptr);

    Bytes hugeSize = FileOf(1 << 20, 1 << 20, 24, 0, {}, {0, 0, 0, 0});
    EXPECT_EQ(Decode(hugeSize, &error), nullptr);
    EXPECT_EQ(error, ERROR_NOT_ENOUGH_MEMORY);

    Bytes zeroWidth = FileOf(0, 4, 24, 0, {}, {0, 0, 0, 0});
    EXPECT_EQ(Decode(zeroWidth), nullptr);

    Bytes oddDepth = FileOf(2, 2, 7, 0, {}, Bytes(16, 0));
    EXPECT_EQ(Decode(oddDepth), nullptr);

    // A palette that runs past the end of the file.
    Bytes shortPalette = FileOf(2, 2, 8, 0, Palette({0xFFFFFF}), {}, 200);
    EXPECT_EQ(Decode(shortPalette), nullptr);

    // Run-length coding is only for 8 and 4 bits, bottom row first.
    Bytes rleTopDown = FileOf(2, -2, 8, 1, Palette({0, 0xFFFFFF}), {2, 1, 0, 1}, 2);
    EXPECT_EQ(Decode(rleTopDown), nullptr);

    for (size_t cut = 0; cut < 60; ++cut) {
        Bytes head(good.begin(), good.begin() + ptrdiff_t(cut));
        SDL_Surface* s = Decode(head);
        EXPECT_EQ(s, nullptr) << cut;
    }
}
