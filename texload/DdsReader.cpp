// DDS files: uncompressed 16- and 32-bit or DXT1 to DXT5 pictures with their mip levels,
// one face or a cube map of six. Every level points into the file's bytes.
#include <new>

#include "texload/ByteOrder.h"
#include "texload/ImageLimits.h"
#include "texload/ImageReaders.h"

namespace {

constexpr uint32_t DDS_MAGIC = 0x20534444;  // "DDS "
constexpr uint32_t CUBE_FACE_BITS = 0xFC00;

D3DFORMAT DdsFormat(const uint8_t* file)
{
    const uint32_t flags = ReadLe32(file + 80);
    const uint32_t fourCc = ReadLe32(file + 84);
    const uint32_t bits = ReadLe32(file + 88);
    const uint32_t greenMask = ReadLe32(file + 96);
    const uint32_t alphaMask = ReadLe32(file + 104);
    switch (fourCc) {
    case D3DFMT_DXT1:
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: return (D3DFORMAT)fourCc;
    default: break;
    }
    // The flags are compared whole: 0x41 is RGB with alpha, 0x40 RGB alone.
    if (flags == 0x41 && bits == 32 && alphaMask == 0xFF000000) return D3DFMT_A8R8G8B8;
    if (flags == 0x40 && bits == 32) return D3DFMT_X8R8G8B8;
    if (flags == 0x40 && bits == 16 && greenMask == 0x7E0) return D3DFMT_R5G6B5;
    if (flags == 0x40 && bits == 16 && greenMask == 0x3E0) return D3DFMT_X1R5G5B5;
    if (flags == 0x41 && bits == 16 && alphaMask == 0x8000) return D3DFMT_A1R5G5B5;
    if (flags == 0x41 && bits == 16 && alphaMask == 0xF000) return D3DFMT_A4R4G4B4;
    return D3DFMT_UNKNOWN;
}

// Row pitch and byte size of one level.
void LevelSize(D3DFORMAT format, uint64_t width, uint64_t height, uint64_t* pitch, uint64_t* size)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        *pitch = width * 4;
        *size = *pitch * height;
        break;
    case D3DFMT_DXT1:
        *pitch = (width + 3) / 4 * 8;
        *size = *pitch * ((height + 3) / 4);
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        *pitch = (width + 3) / 4 * 16;
        *size = *pitch * ((height + 3) / 4);
        break;
    default:  // the 16-bit formats
        *pitch = width * 2;
        *size = *pitch * height;
        break;
    }
}

}  // namespace

HRESULT ReadDds(DecodedImage* image, const uint8_t* data, size_t size)
{
    if (size < 4 || ReadLe32(data) != DDS_MAGIC || size - 4 < 124) return E_FAIL;
    const uint32_t height = ReadLe32(data + 12);
    const uint32_t width = ReadLe32(data + 16);
    uint32_t levels = ReadLe32(data + 28);
    const uint32_t caps2 = ReadLe32(data + 112);
    if (levels == 0) levels = 1;
    if (levels > MAX_IMAGE_LEVELS || !ImageSizeAllowed(width, height)) return E_FAIL;

    uint32_t faces = 1;
    if ((caps2 & CUBE_FACE_BITS) == CUBE_FACE_BITS) {
        faces = 6;
    } else if (caps2 & CUBE_FACE_BITS) {
        return E_FAIL;
    }
    const D3DFORMAT format = DdsFormat(data);
    if (format == D3DFMT_UNKNOWN) return E_FAIL;

    size_t at = 128;
    DecodedImage* faceHead = image;
    for (uint32_t face = 0; face < faces; ++face) {
        if (face > 0) {
            faceHead->nextFace = new (std::nothrow) DecodedImage;
            if (!faceHead->nextFace) return E_OUTOFMEMORY;
            faceHead = faceHead->nextFace;
        }
        DecodedImage* level = faceHead;
        uint32_t w = width, h = height;
        for (uint32_t i = 0; i < levels; ++i) {
            if (i > 0) {
                level->nextLevel = new (std::nothrow) DecodedImage;
                if (!level->nextLevel) return E_OUTOFMEMORY;
                level = level->nextLevel;
            }
            uint64_t pitch, bytes;
            LevelSize(format, w, h, &pitch, &bytes);
            if (size - at < bytes) return E_FAIL;
            level->format = format;
            level->pixels = data + at;
            level->rowPitch = (UINT)pitch;
            level->SetRect(w, h);
            at += bytes;
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
    }
    return S_OK;
}
