// libFuzzer target: ReadViewerConfig on arbitrary GAME.CFG text, creating a real
// device on the offscreen video driver and applying every setting, as start-up
// does. GAME.CFG is read from the working directory: the fuzzer works in a
// private temporary one, removed at exit.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/SharedState.h"
#include "data/ViewerConfig.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "tests/support/TestWindow.h"

namespace {

std::string workDir;
HWND window = nullptr;

void RemoveWorkDir() {
    std::remove((workDir + "/GAME.CFG").c_str());
    rmdir(workDir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    char dir[] = "/tmp/orvik-config-fuzz-XXXXXX";
    if (mkdtemp(dir) == nullptr || chdir(dir) != 0) std::abort();
    workDir = dir;
    std::atexit(RemoveWorkDir);
    window = ShowTestWindow();
    if (window == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen("GAME.CFG", "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    renderer = Renderer();
    camera = Camera();
    ViewerConfigResult result = ReadViewerConfig(window);
    if (result == ViewerConfigResult::Applied && renderer.device == nullptr) std::abort();
    if (renderer.device != nullptr) renderer.Release();
    else if (renderer.direct3D != nullptr) renderer.direct3D->Release();
    renderer = Renderer();
    return 0;
}
