// Bitmap files for the tests, written byte by byte from the file format, and
// a scratch folder that the tests work in.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace testbitmaps {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// 0x00RRGGBB of each pixel, top row first.
using Picture = std::function<uint32_t(int x, int y)>;

// A whole file: file header, 40-byte info header, the extra words (masks or
// palette) and the pixel data.
inline Bytes FileOf(int32_t width, int32_t height, int bitCount, uint32_t compression, const Bytes& extra,
                    const Bytes& pixels, uint32_t coloursUsed = 0) {
    Bytes file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, uint32_t(14 + 40 + extra.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, uint32_t(14 + 40 + extra.size()));
    Put32(file, 40);
    Put32(file, uint32_t(width));
    Put32(file, uint32_t(height));
    Put16(file, 1);
    Put16(file, uint16_t(bitCount));
    Put32(file, compression);
    Put32(file, uint32_t(pixels.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, coloursUsed);
    Put32(file, 0);
    file.insert(file.end(), extra.begin(), extra.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// Uncompressed 24-bit (or 32-bit) file, bottom row first.
inline Bytes TrueColour(int width, int height, const Picture& picture, int bitCount = 24) {
    Bytes pixels;
    int stride = ((width * bitCount + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        size_t start = pixels.size();
        for (int x = 0; x < width; ++x) {
            uint32_t c = picture(x, y);
            pixels.push_back(uint8_t(c));
            pixels.push_back(uint8_t(c >> 8));
            pixels.push_back(uint8_t(c >> 16));
            if (bitCount == 32) pixels.push_back(0);
        }
        pixels.resize(start + size_t(stride), 0);
    }
    return FileOf(width, height, bitCount, 0, {}, pixels);
}

// A palette of 0x00RRGGBB entries as the file stores it.
inline Bytes Palette(const std::vector<uint32_t>& colours) {
    Bytes b;
    for (uint32_t c : colours) Put32(b, c & 0xFFFFFF);
    return b;
}

inline bool Save(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// A distinct colour for every pixel of a picture up to 256 x 256.
inline uint32_t Pattern(int x, int y) { return uint32_t((x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x + y) & 0xFF)); }

// A fresh folder under /tmp that the test works in; the old working
// directory comes back when it goes.
class ScratchFolder {
public:
    ScratchFolder() {
        char name[] = "/tmp/orvik-test-XXXXXX";
        path_ = mkdtemp(name) ? name : "/tmp";
        char here[4096];
        previous_ = getcwd(here, sizeof here) ? here : "/tmp";
        if (chdir(path_.c_str()) != 0) path_ = previous_;
    }
    ~ScratchFolder() {
        if (chdir(previous_.c_str()) != 0) return;
        std::string command = "rm -rf '" + path_ + "'";
        if (path_.rfind("/tmp/orvik-test-", 0) == 0 && std::system(command.c_str()) != 0) return;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

}  // namespace testbitmaps
