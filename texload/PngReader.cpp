// PNG files through libpng. The library's errors return here through a long jump, so
// nothing between the setjmp and the library calls may need a destructor.
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include "texload/ImageLimits.h"
#include "texload/ImageReaders.h"

namespace {

constexpr double SCREEN_GAMMA = 2.2;

struct PngState {
    png_structp png;
    png_infop info;
    const uint8_t* data;
    size_t size;
    size_t at;
    png_bytep* rows;
    png_color palette[PNG_MAX_PALETTE_LENGTH];  // the file's PLTE, before any transformation
    int paletteLength;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length)
{
    PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->size - state->at) {
        png_error(png, "read error");
    }
    std::memcpy(out, state->data + state->at, length);
    state->at += length;
}

void ExitOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void DiscardWarning(png_structp, png_const_charp) {}

// Everything after the setjmp lives in *state, outside this function's own frame.
HRESULT DecodePng(PngState* state, DecodedImage* image)
{
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png))) {
        return E_FAIL;
    }
    png_set_user_limits(png, MAX_IMAGE_SIDE, MAX_IMAGE_SIDE);
    png_set_read_fn(png, state, ReadFromMemory);
    png_read_info(png, info);

    png_uint_32 width, height;
    int bitDepth, colorType;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    D3DFORMAT format;
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: format = D3DFMT_L8; break;
    case PNG_COLOR_TYPE_RGB: format = D3DFMT_R8G8B8; break;
    case PNG_COLOR_TYPE_PALETTE: format = D3DFMT_P8; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: format = D3DFMT_A8L8; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: format = D3DFMT_A8R8G8B8; break;
    default: return E_FAIL;
    }
    if (!ImageSizeAllowed(width, height)) return E_FAIL;

    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);

    // Files that declare sRGB are taken as they are; a gAMA chunk alone asks for correction.
    double fileGamma = 0.0;
    int intent;
    if (png_get_sRGB(png, info, &intent)) {
        png_set_sRGB(png, info, intent);
    } else if (png_get_gAMA(png, info, &fileGamma)) {
        png_set_gamma(png, SCREEN_GAMMA, fileGamma);
    } else {
        fileGamma = 0.0;
    }

    if (colorType != PNG_COLOR_TYPE_PALETTE && png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        if (format == D3DFMT_R8G8B8) format = D3DFMT_A8R8G8B8;
        if (format == D3DFMT_L8) format = D3DFMT_A8L8;
    }
    if (format == D3DFMT_R8G8B8 || format == D3DFMT_A8R8G8B8) png_set_bgr(png);
    if (format == D3DFMT_R8G8B8) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        format = D3DFMT_X8R8G8B8;
    }
    png_set_interlace_handling(png);

    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        // Copied before the info update, which may rewrite the library's palette.
        png_colorp palette;
        int length = 0;
        if (png_get_PLTE(png, info, &palette, &length) && length > 0) {
            if (length > PNG_MAX_PALETTE_LENGTH) length = PNG_MAX_PALETTE_LENGTH;
            std::memcpy(state->palette, palette, (size_t)length * sizeof(png_color));
            state->paletteLength = length;
        }
    }
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    const int expected = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4 : format == D3DFMT_A8L8 ? 2 : 1;
    if (channels != expected) return E_FAIL;

    const size_t pitch = png_get_rowbytes(png, info);
    image->format = format;
    image->rowPitch = (UINT)pitch;
    image->SetRect(width, height);
    uint8_t* buffer = image->AllocatePixels(pitch * height);
    if (!buffer) return E_OUTOFMEMORY;
    state->rows = static_cast<png_bytep*>(std::malloc(height * sizeof(png_bytep)));
    if (!state->rows) return E_OUTOFMEMORY;
    for (png_uint_32 y = 0; y < height; ++y) {
        state->rows[y] = buffer + y * pitch;
    }
    png_read_image(png, state->rows);

    if (format != D3DFMT_P8) return S_OK;
    Palette* palette = image->AllocatePalette();
    if (!palette) return E_OUTOFMEMORY;
    uint8_t table[256];
    const bool corrected = fileGamma > 0.000001;
    for (int i = 0; i < 256; ++i) {
        table[i] = corrected ? (uint8_t)(std::pow(i / 255.0, 1.0 / (fileGamma * SCREEN_GAMMA)) * 255.0 + 0.5)
                             : (uint8_t)i;
    }
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (!png_get_tRNS(png, info, &alpha, &alphaCount, nullptr)) alphaCount = 0;
    for (int i = 0; i < state->paletteLength; ++i) {
        const png_color& c = state->palette[i];
        palette->entries[i] = PaletteEntry{table[c.red], table[c.green], table[c.blue],
                                           i < alphaCount ? alpha[i] : (uint8_t)255};
    }
    return S_OK;
}

}  // namespace

HRESULT ReadPng(DecodedImage* image, const uint8_t* data, size_t size)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return E_FAIL;
    PngState* state = static_cast<PngState*>(std::calloc(1, sizeof(PngState)));
    if (!state) return E_OUTOFMEMORY;
    state->data = data;
    state->size = size;
    state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, ExitOnError, DiscardWarning);
    if (state->png) state->info = png_create_info_struct(state->png);
    HRESULT result = E_OUTOFMEMORY;
    if (state->png && state->info) {
        result = DecodePng(state, image);
    }
    png_destroy_read_struct(&state->png, &state->info, nullptr);
    std::free(state->rows);
    std::free(state);
    return result;
}
