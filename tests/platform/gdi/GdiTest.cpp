// GDI on real pixels: loading bitmap files by Windows names, memory device
// contexts, bit-block transfers, pens, brushes, text and handle checks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/wingdi.h"
#include "tests/platform/gdi/TestBitmaps.h"

using namespace testbitmaps;

namespace {

COLORREF Colour(uint32_t rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

HBITMAP Load(const char* name) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// A memory context holding a new white bitmap of this size.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;

    Canvas(int width, int height, const char* file = "canvas.bmp") {
        Save(file, TrueColour(width, height, [](int, int) { return 0xFFFFFFu; }));
        bitmap = Load(file);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

}  // namespace

TEST(Gdi, LoadImageReadsWindowsNamesWithoutRegardToCase) {
    ScratchFolder folder;
    ASSERT_EQ(mkdir("gui", 0755), 0);
    ASSERT_TRUE(Save("gui/MbUp.bmp", TrueColour(5, 3, Pattern)));
    HBITMAP bitmap = Load("GUI\\MBUP.BMP");
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmPlanes, 1);
    // A buffer of the 32-bit record's 24 bytes gets every field but the bits pointer.
    BITMAP shortRecord = {};
    EXPECT_EQ(GetObjectA(bitmap, 24, &shortRecord), 24);
    EXPECT_EQ(shortRecord.bmWidth, 5);
    EXPECT_TRUE(DeleteObject(bitmap));

    SetLastError(0);
    EXPECT_EQ(Load("GUI\\MISSING.BMP"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Load(nullptr), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, "GUI\\MBUP.BMP", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    // Asked for another size, the picture is stretched to it.
    HANDLE sized = LoadImageA(nullptr, "gui/mbup.bmp", IMAGE_BITMAP, 10, 6, LR_LOADFROMFILE);
    ASSERT_NE(sized, nullptr);
    EXPECT_EQ(GetObjectA(sized, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 10);
    EXPECT_EQ(info.bmHeight, 6);
    DeleteObject(static_cast<HBITMAP>(sized));
}

TEST(Gdi, BitBltCopiesAndClipsToBothBitmaps) {
    ScratchFolder folder;
    Save("picture.bmp", TrueColour(30, 30, Pattern));
    HBITMAP picture = Load("picture.bmp");
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, picture);
    ASSERT_NE(old, nullptr);
    Canvas canvas(20, 10);
    // Larger than both: only the 20 x 10 overlap is written, from (5, 5) of the source.
    EXPECT_TRUE(BitBlt(canvas.dc, 0, 0, 100, 100, source, 5, 5, SRCCOPY));
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), Colour(Pattern(5, 5)));
    EXPECT_EQ(GetPixel(canvas.dc, 19, 9), Colour(Pattern(24, 14)));
    EXPECT_EQ(GetPixel(source, 24, 14), Colour(Pattern(24, 14)));
    // Negative destination: the part left of the bitmap is cut.
    EXPECT_TRUE(BitBlt(canvas.dc, -3, 0, 5, 1, source, 0, 29, SRCCOPY));
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), Colour(Pattern(3, 29)));
    EXPECT_EQ(GetPixel(canvas.dc, 1, 0), Colour(Pattern(4, 29)));
    EXPECT_EQ(GetPixel(canvas.dc, 2, 0), Colour(Pattern(7, 5)));
    EXPECT_TRUE(BitBlt(canvas.dc, 0, 0, 20, 10, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(GetPixel(canvas.dc, 7, 7), RGB(0, 0, 0));
    EXPECT_TRUE(BitBlt(canvas.dc, 0, 0, 1, 1, nullptr, 0, 0, DSTINVERT));
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), RGB(255, 255, 255));
    EXPECT_FALSE(BitBlt(canvas.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(canvas.dc, 0, 0, 1, 1, source, 0, 0, 0x12345678));
    // A bitmap is in one context at a time, and is not deleted while selected.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, picture), nullptr);
    EXPECT_FALSE(DeleteObject(picture));
    SelectObject(source, old);
    EXPECT_TRUE(DeleteObject(picture));
    DeleteDC(other);
    DeleteDC(source);
}

TEST(Gdi, PensLeaveOutTheEndPointAndStayInside) {
    ScratchFolder folder;
    Canvas canvas(12, 12);
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
    HGDIOBJ previous = SelectObject(canvas.dc, pen);
    ASSERT_NE(previous, nullptr);
    POINT before = {};
    EXPECT_TRUE(MoveToEx(canvas.dc, 1, 1, &before));
    EXPECT_TRUE(LineTo(canvas.dc, 8, 1));
    for (int x = 1; x < 8; ++x) EXPECT_EQ(GetPixel(canvas.dc, x, 1), RGB(255, 0, 0)) << x;
    EXPECT_EQ(GetPixel(canvas.dc, 8, 1), RGB(255, 255, 255));
    // The position moved to the end: the next segment starts there.
    EXPECT_TRUE(LineTo(canvas.dc, 8, 6));
    EXPECT_EQ(GetPixel(canvas.dc, 8, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, 8, 5), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc, 8, 6), RGB(255, 255, 255));
    // Lines far outside are cut to the bitmap, with nothing written past it.
    EXPECT_TRUE(MoveToEx(canvas.dc, -2000000000, 10, nullptr));
    EXPECT_TRUE(LineTo(canvas.dc, 2000000000, 10));
    for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel(canvas.dc, x, 10), RGB(255, 0, 0)) << x;
    // A pen deleted while selected goes once it is let go.
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_NE(GdiFindPen(pen), nullptr);
    SelectObject(canvas.dc, previous);
    EXPECT_EQ(GdiFindPen(pen), nullptr);
    EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
}

TEST(Gdi, FillRectClipsAndNullBrushPaintsNothing) {
    ScratchFolder folder;
    Canvas canvas(8, 8);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT area = {-5, 6, 3, 50};
    EXPECT_EQ(FillRect(canvas.dc, &area, blue), 1);
    EXPECT_EQ(GetPixel(canvas.dc, 0, 7), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(canvas.dc, 2, 6), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(canvas.dc, 3, 6), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(canvas.dc, 0, 5), RGB(255, 255, 255));
    RECT all = {0, 0, 8, 8};
    EXPECT_EQ(FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 1);
    EXPECT_EQ(GetPixel(canvas.dc, 5, 5), RGB(255, 255, 255));
    EXPECT_TRUE(DeleteObject(blue));
    // A deleted brush is refused, not followed.
    EXPECT_EQ(FillRect(canvas.dc, &all, blue), 0);
    EXPECT_FALSE(DeleteObject(blue));
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_NE(GdiFindBrush(GetStockObject(BLACK_BRUSH)), nullptr);
}

TEST(Gdi, TextOutDrawsInTheContextColours) {
    ScratchFolder folder;
    Canvas canvas(80, 24);
    RECT all = {0, 0, 80, 24};
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    if (!TextOutA(canvas.dc, 2, 2, "Hej \xB3\xF3\xBF", 7)) GTEST_SKIP() << "no font on this machine";
    // Opaque by default: a white box with black letters over the grey.
    int black = 0, white = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 80; ++x) {
            COLORREF c = GetPixel(canvas.dc, x, y);
            black += c == RGB(0, 0, 0);
            white += c == RGB(255, 255, 255);
        }
    EXPECT_GT(black, 10);
    EXPECT_GT(white, 50);
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(canvas.dc, 79, 23), RGB(128, 128, 128));
    // Transparent: letters only, in the text colour.
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(255, 0, 0));
    EXPECT_TRUE(TextOutA(canvas.dc, 2, 2, "Hej", 3));
    int red = 0;
    white = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 80; ++x) {
            red += GetPixel(canvas.dc, x, y) == RGB(255, 0, 0);
            white += GetPixel(canvas.dc, x, y) == RGB(255, 255, 255);
        }
    EXPECT_GT(red, 5);
    EXPECT_EQ(white, 0);
    EXPECT_FALSE(TextOutA(canvas.dc, 0, 0, nullptr, 3));
    EXPECT_TRUE(TextOutA(canvas.dc, 0, 0, "", 0));
}

TEST(Gdi, StaleAndForeignHandlesAreRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_FALSE(LineTo(dc, 1, 1));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
    int notAnObject = 0;
    EXPECT_EQ(GetObjectA(&notAnObject, 4, &notAnObject), 0);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(&notAnObject)));
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}
