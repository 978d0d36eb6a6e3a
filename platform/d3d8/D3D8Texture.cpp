#include "platform/d3d8/D3D8Texture.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <new>

#include "platform/d3d8/D3D8Device.h"
#include "platform/win32/ComGuard.h"

UINT D3D8Texture::FullChain(UINT width, UINT height) {
    UINT levels = 1;
    UINT size = std::max(width, height);
    while (size > 1) {
        size >>= 1;
        ++levels;
    }
    return levels;
}

bool D3D8Texture::LivesInGl(D3DFORMAT format, D3DPOOL pool, DWORD usage, bool decodeDxt, const GlLimits& limits) {
    const TextureFormat& described = DescribeFormat(format);
    // Only levels GL keeps in the format's own layout come back as they were
    // given; dynamic textures are rewritten often and keep their memory.
    bool ownLayout = described.upload == GlUpload::Direct || (described.compressed && !decodeDxt);
    return pool != D3DPOOL_SYSTEMMEM && (usage & D3DUSAGE_DYNAMIC) == 0 && ownLayout && limits.textureStorage &&
           limits.textureReadBack;
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
        const TextureFormat& described = DescribeFormat(format);
        const GlLimits& limits = device_->Limits();
        livesInGl_ = LivesInGl(format, pool, usage, device_->DecodesDxt(), limits);
        storage_ = limits.textureStorage;
        device_->MakeCurrent();
        glGenTextures(1, &glTexture_);
        glBindTexture(GL_TEXTURE_2D, glTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, described.swizzle);
        if (storage_) {
            // Every level at once, in the layout the levels are sent in; GL
            // takes the pages only as the levels arrive.
            bool decode = described.upload == GlUpload::Expand || (described.compressed && device_->DecodesDxt());
            glTexStorage2D(GL_TEXTURE_2D, static_cast<GLsizei>(levels), decode ? GL_RGBA8 : described.internalFormat,
                           static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        }
        device_->TextureBindingChanged();
    }
}

D3D8Texture::~D3D8Texture() {
    device_->TextureGone(this);
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

HRESULT D3D8Texture::MakeResident(UINT level, bool readBack) {
    if (level >= LevelCount()) return D3DERR_INVALIDCALL;
    D3D8Surface* surface = levels_[level];
    if (surface->InGlOnly()) {
        // The level's bytes count against the budget again while in memory.
        UINT size = surface->Desc().Size;
        if (!device_->ReserveTextureMemory(size)) return E_OUTOFMEMORY;
        HRESULT result = NoThrowCall([&] {
            surface->Bits().resize(size);
            return D3D_OK;
        });
        if (FAILED(result)) {
            device_->ReturnTextureMemory(size);
            return result;
        }
        memoryCost_ += size;
        surface->SetInGlOnly(false);
        if (readBack) ReadLevelFromGl(level);
    }
    if (livesInGl_) device_->TextureInUse(this);
    return D3D_OK;
}

void D3D8Texture::ReadLevelFromGl(UINT level) {
#ifndef __EMSCRIPTEN__  // WebGL reads no texture back: levels never live there alone
    D3D8Surface* surface = levels_[level];
    const TextureFormat& format = DescribeFormat(format_);
    device_->MakeCurrent();
    glBindTexture(GL_TEXTURE_2D, glTexture_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    if (format.compressed)
        glGetCompressedTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), surface->Bits().data());
    else
        glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), format.glFormat, format.glType,
                      surface->Bits().data());
    device_->TextureBindingChanged();
#else
    (void)level;
#endif
}

namespace {

#ifdef __linux__
// Gives the whole pages inside [begin, begin + size) back to the system; the
// bytes there read as zero afterwards. Used on memory that is freed next, so
// that a huge level's memory goes while GL takes it over band by band.
void DiscardPages(uint8_t* begin, size_t size) {
    static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    uintptr_t last = (reinterpret_cast<uintptr_t>(begin) + size) & ~(page - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}
#else
void DiscardPages(uint8_t*, size_t) {}
#endif

// Levels larger than this go to GL in bands of about this size.
constexpr size_t UPLOAD_BAND_BYTES = 16u << 20;

}  // namespace

void D3D8Texture::UploadLevel(UINT level, bool decode, bool giveBack, std::vector<uint8_t>& rgba) {
    const TextureFormat& format = DescribeFormat(format_);
    D3D8Surface* surface = levels_[level];
    GLsizei w = static_cast<GLsizei>(surface->Desc().Width), h = static_cast<GLsizei>(surface->Desc().Height);
    uint8_t* bits = surface->Bits().data();
    GLint glLevel = static_cast<GLint>(level);
    if (decode) {
        // Without memory for the expanded copy the level stays out of GL
        // (and the texture samples as incomplete) rather than failing the draw.
        try {
            ExpandToRgba8(format, bits, surface->Desc().Width, surface->Desc().Height, rgba);
        } catch (const std::bad_alloc&) {
            rgba = std::vector<uint8_t>();
            return;
        }
        if (storage_)
            glTexSubImage2D(GL_TEXTURE_2D, glLevel, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        else
            glTexImage2D(GL_TEXTURE_2D, glLevel, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return;
    }
    if (!storage_) {
        if (format.compressed)
            glCompressedTexImage2D(GL_TEXTURE_2D, glLevel, format.internalFormat, w, h, 0,
                                   static_cast<GLsizei>(surface->Bits().size()), bits);
        else
            glTexImage2D(GL_TEXTURE_2D, glLevel, static_cast<GLint>(format.internalFormat), w, h, 0, format.glFormat,
                         format.glType, bits);
        return;
    }
    // Into the storage made at creation, in bands of rows (of blocks) when the
    // level is large; each band's pages go back as soon as GL has it.
    UINT pitch = surface->Pitch(), rows = FormatRows(format, surface->Desc().Height);
    UINT bandRows = giveBack ? std::max<UINT>(1, static_cast<UINT>(UPLOAD_BAND_BYTES / pitch)) : rows;
    UINT pixelRows = format.compressed ? 4 : 1;
    for (UINT row = 0; row < rows; row += bandRows) {
        UINT count = std::min(bandRows, rows - row);
        uint8_t* band = bits + static_cast<size_t>(row) * pitch;
        GLint y = static_cast<GLint>(row * pixelRows);
        GLsizei bandHeight = std::min<GLsizei>(static_cast<GLsizei>(count * pixelRows), h - y);
        if (format.compressed)
            glCompressedTexSubImage2D(GL_TEXTURE_2D, glLevel, 0, y, w, bandHeight, format.internalFormat,
                                      static_cast<GLsizei>(static_cast<size_t>(count) * pitch), band);
        else
            glTexSubImage2D(GL_TEXTURE_2D, glLevel, 0, y, w, bandHeight, format.glFormat, format.glType, band);
        if (giveBack && count < rows) DiscardPages(band, static_cast<size_t>(count) * pitch);
    }
}

void D3D8Texture::Settle() {
    if (glTexture_ == 0) return;
    if (anyDirty_) {
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
            UploadLevel(level, decode, livesInGl_ && !levels_[level]->Locked(), rgba);
        }
        anyDirty_ = false;
        device_->TextureBindingChanged();
    }
    if (!livesInGl_) return;
    for (D3D8Surface* surface : levels_) {
        if (surface->InGlOnly() || surface->Locked()) continue;
        std::vector<uint8_t>().swap(surface->Bits());
        surface->SetInGlOnly(true);
        device_->ReturnTextureMemory(surface->Desc().Size);
        memoryCost_ -= surface->Desc().Size;
    }
}

GLuint D3D8Texture::Prepare() {
    Settle();
    return glTexture_;
}
