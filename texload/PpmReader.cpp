// PPM files: "P3" (decimal text samples) and "P6" (one byte per sample).
#include "texload/ImageLimits.h"
#include "texload/ImageReaders.h"

namespace {

bool IsSpace(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

// Walks the tokens of the file: white space and "#" comments are skipped, a token is a run of
// digits ended by white space (or by the end of the data).
struct PpmTokens {
    const uint8_t* data;
    size_t size;
    size_t at;

    // The next number; false at the end of the data, on a stray character or on overflow.
    bool Next(uint32_t* value)
    {
        for (;;) {
            if (at >= size) return false;
            const uint8_t c = data[at];
            if (IsSpace(c)) {
                ++at;
            } else if (c == '#') {
                while (at < size && data[at] != '\n') ++at;
            } else {
                break;
            }
        }
        uint64_t number = 0;
        while (at < size && IsDigit(data[at])) {
            number = number * 10 + (data[at] - '0');
            if (number > 0xFFFFFFFFu) return false;
            ++at;
        }
        if (at < size && !IsSpace(data[at])) return false;
        *value = (uint32_t)number;
        return true;
    }
};

// s * 255 / max, truncated; samples above the maximum count as the maximum.
uint32_t ScaleSample(uint32_t sample, uint32_t max)
{
    if (sample >= max) return 255;
    return (uint32_t)((uint64_t)sample * 255 / max);
}

}  // namespace

HRESULT ReadPpm(DecodedImage* image, const uint8_t* data, size_t size)
{
    if (size < 2 || data[0] != 'P' || (data[1] != '3' && data[1] != '6')) return E_FAIL;
    const bool binary = data[1] == '6';
    PpmTokens tokens{data, size, 2};

    uint32_t width, height, max;
    if (!tokens.Next(&width) || width == 0 || !tokens.Next(&height) || height == 0) return E_FAIL;
    if (!ImageSizeAllowed(width, height)) return E_FAIL;
    const uint64_t pixelCount = (uint64_t)width * height;
    if (!tokens.Next(&max) || max == 0) return E_FAIL;
    if (binary && max > 255) return E_FAIL;

    // Too few bytes left for the pixels: fail before allocating (text needs 2 bytes a sample).
    const size_t left = size - tokens.at;
    if (left / (binary ? 3 : 6) < pixelCount - (binary ? 0 : 1)) return E_FAIL;

    image->format = D3DFMT_X8R8G8B8;
    image->SetRect(width, height);
    image->rowPitch = width * 4;
    uint32_t* out = reinterpret_cast<uint32_t*>(image->AllocatePixels(pixelCount * 4));
    if (!out) return E_OUTOFMEMORY;

    if (binary) {
        size_t at = tokens.at + 1;  // the separator that ended the maximum
        if (data[tokens.at] == '\r' && size - tokens.at >= 2) ++at;
        if ((size - at) / 3 < pixelCount) return E_FAIL;
        uint8_t scale[256];
        for (uint32_t s = 0; s < 256; ++s) scale[s] = (uint8_t)ScaleSample(s, max);
        const uint8_t* in = data + at;
        for (uint64_t i = 0; i < pixelCount; ++i, in += 3) {
            out[i] = 0xFF000000u | (uint32_t)scale[in[0]] << 16 | (uint32_t)scale[in[1]] << 8 | scale[in[2]];
        }
        return S_OK;
    }
    for (uint64_t i = 0; i < pixelCount; ++i) {
        uint32_t r, g, b;
        if (!tokens.Next(&r) || !tokens.Next(&g) || !tokens.Next(&b)) return E_FAIL;
        out[i] = 0xFF000000u | ScaleSample(r, max) << 16 | ScaleSample(g, max) << 8 | ScaleSample(b, max);
    }
    return S_OK;
}
