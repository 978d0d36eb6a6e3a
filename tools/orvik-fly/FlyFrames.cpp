#include "tools/orvik-fly/FlyFrames.h"

#include <cstring>

#include "data/SharedState.h"
#include "input/FreeFlightStep.h"
#include "platform/win32/windows.h"
#include "shell/ViewerSession.h"

int FlyFrames(PathRecorder* recorder, int maxFrames) {
    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    int frames = 0;
    do {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (RunState == 2) {
            RenderFrame();
            ++frames;
            FreeFlightStep();
            // Escape's step is never shown, so it is not recorded either.
            if (RunState != 0 && recorder != nullptr) recorder->WritePose(CameraPose);
            if (maxFrames > 0 && frames >= maxFrames) break;
        }
    } while (RunState != 0);
    return frames;
}
