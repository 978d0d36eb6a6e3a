// State blocks: recording between BeginStateBlock and EndStateBlock (the
// setters then change the block, not the device), capturing and applying.
#include <algorithm>

#include "platform/d3d8/D3D8Device.h"
#include "platform/d3d8/D3D8IndexBuffer.h"
#include "platform/d3d8/D3D8Texture.h"
#include "platform/d3d8/D3D8VertexBuffer.h"
#include "platform/win32/ComGuard.h"

namespace {

// Render states of the pixel part of the pipeline.
constexpr D3DRENDERSTATETYPE pixelStates[] = {
    D3DRS_ZENABLE,          D3DRS_FILLMODE,        D3DRS_SHADEMODE,       D3DRS_LINEPATTERN,
    D3DRS_ZWRITEENABLE,     D3DRS_ALPHATESTENABLE, D3DRS_LASTPIXEL,       D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,        D3DRS_ZFUNC,           D3DRS_ALPHAREF,        D3DRS_ALPHAFUNC,
    D3DRS_DITHERENABLE,     D3DRS_FOGSTART,        D3DRS_FOGEND,          D3DRS_FOGDENSITY,
    D3DRS_ALPHABLENDENABLE, D3DRS_ZBIAS,           D3DRS_STENCILENABLE,   D3DRS_STENCILFAIL,
    D3DRS_STENCILZFAIL,     D3DRS_STENCILPASS,     D3DRS_STENCILFUNC,     D3DRS_STENCILREF,
    D3DRS_STENCILMASK,      D3DRS_STENCILWRITEMASK, D3DRS_TEXTUREFACTOR,  D3DRS_WRAP0,
    D3DRS_WRAP1,            D3DRS_WRAP2,           D3DRS_WRAP3,           D3DRS_WRAP4,
    D3DRS_WRAP5,            D3DRS_WRAP6,           D3DRS_WRAP7,           D3DRS_EDGEANTIALIAS,
    D3DRS_COLORWRITEENABLE, D3DRS_BLENDOP,         D3DRS_SPECULARENABLE};

// Render states of the vertex part.
constexpr D3DRENDERSTATETYPE vertexStates[] = {
    D3DRS_SHADEMODE,         D3DRS_SPECULARENABLE,          D3DRS_CULLMODE,
    D3DRS_FOGENABLE,         D3DRS_FOGCOLOR,                D3DRS_FOGTABLEMODE,
    D3DRS_FOGSTART,          D3DRS_FOGEND,                  D3DRS_FOGDENSITY,
    D3DRS_RANGEFOGENABLE,    D3DRS_AMBIENT,                 D3DRS_COLORVERTEX,
    D3DRS_FOGVERTEXMODE,     D3DRS_CLIPPING,                D3DRS_LIGHTING,
    D3DRS_NORMALIZENORMALS,  D3DRS_LOCALVIEWER,             D3DRS_EMISSIVEMATERIALSOURCE,
    D3DRS_AMBIENTMATERIALSOURCE, D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE,
    D3DRS_VERTEXBLEND,       D3DRS_CLIPPLANEENABLE,         D3DRS_SOFTWAREVERTEXPROCESSING,
    D3DRS_POINTSIZE,         D3DRS_POINTSIZE_MIN,           D3DRS_POINTSPRITEENABLE,
    D3DRS_POINTSCALEENABLE,  D3DRS_POINTSCALE_A,            D3DRS_POINTSCALE_B,
    D3DRS_POINTSCALE_C,      D3DRS_MULTISAMPLEANTIALIAS,    D3DRS_MULTISAMPLEMASK,
    D3DRS_PATCHEDGESTYLE,    D3DRS_PATCHSEGMENTS,           D3DRS_POINTSIZE_MAX,
    D3DRS_INDEXEDVERTEXBLENDENABLE, D3DRS_TWEENFACTOR,      D3DRS_POSITIONORDER,
    D3DRS_NORMALORDER};

}  // namespace

void D3D8Device::Hold(D3D8Texture*& slot, D3D8Texture* texture) {
    if (slot == texture) return;
    if (texture != nullptr) texture->Bind();
    D3D8Texture* previous = slot;
    slot = texture;
    if (previous != nullptr) previous->Unbind();
}

void D3D8Device::Hold(D3D8VertexBuffer*& slot, D3D8VertexBuffer* buffer) {
    if (slot == buffer) return;
    if (buffer != nullptr) buffer->Bind();
    D3D8VertexBuffer* previous = slot;
    slot = buffer;
    if (previous != nullptr) previous->Unbind();
}

void D3D8Device::Hold(D3D8IndexBuffer*& slot, D3D8IndexBuffer* buffer) {
    if (slot == buffer) return;
    if (buffer != nullptr) buffer->Bind();
    D3D8IndexBuffer* previous = slot;
    slot = buffer;
    if (previous != nullptr) previous->Unbind();
}

void D3D8Device::FreeStateBlock(StateBlock& block) {
    for (D3D8Texture*& texture : block.textures) Hold(texture, nullptr);
    Hold(block.stream, nullptr);
    Hold(block.indices, nullptr);
}

StateBlock* D3D8Device::FindStateBlock(DWORD token) const {
    if (token == 0 || token > stateBlocks_.size()) return nullptr;
    return stateBlocks_[token - 1].get();
}

void D3D8Device::MaskStateBlock(StateBlock& block, D3DSTATEBLOCKTYPE type) {
    bool all = type == D3DSBT_ALL, pixel = type == D3DSBT_PIXELSTATE, vertex = type == D3DSBT_VERTEXSTATE;
    if (all) block.renderMask.fill(true);
    if (pixel)
        for (D3DRENDERSTATETYPE s : pixelStates) block.renderMask[s] = true;
    if (vertex)
        for (D3DRENDERSTATETYPE s : vertexStates) block.renderMask[s] = true;
    for (DWORD stage = 0; stage < MAX_TEXTURE_STAGES; ++stage) {
        if (all || pixel) block.stageMask[stage].fill(true);
        if (vertex) {
            block.stageMask[stage][D3DTSS_TEXCOORDINDEX] = true;
            block.stageMask[stage][D3DTSS_TEXTURETRANSFORMFLAGS] = true;
        }
    }
    if (all || vertex) {
        for (DWORD i = 0; i < MAX_LIGHTS; ++i)
            if (lightDefined_[i]) block.lights.push_back({i, true, {}, true, FALSE});
        block.shaderMask = true;
    }
    if (all) {
        block.textureMask.fill(true);
        block.transforms.emplace_back(D3DTS_VIEW, D3DMATRIX{});
        block.transforms.emplace_back(D3DTS_PROJECTION, D3DMATRIX{});
        for (DWORD s = 256; s < 512; ++s) block.transforms.emplace_back(s, D3DMATRIX{});
        for (DWORD s = D3DTS_TEXTURE0; s <= D3DTS_TEXTURE7; ++s) block.transforms.emplace_back(s, D3DMATRIX{});
        block.viewportMask = block.materialMask = true;
        block.clipMask.fill(true);
        block.streamMask = block.indicesMask = true;
        block.paletteMask = true;
    }
}

void D3D8Device::CaptureInto(StateBlock& block) {
    for (DWORD s = 0; s < RENDER_STATE_COUNT; ++s)
        if (block.renderMask[s]) block.render[s] = renderStates_[s];
    for (DWORD stage = 0; stage < MAX_TEXTURE_STAGES; ++stage) {
        for (DWORD t = 0; t < STAGE_STATE_COUNT; ++t)
            if (block.stageMask[stage][t]) block.stage[stage][t] = stageStates_[stage][t];
        if (block.textureMask[stage]) Hold(block.textures[stage], textures_[stage]);
    }
    for (auto& [state, matrix] : block.transforms) GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &matrix);
    if (block.viewportMask) block.viewport = viewport_;
    if (block.materialMask) block.material = material_;
    for (StateBlock::Light& light : block.lights) {
        if (!lightDefined_[light.index]) continue;
        if (light.setLight) light.light = lights_[light.index];
        if (light.setEnable) light.enabled = lightEnabled_[light.index] ? TRUE : FALSE;
    }
    for (DWORD i = 0; i < D3DMAXUSERCLIPPLANES; ++i)
        if (block.clipMask[i]) block.clipPlanes[i] = clipPlanes_[i];
    if (block.shaderMask) block.shader = fvf_;
    if (block.streamMask) {
        Hold(block.stream, stream_);
        block.stride = streamStride_;
    }
    if (block.indicesMask) {
        Hold(block.indices, indices_);
        block.baseVertexIndex = baseVertexIndex_;
    }
    if (block.paletteMask) block.palette = currentPalette_;
}

void D3D8Device::ApplyFrom(const StateBlock& block) {
    for (DWORD s = 0; s < RENDER_STATE_COUNT; ++s)
        if (block.renderMask[s]) SetRenderState(static_cast<D3DRENDERSTATETYPE>(s), block.render[s]);
    for (DWORD stage = 0; stage < MAX_TEXTURE_STAGES; ++stage) {
        for (DWORD t = 0; t < STAGE_STATE_COUNT; ++t)
            if (block.stageMask[stage][t])
                SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(t), block.stage[stage][t]);
        if (block.textureMask[stage]) Hold(textures_[stage], block.textures[stage]);
    }
    for (const auto& [state, matrix] : block.transforms) SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &matrix);
    if (block.viewportMask) SetViewport(&block.viewport);
    if (block.materialMask) SetMaterial(&block.material);
    for (const StateBlock::Light& light : block.lights) {
        if (light.setLight) SetLight(light.index, &light.light);
        if (light.setEnable) LightEnable(light.index, light.enabled);
    }
    for (DWORD i = 0; i < D3DMAXUSERCLIPPLANES; ++i)
        if (block.clipMask[i]) SetClipPlane(i, block.clipPlanes[i].data());
    if (block.shaderMask && block.shader != 0) SetVertexShader(block.shader);
    if (block.streamMask) {
        Hold(stream_, block.stream);
        streamStride_ = block.stride;
    }
    if (block.indicesMask) {
        Hold(indices_, block.indices);
        baseVertexIndex_ = block.baseVertexIndex;
    }
    if (block.paletteMask && block.palette < palettes_.size()) currentPalette_ = block.palette;
}

HRESULT D3D8Device::BeginStateBlock() {
    return NoThrowCall([&]() -> HRESULT {
        if (recording_ != nullptr) return D3DERR_INVALIDCALL;
        recording_ = std::make_unique<StateBlock>();
        return D3D_OK;
    });
}

HRESULT D3D8Device::EndStateBlock(DWORD* pToken) {
    return NoThrowCall([&]() -> HRESULT {
        if (pToken == nullptr || recording_ == nullptr) return D3DERR_INVALIDCALL;
        stateBlocks_.push_back(std::move(recording_));
        *pToken = static_cast<DWORD>(stateBlocks_.size());
        return D3D_OK;
    });
}

HRESULT D3D8Device::ApplyStateBlock(DWORD Token) {
    StateBlock* block = FindStateBlock(Token);
    if (block == nullptr || recording_ != nullptr) return D3DERR_INVALIDCALL;
    MakeCurrent();
    ApplyFrom(*block);
    return D3D_OK;
}

HRESULT D3D8Device::CaptureStateBlock(DWORD Token) {
    return NoThrowCall([&]() -> HRESULT {
        StateBlock* block = FindStateBlock(Token);
        if (block == nullptr || recording_ != nullptr) return D3DERR_INVALIDCALL;
        CaptureInto(*block);
        return D3D_OK;
    });
}

HRESULT D3D8Device::DeleteStateBlock(DWORD Token) {
    StateBlock* block = FindStateBlock(Token);
    if (block == nullptr || recording_ != nullptr) return D3DERR_INVALIDCALL;
    FreeStateBlock(*block);
    stateBlocks_[Token - 1].reset();
    return D3D_OK;
}

HRESULT D3D8Device::CreateStateBlock(D3DSTATEBLOCKTYPE Type, DWORD* pToken) {
    return NoThrowCall([&]() -> HRESULT {
        if (pToken == nullptr || recording_ != nullptr) return D3DERR_INVALIDCALL;
        if (Type != D3DSBT_ALL && Type != D3DSBT_PIXELSTATE && Type != D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
        auto block = std::make_unique<StateBlock>();
        MaskStateBlock(*block, Type);
        CaptureInto(*block);
        stateBlocks_.push_back(std::move(block));
        *pToken = static_cast<DWORD>(stateBlocks_.size());
        return D3D_OK;
    });
}
