// Without any GL (SDL's dummy video driver) no device can be made, and the
// caller is told so as Direct3D would tell it.
#include <gtest/gtest.h>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/windows.h"

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(NoGlTest, CreateDeviceFailsAndLeavesTheDeviceNull) {
    WNDCLASSA wndClass = {};
    wndClass.lpfnWndProc = Proc;
    wndClass.lpszClassName = "no-gl";
    RegisterClassA(&wndClass);
    HWND window = CreateWindowExA(0, "no-gl", "no-gl", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DDISPLAYMODE mode{};
    direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 48;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
    HRESULT result = direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    EXPECT_EQ(result, D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    D3DCAPS8 caps{};
    EXPECT_EQ(direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(direct3D->Release(), 0u);
    DestroyWindow(window);
}

}  // namespace
