#include "render/TriangleGroup.h"

#include <cstring>

void TriangleGroup::SetRenderer(Renderer* owner) { renderer = owner; }

void TriangleGroup::Build(const TriangleRecord* records, int32_t count, TextureSlot* slot) {
    // A group without triangles, or whose buffer cannot be made or locked,
    // keeps no buffer and draws nothing.
    if (count > 0) {
        UINT length = static_cast<UINT>(count) * 3 * LEVEL_VERTEX_STRIDE;
        renderer->device->CreateVertexBuffer(length, 0, LEVEL_VERTEX_FVF, D3DPOOL_DEFAULT, &vertexBuffer);
    }
    if (vertexBuffer != nullptr) {
        BYTE* data = nullptr;
        if (SUCCEEDED(vertexBuffer->Lock(0, 0, &data, 0)) && data != nullptr) {
            Vertex* vertices = reinterpret_cast<Vertex*>(data);
            for (int32_t j = 0; j < count; ++j)
                std::memcpy(&vertices[3 * j], records[j].vertex, sizeof records[j].vertex);
            vertexBuffer->Unlock();
        } else {
            vertexBuffer->Release();
            vertexBuffer = nullptr;
        }
    }
    textureSlot = slot;
    triangleCount = count;
}

void TriangleGroup::Draw() {
    if (vertexBuffer == nullptr) return;
    IDirect3DDevice8* device = renderer->device;
    if (renderer->texturingEnabled == 1) device->SetTexture(0, textureSlot ? textureSlot->texture : nullptr);
    device->SetStreamSource(0, vertexBuffer, LEVEL_VERTEX_STRIDE);
    device->SetVertexShader(LEVEL_VERTEX_FVF);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(triangleCount));
}

void TriangleGroup::Release() {
    if (vertexBuffer != nullptr) vertexBuffer->Release();
}
