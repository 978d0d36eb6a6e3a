#include "tools/orvik-image/DdsWriter.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "texload/DxtCodec.h"
#include "texload/PixelAccessor.h"
#include "texload/PixelFormatTable.h"
#include "texload/YuvCodec.h"

namespace {

constexpr DWORD DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8, DDSD_PIXELFORMAT = 0x1000,
                DDSD_MIPMAPCOUNT = 0x20000, DDSD_LINEARSIZE = 0x80000;
constexpr DWORD DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40,
                DDPF_LUMINANCE = 0x20000;
constexpr DWORD DDSCAPS_COMPLEX = 0x8, DDSCAPS_TEXTURE = 0x1000, DDSCAPS_MIPMAP = 0x400000;

void Put(std::vector<BYTE>& header, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) header[offset + i] = BYTE(value >> (8 * i));
}

DWORD Mask(int shift, int bits) { return bits == 0 ? 0 : ((bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1) << shift); }

// Bytes of one stored row (block row for DXT) and the number of stored rows.
void RowLayout(D3DFORMAT format, UINT width, UINT height, UINT* rowBytes, UINT* rows) {
    if (IsDxtFormat(format)) {
        *rowBytes = (width + 3) / 4 * DxtBlockBytes(format);
        *rows = (height + 3) / 4;
    } else if (IsYuvFormat(format)) {
        *rowBytes = (width + 1) / 2 * 4;
        *rows = height;
    } else {
        *rowBytes = width * UINT(FindPixelFormat(format).bits / 8);
        *rows = height;
    }
}

}  // namespace

bool WriteDdsFile(const char* path, IDirect3DTexture8* texture) {
    D3DSURFACE_DESC top;
    if (FAILED(texture->GetLevelDesc(0, &top))) return false;
    D3DFORMAT format = top.Format;
    if (format == D3DFMT_P8 || format == D3DFMT_A8P8) {
        std::fprintf(stderr, "orvik-image: palettised textures have no DDS form here\n");
        return false;
    }
    UINT levels = texture->GetLevelCount();
    std::vector<BYTE> header(128, 0);
    std::memcpy(header.data(), "DDS ", 4);
    Put(header, 4, 124);
    UINT rowBytes, rows;
    RowLayout(format, top.Width, top.Height, &rowBytes, &rows);
    bool fourCc = IsBlockFormat(format) || FindPixelFormat(format).formatClass == FORMAT_CLASS_BUMP;
    DWORD flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | (levels > 1 ? DDSD_MIPMAPCOUNT : 0) |
                  (IsDxtFormat(format) ? DDSD_LINEARSIZE : DDSD_PITCH);
    Put(header, 8, flags);
    Put(header, 12, top.Height);
    Put(header, 16, top.Width);
    Put(header, 20, IsDxtFormat(format) ? rowBytes * rows : rowBytes);
    Put(header, 28, levels);
    Put(header, 76, 32);
    if (fourCc) {
        // Block formats by their code; the bump formats by their Direct3D number.
        Put(header, 80, DDPF_FOURCC);
        Put(header, 84, DWORD(format));
    } else {
        UINT bytes;
        int shifts[4], bits[4];
        if (!PlainChannelLayout(format, &bytes, shifts, bits)) return false;
        const PixelFormatDescriptor& row = FindPixelFormat(format);
        DWORD kind = row.formatClass == FORMAT_CLASS_LUMINANCE ? DDPF_LUMINANCE
                     : bits[0] == 0                           ? DDPF_ALPHA
                                                              : DDPF_RGB;
        Put(header, 80, kind | (bits[3] != 0 && kind != DDPF_ALPHA ? DDPF_ALPHAPIXELS : 0));
        Put(header, 88, bytes * 8);
        Put(header, 92, Mask(shifts[0], bits[0]));
        Put(header, 96, kind == DDPF_RGB ? Mask(shifts[1], bits[1]) : 0);
        Put(header, 100, kind == DDPF_RGB ? Mask(shifts[2], bits[2]) : 0);
        Put(header, 104, Mask(shifts[3], bits[3]));
    }
    Put(header, 108, DDSCAPS_TEXTURE | (levels > 1 ? DDSCAPS_COMPLEX | DDSCAPS_MIPMAP : 0));

    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "orvik-image: cannot write %s\n", path);
        return false;
    }
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    for (UINT level = 0; ok && level < levels; ++level) {
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        ok = SUCCEEDED(texture->GetLevelDesc(level, &desc)) &&
             SUCCEEDED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY));
        if (!ok) break;
        RowLayout(format, desc.Width, desc.Height, &rowBytes, &rows);
        for (UINT r = 0; ok && r < rows; ++r) {
            ok = std::fwrite(static_cast<BYTE*>(locked.pBits) + size_t(r) * locked.Pitch, 1, rowBytes, file) == rowBytes;
        }
        texture->UnlockRect(level);
    }
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "orvik-image: cannot write %s\n", path);
        std::remove(path);
    }
    return ok;
}
