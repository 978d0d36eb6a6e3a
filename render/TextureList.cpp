#include "render/TextureList.h"

#include <new>

#include "texload/TextureFromFile.h"

bool TextureList::Create(Renderer* owner, int32_t wanted) {
    renderer = owner;
    count = 0;
    capacity = 0;
    if (wanted <= 0) return false;
    textures = new (std::nothrow) IDirect3DTexture8*[wanted]();
    if (textures == nullptr) return false;
    capacity = wanted;
    return true;
}

bool TextureList::Add(const char* fileName) {
    // The list never writes past the room it was made with.
    if (textures == nullptr || count >= capacity) return false;
    textures[count] = nullptr;
    TextureFromFile(renderer->device, fileName, &textures[count]);
    ++count;
    return true;
}

void TextureList::Release() {
    for (int32_t i = 0; i < count; ++i)
        if (textures[i] != nullptr) textures[i]->Release();
    delete[] textures;
    textures = nullptr;
    count = 0;
    capacity = 0;
}
