// Bitmap files: a 14-byte "BM" file header in front of a bare device-independent bitmap.
#include "texload/ByteOrder.h"
#include "texload/ImageReaders.h"

HRESULT ReadBitmapFile(DecodedImage* image, const uint8_t* data, size_t size)
{
    if (size < 14 || data[0] != 'B' || data[1] != 'M') {
        return E_FAIL;
    }
    if (size < ReadLe32(data + 2)) {
        return E_FAIL;
    }
    // The header's pixel-offset field is not used: the pixels follow the colour table.
    return ReadBareBitmap(image, data + 14, size - 14);
}
