// Turns the bytes of an image file into a decoded picture.
#pragma once

#include "texload/DecodedImage.h"
#include "texload/ImageReaders.h"
#include "texload/SourceImageInfo.h"
#include "texload/TextureResults.h"

// Tries the readers in order (bitmap file, PPM, DDS, JPEG, PNG, TGA, bare bitmap); the
// first that accepts the bytes fills image. Returns 0, or D3DXERR_INVALIDDATA with image
// left empty. info, when given, receives the first picture's description on success;
// acceptedBy, when given, the reader that accepted the bytes (None on failure).
// Pictures may point into data: destroy image before data goes away.
HRESULT DecodeImage(DecodedImage* image, const void* data, UINT size, SourceImageInfo* info,
                    ImageReader* acceptedBy = nullptr);
