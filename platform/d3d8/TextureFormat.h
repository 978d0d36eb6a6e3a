// Memory layout of Direct3D 8 pixel formats and how each one goes to GL.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/d3d8.h"

// How a format's level is handed to glTexImage2D.
enum class GlUpload {
    Direct,      // the bytes as they are, with format/type below
    Compressed,  // DXT blocks, glCompressedTexImage2D
    Expand,      // converted to 8-bit RGBA first (ExpandToRgba8)
};

struct TextureFormat {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool texture = false;      // may be a texture on this device
    bool compressed = false;   // 4x4 blocks
    UINT bytesPerUnit = 0;     // bytes per pixel, or per 4x4 block when compressed
    GlUpload upload = GlUpload::Direct;
    GLenum internalFormat = 0;
    GLenum glFormat = 0;
    GLenum glType = 0;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};

// The description of a format; texture false for formats not known here.
const TextureFormat& DescribeFormat(D3DFORMAT format);

// Row pitch in bytes of a level: a row of pixels, or a row of blocks.
UINT FormatPitch(const TextureFormat& format, UINT width);
// Number of rows of the pitch: the height, or the number of block rows.
UINT FormatRows(const TextureFormat& format, UINT height);
// Bytes of a whole level.
inline UINT FormatLevelSize(const TextureFormat& format, UINT width, UINT height) {
    return FormatPitch(format, width) * FormatRows(format, height);
}

// Converts a level stored in the format's layout to 8-bit RGBA rows, top row
// first, width * 4 bytes each. Used for formats GL cannot take as they are and
// for DXT where the GL implementation lacks S3TC.
void ExpandToRgba8(const TextureFormat& format, const uint8_t* level, UINT width, UINT height,
                   std::vector<uint8_t>& rgba);
