// Start-up, the playback loop and shutdown of the viewer.
#include <cstdio>
#include <cstring>

#include "data/DataPackage.h"
#include "data/SharedState.h"
#include "input/InputDevices.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
#include "platform/win32/windows.h"
#include "shell/MainWindowProc.h"
#include "shell/StartupFailure.h"

namespace {

// How far start-up got, so that shutdown runs exactly the steps that apply.
struct StartupProgress {
    bool comInitialised = false;
};

void ShutDown(const StartupProgress& progress) {
    if (pathFile != nullptr) {
        std::fclose(pathFile);
        pathFile = nullptr;
    }
    musicPlayer.Stop();
    musicLoader.Release();
    DeleteExtractedFiles();
    inputDevices.Close();
    if (progress.comInitialised) CoUninitialize();
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    StartupProgress progress;
    CoInitialize(nullptr);
    progress.comInitialised = true;

    if (hPrevInstance == nullptr) {
        WNDCLASSA wndClass = {};
        wndClass.style = CS_OWNDC;
        wndClass.lpfnWndProc = MainWindowProc;
        wndClass.cbClsExtra = 0;
        wndClass.cbWndExtra = 0;
        wndClass.hInstance = hInstance;
        wndClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wndClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wndClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
        wndClass.lpszMenuName = nullptr;
        wndClass.lpszClassName = "klasa";
        RegisterClassA(&wndClass);
    }

    mainWindow = CreateWindowExA(0, "klasa", "Orvik", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
    ShowWindow(mainWindow, nCmdShow);
    UpdateWindow(mainWindow);

    if (lpCmdLine != nullptr && std::strcmp(lpCmdLine, "VER") == 0) {
        MessageBoxA(mainWindow,
                    "Przegladarka poziomow Orvik\n MORVANE\n Code by Tellan\n\n Wersja: 1.1\n Kompilacja: 2",
                    "Orvik info", MB_OK);
    }

    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    ShowCursor(FALSE);

    dataPackage.Open("DATA.MBP");
    if (!dataPackage.IsReadable()) {
        ReportMissingFile("DATA.MBP");
        dataPackage.Close();
        ShutDown(progress);
        return 1;
    }
    dataPackage.Extract("GAME.CFG");
    dataPackage.Extract("MAP.MBM");
    dataPackage.Extract("RC.DEM");
    musicLoader.Create();
    dataPackage.Close();
    inputDevices.Start(mainWindow);

    pathFile = std::fopen("RC.DEM", "r");
    if (pathFile == nullptr) {
        ReportMissingFile("RC.DEM");
        ShutDown(progress);
        return 1;
    }

    do {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } while (RunState != 0);

    ShutDown(progress);
    // A normal end, by the path's end marker or by closing the window, is a success.
    return 0;
}
