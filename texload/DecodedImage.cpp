#include "texload/DecodedImage.h"

#include <cstdlib>
#include <new>

DecodedImage::~DecodedImage()
{
    Clear();
}

void DecodedImage::Clear()
{
    if (ownsPixels) {
        std::free(const_cast<uint8_t*>(pixels));
    }
    if (ownsPalette) {
        delete palette;
    }
    delete nextLevel;
    delete nextFace;
    format = D3DFMT_UNKNOWN;
    pixels = nullptr;
    rowPitch = 0;
    rect = RECT{0, 0, 0, 0};
    palette = nullptr;
    ownsPixels = false;
    ownsPalette = false;
    nextLevel = nullptr;
    nextFace = nullptr;
}

uint8_t* DecodedImage::AllocatePixels(size_t size, bool zeroed)
{
    // malloc rather than new: the JPEG and PNG readers allocate between a setjmp and
    // the library's longjmp, where only plain memory may be live.
    void* buffer = zeroed ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1);
    if (!buffer) {
        return nullptr;
    }
    if (ownsPixels) {
        std::free(const_cast<uint8_t*>(pixels));
    }
    pixels = static_cast<uint8_t*>(buffer);
    ownsPixels = true;
    return static_cast<uint8_t*>(buffer);
}

Palette* DecodedImage::AllocatePalette()
{
    Palette* created = new (std::nothrow) Palette;
    if (!created) {
        return nullptr;
    }
    created->FillWhite();
    if (ownsPalette) {
        delete palette;
    }
    palette = created;
    ownsPalette = true;
    return created;
}

void DecodedImage::SetRect(UINT width, UINT height)
{
    rect = RECT{0, 0, (LONG)width, (LONG)height};
}
