// The viewer's entry point: start-up, the playback loop and shutdown.
#include <cstring>

#include "data/PathRecord.h"
#include "data/SharedState.h"
#include "platform/win32/windows.h"
#include "shell/ViewerSession.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    int exitCode = 0;
    if (!StartViewer(hInstance, hPrevInstance, lpCmdLine, nCmdShow, &exitCode)) return exitCode;

    // Every waiting message is handled before the next frame; the path moves
    // the camera one record per presented frame.
    do {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (RunState == 2) {
            RenderFrame();
            ReadPathRecord();
        }
    } while (RunState != 0);

    ShutDownViewer();
    // A normal end, by the path's end marker or by closing the window, is a success.
    return 0;
}
