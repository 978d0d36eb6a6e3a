// Drawing: vertex layouts, the fixed-function program's inputs, the sampler
// of stage 0 and the draw calls.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d8/D3D8Device.h"
#include "platform/d3d8/D3D8IndexBuffer.h"
#include "platform/d3d8/D3D8Texture.h"
#include "platform/d3d8/D3D8VertexBuffer.h"
#include "platform/win32/ComGuard.h"
#include "platform/d3d8/VertexLayout.h"

namespace {

float BitsFloat(DWORD bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void ColourFloats(DWORD c, float out[4]) {
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_NONE;
    }
}

// Vertices used by count primitives of a type; 0 for an unknown type.
uint64_t VerticesFor(D3DPRIMITIVETYPE type, UINT count) {
    uint64_t n = count;
    switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return 2 * n;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return 3 * n;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
    }
}

GLint AddressMode(DWORD mode, bool mirrorClamp) {
    switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

}  // namespace

bool D3D8Device::ValidFvf(DWORD fvf) const { return DescribeFvf(fvf).valid; }

HRESULT D3D8Device::SetVertexShader(DWORD Handle) {
    // Only flexible vertex formats: programmable shaders are not offered.
    if (!ValidFvf(Handle)) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->shaderMask = true;
        recording_->shader = Handle;
        return D3D_OK;
    }
    fvf_ = Handle;
    return D3D_OK;
}

HRESULT D3D8Device::GetVertexShader(DWORD* pHandle) {
    if (pHandle == nullptr) return D3DERR_INVALIDCALL;
    *pHandle = fvf_;
    return D3D_OK;
}

HRESULT D3D8Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) {
    if (StreamNumber >= caps_.MaxStreams) return D3DERR_INVALIDCALL;
    D3D8VertexBuffer* buffer = nullptr;
    if (pStreamData != nullptr) {
        buffer = dynamic_cast<D3D8VertexBuffer*>(pStreamData);
        if (buffer == nullptr || buffer->Owner() != this || Stride == 0 || Stride > caps_.MaxStreamStride)
            return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->streamMask = true;
        Hold(recording_->stream, buffer);
        recording_->stride = Stride;
        return D3D_OK;
    }
    streamStride_ = Stride;
    if (stream_ == buffer) return D3D_OK;
    if (buffer != nullptr) buffer->Bind();
    D3D8VertexBuffer* previous = stream_;
    stream_ = buffer;
    if (previous != nullptr) previous->Unbind();
    return D3D_OK;
}

HRESULT D3D8Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) {
    if (ppStreamData == nullptr || pStride == nullptr || StreamNumber >= caps_.MaxStreams) return D3DERR_INVALIDCALL;
    *ppStreamData = stream_;
    if (stream_ != nullptr) stream_->AddRef();
    *pStride = streamStride_;
    return D3D_OK;
}

HRESULT D3D8Device::SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) {
    D3D8IndexBuffer* buffer = nullptr;
    if (pIndexData != nullptr) {
        buffer = dynamic_cast<D3D8IndexBuffer*>(pIndexData);
        if (buffer == nullptr || buffer->Owner() != this) return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->indicesMask = true;
        Hold(recording_->indices, buffer);
        recording_->baseVertexIndex = BaseVertexIndex;
        return D3D_OK;
    }
    baseVertexIndex_ = BaseVertexIndex;
    if (indices_ == buffer) return D3D_OK;
    if (buffer != nullptr) buffer->Bind();
    D3D8IndexBuffer* previous = indices_;
    indices_ = buffer;
    if (previous != nullptr) previous->Unbind();
    return D3D_OK;
}

HRESULT D3D8Device::GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) {
    if (ppIndexData == nullptr || pBaseVertexIndex == nullptr) return D3DERR_INVALIDCALL;
    *ppIndexData = indices_;
    if (indices_ != nullptr) indices_->AddRef();
    *pBaseVertexIndex = baseVertexIndex_;
    return D3D_OK;
}

void D3D8Device::UploadTransforms() {
    // GL reads the row-major Direct3D products as their transposes, which is
    // what turns row vectors times matrices into matrices times column vectors.
    D3DMATRIX worldView = Multiply(world_, view_);
    D3DMATRIX all = Multiply(worldView, projection_);
    glUniformMatrix4fv(program_->worldViewProj, 1, GL_FALSE, &all._11);
    glUniformMatrix4fv(program_->worldView, 1, GL_FALSE, &worldView._11);
    glUniformMatrix4fv(program_->textureMatrix, 1, GL_FALSE, &textureTransforms_[0]._11);
    transformsDirty_ = false;
    // The lights' eye-space positions and fog's eye distance depend on them too.
    uniformsDirty_ = true;
}

FixedFunctionKey D3D8Device::CurrentKey(bool textureBound) const {
    const auto& rs = renderStates_;
    const auto& ts = stageStates_[0];
    VertexLayout layout = DescribeFvf(fvf_);
    FixedFunctionKey key;
    key.rhw = layout.rhw;
    key.hasNormal = layout.normal >= 0;
    key.hasDiffuse = layout.diffuse >= 0;
    key.hasSpecular = layout.specular >= 0;
    key.lighting = rs[D3DRS_LIGHTING] != 0 && !layout.rhw;
    if (key.lighting) {
        bool vertexColour = rs[D3DRS_COLORVERTEX] != 0;
        key.diffuseSource = vertexColour ? static_cast<int>(rs[D3DRS_DIFFUSEMATERIALSOURCE]) : 0;
        key.ambientSource = vertexColour ? static_cast<int>(rs[D3DRS_AMBIENTMATERIALSOURCE]) : 0;
        key.emissiveSource = vertexColour ? static_cast<int>(rs[D3DRS_EMISSIVEMATERIALSOURCE]) : 0;
        key.normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != 0;
        for (DWORD i = 0; i < MAX_LIGHTS && key.lightCount < MAX_SHADER_LIGHTS; ++i)
            if (lightEnabled_[i]) key.lightType[key.lightCount++] = static_cast<int>(lights_[i].Type);
    }
    // Fog: the table (per pixel) mode wins over the vertex mode; with neither,
    // a vertex's specular alpha is its fog factor.
    if (rs[D3DRS_FOGENABLE]) {
        DWORD table = rs[D3DRS_FOGTABLEMODE], vertex = rs[D3DRS_FOGVERTEXMODE];
        if (table >= D3DFOG_EXP && table <= D3DFOG_LINEAR) {
            key.fogMode = static_cast<int>(table);
            // A perspective projection (its _34 not 0) puts the eye distance in w.
            key.fogUsesW = projection_._34 != 0.0f;
        } else if (vertex >= D3DFOG_EXP && vertex <= D3DFOG_LINEAR && !layout.rhw) {
            key.fogMode = 0;
            key.vertexFogMode = static_cast<int>(vertex);
            key.rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
        } else if (layout.specular >= 0) {
            key.fogMode = 0;
        }
    }
    key.textureBound = textureBound;
    key.colorOp = static_cast<int>(ts[D3DTSS_COLOROP]);
    key.colorArg1 = static_cast<int>(ts[D3DTSS_COLORARG1]);
    key.colorArg2 = static_cast<int>(ts[D3DTSS_COLORARG2]);
    key.alphaOp = static_cast<int>(ts[D3DTSS_ALPHAOP]);
    key.alphaArg1 = static_cast<int>(ts[D3DTSS_ALPHAARG1]);
    key.alphaArg2 = static_cast<int>(ts[D3DTSS_ALPHAARG2]);
    key.specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
    key.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
    key.alphaFunc = key.alphaTest ? static_cast<int>(rs[D3DRS_ALPHAFUNC]) : 0;
    key.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    DWORD set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    if (set < layout.texSets && !layout.rhw && (ts[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE) {
        key.texTransform = static_cast<int>(ts[D3DTSS_TEXTURETRANSFORMFLAGS] & (0xFF | D3DTTFF_PROJECTED));
        key.texCoordFloats = layout.texFloats[set];
    }
    return key;
}

bool D3D8Device::SelectProgram(const FixedFunctionKey& key) {
    if (program_ != nullptr && program_->key == key) return true;
    FixedFunctionProgram* found = nullptr;
    for (auto& program : programs_)
        if (program->key == key) found = program.get();
    if (found == nullptr) {
        auto program = std::make_unique<FixedFunctionProgram>();
        if (!program->Build(key)) return false;
        found = program.get();
        programs_.push_back(std::move(program));
    }
    program_ = found;
    glUseProgram(program_->program);
    // Uniform values belong to each program: give the new one everything.
    transformsDirty_ = uniformsDirty_ = true;
    return true;
}

void D3D8Device::UploadUniforms() {
    const auto& rs = renderStates_;
    const FixedFunctionKey& key = program_->key;
    float colour[4];

    glUniform2f(program_->pixelOffset, 1.0f / viewport_.Width, 1.0f / viewport_.Height);
    glUniform4f(program_->rhwViewport, static_cast<float>(viewport_.X), static_cast<float>(viewport_.Y),
                2.0f / viewport_.Width, 2.0f / viewport_.Height);
    if (key.lighting) {
        ColourFloats(rs[D3DRS_AMBIENT], colour);
        glUniform4fv(program_->ambient, 1, colour);
        glUniform4fv(program_->matDiffuse, 1, &material_.Diffuse.r);
        glUniform4fv(program_->matAmbient, 1, &material_.Ambient.r);
        glUniform4fv(program_->matEmissive, 1, &material_.Emissive.r);
        float diffuse[MAX_SHADER_LIGHTS][4] = {}, ambient[MAX_SHADER_LIGHTS][4] = {}, position[MAX_SHADER_LIGHTS][4] = {},
              direction[MAX_SHADER_LIGHTS][4] = {}, attenuation[MAX_SHADER_LIGHTS][4] = {}, spot[MAX_SHADER_LIGHTS][4] = {};
        int count = 0;
        for (DWORD i = 0; i < MAX_LIGHTS && count < MAX_SHADER_LIGHTS; ++i) {
            if (!lightEnabled_[i]) continue;
            const D3DLIGHT8& l = lights_[i];
            std::memcpy(diffuse[count], &l.Diffuse, sizeof diffuse[count]);
            std::memcpy(ambient[count], &l.Ambient, sizeof ambient[count]);
            // Lights are given in world space; the program lights in eye space.
            const D3DMATRIX& v = view_;
            const D3DVECTOR& p = l.Position;
            const D3DVECTOR& d = l.Direction;
            for (int c = 0; c < 3; ++c) {
                position[count][c] = p.x * v.m[0][c] + p.y * v.m[1][c] + p.z * v.m[2][c] + v.m[3][c];
                direction[count][c] = d.x * v.m[0][c] + d.y * v.m[1][c] + d.z * v.m[2][c];
            }
            float length = std::sqrt(direction[count][0] * direction[count][0] +
                                     direction[count][1] * direction[count][1] +
                                     direction[count][2] * direction[count][2]);
            if (length > 0.0f)
                for (int c = 0; c < 3; ++c) direction[count][c] /= length;
            attenuation[count][0] = l.Attenuation0;
            attenuation[count][1] = l.Attenuation1;
            attenuation[count][2] = l.Attenuation2;
            attenuation[count][3] = l.Type == D3DLIGHT_DIRECTIONAL ? 1e30f : l.Range;
            spot[count][0] = std::cos(l.Theta / 2.0f);
            spot[count][1] = std::cos(l.Phi / 2.0f);
            spot[count][2] = l.Falloff;
            ++count;
        }
        glUniform4fv(program_->lightDiffuse, MAX_SHADER_LIGHTS, &diffuse[0][0]);
        glUniform4fv(program_->lightAmbient, MAX_SHADER_LIGHTS, &ambient[0][0]);
        glUniform4fv(program_->lightPosition, MAX_SHADER_LIGHTS, &position[0][0]);
        glUniform4fv(program_->lightDirection, MAX_SHADER_LIGHTS, &direction[0][0]);
        glUniform4fv(program_->lightAttenuation, MAX_SHADER_LIGHTS, &attenuation[0][0]);
        glUniform4fv(program_->lightSpot, MAX_SHADER_LIGHTS, &spot[0][0]);
    }
    if (key.fogMode >= 0) {
        float start = BitsFloat(rs[D3DRS_FOGSTART]), end = BitsFloat(rs[D3DRS_FOGEND]);
        glUniform4f(program_->fogParams, BitsFloat(rs[D3DRS_FOGDENSITY]),
                    key.fogUsesW ? 1.0f / projection_._34 : 1.0f, end, end != start ? 1.0f / (end - start) : 0.0f);
        ColourFloats(rs[D3DRS_FOGCOLOR], colour);
        glUniform3fv(program_->fogColor, 1, colour);
    }
    ColourFloats(rs[D3DRS_TEXTUREFACTOR], colour);
    glUniform4fv(program_->textureFactor, 1, colour);
    glUniform1f(program_->alphaRef, static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF));
    uniformsDirty_ = false;
}

void D3D8Device::ApplySampler() {
    const auto& ts = stageStates_[0];
    DWORD min = ts[D3DTSS_MINFILTER], mag = ts[D3DTSS_MAGFILTER], mip = ts[D3DTSS_MIPFILTER];
    bool linearMin = min == D3DTEXF_LINEAR || min == D3DTEXF_ANISOTROPIC;
    GLint minFilter;
    if (mip == D3DTEXF_NONE) minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    else if (mip == D3DTEXF_POINT) minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    GLint magFilter = (mag == D3DTEXF_LINEAR || mag == D3DTEXF_ANISOTROPIC) ? GL_LINEAR : GL_NEAREST;
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, magFilter);
    if (limits_.maxAnisotropy > 1.0f) {
        float anisotropy = 1.0f;
        if (min == D3DTEXF_ANISOTROPIC || mag == D3DTEXF_ANISOTROPIC)
            anisotropy = std::clamp(static_cast<float>(ts[D3DTSS_MAXANISOTROPY]), 1.0f, limits_.maxAnisotropy);
        glSamplerParameterf(sampler_, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    }
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, AddressMode(ts[D3DTSS_ADDRESSU], limits_.mirrorClamp));
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, AddressMode(ts[D3DTSS_ADDRESSV], limits_.mirrorClamp));
    float border[4];
    ColourFloats(ts[D3DTSS_BORDERCOLOR], border);
    glSamplerParameterfv(sampler_, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(sampler_, GL_TEXTURE_LOD_BIAS, BitsFloat(ts[D3DTSS_MIPMAPLODBIAS]));
    // MAXMIPLEVEL names the largest level that may be used.
    glSamplerParameterf(sampler_, GL_TEXTURE_MIN_LOD, static_cast<float>(ts[D3DTSS_MAXMIPLEVEL]));
    samplerDirty_ = false;
}

HRESULT D3D8Device::PrepareDraw(DWORD) {
    return NoThrowCall([&]() -> HRESULT {
        MakeCurrent();
        D3D8Texture* texture = textures_[0];
        GLuint glTexture = texture != nullptr ? texture->Prepare() : 0;
        if (glTexture != boundGlTexture_) {
            glBindTexture(GL_TEXTURE_2D, glTexture);
            boundGlTexture_ = glTexture;
        }
        if (!SelectProgram(CurrentKey(glTexture != 0))) return D3DERR_DRIVERINTERNALERROR;
        if (transformsDirty_) UploadTransforms();
        if (uniformsDirty_) UploadUniforms();
        if (samplerDirty_) ApplySampler();
        return D3D_OK;
    });
}

void D3D8Device::BindVertexLayout(GLuint vao, bool configure, GLuint buffer, DWORD fvf, UINT stride, size_t base) {
    if (vao != boundVao_) {
        glBindVertexArray(vao);
        boundVao_ = vao;
    }
    if (!configure) return;
    VertexLayout layout = DescribeFvf(fvf);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    auto at = [base](int offset) { return reinterpret_cast<const void*>(base + static_cast<size_t>(offset)); };
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, static_cast<GLint>(layout.positionFloats), GL_FLOAT, GL_FALSE,
                          static_cast<GLsizei>(stride), at(0));
    auto optional = [&](GLuint slot, int offset, GLint size, GLenum type, GLboolean normalised) {
        if (offset < 0) {
            glDisableVertexAttribArray(slot);
            return;
        }
        glEnableVertexAttribArray(slot);
        glVertexAttribPointer(slot, size, type, normalised, static_cast<GLsizei>(stride), at(offset));
    };
    optional(ATTRIB_NORMAL, layout.normal, 3, GL_FLOAT, GL_FALSE);
    // D3DCOLOR is B, G, R, A in memory.
    optional(ATTRIB_DIFFUSE, layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    optional(ATTRIB_SPECULAR, layout.specular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    DWORD set = stageStates_[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    if (set < layout.texSets) optional(ATTRIB_TEXCOORD, layout.texOffset[set], layout.texFloats[set], GL_FLOAT, GL_FALSE);
    else optional(ATTRIB_TEXCOORD, -1, 0, GL_FLOAT, GL_FALSE);
}

HRESULT D3D8Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
    if (!inScene_ || stream_ == nullptr || streamStride_ == 0) return D3DERR_INVALIDCALL;
    GLenum mode = PrimitiveMode(PrimitiveType);
    if (mode == GL_NONE) return D3DERR_INVALIDCALL;
    if (PrimitiveCount == 0) return D3D_OK;
    uint64_t vertices = VerticesFor(PrimitiveType, PrimitiveCount);
    VertexLayout layout = DescribeFvf(fvf_);
    if (!layout.valid) return D3DERR_INVALIDCALL;
    // Every vertex read lies inside the buffer.
    if ((static_cast<uint64_t>(StartVertex) + vertices - 1) * streamStride_ + layout.size > stream_->Length())
        return D3DERR_INVALIDCALL;
    if (HRESULT failed = PrepareDraw(fvf_); FAILED(failed)) return failed;
    DWORD set = stageStates_[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    GLuint vao = stream_->VertexArrayFor(fvf_, streamStride_, set);
    bool configure = vao == 0;
    if (configure) {
        vao = stream_->VertexArray();
        stream_->RememberLayout(fvf_, streamStride_, set);
    }
    BindVertexLayout(vao, configure, stream_->GlBuffer(), fvf_, streamStride_, 0);
    glDrawArrays(mode, static_cast<GLint>(StartVertex), static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT D3D8Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT minIndex, UINT NumVertices,
                                         UINT startIndex, UINT primCount) {
    (void)minIndex;
    (void)NumVertices;
    if (!inScene_ || stream_ == nullptr || indices_ == nullptr || streamStride_ == 0) return D3DERR_INVALIDCALL;
    GLenum mode = PrimitiveMode(PrimitiveType);
    if (mode == GL_NONE) return D3DERR_INVALIDCALL;
    if (primCount == 0) return D3D_OK;
    uint64_t count = VerticesFor(PrimitiveType, primCount);
    VertexLayout layout = DescribeFvf(fvf_);
    if (!layout.valid) return D3DERR_INVALIDCALL;
    UINT size = indices_->IndexSize();
    if ((static_cast<uint64_t>(startIndex) + count) * size > indices_->Length()) return D3DERR_INVALIDCALL;
    // Every index, moved by the base vertex, must name a vertex inside the buffer.
    uint64_t highest = 0;
    const uint8_t* bytes = indices_->Bytes().data() + static_cast<size_t>(startIndex) * size;
    for (uint64_t i = 0; i < count; ++i) {
        uint32_t index;
        if (size == 2) {
            uint16_t v;
            std::memcpy(&v, bytes + i * 2, 2);
            index = v;
        } else {
            std::memcpy(&index, bytes + i * 4, 4);
        }
        highest = std::max<uint64_t>(highest, index);
    }
    if ((baseVertexIndex_ + highest) * streamStride_ + layout.size > stream_->Length()) return D3DERR_INVALIDCALL;
    if (HRESULT failed = PrepareDraw(fvf_); FAILED(failed)) return failed;
    DWORD set = stageStates_[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    GLuint vao = stream_->VertexArrayFor(fvf_, streamStride_, set);
    bool configure = vao == 0;
    if (configure) {
        vao = stream_->VertexArray();
        stream_->RememberLayout(fvf_, streamStride_, set);
    }
    BindVertexLayout(vao, configure, stream_->GlBuffer(), fvf_, streamStride_, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->GlBuffer());
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(count), size == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                             reinterpret_cast<const void*>(static_cast<size_t>(startIndex) * size),
                             static_cast<GLint>(baseVertexIndex_));
    return D3D_OK;
}

HRESULT D3D8Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                    const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
    if (!inScene_ || pVertexStreamZeroData == nullptr || VertexStreamZeroStride == 0) return D3DERR_INVALIDCALL;
    GLenum mode = PrimitiveMode(PrimitiveType);
    VertexLayout layout = DescribeFvf(fvf_);
    if (mode == GL_NONE || !layout.valid) return D3DERR_INVALIDCALL;
    // As in Direct3D, the stream source is unset afterwards.
    Hold(stream_, nullptr);
    streamStride_ = 0;
    if (PrimitiveCount == 0) return D3D_OK;
    uint64_t vertices = VerticesFor(PrimitiveType, PrimitiveCount);
    if (HRESULT failed = PrepareDraw(fvf_); FAILED(failed)) return failed;
    glBindBuffer(GL_ARRAY_BUFFER, userVertices_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>((vertices - 1) * VertexStreamZeroStride + layout.size),
                 pVertexStreamZeroData, GL_STREAM_DRAW);
    BindVertexLayout(scratchVao_, true, userVertices_, fvf_, VertexStreamZeroStride, 0);
    glDrawArrays(mode, 0, static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT D3D8Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                           UINT NumVertexIndices, UINT PrimitiveCount, const void* pIndexData,
                                           D3DFORMAT IndexDataFormat, const void* pVertexStreamZeroData,
                                           UINT VertexStreamZeroStride) {
    if (!inScene_ || pIndexData == nullptr || pVertexStreamZeroData == nullptr || VertexStreamZeroStride == 0)
        return D3DERR_INVALIDCALL;
    if (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    GLenum mode = PrimitiveMode(PrimitiveType);
    VertexLayout layout = DescribeFvf(fvf_);
    if (mode == GL_NONE || !layout.valid) return D3DERR_INVALIDCALL;
    Hold(stream_, nullptr);
    streamStride_ = 0;
    Hold(indices_, nullptr);
    baseVertexIndex_ = 0;
    if (PrimitiveCount == 0 || NumVertexIndices == 0) return D3D_OK;
    uint64_t count = VerticesFor(PrimitiveType, PrimitiveCount);
    UINT size = IndexDataFormat == D3DFMT_INDEX16 ? 2 : 4;
    // The caller promises indices within MinVertexIndex .. MinVertexIndex + NumVertexIndices - 1; check it.
    const uint8_t* bytes = static_cast<const uint8_t*>(pIndexData);
    for (uint64_t i = 0; i < count; ++i) {
        uint32_t index;
        if (size == 2) {
            uint16_t v;
            std::memcpy(&v, bytes + i * 2, 2);
            index = v;
        } else {
            std::memcpy(&index, bytes + i * 4, 4);
        }
        if (index < MinVertexIndex || index - MinVertexIndex >= NumVertexIndices) return D3DERR_INVALIDCALL;
    }
    if (HRESULT failed = PrepareDraw(fvf_); FAILED(failed)) return failed;
    uint64_t vertexBytes = static_cast<uint64_t>(MinVertexIndex + NumVertexIndices - 1) * VertexStreamZeroStride + layout.size;
    glBindBuffer(GL_ARRAY_BUFFER, userVertices_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), pVertexStreamZeroData, GL_STREAM_DRAW);
    BindVertexLayout(scratchVao_, true, userVertices_, fvf_, VertexStreamZeroStride, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, userIndices_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * size), pIndexData, GL_STREAM_DRAW);
    glDrawElements(mode, static_cast<GLsizei>(count), size == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT, nullptr);
    return D3D_OK;
}
