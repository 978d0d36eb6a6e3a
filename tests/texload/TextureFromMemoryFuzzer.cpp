// libFuzzer target: TextureFromMemory on arbitrary bytes, with the viewer's
// defaults, into a device on the offscreen video driver. Every byte of every
// level of a texture made is read through LockRect, so a level whose memory is
// shorter than its size and pitch claim is caught by the address sanitizer.
#include <cstdint>
#include <cstdlib>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/PlatformSettings.h"
#include "tests/support/TestWindow.h"
#include "texload/TextureFromFile.h"

namespace {

IDirect3DDevice8* device = nullptr;
volatile unsigned sink;

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // A small budget keeps each texture small, whatever size the file declares.
    setenv("ORVIK_TEXTURE_MEMORY_MB", "64", 1);
    PlatformReloadSettings();
    HWND window = ShowTestWindow();
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (window == nullptr || direct3D == nullptr) std::abort();
    D3DDISPLAYMODE mode{};
    direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 32;
    pp.BackBufferHeight = 32;
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device)))
        std::abort();
    direct3D->Release();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0xFFFFFFFFu) return 0;
    UINT before = device->GetAvailableTextureMem();
    IDirect3DTexture8* texture = nullptr;
    HRESULT result = TextureFromMemory(device, data, static_cast<UINT>(size), UINT(-1), UINT(-1), UINT(-1), 0,
                                       D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UINT(-1), UINT(-1), 0, nullptr, nullptr,
                                       &texture);
    if (FAILED(result)) {
        // A failed load keeps nothing.
        if (texture != nullptr || device->GetAvailableTextureMem() != before) std::abort();
        return 0;
    }
    unsigned sum = 0;
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        D3DLOCKED_RECT locked{};
        if (texture->GetLevelDesc(level, &desc) != D3D_OK) std::abort();
        if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) std::abort();
        UINT rows = IsBlockFormat(desc.Format) ? (desc.Height + 3) / 4 : desc.Height;
        const uint8_t* bytes = static_cast<const uint8_t*>(locked.pBits);
        size_t total = static_cast<size_t>(locked.Pitch) * rows;
        if (total != desc.Size) std::abort();
        for (size_t i = 0; i < total; ++i) sum += bytes[i];
        texture->UnlockRect(level);
    }
    sink = sum;
    texture->Release();
    if (device->GetAvailableTextureMem() != before) std::abort();
    return 0;
}
