// The triangles of one texture in a static vertex buffer, drawn with one call.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleRecord.h"

constexpr DWORD LEVEL_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_TEX1;  // 0x102
constexpr UINT LEVEL_VERTEX_STRIDE = sizeof(Vertex);

class TriangleGroup {
public:
    IDirect3DVertexBuffer8* vertexBuffer;
    Renderer* renderer;
    TextureSlot* textureSlot;
    int32_t triangleCount;

    TriangleGroup() : vertexBuffer(nullptr), renderer(nullptr), textureSlot(nullptr), triangleCount(0) {}

    void SetRenderer(Renderer* owner);
    // Copies count records into a new vertex buffer, three vertices each.
    void Build(const TriangleRecord* records, int32_t count, TextureSlot* slot);
    void Draw();
    void Release();
};

extern TriangleGroup triangleGroups[MAX_TEXTURES];  // defined with the other globals in shell/Globals.cpp
