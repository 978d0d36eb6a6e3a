// A growable list of textures loaded from files. The playback does not use it.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/Renderer.h"

class TextureList {
public:
    Renderer* renderer;
    int32_t capacity;
    int32_t count;
    IDirect3DTexture8** textures;

    TextureList() : renderer(nullptr), capacity(0), count(0), textures(nullptr) {}

    // Allocates room for capacity textures; false when that fails.
    bool Create(Renderer* owner, int32_t capacity);
    // Loads the file into the next entry and counts it; false when the list is full.
    bool Add(const char* fileName);
    // Releases every texture and frees the array.
    void Release();
};
