// frame-compare: compares a frame the Linux viewer saved (PNG) with the X
// screen the Windows viewer was shown on (an xwd dump, 24- or 32-bit
// TrueColor). Prints the largest difference of any channel, the mean
// difference of each of red, green and blue, and how many pixels differ by
// more than 8 in some channel; with a third argument also writes a picture of
// the differences (each channel's difference times 8). Exit code 0, or 1 when
// a file cannot be read or the sizes differ.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/win32/PngWriter.h"

namespace {

struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // RGBA, top row first
};

bool ReadPng(const char* path, Rgba* out) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGBA;
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    out->pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out->pixels.data(), 0, nullptr) != 0;
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

int Shift(uint32_t mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) mask >>= 1, ++shift;
    return shift;
}

// The header is 25 big-endian words, then the window name, the colour map
// (12 bytes a colour) and the rows.
bool ReadXwd(const char* path, Rgba* out) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    if (bytes.size() < 100) return false;
    uint32_t headerSize = Word(bytes, 0), format = Word(bytes, 8), width = Word(bytes, 16), height = Word(bytes, 20);
    uint32_t byteOrder = Word(bytes, 28), bitsPerPixel = Word(bytes, 44), bytesPerLine = Word(bytes, 48);
    uint32_t redMask = Word(bytes, 56), greenMask = Word(bytes, 60), blueMask = Word(bytes, 64);
    uint32_t colours = Word(bytes, 76);
    const uint32_t zPixmap = 2;
    if (format != zPixmap || (bitsPerPixel != 32 && bitsPerPixel != 24) || width == 0 || height == 0 ||
        width > 16384 || height > 16384)
        return false;
    size_t start = size_t(headerSize) + size_t(colours) * 12;
    if (start + size_t(bytesPerLine) * height > bytes.size() || bytesPerLine < width * (bitsPerPixel / 8))
        return false;
    out->width = static_cast<int>(width);
    out->height = static_cast<int>(height);
    out->pixels.assign(size_t(width) * height * 4, 255);
    const int step = static_cast<int>(bitsPerPixel / 8);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = &bytes[start + size_t(y) * bytesPerLine + size_t(x) * step];
            uint32_t value = 0;
            for (int k = 0; k < step; ++k) value |= uint32_t(p[k]) << (byteOrder == 0 ? 8 * k : 8 * (step - 1 - k));
            uint8_t* q = &out->pixels[(size_t(y) * width + x) * 4];
            q[0] = uint8_t((value & redMask) >> Shift(redMask));
            q[1] = uint8_t((value & greenMask) >> Shift(greenMask));
            q[2] = uint8_t((value & blueMask) >> Shift(blueMask));
        }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: frame-compare LINUX.png WINDOWS.xwd [DIFFERENCE.png]\n", stderr);
        return 2;
    }
    Rgba linux, windows;
    if (!ReadPng(argv[1], &linux)) {
        std::fprintf(stderr, "frame-compare: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!ReadXwd(argv[2], &windows)) {
        std::fprintf(stderr, "frame-compare: cannot read %s\n", argv[2]);
        return 1;
    }
    if (linux.width != windows.width || linux.height != windows.height) {
        std::fprintf(stderr, "frame-compare: %dx%d against %dx%d\n", linux.width, linux.height, windows.width,
                     windows.height);
        return 1;
    }
    size_t count = size_t(linux.width) * linux.height;
    std::vector<uint8_t> difference(count * 4, 255);
    int largest = 0;
    double sums[3] = {};
    size_t over = 0;
    for (size_t i = 0; i < count; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            int d = std::abs(int(linux.pixels[i * 4 + c]) - int(windows.pixels[i * 4 + c]));
            sums[c] += d;
            if (d > worst) worst = d;
            difference[i * 4 + c] = uint8_t(d * 8 > 255 ? 255 : d * 8);
        }
        if (worst > largest) largest = worst;
        if (worst > 8) ++over;
    }
    std::printf("max %d mean %.2f %.2f %.2f over8 %zu\n", largest, sums[0] / count, sums[1] / count,
                sums[2] / count, over);
    if (argc == 4 && !WriteRgbaPng(argv[3], difference.data(), linux.width, linux.height, linux.width * 4)) {
        std::fprintf(stderr, "frame-compare: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
