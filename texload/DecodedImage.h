// One decoded picture, with the mip levels and cube faces stored after it in the same file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/windows.h"
#include "texload/ImageFormat.h"
#include "texload/Palette.h"

struct DecodedImage {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    const uint8_t* pixels = nullptr;  // first byte of the top row
    UINT rowPitch = 0;                // bytes from one row to the next
    RECT rect = {0, 0, 0, 0};         // (0, 0, width, height)
    Palette* palette = nullptr;       // set for D3DFMT_P8 pictures
    bool ownsPixels = false;          // pixels were allocated here; else they point into the file
    bool ownsPalette = false;
    DecodedImage* nextLevel = nullptr;  // owned: the next smaller mip level
    DecodedImage* nextFace = nullptr;   // owned: the next cube face

    DecodedImage() = default;
    ~DecodedImage();
    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;

    // Frees what the picture owns, chains included, and leaves it empty.
    void Clear();

    // A buffer of size bytes owned by the picture (its pixels), or null when out of memory.
    // zeroed asks for a buffer that starts all zero.
    uint8_t* AllocatePixels(size_t size, bool zeroed = false);

    // A palette owned by the picture, all entries white and opaque; null when out of memory.
    Palette* AllocatePalette();

    void SetRect(UINT width, UINT height);
};
