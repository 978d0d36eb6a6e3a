// wine-window: does to another program's window what a user would, for the
// tests that run the Windows programs under Wine.
//   wine-window wait CLASS     waits until a window of CLASS is shown
//   wine-window close CLASS    asks the first window of CLASS to close, as its
//                              close button does (WM_SYSCOMMAND, SC_CLOSE)
//   wine-window answer TITLE   prints the text of the message box titled TITLE
//                              and presses its OK button
// Each waits up to 60 seconds for its window; exit code 0 done, 1 no window
// came, 2 bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND WaitForWindow(const char* className, const char* title) {
    for (int tries = 0; tries < 600; ++tries) {
        HWND window = FindWindowA(className, title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(100);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: wine-window wait CLASS | close CLASS | answer TITLE\n", stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "wait") == 0) return WaitForWindow(argv[2], nullptr) != nullptr ? 0 : 1;
    if (std::strcmp(argv[1], "close") == 0) {
        HWND window = WaitForWindow(argv[2], nullptr);
        if (window == nullptr) return 1;
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (std::strcmp(argv[1], "answer") == 0) {
        // "#32770" is the class of dialog boxes, message boxes among them.
        HWND box = WaitForWindow("#32770", argv[2]);
        if (box == nullptr) return 1;
        char text[1024] = {};
        // A message box's text is the static control with the id 0xFFFF.
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        std::printf("%s\n", text);
        std::fflush(stdout);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        return 0;
    }
    std::fputs("usage: wine-window wait CLASS | close CLASS | answer TITLE\n", stderr);
    return 2;
}
