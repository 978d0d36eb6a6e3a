// The widget constructors and their two set-up operations on real surfaces.
#include <sys/stat.h>

#include "display2d/BitmapButton.h"
#include "display2d/BitmapSet.h"
#include "display2d/ChooseBox.h"
#include "display2d/CommentArea.h"
#include "display2d/HMemoBox.h"
#include "display2d/MemoBox.h"
#include "display2d/MouseCursor.h"
#include "tests/display2d/SurfaceFixture.h"

using testbitmaps::Pattern;

namespace {

// The arrows in GUI/ of the working directory: red up, blue down.
void SaveArrows() {
    ASSERT_EQ(mkdir("GUI", 0755), 0);
    ASSERT_TRUE(testbitmaps::Save("GUI/MBUP.BMP", testbitmaps::TrueColour(8, 8, [](int, int) { return 0xFF0000u; })));
    ASSERT_TRUE(
        testbitmaps::Save("GUI/MBDOWN.BMP", testbitmaps::TrueColour(8, 9, [](int, int) { return 0x0000FFu; })));
}

}  // namespace

TEST_F(SurfaceTest, BitmapButtonTakesItsSizeFromTheBitmapOrScalesToTheRectangle) {
    SaveBitmap("button.bmp", 64, 32);
    BitmapButton own("button.bmp", 100, 50, 0, 0, 7, 8, 9);
    EXPECT_EQ(own.right, 164);
    EXPECT_EQ(own.bottom, 82);
    EXPECT_EQ(own.image.width, 64);
    EXPECT_EQ(own.image.height, 32);
    for (auto [x, y] : {std::pair{0, 0}, {63, 31}, {17, 9}}) EXPECT_EQ(PixelAt(own.image.surface, x, y), Pattern(x, y));
    EXPECT_EQ(own.left, 100);
    EXPECT_EQ(own.top, 50);
    EXPECT_EQ(own.valueA, 7);
    EXPECT_EQ(own.valueB, 8);
    EXPECT_EQ(own.valueC, 9);
    EXPECT_EQ(own.comment.surface, nullptr);

    BitmapButton scaled("button.bmp", 100, 50, 228, 114, 0, 0, 0);
    EXPECT_EQ(scaled.right, 228);
    EXPECT_EQ(scaled.bottom, 114);
    EXPECT_EQ(scaled.image.width, 128);
    EXPECT_EQ(scaled.image.height, 64);
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 128; x += 5) ASSERT_EQ(PixelAt(scaled.image.surface, x, y), Pattern(x / 2, y / 2));

    // Either one 0 replaces both.
    BitmapButton half("button.bmp", 100, 50, 228, 0, 0, 0, 0);
    EXPECT_EQ(half.right, 164);
    EXPECT_EQ(half.bottom, 82);
    EXPECT_EQ(half.image.width, 64);
    EXPECT_EQ(half.image.height, 32);

    SaveBitmap("comment.bmp", 30, 12);
    own.LoadComment("comment.bmp");
    EXPECT_EQ(own.comment.width, 30);
    EXPECT_EQ(PixelAt(own.comment.surface, 29, 11), Pattern(29, 11));

    // A missing bitmap gives an empty button of no size, and nothing breaks.
    BitmapButton missing("missing.bmp", 10, 10, 0, 0, 0, 0, 0);
    EXPECT_EQ(missing.right, 10);
    EXPECT_EQ(missing.image.surface, nullptr);
    // At the end of the coordinate range the button is cut there, with no overflow.
    BitmapButton extreme("button.bmp", INT32_MAX - 10, INT32_MIN, 0, 0, 0, 0, 0);
    EXPECT_EQ(extreme.right, INT32_MAX);
    EXPECT_EQ(extreme.bottom, INT32_MIN + 32);
    EXPECT_EQ(extreme.image.width, 10);
    for (BitmapButton* b : {&own, &scaled, &half, &missing, &extreme}) b->Release();
}

TEST_F(SurfaceTest, ChooseBoxLoadsItemsInOrderAndArrowsFromGui) {
    SaveArrows();
    SaveBitmap("first.bmp", 10, 5);
    SaveBitmap("second.bmp", 20, 5);
    SaveBitmap("third.bmp", 30, 5);
    const char* names[] = {"first.bmp", "second.bmp", "third.bmp"};
    ChooseBox box(names, 3, 1, 2, 3, 4, 5, 6, 7, 8);
    EXPECT_EQ(box.itemCount, 3);
    ASSERT_NE(box.items, nullptr);
    EXPECT_EQ(box.items[0].width, 10);
    EXPECT_EQ(box.items[1].width, 20);
    EXPECT_EQ(box.items[2].width, 30);
    EXPECT_EQ(PixelAt(box.items[2].surface, 29, 4), Pattern(29, 4));
    EXPECT_EQ(box.selectedIndex, -1);
    EXPECT_EQ(box.stateA, 0);
    EXPECT_EQ(box.stateB, 0);
    EXPECT_EQ(PixelAt(box.upArrow.surface, 0, 0), 0xFF0000u);
    EXPECT_EQ(box.downArrow.height, 9);
    EXPECT_EQ(PixelAt(box.downArrow.surface, 0, 0), 0x0000FFu);
    const int32_t fields[] = {box.valueA, box.valueB, box.valueC, box.valueD,
                              box.valueE, box.valueF, box.valueG, box.valueH};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(fields[i], i + 1);
    box.Release();
    EXPECT_EQ(box.items, nullptr);
    EXPECT_EQ(box.itemCount, 0);

    // No names: an empty block, no item loaded, the arrows all the same.
    ChooseBox none(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_NE(none.items, nullptr);
    EXPECT_EQ(none.itemCount, 0);
    EXPECT_NE(none.upArrow.surface, nullptr);
    none.Release();
    // A count that no block can have: no block and no items.
    ChooseBox negative(names, -5, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(negative.items, nullptr);
    EXPECT_EQ(negative.itemCount, 0);
    negative.Release();
}

TEST_F(SurfaceTest, BitmapSetHoldsItsItems) {
    SaveBitmap("a.bmp", 3, 4);
    const char* names[] = {"a.bmp", "missing.bmp"};
    BitmapSet set(names, 2, 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(set.itemCount, 2);
    EXPECT_EQ(set.stateA, 1);
    EXPECT_EQ(set.items[0].height, 4);
    EXPECT_EQ(set.items[1].surface, nullptr);
    EXPECT_EQ(set.valueA, 1);
    EXPECT_EQ(set.valueD, 4);
    EXPECT_EQ(set.valueE, 5);
    EXPECT_EQ(set.valueF, 6);
    set.Release();
    BitmapSet empty(nullptr, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(empty.itemCount, 0);
    empty.Release();
}

TEST_F(SurfaceTest, HMemoBoxReplacesItsContent) {
    SaveArrows();
    SaveBitmap("page1.bmp", 40, 20);
    SaveBitmap("page2.bmp", 50, 30, [](int, int) { return 0x00FF00u; });
    HMemoBox box("page1.bmp", 1, 2, 3, 4, 5);
    EXPECT_EQ(box.content.width, 40);
    EXPECT_EQ(box.upArrow.width, 8);
    EXPECT_EQ(box.valueA, 1);
    EXPECT_EQ(box.valueE, 5);
    box.stateA = 3;
    box.SetContent("page2.bmp");
    EXPECT_EQ(box.content.width, 50);
    EXPECT_EQ(box.content.height, 30);
    EXPECT_EQ(PixelAt(box.content.surface, 49, 29), 0x00FF00u);
    EXPECT_EQ(box.stateA, 0);
    box.SetContent("missing.bmp");
    EXPECT_EQ(box.content.surface, nullptr);
    EXPECT_EQ(box.content.width, 0);
    box.Release();
}

TEST_F(SurfaceTest, OtherWidgetsKeepTheirSettings) {
    SaveBitmap("picture.bmp", 12, 6);
    MemoBox memo("picture.bmp", 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(memo.imageWidth, 12);
    EXPECT_EQ(memo.imageHeight, 6);
    EXPECT_EQ(memo.valueA, 1);
    EXPECT_EQ(memo.valueE, 5);
    EXPECT_EQ(memo.valueF, 6);
    CommentArea area("picture.bmp", 1, 2, 3, 4, 5);
    EXPECT_EQ(area.image.width, 12);
    EXPECT_EQ(area.valueD, 4);
    EXPECT_EQ(area.valueE, 5);
    MouseCursor cursor("picture.bmp", 11, 22);
    EXPECT_EQ(cursor.valueA, 11);
    EXPECT_EQ(cursor.valueB, 22);
    EXPECT_EQ(cursor.image.height, 6);
    EXPECT_EQ(cursor.stateA + cursor.stateB + cursor.stateC + cursor.stateD, 0);
    memo.Release();
    area.Release();
    cursor.Release();
}
