// The window and message layer: the close chain the viewer's shutdown relies
// on, the quit message, filters and the COM class table.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/PlatformWindow.h"
#include "platform/win32/windows.h"

namespace {

std::vector<UINT> seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back(message);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className) {
    WNDCLASSA wndClass = {};
    wndClass.lpfnWndProc = RecordingProc;
    wndClass.lpszClassName = className;
    wndClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wndClass);
    return CreateWindowExA(0, className, "test", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Drains the queue the way the viewer's loop does; returns the quit code or -1.
long PumpUntilQuit(int passes) {
    MSG msg = {};
    for (int i = 0; i < passes; ++i) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) return static_cast<long>(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return -1;
}

TEST(MessageLoopTest, CloseRequestDestroysTheWindowAndQuits) {
    HWND window = MakeWindow("close-chain");
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWDEFAULT);
    seen.clear();
    PlatformRequestClose(window);
    EXPECT_EQ(PumpUntilQuit(100), 0);
    // SC_CLOSE becomes WM_CLOSE, which destroys the window.
    std::vector<UINT> expected{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
    std::vector<UINT> chain;
    for (UINT m : seen)
        if (m == WM_SYSCOMMAND || m == WM_CLOSE || m == WM_DESTROY || m == WM_NCDESTROY) chain.push_back(m);
    EXPECT_EQ(chain, expected);
    EXPECT_FALSE(IsWindow(window));
    // Messages for a destroyed window are dropped.
    MSG late = {window, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&late), 0);
}

TEST(MessageLoopTest, QueueNeverBlocksAndKeepsOrderAndFilters) {
    MSG msg = {};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    HWND window = MakeWindow("queue-order");
    ASSERT_NE(window, nullptr);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    PostMessageA(window, WM_USER + 1, 11, 0);
    PostMessageA(window, WM_USER + 2, 22, 0);
    PostQuitMessage(7);
    // A range filter takes the matching message out of turn; NOREMOVE leaves it queued.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 22u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(window);
}

TEST(MessageLoopTest, ClassesAreFoundByNameAndRegisteredOnce) {
    WNDCLASSA wndClass = {};
    wndClass.lpfnWndProc = RecordingProc;
    wndClass.lpszClassName = "OnlyOnce";
    EXPECT_NE(RegisterClassA(&wndClass), 0);
    EXPECT_EQ(RegisterClassA(&wndClass), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(CreateWindowExA(0, "no-such-class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

const CLSID kTestClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
int created = 0;

HRESULT CreateTestObject(REFIID, void** object) {
    ++created;
    *object = &created;
    return S_OK;
}

TEST(MessageLoopTest, ComCreatesRegisteredClassesOnlyWhileInitialised) {
    ComRegisterClass(kTestClass, CreateTestObject);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC, IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, &created);
    EXPECT_EQ(CoCreateInstance(GUID_NULL, nullptr, CLSCTX_INPROC, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
}

TEST(MessageLoopTest, HeadlessMessageBoxReturnsAtOnceAndCursorCounts) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK);
    int before = ShowCursor(TRUE);
    EXPECT_EQ(ShowCursor(FALSE), before - 1);
}

}  // namespace
