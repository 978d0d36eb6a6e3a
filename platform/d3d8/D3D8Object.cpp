#include "platform/d3d8/D3D8Object.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3d8/D3D8Device.h"
#include "platform/d3d8/D3D8Testing.h"
#include "platform/d3d8/GlLimits.h"
#include "platform/d3d8/TextureFormat.h"
#include "platform/win32/PlatformWindow.h"

namespace {

D3D8CapsOverride capsOverride;
bool capsOverridden = false;

D3DFORMAT FromSdlFormat(Uint32 format) {
    if (SDL_BITSPERPIXEL(format) == 16)
        return format == SDL_PIXELFORMAT_RGB565 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    return D3DFMT_X8R8G8B8;
}

// The display modes SDL lists, largest first, as Direct3D modes.
int ListModes(D3DDISPLAYMODE* out, int wanted) {
    if (!PlatformVideoInit()) return 0;
    int count = SDL_GetNumDisplayModes(0);
    int listed = 0;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode sdlMode;
        if (SDL_GetDisplayMode(0, i, &sdlMode) != 0) continue;
        if (listed == wanted && out != nullptr) {
            out->Width = static_cast<UINT>(sdlMode.w);
            out->Height = static_cast<UINT>(sdlMode.h);
            out->RefreshRate = static_cast<UINT>(sdlMode.refresh_rate);
            out->Format = FromSdlFormat(sdlMode.format);
            return listed + 1;
        }
        ++listed;
    }
    return listed;
}

}  // namespace

void D3D8SetCapsOverride(const D3D8CapsOverride& caps) {
    capsOverride = caps;
    capsOverridden = true;
}

void D3D8ClearCapsOverride() { capsOverridden = false; }

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new (std::nothrow) D3D8Object();
}

bool IsTextureFormat(D3DFORMAT format) { return DescribeFormat(format).texture; }

bool IsDisplayFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

bool DesktopDisplayMode(D3DDISPLAYMODE& mode) {
    if (!PlatformVideoInit()) return false;
    SDL_DisplayMode sdlMode;
    if (SDL_GetDesktopDisplayMode(0, &sdlMode) != 0) return false;
    mode.Width = static_cast<UINT>(sdlMode.w);
    mode.Height = static_cast<UINT>(sdlMode.h);
    mode.RefreshRate = static_cast<UINT>(sdlMode.refresh_rate);
    mode.Format = FromSdlFormat(sdlMode.format);
    if (capsOverridden && capsOverride.desktopFormat != D3DFMT_UNKNOWN) mode.Format = capsOverride.desktopFormat;
    return true;
}

void BuildDeviceCaps(const GlLimits& limits, D3DCAPS8& caps) {
    std::memset(&caps, 0, sizeof caps);
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.AdapterOrdinal = D3DADAPTER_DEFAULT;
    caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                   D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                   D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                   D3DDEVCAPS_HWRASTERIZATION;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                             D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
    caps.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                      D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_WFOG |
                      D3DPRASTERCAPS_ZFOG | D3DPRASTERCAPS_COLORPERSPECTIVE;
    if (limits.maxAnisotropy > 1.0f) caps.RasterCaps |= D3DPRASTERCAPS_ANISOTROPY;
    caps.ZCmpCaps = 0xFF;
    caps.AlphaCmpCaps = 0xFF;
    caps.SrcBlendCaps = 0x1FFF;
    caps.DestBlendCaps = 0x3FF;
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                     D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                             D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (limits.maxAnisotropy > 1.0f)
        caps.TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                              D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV;
    if (limits.mirrorClamp) caps.TextureAddressCaps |= D3DPTADDRESSCAPS_MIRRORONCE;
    caps.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP |
                    D3DLINECAPS_FOG;
    caps.MaxTextureWidth = caps.MaxTextureHeight = static_cast<DWORD>(limits.maxTextureSize);
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = static_cast<DWORD>(limits.maxTextureSize);
    caps.MaxAnisotropy = std::max<DWORD>(1, static_cast<DWORD>(limits.maxAnisotropy));
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = -32768.0f;
    caps.GuardBandTop = -32768.0f;
    caps.GuardBandRight = 32767.0f;
    caps.GuardBandBottom = 32767.0f;
    caps.FVFCaps = 8;
    caps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                         D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
                         D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_ADDSIGNED2X |
                         D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_ADDSMOOTH | D3DTEXOPCAPS_BLENDDIFFUSEALPHA |
                         D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA |
                         D3DTEXOPCAPS_BLENDTEXTUREALPHAPM | D3DTEXOPCAPS_BLENDCURRENTALPHA |
                         D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA |
                         D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA |
                         D3DTEXOPCAPS_DOTPRODUCT3;
    // One texture stage: later stages are stored but not drawn with.
    caps.MaxTextureBlendStages = 1;
    caps.MaxSimultaneousTextures = 1;
    caps.VertexProcessingCaps =
        D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS | D3DVTXPCAPS_POSITIONALLIGHTS;
    caps.MaxActiveLights = 8;
    caps.MaxVertexBlendMatrices = 1;
    caps.MaxPointSize = 64.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 1;
    caps.MaxStreamStride = 256;

    if (capsOverridden) {
        const D3D8CapsOverride& o = capsOverride;
        if (o.pow2Only) caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
        if (o.squareOnly) caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
        if (o.noMipmaps) caps.TextureCaps &= ~D3DPTEXTURECAPS_MIPMAP;
        if (o.maxAspectRatio != 0) caps.MaxTextureAspectRatio = o.maxAspectRatio;
        if (o.maxTextureWidth != 0) caps.MaxTextureWidth = o.maxTextureWidth;
        if (o.maxTextureHeight != 0) caps.MaxTextureHeight = o.maxTextureHeight;
    }
}

HRESULT D3D8Object::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3D8);
}

HRESULT D3D8Object::RegisterSoftwareDevice(void*) { return D3DERR_NOTAVAILABLE; }

UINT D3D8Object::GetAdapterCount() { return PlatformVideoInit() ? 1 : 0; }

HRESULT D3D8Object::GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER8* pIdentifier) {
    if (Adapter != D3DADAPTER_DEFAULT || pIdentifier == nullptr) return D3DERR_INVALIDCALL;
    std::memset(pIdentifier, 0, sizeof *pIdentifier);
    std::snprintf(pIdentifier->Driver, sizeof pIdentifier->Driver, "orvik-gl");
    std::snprintf(pIdentifier->Description, sizeof pIdentifier->Description, "OpenGL 3.3 core: %s",
                  ProbeGlLimits().renderer.c_str());
    return D3D_OK;
}

UINT D3D8Object::GetAdapterModeCount(UINT Adapter) {
    if (Adapter != D3DADAPTER_DEFAULT) return 0;
    return static_cast<UINT>(ListModes(nullptr, -1));
}

HRESULT D3D8Object::EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) {
    if (Adapter != D3DADAPTER_DEFAULT || pMode == nullptr) return D3DERR_INVALIDCALL;
    if (ListModes(pMode, static_cast<int>(Mode)) != static_cast<int>(Mode) + 1) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT D3D8Object::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
    if (Adapter != D3DADAPTER_DEFAULT || pMode == nullptr) return D3DERR_INVALIDCALL;
    if (!DesktopDisplayMode(*pMode)) return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT D3D8Object::CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat,
                                    D3DFORMAT BackBufferFormat, BOOL Windowed) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (CheckType != D3DDEVTYPE_HAL || !ProbeGlLimits().available) return D3DERR_NOTAVAILABLE;
    if (!IsDisplayFormat(DisplayFormat)) return D3DERR_NOTAVAILABLE;
    bool backOk = BackBufferFormat == DisplayFormat ||
                  (DisplayFormat == D3DFMT_X8R8G8B8 && BackBufferFormat == D3DFMT_A8R8G8B8) ||
                  (Windowed && BackBufferFormat == D3DFMT_UNKNOWN);
    return backOk ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Object::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                      D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (AdapterFormat == D3DFMT_UNKNOWN) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
    bool depth = (Usage & D3DUSAGE_DEPTHSTENCIL) != 0;
    bool target = (Usage & D3DUSAGE_RENDERTARGET) != 0;
    switch (RType) {
    case D3DRTYPE_TEXTURE:
        // Textures are never render targets or depth buffers here.
        if (depth || target) return D3DERR_NOTAVAILABLE;
        return IsTextureFormat(CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_SURFACE:
        if (depth) return (CheckFormat == D3DFMT_D16 || CheckFormat == D3DFMT_D24S8) ? D3D_OK : D3DERR_NOTAVAILABLE;
        if (target) return D3DERR_NOTAVAILABLE;
        return IsTextureFormat(CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_VERTEXBUFFER:
        return CheckFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
        return (CheckFormat == D3DFMT_INDEX16 || CheckFormat == D3DFMT_INDEX32) ? D3D_OK : D3DERR_NOTAVAILABLE;
    default:
        return D3DERR_NOTAVAILABLE;
    }
}

HRESULT D3D8Object::CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT, BOOL,
                                               D3DMULTISAMPLE_TYPE MultiSampleType) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    return MultiSampleType == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Object::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                           D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
    bool targetOk = IsDisplayFormat(RenderTargetFormat) || RenderTargetFormat == D3DFMT_A8R8G8B8;
    bool depthOk = DepthStencilFormat == D3DFMT_D16 || DepthStencilFormat == D3DFMT_D24S8;
    return targetOk && depthOk ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Object::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) {
    if (Adapter != D3DADAPTER_DEFAULT || pCaps == nullptr) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const GlLimits& limits = ProbeGlLimits();
    if (!limits.available) return D3DERR_NOTAVAILABLE;
    BuildDeviceCaps(limits, *pCaps);
    return D3D_OK;
}

HMONITOR D3D8Object::GetAdapterMonitor(UINT Adapter) {
    // One display; its handle is only ever compared.
    return Adapter == D3DADAPTER_DEFAULT ? reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(1)) : nullptr;
}

HRESULT D3D8Object::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                 D3DPRESENT_PARAMETERS* pPresentationParameters,
                                 IDirect3DDevice8** ppReturnedDeviceInterface) {
    if (ppReturnedDeviceInterface == nullptr) return D3DERR_INVALIDCALL;
    *ppReturnedDeviceInterface = nullptr;
    if (Adapter != D3DADAPTER_DEFAULT || pPresentationParameters == nullptr) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const DWORD processing = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                             D3DCREATE_MIXED_VERTEXPROCESSING;
    DWORD chosen = BehaviorFlags & processing;
    if (chosen != D3DCREATE_SOFTWARE_VERTEXPROCESSING && chosen != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        chosen != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    D3D8Device* device = nullptr;
    HRESULT result = D3D8Device::Create(this, hFocusWindow, BehaviorFlags, *pPresentationParameters, &device);
    if (FAILED(result)) return result;
    *ppReturnedDeviceInterface = device;
    return D3D_OK;
}
