// Surface2D and the free drawing functions on real surfaces.
#include "display2d/ClearSurface.h"
#include "display2d/DrawQuadOutline.h"
#include "tests/display2d/SurfaceFixture.h"

using testbitmaps::Pattern;

TEST_F(SurfaceTest, CreateFromBitmapTakesTheBitmapsSizeAndPicture) {
    SaveBitmap("picture.bmp", 200, 100);
    Surface2D s;
    s.Init();
    s.CreateFromBitmap("picture.bmp");
    ASSERT_NE(s.surface, nullptr);
    EXPECT_EQ(s.width, 200);
    EXPECT_EQ(s.height, 100);
    DWORD w, h;
    SizeOf(s.surface, &w, &h);
    EXPECT_EQ(w, 200u);
    EXPECT_EQ(h, 100u);
    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 99}, {199, 99}, {123, 45}})
        EXPECT_EQ(PixelAt(s.surface, x, y), Pattern(x, y)) << x << "," << y;
    s.Release();
}

TEST_F(SurfaceTest, LoadBitmapCopiesOnlyWhatFitsTheRecord) {
    SaveBitmap("large.bmp", 300, 300);
    Surface2D s;
    s.Create(100, 50);
    s.LoadBitmap("large.bmp");
    EXPECT_EQ(s.width, 100);
    EXPECT_EQ(s.height, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(PixelAt(s.surface, x, y), Pattern(x, y)) << x << "," << y;
    // A smaller bitmap leaves the rest of the surface as it was.
    SaveBitmap("small.bmp", 10, 10, [](int, int) { return 0x0000FFu; });
    s.LoadBitmap("small.bmp");
    EXPECT_EQ(PixelAt(s.surface, 9, 9), 0x0000FFu);
    EXPECT_EQ(PixelAt(s.surface, 10, 9), Pattern(10, 9));
    EXPECT_EQ(PixelAt(s.surface, 99, 49), Pattern(99, 49));
    s.Release();
}

TEST_F(SurfaceTest, BlitScalesTheRectangles) {
    SaveBitmap("square.bmp", 32, 32);
    Surface2D source, dest;
    source.CreateFromBitmap("square.bmp");
    dest.Create(64, 64);
    dest.Blit(source.surface, dest.surface, 0, 0, 32, 32, 0, 0, 64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(PixelAt(dest.surface, x, y), Pattern(x / 2, y / 2)) << x << "," << y;
    // Down again: every other pixel.
    Surface2D half;
    half.Create(16, 16);
    half.Blit(dest.surface, half.surface, 0, 0, 64, 64, 0, 0, 16, 16);
    EXPECT_EQ(PixelAt(half.surface, 5, 7), Pattern(5 * 2 + 1, 7 * 2 + 1));
    source.Release();
    dest.Release();
    half.Release();
}

TEST_F(SurfaceTest, BlitKeyedLeavesKeyColouredPixels) {
    // Magenta pixels on a diagonal are the key.
    SaveBitmap("keyed.bmp", 8, 8, [](int x, int y) { return x == y ? 0xFF00FFu : Pattern(x, y); });
    Surface2D sprite, screen;
    sprite.CreateFromBitmap("keyed.bmp");
    screen.Create(8, 8);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    screen.Fill(green);
    sprite.BlitKeyed(sprite.surface, screen.surface, 0, 0, 8, 8, 0, 0, 8, 8, 0xFF00FF);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(PixelAt(screen.surface, x, y), x == y ? 0x00FF00u : Pattern(x, y)) << x << "," << y;
    // The key was set on the record's own surface.
    DDCOLORKEY key = {};
    ASSERT_EQ(sprite.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0xFF00FFu);
    // From another source, that surface's own key applies: it has none, so all is copied.
    Surface2D plain;
    plain.CreateFromBitmap("keyed.bmp");
    screen.Fill(green);
    sprite.BlitKeyed(plain.surface, screen.surface, 0, 0, 8, 8, 0, 0, 8, 8, 0xFF00FF);
    EXPECT_EQ(PixelAt(screen.surface, 3, 3), 0xFF00FFu);
    DeleteObject(green);
    sprite.Release();
    screen.Release();
    plain.Release();
}

TEST_F(SurfaceTest, DrawQuadOutlineClosesTheSquare) {
    Surface2D s;
    s.Create(16, 16);
    ClearSurface(s.surface);
    DrawQuadOutline(s.surface, 0, 0, 10, 0, 10, 10, 0, 10, RGB(255, 0, 0));
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(PixelAt(s.surface, i, 0), 0xFF0000u) << i;
        EXPECT_EQ(PixelAt(s.surface, i, 10), 0xFF0000u) << i;
        EXPECT_EQ(PixelAt(s.surface, 0, i), 0xFF0000u) << i;
        EXPECT_EQ(PixelAt(s.surface, 10, i), 0xFF0000u) << i;
    }
    EXPECT_EQ(PixelAt(s.surface, 5, 5), 0u);
    EXPECT_EQ(PixelAt(s.surface, 11, 0), 0u);
    EXPECT_EQ(PixelAt(s.surface, 0, 11), 0u);
    // The pen went with the outline, and the surface's context was given back.
    HDC dc = nullptr;
    EXPECT_EQ(s.surface->GetDC(&dc), DD_OK);
    s.surface->ReleaseDC(dc);
    s.Release();
}

TEST_F(SurfaceTest, ClearSurfaceZeroesEveryPixel) {
    SaveBitmap("picture.bmp", 20, 10, [](int, int) { return 0xFFFFFFu; });
    Surface2D s;
    s.CreateFromBitmap("picture.bmp");
    ClearSurface(s.surface);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(PixelAt(s.surface, x, y), 0u);
    s.Release();
}

TEST_F(SurfaceTest, FillAndWriteText) {
    Surface2D s;
    s.Create(60, 20);
    s.Fill(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(PixelAt(s.surface, 59, 19), 0xFFFFFFu);
    s.WriteText(1, 1, "Orvik");
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) dark += (PixelAt(s.surface, x, y) & 0x808080) == 0;
    // Black (anti-aliased) text where a font is installed.
    if (dark == 0) GTEST_SKIP() << "no font on this machine";
    EXPECT_GT(dark, 10);
    s.Release();
}

TEST_F(SurfaceTest, FailuresLeaveRecordsSafe) {
    Surface2D empty;
    // Operations on a record without a surface do nothing.
    empty.Fill(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    empty.WriteText(0, 0, "x");
    empty.LoadBitmap("missing.bmp");
    empty.Blit(nullptr, nullptr, 0, 0, 1, 1, 0, 0, 1, 1);
    empty.BlitKeyed(nullptr, nullptr, 0, 0, 1, 1, 0, 0, 1, 1, 0);
    DrawQuadOutline(nullptr, 0, 0, 1, 0, 1, 1, 0, 1, 0);
    ClearSurface(nullptr);
    // A bitmap that cannot be loaded leaves the record as it was.
    empty.CreateFromBitmap("missing.bmp");
    EXPECT_EQ(empty.surface, nullptr);
    EXPECT_EQ(empty.width, 0);
    SaveBitmap("picture.bmp", 4, 4);
    Surface2D held;
    held.CreateFromBitmap("picture.bmp");
    IDirectDrawSurface7* before = held.surface;
    held.CreateFromBitmap("missing.bmp");
    EXPECT_EQ(held.surface, before);
    EXPECT_EQ(held.width, 4);
    // Releasing twice is harmless: the pointer is forgotten.
    held.Release();
    EXPECT_EQ(held.surface, nullptr);
    held.Release();
    // Creating again gives the old surface back rather than losing it.
    DDSCAPS2 caps = {};
    DWORD total = 0, freeAtStart = 0, freeNow = 0;
    directDraw->GetAvailableVidMem(&caps, &total, &freeAtStart);
    held.Create(100, 100);
    held.Create(100, 100);
    directDraw->GetAvailableVidMem(&caps, &total, &freeNow);
    EXPECT_EQ(freeAtStart - freeNow, 100u * 100u * 4u);
    held.Release();
    // Without a DirectDraw object no surface is made.
    surfaceDirectDraw = nullptr;
    held.Create(10, 10);
    EXPECT_EQ(held.surface, nullptr);
    held.CreateFromBitmap("picture.bmp");
    EXPECT_EQ(held.surface, nullptr);
    EXPECT_EQ(held.width, 4);
}
