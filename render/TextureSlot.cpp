#include "render/TextureSlot.h"

#include "texload/TextureFromFile.h"

void TextureSlot::SetRenderer(Renderer* owner) { renderer = owner; }

void TextureSlot::LoadFromFile(const char* fileName) { TextureFromFile(renderer->device, fileName, &texture); }

void TextureSlot::Release() {
    if (texture != nullptr) texture->Release();
}
