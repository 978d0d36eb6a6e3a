#include "platform/win32/PngWriter.h"

#include <png.h>

#include <cstdio>

bool WriteRgbaPng(const char* path, const unsigned char* rgba, int width, int height, int pitch, bool bottomUp) {
    if (path == nullptr || rgba == nullptr || width <= 0 || height <= 0) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(path);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        int row = bottomUp ? height - 1 - y : y;
        png_write_row(png, const_cast<png_bytep>(rgba + static_cast<size_t>(row) * pitch));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}
