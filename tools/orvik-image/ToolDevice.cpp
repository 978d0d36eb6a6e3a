#include "tools/orvik-image/ToolDevice.h"

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK ToolWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

ToolDevice::~ToolDevice() {
    if (device != nullptr) device->Release();
    if (direct3D_ != nullptr) direct3D_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
}

bool ToolDevice::Create() {
    // The window is never shown to anyone: no display is needed.
    // (Linux's platform layer reads this; Windows ignores it.)
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) putenv(const_cast<char*>("SDL_VIDEODRIVER=offscreen"));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ToolWindowProc;
    windowClass.lpszClassName = "orvik-image";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "orvik-image", "orvik-image", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr) {
        std::fprintf(stderr, "%s: cannot create a window for the Direct3D device\n", toolName_);
        return false;
    }
    direct3D_ = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3D_ == nullptr) {
        std::fprintf(stderr, "%s: Direct3D is not available\n", toolName_);
        return false;
    }
    D3DDISPLAYMODE mode = {};
    direct3D_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS params = {};
    params.BackBufferWidth = 64;
    params.BackBufferHeight = 64;
    params.BackBufferFormat = mode.Format;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = window_;
    params.Windowed = TRUE;
    HRESULT hr = direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s: cannot create the Direct3D device (0x%08X)\n", toolName_, unsigned(hr));
        device = nullptr;
        return false;
    }
    return true;
}

bool ToolDevice::Supports(D3DFORMAT format) const {
    D3DDISPLAYMODE mode = {};
    direct3D_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    return SUCCEEDED(direct3D_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0,
                                                  D3DRTYPE_TEXTURE, format));
}
