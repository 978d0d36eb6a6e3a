// The bitmap file reader. Every offset and length read from the file is
// checked against the data before it is used.
#include "platform/gdi/BitmapFile.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/win32/windows.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

// Larger pictures are refused rather than allocated.
constexpr int64_t MAX_SIDE = 32768;
constexpr int64_t MAX_PIXELS = int64_t(1) << 26;
constexpr long MAX_FILE_BYTES = 512L << 20;

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Dword(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

// One colour channel given by a bit mask, widened to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1) == 0) ++shift;
        max = mask >> shift;
        // Masks with holes count as their whole span.
    }
    uint32_t Of(uint32_t pixel) const {
        if (max == 0) return 0;
        uint64_t v = (pixel & mask) >> shift;
        return uint32_t((v * 255 + max / 2) / max);
    }
};

struct Header {
    int64_t width = 0;
    int64_t height = 0;  // positive: bottom row first
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t coloursUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
    size_t paletteOffset = 0;
    int paletteEntryBytes = 4;
};

uint32_t Xrgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

class Decoder {
public:
    Decoder(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    SDL_Surface* Run(uint32_t* error) {
        *error = ERROR_FILE_INVALID;
        if (size_ < 14 + 12 || data_[0] != 'B' || data_[1] != 'M') return nullptr;
        uint32_t pixelOffset = Dword(data_ + 10);
        if (!ReadHeader()) return nullptr;
        if (header_.width < 1 || header_.height == 0) return nullptr;
        bool topDown = header_.height < 0;
        int64_t height = topDown ? -header_.height : header_.height;
        if (header_.width > MAX_SIDE || height > MAX_SIDE || header_.width * height > MAX_PIXELS) {
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        if (!ReadPalette()) return nullptr;
        if (pixelOffset >= size_) return nullptr;
        width_ = int(header_.width);
        height_ = int(height);
        // No allocation for more picture than the data can hold: rows are
        // counted in full, run-length codes at most 4096 pixels a byte.
        size_t available = size_ - pixelOffset;
        bool runLength = header_.compression == BI_RLE8 || header_.compression == BI_RLE4;
        if (!runLength && RowStride() * size_t(height_) > available) return nullptr;
        if (runLength && size_t(width_) * size_t(height_) > available * 4096) return nullptr;
        surface_ = SDL_CreateRGBSurfaceWithFormat(0, width_, height_, 32, SDL_PIXELFORMAT_RGB888);
        if (surface_ == nullptr) {
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        // Pixels that run-length data skips take palette entry 0.
        SDL_FillRect(surface_, nullptr, runLength && !palette_.empty() ? palette_[0] : 0);
        bool ok = false;
        const uint8_t* pixels = data_ + pixelOffset;
        switch (header_.compression) {
        case BI_RGB:
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS: ok = ReadRows(pixels, available, topDown); break;
        case BI_RLE8: ok = !topDown && header_.bitCount == 8 && ReadRunLength(pixels, available, false); break;
        case BI_RLE4: ok = !topDown && header_.bitCount == 4 && ReadRunLength(pixels, available, true); break;
        default: break;
        }
        if (!ok) {
            SDL_FreeSurface(surface_);
            return nullptr;
        }
        *error = ERROR_SUCCESS;
        return surface_;
    }

private:
    bool ReadHeader() {
        uint32_t headerSize = Dword(data_ + 14);
        const uint8_t* h = data_ + 14;
        if (headerSize < 12 || 14 + size_t(headerSize) > size_) return false;
        if (headerSize == 12) {  // OS/2 core header
            header_.width = Word(h + 4);
            header_.height = Word(h + 6);
            header_.bitCount = Word(h + 10);
            header_.paletteEntryBytes = 3;
            header_.paletteOffset = 14 + 12;
            return header_.bitCount == 1 || header_.bitCount == 4 || header_.bitCount == 8 || header_.bitCount == 24;
        }
        if (headerSize < 40) return false;
        header_.width = int32_t(Dword(h + 4));
        header_.height = int32_t(Dword(h + 8));
        header_.bitCount = Word(h + 14);
        header_.compression = Dword(h + 16);
        header_.coloursUsed = Dword(h + 32);
        header_.paletteOffset = 14 + size_t(headerSize);
        if (header_.compression == BI_BITFIELDS || header_.compression == BI_ALPHABITFIELDS) {
            if (header_.bitCount != 16 && header_.bitCount != 32) return false;
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i) header_.masks[i] = Dword(h + 40 + 4 * i);
            } else {
                size_t count = header_.compression == BI_ALPHABITFIELDS ? 4 : 3;
                if (header_.paletteOffset + 4 * count > size_) return false;
                for (int i = 0; i < 3; ++i) header_.masks[i] = Dword(data_ + header_.paletteOffset + 4 * i);
                header_.paletteOffset += 4 * count;
            }
        } else if (header_.bitCount == 16) {
            header_.masks[0] = 0x7C00, header_.masks[1] = 0x03E0, header_.masks[2] = 0x001F;
        } else if (header_.bitCount == 32) {
            header_.masks[0] = 0xFF0000, header_.masks[1] = 0x00FF00, header_.masks[2] = 0x0000FF;
        }
        switch (header_.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: return true;
        default: return false;
        }
    }

    bool ReadPalette() {
        if (header_.bitCount > 8) return true;
        uint32_t count = header_.coloursUsed;
        uint32_t full = 1u << header_.bitCount;
        if (count == 0 || count > full) count = full;
        palette_.assign(full, 0);
        size_t bytes = size_t(count) * header_.paletteEntryBytes;
        if (header_.paletteOffset + bytes > size_) return false;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = data_ + header_.paletteOffset + size_t(i) * header_.paletteEntryBytes;
            palette_[i] = Xrgb(e[2], e[1], e[0]);
        }
        return true;
    }

    void Put(int x, int row, uint32_t value) {
        auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface_->pixels) + row * surface_->pitch);
        line[x] = value;
    }

    size_t RowStride() const { return ((size_t(width_) * header_.bitCount + 31) / 32) * 4; }

    bool ReadRows(const uint8_t* pixels, size_t available, bool topDown) {
        size_t stride = RowStride();
        if (stride * size_t(height_) > available) return false;
        Channel red(header_.masks[0]), green(header_.masks[1]), blue(header_.masks[2]);
        for (int y = 0; y < height_; ++y) {
            const uint8_t* line = pixels + stride * size_t(y);
            int row = topDown ? y : height_ - 1 - y;
            for (int x = 0; x < width_; ++x) {
                uint32_t value;
                switch (header_.bitCount) {
                case 1: value = palette_[(line[x >> 3] >> (7 - (x & 7))) & 1]; break;
                case 4: value = palette_[(line[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
                case 8: value = palette_[line[x]]; break;
                case 24: value = Xrgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]); break;
                case 16: {
                    uint32_t p = Word(line + 2 * x);
                    value = Xrgb(red.Of(p), green.Of(p), blue.Of(p));
                    break;
                }
                default: {
                    uint32_t p = Dword(line + 4 * x);
                    value = Xrgb(red.Of(p), green.Of(p), blue.Of(p));
                    break;
                }
                }
                Put(x, row, value);
            }
        }
        return true;
    }

    // Run-length data, bottom row first. Pixels that fall outside the picture
    // are dropped; data that ends early leaves the rest as palette entry 0.
    bool ReadRunLength(const uint8_t* p, size_t available, bool fourBit) {
        size_t at = 0;
        int x = 0, y = 0;
        auto put = [&](unsigned index) {
            if (x < width_ && y < height_) Put(x, height_ - 1 - y, palette_[index & (fourBit ? 15 : 255)]);
            if (x < width_) ++x;
        };
        while (at + 2 <= available) {
            unsigned count = p[at], value = p[at + 1];
            at += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count; ++i) put(fourBit ? ((i & 1) ? value & 15 : value >> 4) : value);
                continue;
            }
            if (value == 0) {  // end of line
                x = 0;
                ++y;
            } else if (value == 1) {  // end of picture
                return true;
            } else if (value == 2) {  // delta
                if (at + 2 > available) return true;
                x = std::min(x + p[at], width_);
                y += p[at + 1];
                at += 2;
            } else {  // absolute run of value pixels
                size_t bytes = fourBit ? (value + 1) / 2 : value;
                if (at + bytes > available) return true;
                for (unsigned i = 0; i < value; ++i) {
                    unsigned b = p[at + (fourBit ? i / 2 : i)];
                    put(fourBit ? ((i & 1) ? b & 15 : b >> 4) : b);
                }
                at += (bytes + 1) & ~size_t(1);
            }
            if (y >= height_) return true;
        }
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    Header header_;
    std::vector<uint32_t> palette_;
    int width_ = 0;
    int height_ = 0;
    SDL_Surface* surface_ = nullptr;
};

}  // namespace

SDL_Surface* DecodeBitmapPixels(const uint8_t* data, size_t size, uint32_t* error) {
    uint32_t ignored;
    if (error == nullptr) error = &ignored;
    if (data == nullptr) {
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return Decoder(data, size).Run(error);
}

SDL_Surface* ReadBitmapPixels(const char* path, uint32_t* error) {
    uint32_t ignored;
    if (error == nullptr) error = &ignored;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    std::vector<uint8_t> data;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    if (length < 0 || length > MAX_FILE_BYTES || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        *error = length > MAX_FILE_BYTES ? ERROR_NOT_ENOUGH_MEMORY : ERROR_FILE_INVALID;
        return nullptr;
    }
    data.resize(size_t(length));
    size_t got = length > 0 ? std::fread(data.data(), 1, data.size(), file) : 0;
    std::fclose(file);
    if (got != data.size()) {
        *error = ERROR_FILE_INVALID;
        return nullptr;
    }
    return DecodeBitmapPixels(data.data(), data.size(), error);
}
