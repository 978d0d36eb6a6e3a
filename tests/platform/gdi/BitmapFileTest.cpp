// The bitmap file reader: every depth and coding gives the same picture, and
// damaged files are refused without reading outside the data.
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

const std::vector<uint32_t> kColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080,
                                        0x123456, 0xABCDEF, 0x102030, 0x405060, 0x708090, 0xA0B0C0,
                                        0xD0E0F0, 0x0F0F0F, 0xF0F0F0, 0x777777};

int IndexOf(int x, int y) { return (x * 3 + y * 5) % 16; }

}  // namespace

TEST(BitmapFile, TrueColourDepthsGiveThePicture) {
    for (int bits : {24, 32}) {
        SDL_Surface* s = Decode(TrueColour(13, 7, Pattern, bits));
        ASSERT_NE(s, nullptr) << bits;
        EXPECT_EQ(s->w, 13);
        EXPECT_EQ(s->h, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(At(s, x, y), Pattern(x, y)) << bits << " " << x << "," << y;
        SDL_FreeSurface(s);
    }
}

TEST(BitmapFile, PaletteDepthsGiveThePicture) {
    for (int bits : {1, 4, 8}) {
        auto index = [bits](int x, int y) { return IndexOf(x, y) % (1 << bits); };
        std::vector<uint32_t> colours(kColours.begin(), kColours.begin() + (bits == 1 ? 2 : 16));
        SDL_Surface* s = Decode(Indexed(11, 6, bits, colours, index));
        ASSERT_NE(s, nullptr) << bits;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 11; ++x) ASSERT_EQ(At(s, x, y), colours[size_t(index(x, y))]) << bits;
        SDL_FreeSurface(s);
    }
}

TEST(BitmapFile, SixteenBitWithAndWithoutMasks) {
    // 5-5-5 without masks; 5-6-5 given by bit fields.
    Bytes pixels;
    Put16(pixels, 0x7C00);  // red in 5-5-5
    Put16(pixels, 0x001F);  // blue
    SDL_Surface* s = Decode(FileOf(2, 1, 16, 0, {}, pixels));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(At(s, 0, 0), 0xFF0000u);
    EXPECT_EQ(At(s, 1, 0), 0x0000FFu);
    SDL_FreeSurface(s);
    Bytes masks;
    Put32(masks, 0xF800);
    Put32(masks, 0x07E0);
    Put32(masks, 0x001F);
    Bytes green;
    Put16(green, 0x07E0);
    Put16(green, 0x0000);
    s = Decode(FileOf(2, 1, 16, 3, masks, green));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(At(s, 0, 0), 0x00FF00u);
    EXPECT_EQ(At(s, 1, 0), 0u);
    SDL_FreeSurface(s);
}

TEST(BitmapFile, TopDownRowsAndCoreHeader) {
    Bytes topDown = TrueColour(3, 2, Pattern);
    // Flip the stored rows and make the height negative: the same picture.
    Bytes rows(topDown.begin() + 54, topDown.end());
    Bytes flipped(rows.begin() + 12, rows.end());
    flipped.insert(flipped.end(), rows.begin(), rows.begin() + 12);
    Bytes file = FileOf(3, -2, 24, 0, {}, flipped);
    SDL_Surface* s = Decode(file);
    ASSERT_NE(s, nullptr);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(s, x, 0), Pattern(x, 0));
    SDL_FreeSurface(s);

    // OS/2 core header: 16-bit sizes, three-byte palette entries.
    Bytes core = {'B', 'M'};
    Put32(core, 14 + 12 + 6 + 4);
    Put32(core, 0);
    Put32(core, 14 + 12 + 6);
    Put32(core, 12);
    Put16(core, 2);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 1);
    core.insert(core.end(), {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00});  // red, blue
    core.insert(core.end(), {0x40, 0, 0, 0});                        // pixels 0, 1
    s = Decode(core);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(At(s, 0, 0), 0xFF0000u);
    EXPECT_EQ(At(s, 1, 0), 0x0000FFu);
    SDL_FreeSurface(s);
}

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
