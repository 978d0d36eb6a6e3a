// orvik-widgets: shows the 2D display and the widget set at work. It opens
// the display, builds one widget of each kind from the bitmaps under DIR,
// draws them with plain and colour-keyed blits, fills, text and outlines,
// and flips; with ORVIK_CAPTURE_DIR each shown frame is saved as PNG.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "display2d/BitmapButton.h"
#include "display2d/BitmapSet.h"
#include "display2d/ChooseBox.h"
#include "display2d/ClearSurface.h"
#include "display2d/CommentArea.h"
#include "display2d/Display2D.h"
#include "display2d/DisplayLog.h"
#include "display2d/DrawQuadOutline.h"
#include "display2d/HMemoBox.h"
#include "display2d/MemoBox.h"
#include "display2d/MouseCursor.h"
#include "display2d/WidgetLog.h"
#include "input/InputLog.h"
#include "tools/orvik-widgets/WidgetsHost.h"

namespace {

const char* const kUsage =
    "usage: orvik-widgets DIR [WIDTHxHEIGHTxBITS]\n"
    "\n"
    "Opens the 2D display (default 640x480x32; 16, 24 and 32 bits work) and\n"
    "shows one widget of each kind, built from the bitmaps in DIR/GUI (file\n"
    "names are matched without regard to case). Esc or closing the window ends\n"
    "it; headless, it ends after one frame unless ORVIK_CLOSE_AFTER_FRAMES is\n"
    "set. The log channels are on and write to standard output.\n";

POINT mouse = {560, 400};

LRESULT CALLBACK WidgetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        mouse = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The pixel value of pure magenta in the surface's format: the cursor's key colour.
DWORD MagentaKey(IDirectDrawSurface7* surface) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    if (surface == nullptr || FAILED(surface->GetPixelFormat(&format))) return 0;
    return format.dwRBitMask | format.dwBBitMask;
}

struct Widgets {
    MouseCursor cursor{"GUI\\CURSOR.BMP", 0, 0};
    BitmapButton okButton{"GUI\\BUTTON.BMP", 24, 56, 0, 0, 1, 0, 0};
    BitmapButton bigButton{"GUI\\BUTTON2.BMP", 24, 120, 152, 184, 2, 0, 0};
    CommentArea commentArea{"GUI\\COMMENT.BMP", 0, 0, 200, 40, 1};
    MemoBox memo{"GUI\\MEMO.BMP", 0, 0, 180, 90, 1, 0};
    HMemoBox hmemo{"GUI\\CONTENT2.BMP", 0, 0, 150, 70, 0};
    ChooseBox choose;
    BitmapSet set;

    Widgets(const char* const* items, const char* const* pictures)
        : choose(items, 3, 0, 0, 90, 18, 3, 0, 0, 0), set(pictures, 3, 0, 0, 24, 24, 0, 0) {
        okButton.LoadComment("GUI\\BTNCOMM.BMP");
        hmemo.SetContent("GUI\\CONTENT1.BMP");
    }

    void Release() {
        cursor.Release();
        okButton.Release();
        bigButton.Release();
        commentArea.Release();
        memo.Release();
        hmemo.Release();
        choose.Release();
        set.Release();
    }
};

// Copies a whole picture to (x, y) at its own size and outlines it.
void Place(Surface2D& screen, const Surface2D& picture, int x, int y, COLORREF outline) {
    screen.Blit(picture.surface, screen.surface, 0, 0, picture.width, picture.height, x, y, x + picture.width,
                y + picture.height);
    DrawQuadOutline(screen.surface, x - 2, y - 2, x + picture.width + 1, y - 2, x + picture.width + 1,
                    y + picture.height + 1, x - 2, y + picture.height + 1, outline);
}

void DrawFrame(HWND window, Display2D& display, Surface2D& screen, Surface2D& panel, Widgets& w) {
    ClearSurface(screen.surface);
    // The panel was filled and written on once; it is copied stretched to the whole screen.
    screen.Blit(panel.surface, screen.surface, 0, 0, panel.width, panel.height, 0, 0, display.width,
                display.height);
    screen.WriteText(24, 8, "Orvik widgets: DirectDraw 7 and GDI on SDL2");

    const COLORREF white = RGB(255, 255, 255), yellow = RGB(255, 220, 60);
    screen.WriteText(24, 36, "BitmapButton, own size / scaled x2");
    Place(screen, w.okButton.image, w.okButton.left, w.okButton.top, yellow);
    Place(screen, w.okButton.comment, w.okButton.right + 12, w.okButton.top + 8, white);
    Place(screen, w.bigButton.image, w.bigButton.left, w.bigButton.top, yellow);

    screen.WriteText(24, 200, "CommentArea");
    Place(screen, w.commentArea.image, 24, 222, white);
    screen.WriteText(24, 276, "MemoBox");
    Place(screen, w.memo.image, 24, 298, white);

    screen.WriteText(300, 36, "HMemoBox (content replaced)");
    Place(screen, w.hmemo.content, 300, 58, white);
    Place(screen, w.hmemo.upArrow, 300 + w.hmemo.content.width + 6, 58, white);
    Place(screen, w.hmemo.downArrow, 300 + w.hmemo.content.width + 6, 58 + w.hmemo.content.height - 16, white);

    screen.WriteText(300, 150, "ChooseBox");
    for (int i = 0; i < w.choose.itemCount; ++i) Place(screen, w.choose.items[i], 300, 172 + i * 22, white);
    Place(screen, w.choose.upArrow, 400, 172, white);
    Place(screen, w.choose.downArrow, 400, 172 + 2 * 22, white);

    screen.WriteText(300, 250, "BitmapSet");
    for (int i = 0; i < w.set.itemCount; ++i) Place(screen, w.set.items[i], 300 + i * 32, 272, white);

    // The cursor without and with its colour key, then at the mouse.
    screen.WriteText(300, 312, "MouseCursor: plain / colour-keyed");
    Surface2D& arrow = w.cursor.image;
    DWORD key = MagentaKey(arrow.surface);
    screen.Blit(arrow.surface, screen.surface, 0, 0, arrow.width, arrow.height, 300, 334, 300 + 2 * arrow.width,
                334 + 2 * arrow.height);
    arrow.BlitKeyed(arrow.surface, screen.surface, 0, 0, arrow.width, arrow.height, 350, 334,
                    350 + 2 * arrow.width, 334 + 2 * arrow.height, key);
    // The window may be larger than the display (the desktop, scaled): the
    // mouse comes in window pixels. Near the edges the back buffer's clipper
    // cuts the cursor to the screen.
    RECT client = {0, 0, display.width, display.height};
    GetClientRect(window, &client);
    int x = client.right > 0 ? int(int64_t(mouse.x) * display.width / client.right) : mouse.x;
    int y = client.bottom > 0 ? int(int64_t(mouse.y) * display.height / client.bottom) : mouse.y;
    arrow.BlitKeyed(arrow.surface, screen.surface, 0, 0, arrow.width, arrow.height, x, y, x + arrow.width,
                    y + arrow.height, key);

    DrawQuadOutline(screen.surface, 4, 4, display.width - 5, 4, display.width - 5, display.height - 5, 4,
                    display.height - 5, RGB(120, 160, 255));
    display.primary->Flip(nullptr, DDFLIP_WAIT);
}

bool ParseMode(const char* text, int* width, int* height, int* bits) {
    return std::sscanf(text, "%dx%dx%d", width, height, bits) == 3 && *width >= 480 && *height >= 400 &&
           *width <= 4096 && *height <= 4096;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 640, height = 480, bits = 32;
    if (argc < 2 || argc > 3 || (argc == 3 && !ParseMode(argv[2], &width, &height, &bits))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // Saved frames go where the capture folder named before moving into DIR.
    if (!WidgetsHostPrepareCapture()) return 1;
    std::error_code failure;
    std::filesystem::current_path(argv[1], failure);
    if (failure) {
        std::fprintf(stderr, "orvik-widgets: cannot enter %s\n", argv[1]);
        return 1;
    }

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WidgetWindowProc;
    windowClass.lpszClassName = "orvik-widgets";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "orvik-widgets", "Orvik widgets", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) {
        std::fputs("orvik-widgets: cannot create the window\n", stderr);
        return 1;
    }

    displayLogStream = widgetLogStream = inputLogStream = stdout;
    displayDebugLevel = widgetDebugLevel = inputDebugLevel = 1;
    Display2D display;
    display.Create(width, height, bits, window);
    if (display.primary == nullptr || display.backBuffer == nullptr) {
        std::fprintf(stderr, "orvik-widgets: cannot set up a %dx%dx%d display\n", width, height, bits);
        display.Release();
        return 1;
    }

    const char* const items[] = {"GUI\\ITEM1.BMP", "GUI\\ITEM2.BMP", "GUI\\ITEM3.BMP"};
    const char* const pictures[] = {"GUI\\SET1.BMP", "GUI\\SET2.BMP", "GUI\\SET3.BMP"};
    Widgets widgets(items, pictures);

    Surface2D panel;
    panel.Create(64, 48);
    HBRUSH backdrop = CreateSolidBrush(RGB(28, 36, 52));
    panel.Fill(backdrop);
    DeleteObject(backdrop);

    // The back buffer as a record, so the surface operations can draw on it; the display owns it.
    Surface2D screen;
    screen.surface = display.backBuffer;
    screen.width = display.width;
    screen.height = display.height;

    bool once = WidgetsHostShowsOneFrame();
    MSG message = {};
    bool running = true;
    while (running) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) running = false;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!running) break;
        DrawFrame(window, display, screen, panel, widgets);
        if (once) break;
        Sleep(16);
    }

    panel.Release();
    widgets.Release();
    display.Release();
    if (IsWindow(window)) DestroyWindow(window);
    WidgetsHostShutdown();
    return 0;
}
