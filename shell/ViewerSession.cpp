#include "shell/ViewerSession.h"

#include <cstdio>
#include <cstring>

#include "data/DataPackage.h"
#include "data/LevelLoader.h"
#include "data/SharedState.h"
#include "data/ViewerConfig.h"
#include "input/InputDevices.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
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

int FailStartup() {
    ShutDownViewer();
    return 1;
}

}  // namespace

int StartViewer(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
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

    dataPackage.Open("DATA.MBP");
    if (!dataPackage.IsReadable()) {
        ReportMissingFile("DATA.MBP");
        return FailStartup();
    }
    dataPackage.Extract("GAME.CFG");
    dataPackage.Extract("MAP.MBM");
    dataPackage.Extract("RC.DEM");

    ViewerConfigResult config = ReadViewerConfig(mainWindow);
    if (config == ViewerConfigResult::MissingFile) {
        ReportMissingFile("GAME.CFG");
        return FailStartup();
    }
    if (config == ViewerConfigResult::NoDevice) {
        ReportNoDevice();
        return FailStartup();
    }
    musicLoader.Create();
    if (!LoadLevel()) {
        ReportMissingFile("MAP.MBM");
        return FailStartup();
    }
    inputDevices.Start(mainWindow);

    pathFile = std::fopen("RC.DEM", "r");
    if (pathFile == nullptr) {
        ReportMissingFile("RC.DEM");
        return FailStartup();
    }
    return 0;
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
