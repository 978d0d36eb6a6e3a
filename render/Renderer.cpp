#include "render/Renderer.h"

#include <cstring>

void Renderer::Create(int32_t width, int32_t height, HWND window) {
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    // The device takes the desktop's current pixel format.
    D3DDISPLAYMODE mode;
    std::memset(&mode, 0, sizeof mode);
    if (direct3D != nullptr) direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);

    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = static_cast<UINT>(width);
    parameters.BackBufferHeight = static_cast<UINT>(height);
    parameters.BackBufferFormat = mode.Format;
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = FALSE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
    parameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    if (direct3D != nullptr)
        direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &parameters, &device);
}

void Renderer::SetTextureFilter(D3DTEXTUREFILTERTYPE minFilter, D3DTEXTUREFILTERTYPE magFilter) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, minFilter);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, magFilter);
}

void Renderer::SetFillMode(int32_t mode) { device->SetRenderState(D3DRS_FILLMODE, static_cast<DWORD>(mode)); }

void Renderer::SetTexturing(int32_t on) { texturingEnabled = static_cast<uint8_t>(on); }

void Renderer::SetFog(float density, int32_t blue, int32_t green, int32_t red, int32_t on) {
    device->SetRenderState(D3DRS_FOGENABLE, static_cast<uint8_t>(on));
    DWORD color = (static_cast<DWORD>(blue) & 0xFF) | (static_cast<DWORD>(green) & 0xFF) << 8 |
                  (static_cast<DWORD>(red) & 0xFF) << 16;
    device->SetRenderState(D3DRS_FOGCOLOR, color);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    DWORD densityBits;
    std::memcpy(&densityBits, &density, sizeof densityBits);
    device->SetRenderState(D3DRS_FOGDENSITY, densityBits);
    fogEnabled = static_cast<uint8_t>(on);
}

void Renderer::SetClearColor(int32_t red, int32_t green, int32_t blue) {
    clearRed = red;
    clearGreen = green;
    clearBlue = blue;
}

void Renderer::SetCullMode(int32_t culling, int32_t mode) {
    device->SetRenderState(D3DRS_CULLMODE, static_cast<DWORD>(mode));
    cullEnabled = static_cast<uint8_t>(culling);
}

void Renderer::SetLighting(int32_t on) {
    device->SetRenderState(D3DRS_LIGHTING, static_cast<uint8_t>(on));
    lightingEnabled = static_cast<uint8_t>(on);
}

void Renderer::SetZBuffer(int32_t on) {
    device->SetRenderState(D3DRS_ZENABLE, static_cast<uint8_t>(on));
    zEnabled = static_cast<uint8_t>(on);
}

void Renderer::BeginFrame() {
    DWORD flags = (zEnabled == 1) ? (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER) : D3DCLEAR_TARGET;
    D3DCOLOR color = 0xFF000000u | (static_cast<DWORD>(clearRed) & 0xFF) << 16 |
                     (static_cast<DWORD>(clearGreen) & 0xFF) << 8 | (static_cast<DWORD>(clearBlue) & 0xFF);
    device->Clear(0, nullptr, flags, color, 1.0f, 0);
    device->BeginScene();
}

void Renderer::EndFrame() {
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void Renderer::Release() {
    device->Release();
    direct3D->Release();
}
