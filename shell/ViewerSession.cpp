#include "shell/ViewerSession.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "data/DataPackage.h"
#include "data/LevelLoader.h"
#include "data/SharedState.h"
#include "data/StopRequest.h"
#include "data/ViewerConfig.h"
#include "input/InputDevices.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
#include "platform/files/RegularFile.h"
#include "render/Camera.h"
#include "render/DrawList.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleGroup.h"
#include "shell/MainWindowProc.h"
#include "shell/StartupFailure.h"

namespace {

// The far distance of the camera's projection.
constexpr float kFarDistance = 500.0f;

bool comInitialised = false;

void ReleaseRenderer() {
    if (renderer.device != nullptr) {
        renderer.Release();
    } else if (renderer.direct3D != nullptr) {
        // The device never came to be; only the Direct3D object is held.
        renderer.direct3D->Release();
    }
    renderer.device = nullptr;
    renderer.direct3D = nullptr;
}

void RegisterWindowClass(HINSTANCE hInstance) {
    WNDCLASSA wndClass;
    std::memset(&wndClass, 0, sizeof wndClass);
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

bool FailStartup(int* exitCode) {
    ShutDownViewer();
    *exitCode = 1;
    return false;
}

// The user asked to stop before playback began: an orderly end, like closing the window.
bool StopStartup(int* exitCode) {
    ShutDownViewer();
    *exitCode = 0;
    return false;
}

bool ExtractFailed() {
    if (dataPackage.failure == ExtractFailure::None) return false;
    ReportExtractFailure(dataPackage.failure, dataPackage.failureName, dataPackage.failureError);
    return true;
}

}  // namespace

bool StartViewer(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow, int* exitCode) {
    CoInitialize(nullptr);
    comInitialised = true;
    if (hPrevInstance == nullptr) RegisterWindowClass(hInstance);
    mainWindow = CreateWindowExA(0, "klasa", "Orvik", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
    ShowWindow(mainWindow, nCmdShow);
    UpdateWindow(mainWindow);

    if (lpCmdLine != nullptr && std::strcmp(lpCmdLine, "VER") == 0) {
        MessageBoxA(mainWindow,
                    "Przegladarka poziomow Orvik\n MORVANE\n Code by Tellan\n\n Wersja: 1.1\n Kompilacja: 2",
                    "Orvik info", MB_OK);
    }
    ShowCursor(FALSE);
    if (StopRequested()) return StopStartup(exitCode);

    dataPackage.Open("DATA.MBP");
    if (ExtractFailed()) return FailStartup(exitCode);
    if (!dataPackage.IsReadable()) {
        ReportMissingFile("DATA.MBP");
        return FailStartup(exitCode);
    }
    // A stop request is taken between the members, and a failed extraction
    // stops everything before another file is written.
    for (const char* member : {"GAME.CFG", "MAP.MBM", "RC.DEM"}) {
        if (StopRequested()) return StopStartup(exitCode);
        dataPackage.Extract(member);
        if (ExtractFailed()) return FailStartup(exitCode);
    }
    if (StopRequested()) return StopStartup(exitCode);

    ViewerConfigResult config = ReadViewerConfig(mainWindow);
    if (config == ViewerConfigResult::MissingFile || config == ViewerConfigResult::Unreadable) {
        ReportMissingFile("GAME.CFG");
        return FailStartup(exitCode);
    }
    if (config == ViewerConfigResult::NoDevice) {
        ReportNoDevice();
        return FailStartup(exitCode);
    }
    if (StopRequested()) return StopStartup(exitCode);
    musicLoader.Create();
    switch (LoadLevel()) {
    case LevelResult::Loaded:
        break;
    case LevelResult::MapUnreadable:
        ReportMissingFile("MAP.MBM");
        return FailStartup(exitCode);
    case LevelResult::ExtractFailed:
        ExtractFailed();
        return FailStartup(exitCode);
    case LevelResult::Stopped:
        return StopStartup(exitCode);
    }
    inputDevices.Start(mainWindow);
    if (StopRequested()) return StopStartup(exitCode);

    pathFile = OpenRegularFile("RC.DEM", "r");
    if (pathFile != nullptr) {
        // A file that opens but does not read (an I/O error) is as good as missing.
        int first = std::fgetc(pathFile);
        if (first == EOF && std::ferror(pathFile)) {
            std::fclose(pathFile);
            pathFile = nullptr;
        } else {
            std::ungetc(first, pathFile);
        }
    }
    if (pathFile == nullptr) {
        ReportMissingFile("RC.DEM");
        return FailStartup(exitCode);
    }
    *exitCode = 0;
    return true;
}

void RenderFrame() {
    renderer.BeginFrame();
    camera.Update(CameraPose, kFarDistance);
    drawList.DrawAll();
    renderer.EndFrame();
}

void ShutDownViewer() {
    if (pathFile != nullptr) {
        std::fclose(pathFile);
        pathFile = nullptr;
    }
    musicPlayer.Stop();
    musicLoader.Release();
    for (int i = 0; i < MAX_TEXTURES; ++i) {
        triangleGroups[i].Release();
        textureSlots[i].Release();
        triangleGroups[i].vertexBuffer = nullptr;
        textureSlots[i].texture = nullptr;
    }
    // A start-up that stopped before the level closed the package closes it here.
    dataPackage.Close();
    DeleteExtractedFiles();
    ReleaseRenderer();
    inputDevices.Close();
    if (comInitialised) CoUninitialize();
    comInitialised = false;
}
