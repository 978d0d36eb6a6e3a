// PPM files: "P3" (decimal text samples) and "P6" (one byte per sample).
#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// One pixel of red, green and blue bytes as 0xFFRRGGBB.
uint32_t PackPixel(const uint8_t* in)
{
    return 0xFF000000u | (uint32_t)in[0] << 16 | (uint32_t)in[1] << 8 | in[2];
}

#if defined(__x86_64__)
// Red, green, blue bytes into 0xFFRRGGBB words, sixteen pixels at a time; returns how many
// pixels it converted (it never reads past the last pixel).
//
// The time goes to moving memory, not to the shuffles: the output is a third larger than
// the input, and each of its cache lines is fetched before it is written. So the stores
// are aligned (the first few pixels are packed one by one), and the input is prefetched
// six lines ahead, which took a tenth off the time on a Zen 4; prefetching ten or more
// lines ahead made it slower than none.
__attribute__((target("avx2"))) uint64_t ConvertBinaryAvx2(const uint8_t* in, uint32_t* out, uint64_t count)
{
    constexpr int PREFETCH_AHEAD = 384;  // bytes of input
    uint64_t i = 0;
    for (; i < count && (reinterpret_cast<uintptr_t>(out + i) & 31) != 0; ++i, in += 3) out[i] = PackPixel(in);

    // Each 128-bit half takes four pixels from a 16-byte load (12 bytes used).
    const __m256i order = _mm256_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1,  //
                                           2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m256i opaque = _mm256_set1_epi32((int)0xFF000000u);
    // The last load of a step starts at pixel i + 12 and reads 16 bytes: stop while
    // those lie inside the data, that is while 18 pixels remain.
    for (; i + 18 <= count; i += 16, in += 48) {
        _mm_prefetch(reinterpret_cast<const char*>(in) + PREFETCH_AHEAD, _MM_HINT_T0);
        const __m256i low = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(in + 12),
                                                reinterpret_cast<const __m128i*>(in));
        const __m256i high = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(in + 36),
                                                 reinterpret_cast<const __m128i*>(in + 24));
        __m256i* to = reinterpret_cast<__m256i*>(out + i);
        _mm256_store_si256(to, _mm256_or_si256(_mm256_shuffle_epi8(low, order), opaque));
        _mm256_store_si256(to + 1, _mm256_or_si256(_mm256_shuffle_epi8(high, order), opaque));
    }
    return i;
}

// The same four pixels at a time, for processors without AVX2.
__attribute__((target("ssse3"))) uint64_t ConvertBinarySsse3(const uint8_t* in, uint32_t* out, uint64_t count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i opaque = _mm_set1_epi32((int)0xFF000000u);
    uint64_t i = 0;
    // Each step loads 16 bytes and uses 12, so stop while 16 bytes remain.
    for (; i + 6 <= count; i += 4, in += 12) {
        const __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(_mm_shuffle_epi8(rgb, order), opaque));
    }
    return i;
}

// The widest conversion this processor has; 0 pixels converted where it has none.
uint64_t ConvertBinaryFast(const uint8_t* in, uint32_t* out, uint64_t count)
{
    if (__builtin_cpu_supports("avx2")) return ConvertBinaryAvx2(in, out, count);
    if (__builtin_cpu_supports("ssse3")) return ConvertBinarySsse3(in, out, count);
    return 0;
}
#endif

// Binary pixels into 0xFFRRGGBB words; samples go through scale unless max is 255.
void ConvertBinary(const uint8_t* in, uint32_t* out, uint64_t count, uint32_t max)
{
    if (max == 255) {
        uint64_t i = 0;
#if defined(__x86_64__)
        i = ConvertBinaryFast(in, out, count);
        in += i * 3;
#endif
        for (; i < count; ++i, in += 3) {
            out[i] = PackPixel(in);
        }
        return;
    }
    uint8_t scale[256];
    for (uint32_t s = 0; s < 256; ++s) scale[s] = (uint8_t)ScaleSample(s, max);
    for (uint64_t i = 0; i < count; ++i, in += 3) {
        out[i] = 0xFF000000u | (uint32_t)scale[in[0]] << 16 | (uint32_t)scale[in[1]] << 8 | scale[in[2]];
    }
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
        ConvertBinary(data + at, out, pixelCount, max);
        return S_OK;
    }
    for (uint64_t i = 0; i < pixelCount; ++i) {
        uint32_t r, g, b;
        if (!tokens.Next(&r) || !tokens.Next(&g) || !tokens.Next(&b)) return E_FAIL;
        out[i] = 0xFF000000u | ScaleSample(r, max) << 16 | ScaleSample(g, max) << 8 | ScaleSample(b, max);
    }
    return S_OK;
}
