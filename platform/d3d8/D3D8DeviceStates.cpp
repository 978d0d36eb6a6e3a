// The device's fixed-function state: transforms, viewport, material, lights,
// clip planes, render states, texture stage states, bound textures and
// palettes, and how each reaches GL.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d8/D3D8Device.h"
#include "platform/d3d8/D3D8Surface.h"
#include "platform/d3d8/D3D8Texture.h"
#include "platform/win32/ComGuard.h"

namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

GLenum CompareFunction(DWORD f) {
    switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum BlendFactor(DWORD b) {
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

}  // namespace

// ---------------------------------------------------------------- transforms, viewport, material, lights

HRESULT D3D8Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
    DWORD s = State;
    if (recording_ != nullptr) {
        if (!(s == D3DTS_VIEW || s == D3DTS_PROJECTION || (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) ||
              (s >= 256 && s < 512)))
            return D3DERR_INVALIDCALL;
        return NoThrowCall([&] {
            recording_->transforms.emplace_back(s, *pMatrix);
            return D3D_OK;
        });
    }
    if (s == D3DTS_VIEW) view_ = *pMatrix;
    else if (s == D3DTS_PROJECTION) projection_ = *pMatrix;
    else if (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) textureTransforms_[s - D3DTS_TEXTURE0] = *pMatrix;
    else if (s == 256) world_ = *pMatrix;
    else if (s > 256 && s < 512) extraWorlds_[s - 257] = *pMatrix;
    else return D3DERR_INVALIDCALL;
    transformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
    DWORD s = State;
    if (s == D3DTS_VIEW) *pMatrix = view_;
    else if (s == D3DTS_PROJECTION) *pMatrix = projection_;
    else if (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) *pMatrix = textureTransforms_[s - D3DTS_TEXTURE0];
    else if (s == 256) *pMatrix = world_;
    else if (s > 256 && s < 512) *pMatrix = extraWorlds_[s - 257];
    else return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT D3D8Device::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
    D3DMATRIX current;
    HRESULT result = GetTransform(State, &current);
    if (FAILED(result)) return result;
    D3DMATRIX product = Multiply(*pMatrix, current);
    return SetTransform(State, &product);
}

HRESULT D3D8Device::SetViewport(const D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr) return D3DERR_INVALIDCALL;
    const D3DVIEWPORT8& v = *pViewport;
    if (v.Width == 0 || v.Height == 0 || v.X + v.Width > parameters_.BackBufferWidth ||
        v.Y + v.Height > parameters_.BackBufferHeight || v.MinZ < 0.0f || v.MaxZ > 1.0f || v.MinZ > v.MaxZ)
        return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->viewportMask = true;
        recording_->viewport = v;
        return D3D_OK;
    }
    viewport_ = v;
    ApplyViewport();
    return D3D_OK;
}

HRESULT D3D8Device::GetViewport(D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr) return D3DERR_INVALIDCALL;
    *pViewport = viewport_;
    return D3D_OK;
}

void D3D8Device::ApplyViewport() {
    MakeCurrent();
    // Row 0 of the frame buffer is the top row, so Direct3D's Y is GL's y here.
    glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
               static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
    glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    uniformsDirty_ = true;
}

HRESULT D3D8Device::SetMaterial(const D3DMATERIAL8* pMaterial) {
    if (pMaterial == nullptr) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->materialMask = true;
        recording_->material = *pMaterial;
        return D3D_OK;
    }
    material_ = *pMaterial;
    uniformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetMaterial(D3DMATERIAL8* pMaterial) {
    if (pMaterial == nullptr) return D3DERR_INVALIDCALL;
    *pMaterial = material_;
    return D3D_OK;
}

HRESULT D3D8Device::SetLight(DWORD Index, const D3DLIGHT8* pLight) {
    if (pLight == nullptr || Index >= MAX_LIGHTS) return D3DERR_INVALIDCALL;
    if (pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        return NoThrowCall([&] {
            recording_->lights.push_back({Index, true, *pLight, false, FALSE});
            return D3D_OK;
        });
    }
    lights_[Index] = *pLight;
    lightDefined_[Index] = true;
    uniformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetLight(DWORD Index, D3DLIGHT8* pLight) {
    if (pLight == nullptr || Index >= MAX_LIGHTS || !lightDefined_[Index]) return D3DERR_INVALIDCALL;
    *pLight = lights_[Index];
    return D3D_OK;
}

HRESULT D3D8Device::LightEnable(DWORD Index, BOOL Enable) {
    if (Index >= MAX_LIGHTS) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        return NoThrowCall([&] {
            recording_->lights.push_back({Index, false, {}, true, Enable});
            return D3D_OK;
        });
    }
    if (!lightDefined_[Index]) {
        // Enabling a light never set gives Direct3D's default: a white directional light along +z.
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        light.Direction = {0.0f, 0.0f, 1.0f};
        lights_[Index] = light;
        lightDefined_[Index] = true;
    }
    lightEnabled_[Index] = Enable != FALSE;
    uniformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetLightEnable(DWORD Index, BOOL* pEnable) {
    if (pEnable == nullptr || Index >= MAX_LIGHTS || !lightDefined_[Index]) return D3DERR_INVALIDCALL;
    *pEnable = lightEnabled_[Index] ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT D3D8Device::SetClipPlane(DWORD Index, const float* pPlane) {
    if (pPlane == nullptr || Index >= D3DMAXUSERCLIPPLANES) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->clipMask[Index] = true;
        std::copy(pPlane, pPlane + 4, recording_->clipPlanes[Index].begin());
        return D3D_OK;
    }
    std::copy(pPlane, pPlane + 4, clipPlanes_[Index].begin());
    return D3D_OK;
}

HRESULT D3D8Device::GetClipPlane(DWORD Index, float* pPlane) {
    if (pPlane == nullptr || Index >= D3DMAXUSERCLIPPLANES) return D3DERR_INVALIDCALL;
    std::copy(clipPlanes_[Index].begin(), clipPlanes_[Index].end(), pPlane);
    return D3D_OK;
}

// ---------------------------------------------------------------- render and stage states

HRESULT D3D8Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    if (State >= RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->renderMask[State] = true;
        recording_->render[State] = Value;
        return D3D_OK;
    }
    if (renderStates_[State] == Value) return D3D_OK;
    renderStates_[State] = Value;
    MakeCurrent();
    ApplyRenderState(State, Value);
    return D3D_OK;
}

HRESULT D3D8Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    if (pValue == nullptr || State >= RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *pValue = renderStates_[State];
    return D3D_OK;
}

void D3D8Device::ApplyRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    const auto& rs = renderStates_;
    switch (state) {
    case D3DRS_ZENABLE:
        if (value != D3DZB_FALSE && depthBuffer_ != 0) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
        break;
    case D3DRS_ZWRITEENABLE:
        glDepthMask(value ? GL_TRUE : GL_FALSE);
        break;
    case D3DRS_ZFUNC:
        glDepthFunc(CompareFunction(value));
        break;
    case D3DRS_FILLMODE:
        glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT ? GL_POINT : value == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        break;
    case D3DRS_CULLMODE:
        // With y flipped into the frame buffer, Direct3D's clockwise is GL's counter-clockwise.
        if (value == D3DCULL_CW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
        } else if (value == D3DCULL_CCW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        } else {
            glDisable(GL_CULL_FACE);
        }
        break;
    case D3DRS_DITHERENABLE:
        // Off by default, as in Direct3D: a 16-bit frame shows its plain banding.
        if (value) glEnable(GL_DITHER);
        else glDisable(GL_DITHER);
        break;
    case D3DRS_ALPHABLENDENABLE:
        if (value) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
        break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND: {
        DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
        GLenum s = BlendFactor(src), d = BlendFactor(dst);
        if (src == D3DBLEND_BOTHSRCALPHA) {
            s = GL_SRC_ALPHA;
            d = GL_ONE_MINUS_SRC_ALPHA;
        } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
            s = GL_ONE_MINUS_SRC_ALPHA;
            d = GL_SRC_ALPHA;
        }
        glBlendFunc(s, d);
        break;
    }
    case D3DRS_BLENDOP:
        glBlendEquation(BlendEquation(value));
        break;
    case D3DRS_COLORWRITEENABLE:
        glColorMask((value & D3DCOLORWRITEENABLE_RED) != 0, (value & D3DCOLORWRITEENABLE_GREEN) != 0,
                    (value & D3DCOLORWRITEENABLE_BLUE) != 0, (value & D3DCOLORWRITEENABLE_ALPHA) != 0);
        break;
    case D3DRS_POINTSIZE: {
        float size;
        std::memcpy(&size, &value, sizeof size);
        glPointSize(std::clamp(size, 1.0f, 64.0f));
        break;
    }
    case D3DRS_ZBIAS:
        // A larger bias draws nearer; each step is one unit of depth resolution.
        if (value != 0) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glEnable(GL_POLYGON_OFFSET_LINE);
            glEnable(GL_POLYGON_OFFSET_POINT);
            glPolygonOffset(0.0f, -static_cast<float>(std::min<DWORD>(value, 16)));
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
            glDisable(GL_POLYGON_OFFSET_LINE);
            glDisable(GL_POLYGON_OFFSET_POINT);
        }
        break;
    case D3DRS_FOGENABLE:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_LIGHTING:
    case D3DRS_AMBIENT:
    case D3DRS_COLORVERTEX:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_SPECULARENABLE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_ALPHAREF:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_SHADEMODE:
        uniformsDirty_ = true;
        break;
    default:
        break;
    }
}

HRESULT D3D8Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
    if (pValue == nullptr || Stage >= MAX_TEXTURE_STAGES || Type >= STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    *pValue = stageStates_[Stage][Type];
    return D3D_OK;
}

HRESULT D3D8Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    if (Stage >= MAX_TEXTURE_STAGES || Type >= STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->stageMask[Stage][Type] = true;
        recording_->stage[Stage][Type] = Value;
        return D3D_OK;
    }
    stageStates_[Stage][Type] = Value;
    if (Stage != 0) return D3D_OK;
    switch (Type) {
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MAXANISOTROPY:
        samplerDirty_ = true;
        break;
    default:
        uniformsDirty_ = true;
        break;
    }
    return D3D_OK;
}

HRESULT D3D8Device::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
    if (ppTexture == nullptr || Stage >= MAX_TEXTURE_STAGES) return D3DERR_INVALIDCALL;
    *ppTexture = textures_[Stage];
    if (textures_[Stage] != nullptr) textures_[Stage]->AddRef();
    return D3D_OK;
}

HRESULT D3D8Device::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
    if (Stage >= MAX_TEXTURE_STAGES) return D3DERR_INVALIDCALL;
    D3D8Texture* texture = nullptr;
    if (pTexture != nullptr) {
        texture = dynamic_cast<D3D8Texture*>(pTexture);
        // System-memory textures are only sources for UpdateTexture.
        if (texture == nullptr || texture->Owner() != this || texture->Pool() == D3DPOOL_SYSTEMMEM)
            return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->textureMask[Stage] = true;
        Hold(recording_->textures[Stage], texture);
        return D3D_OK;
    }
    if (textures_[Stage] == texture) return D3D_OK;
    if (texture != nullptr) texture->Bind();
    D3D8Texture* previous = textures_[Stage];
    textures_[Stage] = texture;
    if (previous != nullptr) previous->Unbind();
    return D3D_OK;
}

HRESULT D3D8Device::ValidateDevice(DWORD* pNumPasses) {
    if (pNumPasses == nullptr) return D3DERR_INVALIDCALL;
    auto supported = [](DWORD op) { return op >= D3DTOP_DISABLE && op <= D3DTOP_DOTPRODUCT3 && op != D3DTOP_PREMODULATE &&
                                           op != D3DTOP_BUMPENVMAP && op != D3DTOP_BUMPENVMAPLUMINANCE; };
    if (!supported(stageStates_[0][D3DTSS_COLOROP])) return D3DERR_UNSUPPORTEDCOLOROPERATION;
    if (!supported(stageStates_[0][D3DTSS_ALPHAOP])) return D3DERR_UNSUPPORTEDALPHAOPERATION;
    for (DWORD stage = 1; stage < MAX_TEXTURE_STAGES; ++stage)
        if (stageStates_[stage][D3DTSS_COLOROP] != D3DTOP_DISABLE) return D3DERR_TOOMANYOPERATIONS;
    *pNumPasses = 1;
    return D3D_OK;
}

HRESULT D3D8Device::GetInfo(DWORD, void*, DWORD) { return S_FALSE; }

HRESULT D3D8Device::SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) {
    if (pEntries == nullptr || PaletteNumber > 0xFFFF) return D3DERR_INVALIDCALL;
    if (palettes_.size() <= PaletteNumber) {
        HRESULT grown = NoThrowCall([&] {
            palettes_.resize(PaletteNumber + 1);
            return D3D_OK;
        });
        if (FAILED(grown)) return grown;
    }
    std::copy(pEntries, pEntries + 256, palettes_[PaletteNumber].begin());
    return D3D_OK;
}

HRESULT D3D8Device::GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) {
    if (pEntries == nullptr || PaletteNumber >= palettes_.size()) return D3DERR_INVALIDCALL;
    std::copy(palettes_[PaletteNumber].begin(), palettes_[PaletteNumber].end(), pEntries);
    return D3D_OK;
}

HRESULT D3D8Device::SetCurrentTexturePalette(UINT PaletteNumber) {
    if (PaletteNumber >= palettes_.size()) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->paletteMask = true;
        recording_->palette = PaletteNumber;
        return D3D_OK;
    }
    currentPalette_ = PaletteNumber;
    return D3D_OK;
}

HRESULT D3D8Device::GetCurrentTexturePalette(UINT* PaletteNumber) {
    if (PaletteNumber == nullptr) return D3DERR_INVALIDCALL;
    *PaletteNumber = currentPalette_;
    return D3D_OK;
}
