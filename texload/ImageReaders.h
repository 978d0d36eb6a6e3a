// The seven image readers, in the order DecodeImage tries them. Each takes an empty picture
// and returns 0 when it accepted the bytes and filled it, or a failure code (E_FAIL, E_OUTOFMEMORY,
// E_NOTIMPL); on failure the picture may hold partial results, which the caller clears.
#pragma once

#include <cstddef>
#include <cstdint>

#include "texload/DecodedImage.h"

enum class ImageReader {
    None,
    BitmapFile,
    Ppm,
    Dds,
    Jpeg,
    Png,
    Tga,
    BareBitmap,
};

// "bitmap", "ppm", "dds", "jpeg", "png", "tga", "dib"; "none" for None.
const char* ImageReaderName(ImageReader reader);

HRESULT ReadBitmapFile(DecodedImage* image, const uint8_t* data, size_t size);
HRESULT ReadPpm(DecodedImage* image, const uint8_t* data, size_t size);
HRESULT ReadDds(DecodedImage* image, const uint8_t* data, size_t size);
HRESULT ReadJpeg(DecodedImage* image, const uint8_t* data, size_t size);
HRESULT ReadPng(DecodedImage* image, const uint8_t* data, size_t size);
HRESULT ReadTga(DecodedImage* image, const uint8_t* data, size_t size);
HRESULT ReadBareBitmap(DecodedImage* image, const uint8_t* data, size_t size);
