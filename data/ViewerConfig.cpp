#include "data/ViewerConfig.h"

#include <cstdio>
#include <cstring>

#include "data/ConfigTokens.h"
#include "data/SharedState.h"
#include "platform/files/RegularFile.h"
#include "render/Camera.h"
#include "render/Renderer.h"

namespace {

// Every setting is two ignored words and a value. A read covers one or more
// settings and stops at the first value that does not read, as a formatted
// read does; what it did not reach keeps its default.
struct SettingValues {
    int width = 640;
    int height = 480;
    char filter[128] = "";
    char fillMode[128] = "";
    char texturing[128] = "";
    char fogSwitch[128] = "";
    int red = 0;
    int green = 0;
    int blue = 0;
    float density = 0.0f;
    float moveSpeed = 0.0f;
    float mouseSensitivity = 0.0f;
};

bool Is(const char* word, const char* keyword) { return std::strcmp(word, keyword) == 0; }

}  // namespace

ViewerConfigResult ReadViewerConfig(HWND window) {
    // Never waits on a FIFO or device of that name; such a file does not read.
    std::FILE* file = OpenRegularFile("GAME.CFG", "r");
    if (file == nullptr) return ViewerConfigResult::MissingFile;
    ConfigTokens tokens(file);
    SettingValues values;

    tokens.Skip() && tokens.Skip() && tokens.Integer(&values.width) && tokens.Skip() && tokens.Skip() &&
        tokens.Integer(&values.height);
    if (std::ferror(file)) {
        std::fclose(file);
        return ViewerConfigResult::Unreadable;
    }
    ScreenSize[0] = values.width;
    ScreenSize[1] = values.height;
    renderer.Create(ScreenSize[0], ScreenSize[1], window);
    if (renderer.device == nullptr) {
        std::fclose(file);
        return ViewerConfigResult::NoDevice;
    }

    tokens.Skip() && tokens.Skip() && tokens.Word(values.filter);
    if (Is(values.filter, "POINT")) renderer.SetTextureFilter(D3DTEXF_POINT, D3DTEXF_POINT);
    else if (Is(values.filter, "LINEAR")) renderer.SetTextureFilter(D3DTEXF_LINEAR, D3DTEXF_LINEAR);
    else if (Is(values.filter, "ANISOTROPIC")) renderer.SetTextureFilter(D3DTEXF_ANISOTROPIC, D3DTEXF_ANISOTROPIC);

    tokens.Skip() && tokens.Skip() && tokens.Word(values.fillMode);
    if (Is(values.fillMode, "SOLID")) renderer.SetFillMode(D3DFILL_SOLID);
    else if (Is(values.fillMode, "WIREFRAME")) renderer.SetFillMode(D3DFILL_WIREFRAME);
    else if (Is(values.fillMode, "POINTS")) renderer.SetFillMode(D3DFILL_POINT);

    tokens.Skip() && tokens.Skip() && tokens.Word(values.texturing);
    if (Is(values.texturing, "ENABLE")) renderer.SetTexturing(1);
    else if (Is(values.texturing, "DISABLE")) renderer.SetTexturing(0);

    tokens.Skip() && tokens.Skip() && tokens.Word(values.fogSwitch) && tokens.Skip() && tokens.Skip() &&
        tokens.Integer(&values.red) && tokens.Skip() && tokens.Skip() && tokens.Integer(&values.green) &&
        tokens.Skip() && tokens.Skip() && tokens.Integer(&values.blue) && tokens.Skip() && tokens.Skip() &&
        tokens.Real(&values.density);
    // Only "DISABLE" turns fog off: any other switch reaches the device as a
    // non-zero flag, which it takes as fog on.
    int fog = Is(values.fogSwitch, "DISABLE") ? 0 : 1;
    renderer.SetFog(values.density, values.blue, values.green, values.red, fog);
    renderer.SetClearColor(values.red, values.green, values.blue);

    tokens.Skip() && tokens.Skip() && tokens.Real(&values.moveSpeed);
    MoveSpeed = values.moveSpeed;
    tokens.Skip() && tokens.Skip() && tokens.Real(&values.mouseSensitivity);
    MouseSensitivity = values.mouseSensitivity;

    renderer.SetCullMode(0, D3DCULL_NONE);
    renderer.SetLighting(0);
    renderer.SetZBuffer(1);

    const float initialPose[CAMERA_POSE_FLOATS] = {0, 100, 0, 0, 0, 0, 0, -1, 0, 0, 0};
    std::memcpy(CameraPose, initialPose, sizeof CameraPose);
    camera.SetRenderer(&renderer);

    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? ViewerConfigResult::Unreadable : ViewerConfigResult::Applied;
}
