// A hidden window and a Direct3D 8 device on it, for the commands that load
// pictures into textures.
#pragma once

#include "platform/d3d8/d3d8.h"

class ToolDevice {
public:
    // toolName starts the messages about a missing device.
    explicit ToolDevice(const char* toolName = "orvik-image") : toolName_(toolName) {}
    ~ToolDevice();
    ToolDevice(const ToolDevice&) = delete;
    ToolDevice& operator=(const ToolDevice&) = delete;

    // Prints why and returns false when there is no device.
    bool Create();
    // Whether the device can hold textures of this format.
    bool Supports(D3DFORMAT format) const;

    IDirect3DDevice8* device = nullptr;

private:
    const char* toolName_;
    IDirect3D8* direct3D_ = nullptr;
    HWND window_ = nullptr;
};
