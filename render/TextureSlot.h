// Owns the texture of one texture index of the level.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "render/Renderer.h"
#include "render/TriangleRecord.h"

class TextureSlot {
public:
    Renderer* renderer;
    IDirect3DTexture8* texture;

    TextureSlot() : renderer(nullptr), texture(nullptr) {}

    void SetRenderer(Renderer* owner);
    // Loads the texture from an image file; on failure the slot stays empty.
    void LoadFromFile(const char* fileName);
    void Release();
};

extern TextureSlot textureSlots[MAX_TEXTURES];  // defined with the other globals in shell/Globals.cpp
