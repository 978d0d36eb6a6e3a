// Layouts follow Direct3D's memory order on a little-endian machine: the
// channel named last in a format's name sits in the lowest bits.
#include "platform/d3d8/TextureFormat.h"

#include <array>

#include "platform/d3d8/DxtBlocks.h"

namespace {

TextureFormat Plain(D3DFORMAT f, UINT bytes, GLenum internal, GLenum format, GLenum type,
                    std::array<GLint, 4> swizzle = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}) {
    TextureFormat d;
    d.format = f;
    d.texture = true;
    d.bytesPerUnit = bytes;
    d.internalFormat = internal;
    d.glFormat = format;
    d.glType = type;
    for (int i = 0; i < 4; ++i) d.swizzle[i] = swizzle[i];
    return d;
}

TextureFormat Expanded(D3DFORMAT f, UINT bytes) {
    TextureFormat d = Plain(f, bytes, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    d.upload = GlUpload::Expand;
    return d;
}

TextureFormat Blocks(D3DFORMAT f, UINT bytes, GLenum internal) {
    TextureFormat d = Plain(f, bytes, internal, 0, 0);
    d.compressed = true;
    d.upload = GlUpload::Compressed;
    return d;
}

#ifdef __EMSCRIPTEN__
// WebGL 2 takes no BGRA order, no packed 16-bit BGRA types, no RGB5, RGB4,
// R3_G3_B2 or RG16, and no swizzles: those formats are converted to RGBA on
// upload, and the luminance and alpha formats use the unsized formats that
// sample the way Direct3D does.
std::array<TextureFormat, 20> BuildTable() {
    return {
        Expanded(D3DFMT_R8G8B8, 3),
        Expanded(D3DFMT_A8R8G8B8, 4),
        Expanded(D3DFMT_X8R8G8B8, 4),
        Plain(D3DFMT_R5G6B5, 2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5),
        Expanded(D3DFMT_X1R5G5B5, 2),
        Expanded(D3DFMT_A1R5G5B5, 2),
        Expanded(D3DFMT_A4R4G4B4, 2),
        Expanded(D3DFMT_X4R4G4B4, 2),
        Expanded(D3DFMT_R3G3B2, 1),
        Expanded(D3DFMT_A8R3G3B2, 2),
        Plain(D3DFMT_A8, 1, GL_ALPHA, GL_ALPHA, GL_UNSIGNED_BYTE),
        Plain(D3DFMT_A2B10G10R10, 4, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV),
        Expanded(D3DFMT_G16R16, 4),
        Plain(D3DFMT_L8, 1, GL_LUMINANCE, GL_LUMINANCE, GL_UNSIGNED_BYTE),
        Plain(D3DFMT_A8L8, 2, GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE),
        Expanded(D3DFMT_A4L4, 1),
        Blocks(D3DFMT_DXT1, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT),
        Blocks(D3DFMT_DXT2, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT),
        Blocks(D3DFMT_DXT3, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT),
        Blocks(D3DFMT_DXT4, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT),
    };
}
#else
std::array<TextureFormat, 20> BuildTable() {
    return {
        // The 8-bit colour formats go to GL byte for byte, blue first, and a
        // swizzle puts the channels back: GL's storage, which texture storage
        // picks without seeing the data's order, then takes them as a copy.
        Plain(D3DFMT_R8G8B8, 3, GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, {GL_BLUE, GL_GREEN, GL_RED, GL_ONE}),
        Plain(D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, {GL_BLUE, GL_GREEN, GL_RED, GL_ALPHA}),
        // The unused bits of the X formats are kept (a lock reads back what was
        // written) and sample as one.
        Plain(D3DFMT_X8R8G8B8, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, {GL_BLUE, GL_GREEN, GL_RED, GL_ONE}),
        Plain(D3DFMT_R5G6B5, 2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5),
        Plain(D3DFMT_X1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}),
        Plain(D3DFMT_A1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV),
        Plain(D3DFMT_A4R4G4B4, 2, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV),
        Plain(D3DFMT_X4R4G4B4, 2, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}),
        Plain(D3DFMT_R3G3B2, 1, GL_R3_G3_B2, GL_RGB, GL_UNSIGNED_BYTE_3_3_2),
        Expanded(D3DFMT_A8R3G3B2, 2),
        // Alpha-only textures sample as black with their alpha.
        Plain(D3DFMT_A8, 1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}),
        Plain(D3DFMT_A2B10G10R10, 4, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV),
        Plain(D3DFMT_G16R16, 4, GL_RG16, GL_RG, GL_UNSIGNED_SHORT, {GL_RED, GL_GREEN, GL_ONE, GL_ONE}),
        Plain(D3DFMT_L8, 1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}),
        Plain(D3DFMT_A8L8, 2, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_GREEN}),
        Expanded(D3DFMT_A4L4, 1),
        Blocks(D3DFMT_DXT1, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT),
        // Premultiplied variants keep their blocks; the sampler returns them as stored.
        Blocks(D3DFMT_DXT2, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT),
        Blocks(D3DFMT_DXT3, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT),
        Blocks(D3DFMT_DXT4, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT),
    };
}
#endif

}  // namespace

const TextureFormat& DescribeFormat(D3DFORMAT format) {
    static const std::array<TextureFormat, 20> table = BuildTable();
    static const TextureFormat dxt5 = Blocks(D3DFMT_DXT5, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
    static const TextureFormat unknown;
    if (format == D3DFMT_DXT5) return dxt5;
    for (const TextureFormat& d : table)
        if (d.format == format) return d;
    return unknown;
}

UINT FormatPitch(const TextureFormat& format, UINT width) {
    if (format.compressed) return ((width + 3) / 4) * format.bytesPerUnit;
    return width * format.bytesPerUnit;
}

UINT FormatRows(const TextureFormat& format, UINT height) {
    return format.compressed ? (height + 3) / 4 : height;
}

namespace {

inline uint8_t Scale(uint32_t v, uint32_t max) { return static_cast<uint8_t>((v * 255 + max / 2) / max); }

}  // namespace

void ExpandToRgba8(const TextureFormat& format, const uint8_t* level, UINT width, UINT height,
                   std::vector<uint8_t>& rgba) {
    rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    if (format.compressed) {
        DecodeDxtLevel(format.format, level, width, height, rgba.data());
        return;
    }
    UINT pitch = FormatPitch(format, width);
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* row = level + static_cast<size_t>(y) * pitch;
        uint8_t* out = rgba.data() + static_cast<size_t>(y) * width * 4;
        for (UINT x = 0; x < width; ++x, out += 4) {
            switch (format.format) {
            case D3DFMT_R8G8B8:
            case D3DFMT_A8R8G8B8:
            case D3DFMT_X8R8G8B8: {
                const uint8_t* p = row + x * format.bytesPerUnit;
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
                out[3] = format.format == D3DFMT_A8R8G8B8 ? p[3] : 255;
                break;
            }
            case D3DFMT_X1R5G5B5:
            case D3DFMT_A1R5G5B5: {
                uint32_t v = row[x * 2] | (row[x * 2 + 1] << 8);
                out[0] = Scale((v >> 10) & 31, 31);
                out[1] = Scale((v >> 5) & 31, 31);
                out[2] = Scale(v & 31, 31);
                out[3] = format.format == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 255 : 0;
                break;
            }
            case D3DFMT_A4R4G4B4:
            case D3DFMT_X4R4G4B4: {
                uint32_t v = row[x * 2] | (row[x * 2 + 1] << 8);
                out[0] = Scale((v >> 8) & 15, 15);
                out[1] = Scale((v >> 4) & 15, 15);
                out[2] = Scale(v & 15, 15);
                out[3] = format.format == D3DFMT_A4R4G4B4 ? Scale(v >> 12, 15) : 255;
                break;
            }
            case D3DFMT_R3G3B2: {
                uint32_t v = row[x];
                out[0] = Scale((v >> 5) & 7, 7);
                out[1] = Scale((v >> 2) & 7, 7);
                out[2] = Scale(v & 3, 3);
                out[3] = 255;
                break;
            }
            case D3DFMT_G16R16: {
                // Blue and alpha read as one where the format has no such channel.
                const uint8_t* p = row + x * 4;
                out[0] = p[1];
                out[1] = p[3];
                out[2] = out[3] = 255;
                break;
            }
            case D3DFMT_A8R3G3B2: {
                uint32_t v = row[x * 2] | (row[x * 2 + 1] << 8);
                out[0] = Scale((v >> 5) & 7, 7);
                out[1] = Scale((v >> 2) & 7, 7);
                out[2] = Scale(v & 3, 3);
                out[3] = static_cast<uint8_t>(v >> 8);
                break;
            }
            case D3DFMT_A4L4: {
                uint8_t l = Scale(row[x] & 15, 15);
                out[0] = out[1] = out[2] = l;
                out[3] = Scale(row[x] >> 4, 15);
                break;
            }
            default:
                break;
            }
        }
    }
}
