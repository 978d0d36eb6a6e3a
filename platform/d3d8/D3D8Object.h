// IDirect3D8: the one adapter (the SDL display with a GL 3.3 core renderer),
// its modes, the formats it takes and the devices it makes.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/win32/ComObject.h"

struct GlLimits;

class D3D8Object : public ComObject<IDirect3D8> {
public:
    D3D8Object() = default;

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT RegisterSoftwareDevice(void* pInitializeFunction) override;
    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER8* pIdentifier) override;
    UINT GetAdapterModeCount(UINT Adapter) override;
    HRESULT EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) override;
    HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
    HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat, D3DFORMAT BackBufferFormat,
                            BOOL Windowed) override;
    HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                              D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, BOOL Windowed,
                                       D3DMULTISAMPLE_TYPE MultiSampleType) override;
    HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                   D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) override;
    HMONITOR GetAdapterMonitor(UINT Adapter) override;
    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                         D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice8** ppReturnedDeviceInterface) override;

private:
    ~D3D8Object() override = default;
};

// The capabilities of a device on GL with these limits, after the test override.
void BuildDeviceCaps(const GlLimits& limits, D3DCAPS8& caps);

// Whether a format may be a texture; false for formats this layer cannot draw.
bool IsTextureFormat(D3DFORMAT format);

// Display formats the back buffer and the desktop may have.
bool IsDisplayFormat(D3DFORMAT format);

// The desktop's mode, with its format as a Direct3D code.
bool DesktopDisplayMode(D3DDISPLAYMODE& mode);
