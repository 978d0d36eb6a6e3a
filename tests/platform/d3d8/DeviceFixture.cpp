#include "tests/platform/d3d8/DeviceFixture.h"

#include <cstring>

#include "platform/win32/PngWriter.h"
#include "platform/win32/windows.h"

namespace {

LRESULT CALLBACK FixtureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wndClass = {};
        wndClass.lpfnWndProc = FixtureProc;
        wndClass.lpszClassName = "d3d8-test";
        RegisterClassA(&wndClass);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "d3d8-test", "d3d8", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWDEFAULT);
    return window;
}

}  // namespace

void DeviceFixture::SetUp() {
    window_ = MakeWindow();
    ASSERT_NE(window_, nullptr);
    direct3D_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D_, nullptr);
}

void DeviceFixture::TearDown() {
    ReleaseDevice();
    if (direct3D_ != nullptr) {
        EXPECT_EQ(direct3D_->Release(), 0u);
    }
    direct3D_ = nullptr;
    if (window_ != nullptr) DestroyWindow(window_);
    D3D8ClearCapsOverride();
    D3D8ForceDxtDecode(false);
    D3D8KeepTextureCopies(false);
}

HRESULT DeviceFixture::CreateDevice(UINT width, UINT height) {
    D3DDISPLAYMODE mode{};
    direct3D_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window_;
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    width_ = width;
    height_ = height;
    return direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &pp, &device_);
}

void DeviceFixture::ReleaseDevice() {
    if (device_ != nullptr) {
        EXPECT_EQ(D3D8TakeGlErrors(device_), 0u) << "GL errors";
        EXPECT_EQ(device_->Release(), 0u);
    }
    device_ = nullptr;
}

IDirect3DVertexBuffer8* DeviceFixture::MakeBuffer(const void* bytes, UINT size, DWORD fvf) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(size, 0, fvf, D3DPOOL_DEFAULT, &buffer), D3D_OK);
    BYTE* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, bytes, size);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    return buffer;
}

IDirect3DTexture8* DeviceFixture::MakeTexture(UINT width, UINT height, const std::vector<D3DCOLOR>& pixels) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &pixels[y * width], width * 4);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    return texture;
}

void DeviceFixture::Draw(const void* vertices, UINT vertexSize, UINT count, DWORD fvf, D3DPRIMITIVETYPE type) {
    IDirect3DVertexBuffer8* buffer = MakeBuffer(vertices, vertexSize * count, fvf);
    UINT primitives = type == D3DPT_TRIANGLELIST ? count / 3
                      : type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN ? count - 2
                      : type == D3DPT_LINELIST ? count / 2
                      : type == D3DPT_LINESTRIP ? count - 1
                                                : count;
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->SetStreamSource(0, buffer, vertexSize), D3D_OK);
    EXPECT_EQ(device_->SetVertexShader(fvf), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(type, 0, primitives), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    buffer->Release();
}

D3DCOLOR DeviceFixture::DrawTextured(IDirect3DTexture8* texture) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device_->SetTexture(0, texture);
    float w = static_cast<float>(width_), h = static_cast<float>(height_);
    ScreenTexVertex v[6] = {{0, 0, 0.5f, 1, 0, 0}, {w, 0, 0.5f, 1, 1, 0}, {0, h, 0.5f, 1, 0, 1},
                            {w, 0, 0.5f, 1, 1, 0}, {w, h, 0.5f, 1, 1, 1}, {0, h, 0.5f, 1, 0, 1}};
    Draw(v, sizeof(ScreenTexVertex), 6, SCREEN_TEX_FVF);
    device_->SetTexture(0, nullptr);
    return Pixel(ReadBack(), width_ / 2, height_ / 2) & 0xFFFFFF;
}

std::vector<D3DCOLOR> DeviceFixture::ReadBack() {
    std::vector<unsigned char> rgba;
    UINT w = 0, h = 0;
    EXPECT_TRUE(D3D8ReadBackBuffer(device_, rgba, w, h));
    std::vector<D3DCOLOR> frame(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = D3DCOLOR_ARGB(rgba[i * 4 + 3], rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]);
    return frame;
}

void DeviceFixture::SaveFrame(const std::string& name) {
    std::vector<unsigned char> rgba;
    UINT w = 0, h = 0;
    ASSERT_TRUE(D3D8ReadBackBuffer(device_, rgba, w, h));
    std::string path = std::string(ORVIK_BINARY_DIR) + "/d3d8-" + name + ".png";
    WriteRgbaPng(path.c_str(), rgba.data(), static_cast<int>(w), static_cast<int>(h), static_cast<int>(w * 4), false);
}
