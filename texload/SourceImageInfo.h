// What decoding tells about a file's first picture.
#pragma once

#include "texload/ImageFormat.h"

struct SourceImageInfo {
    UINT width;
    UINT height;
    UINT depth;      // always 1
    UINT mipLevels;  // 1 + the length of the first picture's nextLevel chain
    D3DFORMAT format;
};
