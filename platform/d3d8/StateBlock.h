// A recorded or captured set of device states: which states it holds and
// their values. The device applies, captures and records them.
#pragma once

#include <array>
#include <vector>

#include "platform/d3d8/d3d8.h"

class D3D8Texture;
class D3D8VertexBuffer;
class D3D8IndexBuffer;

struct StateBlock {
    std::array<bool, 256> renderMask{};
    std::array<DWORD, 256> render{};
    std::array<std::array<bool, 32>, 8> stageMask{};
    std::array<std::array<DWORD, 32>, 8> stage{};
    std::array<bool, 8> textureMask{};
    std::array<D3D8Texture*, 8> textures{};  // bound, so that they live as long as the block
    // Transforms: view, projection, world 0..255, texture 0..7, each with its mask.
    std::vector<std::pair<DWORD, D3DMATRIX>> transforms;
    bool viewportMask = false;
    D3DVIEWPORT8 viewport{};
    bool materialMask = false;
    D3DMATERIAL8 material{};
    struct Light {
        DWORD index;
        bool setLight;
        D3DLIGHT8 light;
        bool setEnable;
        BOOL enabled;
    };
    std::vector<Light> lights;
    std::array<bool, D3DMAXUSERCLIPPLANES> clipMask{};
    std::array<std::array<float, 4>, D3DMAXUSERCLIPPLANES> clipPlanes{};
    bool shaderMask = false;
    DWORD shader = 0;
    bool streamMask = false;
    D3D8VertexBuffer* stream = nullptr;  // bound
    UINT stride = 0;
    bool indicesMask = false;
    D3D8IndexBuffer* indices = nullptr;  // bound
    UINT baseVertexIndex = 0;
    bool paletteMask = false;
    UINT palette = 0;
};
