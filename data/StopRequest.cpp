#include "data/StopRequest.h"

#include "platform/win32/windows.h"

bool StopRequested() {
    MSG msg;
    // The quit message passes any filter; a close request comes as WM_SYSCOMMAND.
    if (!PeekMessageA(&msg, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE)) return false;
    return msg.message == WM_QUIT || (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
}
