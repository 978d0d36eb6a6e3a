#include "platform/d3d8/D3D8Texture.h"

#include <algorithm>
#include <new>

#include "platform/d3d8/D3D8Device.h"

UINT D3D8Texture::FullChain(UINT width, UINT height) {
    UINT levels = 1;
    UINT size = std::max(width, height);
    while (size > 1) {
        size >>= 1;
        ++levels;
    }
    return levels;
}

uint64_t D3D8Texture::MemoryCost(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool,
                                 bool decodeDxt) {
    const TextureFormat& described = DescribeFormat(format);
    bool expanded = described.upload == GlUpload::Expand || (described.compressed && decodeDxt);
    // GL keeps 24-bit colour in four bytes a pixel.
    uint64_t glPixelBytes = expanded || described.internalFormat == GL_RGB8 ? 4 : described.bytesPerUnit;
    uint64_t total = 0;
    UINT w = width, h = height;
    for (UINT level = 0; level < levels; ++level) {
        uint64_t inMemory = static_cast<uint64_t>(FormatPitch(described, w)) * FormatRows(described, h);
        uint64_t inGl = described.compressed && !decodeDxt ? inMemory : static_cast<uint64_t>(w) * h * glPixelBytes;
        total += inMemory + (pool != D3DPOOL_SYSTEMMEM ? inGl : 0);
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    return total;
}

D3D8Texture::D3D8Texture(D3D8Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool, uint64_t memoryCost)
    : DeviceChild(device), format_(format), pool_(pool), memoryCost_(memoryCost) {
    // Default-pool textures cannot be locked unless they are dynamic.
    bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0;
    UINT w = width, h = height;
    try {
        levels_.reserve(levels);
        for (UINT level = 0; level < levels; ++level) {
            levels_.push_back(new D3D8Surface(this, level, w, h, format, usage, pool, lockable));
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
        }
        dirty_.assign(levels, true);
    } catch (...) {
        // The destructor does not run for a texture that was never made.
        for (D3D8Surface* level : levels_) level->DestroyLevel();
        throw;
    }
    anyDirty_ = true;
    if (pool != D3DPOOL_SYSTEMMEM) {
        device_->MakeCurrent();
        glGenTextures(1, &glTexture_);
        glBindTexture(GL_TEXTURE_2D, glTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, DescribeFormat(format).swizzle);
        device_->TextureBindingChanged();
    }
}

D3D8Texture::~D3D8Texture() {
    if (glTexture_ != 0) {
        device_->MakeCurrent();
        device_->ForgetGlTexture(glTexture_);
        glDeleteTextures(1, &glTexture_);
    }
    for (D3D8Surface* level : levels_) level->DestroyLevel();
    device_->ReturnTextureMemory(memoryCost_);
}

HRESULT D3D8Texture::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3DTexture8, IID_IDirect3DBaseTexture8, IID_IDirect3DResource8);
}

HRESULT D3D8Texture::GetDevice(IDirect3DDevice8** ppDevice) {
    if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *ppDevice = device_;
    return D3D_OK;
}

HRESULT D3D8Texture::SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) {
    return privateData_.Set(refguid, pData, SizeOfData, Flags);
}

HRESULT D3D8Texture::GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) {
    return privateData_.Get(refguid, pData, pSizeOfData);
}

HRESULT D3D8Texture::FreePrivateData(REFGUID refguid) { return privateData_.Free(refguid); }

DWORD D3D8Texture::SetPriority(DWORD PriorityNew) {
    DWORD old = priority_;
    if (pool_ == D3DPOOL_MANAGED) priority_ = PriorityNew;
    return old;
}

DWORD D3D8Texture::GetPriority() { return priority_; }

void D3D8Texture::PreLoad() {
    if (pool_ == D3DPOOL_MANAGED) Prepare();
}

DWORD D3D8Texture::SetLOD(DWORD LODNew) {
    DWORD old = lod_;
    if (pool_ != D3DPOOL_MANAGED) return 0;
    lod_ = std::min<DWORD>(LODNew, LevelCount() - 1);
    if (glTexture_ != 0) {
        device_->MakeCurrent();
        glBindTexture(GL_TEXTURE_2D, glTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(lod_));
        device_->TextureBindingChanged();
    }
    return old;
}

DWORD D3D8Texture::GetLOD() { return lod_; }

HRESULT D3D8Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    if (Level >= LevelCount() || pDesc == nullptr) return D3DERR_INVALIDCALL;
    return levels_[Level]->GetDesc(pDesc);
}

HRESULT D3D8Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) {
    if (Level >= LevelCount() || ppSurfaceLevel == nullptr) return D3DERR_INVALIDCALL;
    levels_[Level]->AddRef();
    *ppSurfaceLevel = levels_[Level];
    return D3D_OK;
}

HRESULT D3D8Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
    if (Level >= LevelCount()) return D3DERR_INVALIDCALL;
    return levels_[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT D3D8Texture::UnlockRect(UINT Level) {
    if (Level >= LevelCount()) return D3DERR_INVALIDCALL;
    return levels_[Level]->UnlockRect();
}

HRESULT D3D8Texture::AddDirtyRect(const RECT* pDirtyRect) {
    if (pDirtyRect != nullptr) {
        size_t offset;
        const D3D8Surface* top = levels_[0];
        if (!LockOffset(top->Format(), top->Pitch(), top->Desc().Width, top->Desc().Height, pDirtyRect, &offset))
            return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

void D3D8Texture::MarkDirty(UINT level) {
    if (level >= dirty_.size()) return;
    dirty_[level] = true;
    anyDirty_ = true;
}

GLuint D3D8Texture::Prepare() {
    if (glTexture_ == 0 || !anyDirty_) return glTexture_;
    device_->MakeCurrent();
    const TextureFormat& format = DescribeFormat(format_);
    bool decode = format.upload == GlUpload::Expand ||
                  (format.upload == GlUpload::Compressed && device_->DecodesDxt());
    glBindTexture(GL_TEXTURE_2D, glTexture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    std::vector<uint8_t> rgba;
    for (UINT level = 0; level < LevelCount(); ++level) {
        if (!dirty_[level]) continue;
        dirty_[level] = false;
        const D3D8Surface* surface = levels_[level];
        GLsizei w = static_cast<GLsizei>(surface->Desc().Width), h = static_cast<GLsizei>(surface->Desc().Height);
        const uint8_t* bits = surface->Bits().data();
        if (decode) {
            // Without memory for the expanded copy the level stays out of GL
            // (and the texture samples as incomplete) rather than failing the draw.
            try {
                ExpandToRgba8(format, bits, surface->Desc().Width, surface->Desc().Height, rgba);
            } catch (const std::bad_alloc&) {
                rgba = std::vector<uint8_t>();
                continue;
            }
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         rgba.data());
        } else if (format.upload == GlUpload::Compressed) {
            glCompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), format.internalFormat, w, h, 0,
                                   static_cast<GLsizei>(surface->Bits().size()), bits);
        } else {
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(format.internalFormat), w, h,
                         0, format.glFormat, format.glType, bits);
        }
    }
    anyDirty_ = false;
    device_->TextureBindingChanged();
    return glTexture_;
}
