// The log lines of the 2D display and the widgets: exact texts, written only
// while the channel's level is 1.
#include <string>

#include "display2d/BitmapButton.h"
#include "display2d/BitmapSet.h"
#include "display2d/ChooseBox.h"
#include "display2d/CommentArea.h"
#include "display2d/Display2D.h"
#include "display2d/DisplayLog.h"
#include "display2d/HMemoBox.h"
#include "display2d/MemoBox.h"
#include "display2d/MouseCursor.h"
#include "display2d/WidgetLog.h"
#include "input/InputLog.h"
#include "tests/display2d/SurfaceFixture.h"

namespace {

// Points a channel (its stream and level) at a fresh temporary file at the given level.
class Capture {
public:
    Capture(std::FILE*& stream, int32_t& level, int32_t value) : stream_(stream), level_(level), file_(std::tmpfile()) {
        stream_ = file_;
        level_ = value;
    }
    ~Capture() {
        stream_ = nullptr;
        level_ = 0;
        std::fclose(file_);
    }
    std::string Text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        int c;
        while ((c = std::fgetc(file_)) != EOF) text += char(c);
        return text;
    }

private:
    std::FILE*& stream_;
    int32_t& level_;
    std::FILE* file_;
};

LRESULT CALLBACK LogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = LogWindowProc;
    windowClass.lpszClassName = "log-test";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "log-test", "log", WS_POPUP, 0, 0, 320, 200, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST_F(SurfaceTest, WidgetLinesAreWrittenOnlyAtLevelOne) {
    SaveBitmap("picture.bmp", 4, 4);
    for (int32_t level : {0, 2, -1}) {
        Capture widgets(widgetLogStream, widgetDebugLevel, level);
        HMemoBox box("picture.bmp", 0, 0, 0, 0, 0);
        box.Release();
        EXPECT_EQ(widgets.Text(), "") << level;
    }
    {
        Capture widgets(widgetLogStream, widgetDebugLevel, 1);
        HMemoBox box("picture.bmp", 0, 0, 0, 0, 0);
        box.Release();
        EXPECT_EQ(widgets.Text(), " GUI: Initializing hmemobox\n");
    }
    Capture widgets(widgetLogStream, widgetDebugLevel, 1);
    Capture input(inputLogStream, inputDebugLevel, 1);
    const char* names[] = {"picture.bmp"};
    MouseCursor cursor("picture.bmp", 0, 0);
    BitmapButton button("picture.bmp", 0, 0, 0, 0, 0, 0, 0);
    button.LoadComment("picture.bmp");
    CommentArea area("picture.bmp", 0, 0, 0, 0, 0);
    MemoBox memo("picture.bmp", 0, 0, 0, 0, 0, 0);
    ChooseBox choose(names, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    BitmapSet set(names, 1, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(widgets.Text(),
              " GUI: Creating a bitmap button\n"
              " GUI: Initializing comment for button\n"
              " GUI: Initializing comment area\n"
              " GUI: Creating memobox\n"
              " GUI: Initializing choosebox\n");
    EXPECT_EQ(input.Text(), " INPUT_DRIVER: Creating mouse (or emulated) cursor handler\n");
    for (auto* r : {&cursor.image, &button.image, &button.comment, &area.image, &memo.image}) r->Release();
    choose.Release();
    set.Release();
}

TEST(Display2DLog, CreateWritesItsLinesWithTheCapabilityWordsInOrder) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    std::string text;
    {
        Capture display(displayLogStream, displayDebugLevel, 1);
        Display2D screen;
        screen.Create(320, 200, 32, window);
        ASSERT_NE(screen.primary, nullptr);
        ASSERT_NE(screen.backBuffer, nullptr);
        ASSERT_NE(screen.clipper, nullptr);
        EXPECT_EQ(surfaceDirectDraw, screen.directDraw);
        EXPECT_EQ(screen.driverCaps.dwSize, 380u);
        EXPECT_EQ(screen.emulationCaps.dwSize, 380u);
        IDirectDrawClipper* clipper = nullptr;
        ASSERT_EQ(screen.backBuffer->GetClipper(&clipper), DD_OK);
        EXPECT_EQ(clipper, screen.clipper);
        clipper->Release();
        text = display.Text();
        screen.Release();
        EXPECT_EQ(surfaceDirectDraw, nullptr);
        EXPECT_EQ(screen.directDraw, nullptr);
    }
    char handle[64];
    std::snprintf(handle, sizeof handle, "0x%llxh", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    // Video memory: 128 MiB, less the primary and its back buffer of 320 x 200 x 4 bytes each.
    std::string expected = std::string(" DDRENDER_SYSTEM: Setting up main render class, creating DirectDraw flip stream\n") +
                           " DDRENDER_SYSTEM: Creating 320x200x32bpp device, and handling it on " + handle +
                           " HWND pointer\n"
                           " DDRENDER_SYSTEM_INFO: Debug level low -> for better performance on movie pockets\n"
                           " DDRENDER_SYSTEM: Total video memory: 131072Kb\n"
                           " DDRENDER_SYSTEM: Total free video memory: 130572Kb\n"
                           " DDRENDER_SYSTEM: Hardware capabilites: BLITING STRETCHING GDI\n";
    EXPECT_EQ(text, expected);

    // Released, the display can be set up again; with the channel at 0 nothing is written.
    Capture quiet(displayLogStream, displayDebugLevel, 0);
    Display2D again;
    again.Create(320, 200, 16, window);
    EXPECT_NE(again.primary, nullptr);
    again.Release();
    EXPECT_EQ(quiet.Text(), "");
    DestroyWindow(window);
}

TEST(Display2DLog, ChannelWithoutStreamWritesNothing) {
    widgetLogStream = nullptr;
    widgetDebugLevel = 1;
    WidgetLogWrite(" GUI: %s\n", "nowhere");
    displayLogStream = nullptr;
    displayDebugLevel = 1;
    DisplayLogWrite(" DDRENDER_SYSTEM: %s\n", "nowhere");
    widgetDebugLevel = displayDebugLevel = 0;
}

TEST(Display2D, WithoutAWindowNoCallReachesAMissingObject) {
    Display2D screen;
    screen.Create(320, 200, 32, nullptr);
    EXPECT_NE(screen.directDraw, nullptr);
    EXPECT_EQ(screen.primary, nullptr);
    EXPECT_EQ(screen.backBuffer, nullptr);
    // Surfaces cannot be made through a display that never got its level.
    Surface2D picture;
    picture.Create(8, 8);
    EXPECT_EQ(picture.surface, nullptr);
    screen.Release();
    EXPECT_EQ(surfaceDirectDraw, nullptr);
    screen.Release();
}
