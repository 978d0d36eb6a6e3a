#include "texload/DecodeImage.h"

namespace {

struct ReaderEntry {
    ImageReader reader;
    HRESULT (*read)(DecodedImage*, const uint8_t*, size_t);
};

const ReaderEntry READERS[] = {
    {ImageReader::BitmapFile, ReadBitmapFile},
    {ImageReader::Ppm, ReadPpm},
    {ImageReader::Dds, ReadDds},
    {ImageReader::Jpeg, ReadJpeg},
    {ImageReader::Png, ReadPng},
    {ImageReader::Tga, ReadTga},
    {ImageReader::BareBitmap, ReadBareBitmap},
};

}  // namespace

const char* ImageReaderName(ImageReader reader)
{
    switch (reader) {
    case ImageReader::BitmapFile: return "bitmap";
    case ImageReader::Ppm: return "ppm";
    case ImageReader::Dds: return "dds";
    case ImageReader::Jpeg: return "jpeg";
    case ImageReader::Png: return "png";
    case ImageReader::Tga: return "tga";
    case ImageReader::BareBitmap: return "dib";
    case ImageReader::None: break;
    }
    return "none";
}

HRESULT DecodeImage(DecodedImage* image, const void* data, UINT size, SourceImageInfo* info,
                    ImageReader* acceptedBy)
{
    if (acceptedBy) {
        *acceptedBy = ImageReader::None;
    }
    if (!image) {
        return D3DXERR_INVALIDDATA;
    }
    image->Clear();
    if (!data) {
        return D3DXERR_INVALIDDATA;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (const ReaderEntry& entry : READERS) {
        if (SUCCEEDED(entry.read(image, bytes, size))) {
            if (info) {
                UINT levels = 1;
                for (const DecodedImage* level = image->nextLevel; level; level = level->nextLevel) {
                    ++levels;
                }
                info->width = (UINT)image->rect.right;
                info->height = (UINT)image->rect.bottom;
                info->depth = 1;
                info->mipLevels = levels;
                info->format = image->format;
            }
            if (acceptedBy) {
                *acceptedBy = entry.reader;
            }
            return S_OK;
        }
        image->Clear();
    }
    return D3DXERR_INVALIDDATA;
}
