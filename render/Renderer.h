// The owner of the Direct3D object and the viewer's one full-screen device: it
// sets the fixed-function states and brackets every frame.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"

class Renderer {
public:
    IDirect3D8* direct3D;
    uint8_t zEnabled;
    uint8_t fogEnabled;
    uint8_t cullEnabled;
    uint8_t lightingEnabled;
    int32_t clearRed;
    int32_t clearGreen;
    int32_t clearBlue;
    IDirect3DDevice8* device;
    uint8_t texturingEnabled;

    Renderer()
        : direct3D(nullptr), zEnabled(0), fogEnabled(0), cullEnabled(0), lightingEnabled(0), clearRed(0),
          clearGreen(0), clearBlue(0), device(nullptr), texturingEnabled(0) {}

    void Create(int32_t width, int32_t height, HWND window);
    void SetTextureFilter(D3DTEXTUREFILTERTYPE minFilter, D3DTEXTUREFILTERTYPE magFilter);
    void SetFillMode(int32_t mode);
    void SetTexturing(int32_t on);
    void SetFog(float density, int32_t blue, int32_t green, int32_t red, int32_t on);
    void SetClearColor(int32_t red, int32_t green, int32_t blue);
    void SetCullMode(int32_t culling, int32_t mode);
    void SetLighting(int32_t on);
    void SetZBuffer(int32_t on);
    void BeginFrame();
    void EndFrame();
    void Release();
};

extern Renderer renderer;  // defined with the other globals in shell/Globals.cpp
