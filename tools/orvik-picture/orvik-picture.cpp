// orvik-picture: makes the small pictures of the documentation from frames
// the viewer and orvik-widgets saved: an optional crop, a box-filtered
// reduction, fewer colours, and an RGB PNG written at libpng's strongest compression.
//   orvik-picture IN OUT.png [--crop X,Y,W,H] [--size W] [--bits N]
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "texload/DecodeImage.h"
#include "tools/orvik-image/ImageToRgba.h"

namespace {

struct Rgba {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "orvik-picture: %s\n", message.c_str());
    return 1;
}

bool Load(const char* path, Rgba* picture) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return false;
    DecodedImage image;
    SourceImageInfo info{};
    if (file.empty() || FAILED(DecodeImage(&image, file.data(), static_cast<UINT>(file.size()), &info))) return false;
    picture->width = static_cast<int>(info.width);
    picture->height = static_cast<int>(info.height);
    return ImageToRgba(image, &picture->bytes);
}

Rgba Crop(const Rgba& in, int x, int y, int w, int h) {
    Rgba out;
    out.width = w;
    out.height = h;
    out.bytes.resize(size_t(w) * h * 4);
    for (int row = 0; row < h; ++row)
        std::memcpy(&out.bytes[size_t(row) * w * 4], &in.bytes[(size_t(y + row) * in.width + x) * 4], size_t(w) * 4);
    return out;
}

// Each output pixel is the mean of the input pixels its area covers.
Rgba Reduce(const Rgba& in, int width) {
    Rgba out;
    out.width = width;
    out.height = std::max(1, int((long long)in.height * width / in.width));
    out.bytes.resize(size_t(out.width) * out.height * 4);
    for (int oy = 0; oy < out.height; ++oy) {
        int y0 = int((long long)oy * in.height / out.height), y1 = int((long long)(oy + 1) * in.height / out.height);
        for (int ox = 0; ox < out.width; ++ox) {
            int x0 = int((long long)ox * in.width / out.width), x1 = int((long long)(ox + 1) * in.width / out.width);
            unsigned sum[4] = {0, 0, 0, 0};
            unsigned count = 0;
            for (int y = y0; y < std::max(y1, y0 + 1); ++y)
                for (int x = x0; x < std::max(x1, x0 + 1); ++x, ++count)
                    for (int c = 0; c < 4; ++c) sum[c] += in.bytes[(size_t(y) * in.width + x) * 4 + c];
            for (int c = 0; c < 4; ++c)
                out.bytes[(size_t(oy) * out.width + ox) * 4 + c] = uint8_t((sum[c] + count / 2) / count);
        }
    }
    return out;
}

// Keeps the top bits of each channel, rounded, repeated into the low bits:
// fewer colours, much smaller files.
void Posterize(Rgba* picture, int bits) {
    const int step = 1 << (8 - bits);
    for (uint8_t& b : picture->bytes) {
        int v = std::min(255, (b + step / 2) / step * step);
        b = uint8_t(v | (v >> bits));
    }
}

bool WriteRgb(const char* path, const Rgba& picture) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(picture.width) * 3);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            std::memcpy(&row[size_t(x) * 3], &picture.bytes[(size_t(y) * picture.width + x) * 4], 3);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: orvik-picture IN OUT.png [--crop X,Y,W,H] [--size W] [--bits N]");
    Rgba picture;
    if (!Load(argv[1], &picture)) return Fail(std::string("cannot read ") + argv[1]);
    for (int i = 3; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--crop") {
            int x, y, w, h;
            if (std::sscanf(argv[i + 1], "%d,%d,%d,%d", &x, &y, &w, &h) != 4 || x < 0 || y < 0 || w <= 0 || h <= 0 ||
                x + w > picture.width || y + h > picture.height)
                return Fail("--crop X,Y,W,H must lie inside the picture");
            picture = Crop(picture, x, y, w, h);
        } else if (option == "--size") {
            int width = std::atoi(argv[i + 1]);
            if (width <= 0 || width > picture.width) return Fail("--size W must lie between 1 and the width");
            picture = Reduce(picture, width);
        } else if (option == "--bits") {
            int bits = std::atoi(argv[i + 1]);
            if (bits < 1 || bits > 8) return Fail("--bits N must lie between 1 and 8");
            Posterize(&picture, bits);
        } else {
            return Fail("unknown option " + option);
        }
    }
    if (!WriteRgb(argv[2], picture)) return Fail(std::string("cannot write ") + argv[2]);
    return 0;
}
