#include "tools/orvik-sample/ImageWriters.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

void Put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

// BITMAPINFOHEADER for a bottom-up, uncompressed picture.
void PutInfoHeader(Bytes& out, const Picture& picture, int bits, int colors, uint32_t imageSize) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(picture.width));
    Put32(out, static_cast<uint32_t>(picture.height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(colors));
    Put32(out, 0);
}

Bytes Rows24BottomUp(const Picture& picture) {
    Bytes rows;
    int stride = (picture.width * 3 + 3) & ~3;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, y);
            rows.push_back(p[2]);
            rows.push_back(p[1]);
            rows.push_back(p[0]);
        }
        rows.resize(rows.size() + (stride - picture.width * 3), 0);
    }
    return rows;
}

int CubeIndex(const uint8_t* p) {
    int r = (p[0] * 5 + 127) / 255, g = (p[1] * 6 + 127) / 255, b = (p[2] * 5 + 127) / 255;
    return r * 42 + g * 6 + b;
}

void CubeColor(int index, uint8_t* rgb) {
    rgb[0] = static_cast<uint8_t>((index / 42) * 255 / 5);
    rgb[1] = static_cast<uint8_t>(((index / 6) % 7) * 255 / 6);
    rgb[2] = static_cast<uint8_t>((index % 6) * 255 / 5);
}

struct PngSink {
    Bytes* out;
};

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->out->insert(sink->out->end(), data, data + length);
}

void PngFlush(png_structp) {}

Bytes EncodePng(int width, int height, int colorType, const std::vector<const uint8_t*>& rows,
                const std::vector<png_color>* palette, const std::vector<png_byte>* alphas,
                const png_color_16* transparentColor = nullptr) {
    Bytes out;
    PngSink sink{&out};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &sink, PngWrite, PngFlush);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette) png_set_PLTE(png, info, palette->data(), static_cast<int>(palette->size()));
    if (alphas) png_set_tRNS(png, info, alphas->data(), static_cast<int>(alphas->size()), nullptr);
    if (transparentColor) png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(transparentColor));
    png_write_info(png, info);
    for (const uint8_t* row : rows) png_write_row(png, const_cast<png_bytep>(row));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes EncodeJpeg(const Picture& picture, int quality, bool grey) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(picture.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, y);
            if (grey) row[x] = static_cast<uint8_t>((p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8);
            else std::memcpy(&row[x * 3], p, 3);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace

Bytes WriteBmp24(const Picture& picture) {
    Bytes rows = Rows24BottomUp(picture);
    Bytes out;
    PutText(out, "BM");
    Put32(out, static_cast<uint32_t>(14 + 40 + rows.size()));
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, picture, 24, 0, static_cast<uint32_t>(rows.size()));
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

Bytes WriteBmp8(const Picture& picture) {
    int stride = (picture.width + 3) & ~3;
    Bytes rows;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) rows.push_back(static_cast<uint8_t>(CubeIndex(picture.At(x, y))));
        rows.resize(rows.size() + (stride - picture.width), 0);
    }
    const int colors = 252;
    Bytes out;
    PutText(out, "BM");
    Put32(out, static_cast<uint32_t>(14 + 40 + colors * 4 + rows.size()));
    Put32(out, 0);
    Put32(out, 14 + 40 + colors * 4);
    PutInfoHeader(out, picture, 8, colors, static_cast<uint32_t>(rows.size()));
    for (int i = 0; i < colors; ++i) {
        uint8_t rgb[3];
        CubeColor(i, rgb);
        out.push_back(rgb[2]);
        out.push_back(rgb[1]);
        out.push_back(rgb[0]);
        out.push_back(0);
    }
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

Bytes WriteBareDib24(const Picture& picture) {
    Bytes rows = Rows24BottomUp(picture);
    Bytes out;
    PutInfoHeader(out, picture, 24, 0, static_cast<uint32_t>(rows.size()));
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

Bytes WritePpmText(const Picture& picture, int maxValue) {
    std::string text = "P3\n# Orvik sample texture\n" + std::to_string(picture.width) + " " +
                       std::to_string(picture.height) + "\n# samples scaled to " + std::to_string(maxValue) + "\n" +
                       std::to_string(maxValue) + "\n";
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, y);
            for (int c = 0; c < 3; ++c) text += std::to_string((p[c] * maxValue + 127) / 255) + (c < 2 ? " " : "  ");
        }
        text += "\n";
    }
    return Bytes(text.begin(), text.end());
}

Bytes WritePpmBinary(const Picture& picture) {
    std::string header = "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    Bytes out(header.begin(), header.end());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) out.insert(out.end(), picture.At(x, y), picture.At(x, y) + 3);
    return out;
}

Bytes WriteTgaRle24(const Picture& picture) {
    Bytes out(18, 0);
    out[2] = 10;  // run-length true colour
    out[12] = static_cast<uint8_t>(picture.width);
    out[13] = static_cast<uint8_t>(picture.width >> 8);
    out[14] = static_cast<uint8_t>(picture.height);
    out[15] = static_cast<uint8_t>(picture.height >> 8);
    out[16] = 24;
    out[17] = 0;  // bottom row first, left to right
    for (int y = picture.height - 1; y >= 0; --y) {
        int x = 0;
        while (x < picture.width) {
            // A run of equal pixels, or a raw stretch up to the next run.
            int run = 1;
            while (x + run < picture.width && run < 128 && std::memcmp(picture.At(x, y), picture.At(x + run, y), 3) == 0)
                ++run;
            if (run > 1) {
                out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
                const uint8_t* p = picture.At(x, y);
                out.insert(out.end(), {p[2], p[1], p[0]});
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < picture.width && raw < 128 &&
                   !(x + raw + 1 < picture.width &&
                     std::memcmp(picture.At(x + raw, y), picture.At(x + raw + 1, y), 3) == 0))
                ++raw;
            out.push_back(static_cast<uint8_t>(raw - 1));
            for (int i = 0; i < raw; ++i) {
                const uint8_t* p = picture.At(x + i, y);
                out.insert(out.end(), {p[2], p[1], p[0]});
            }
            x += raw;
        }
    }
    return out;
}

Bytes WritePngRgba(const Picture& picture) {
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < picture.height; ++y) rows.push_back(picture.At(0, y));
    return EncodePng(picture.width, picture.height, PNG_COLOR_TYPE_RGB_ALPHA, rows, nullptr, nullptr);
}

Bytes WritePngPaletteTrns(const Picture& picture) {
    // Entry 0 is fully transparent; entries 1 to 252 are the colour cube, opaque.
    std::vector<png_color> palette(253);
    std::vector<png_byte> alphas(1, 0);
    palette[0] = png_color{0, 0, 0};
    for (int i = 0; i < 252; ++i) {
        uint8_t rgb[3];
        CubeColor(i, rgb);
        palette[i + 1] = png_color{rgb[0], rgb[1], rgb[2]};
    }
    std::vector<uint8_t> indices(static_cast<size_t>(picture.width) * picture.height);
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, y);
            indices[static_cast<size_t>(y) * picture.width + x] = static_cast<uint8_t>(p[3] < 128 ? 0 : CubeIndex(p) + 1);
        }
        rows.push_back(&indices[static_cast<size_t>(y) * picture.width]);
    }
    return EncodePng(picture.width, picture.height, PNG_COLOR_TYPE_PALETTE, rows, &palette, &alphas);
}

Bytes WritePngGrey(const Picture& picture) {
    std::vector<uint8_t> grey(static_cast<size_t>(picture.width) * picture.height);
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) grey[static_cast<size_t>(y) * picture.width + x] = picture.At(x, y)[1];
        rows.push_back(&grey[static_cast<size_t>(y) * picture.width]);
    }
    return EncodePng(picture.width, picture.height, PNG_COLOR_TYPE_GRAY, rows, nullptr, nullptr);
}

Bytes WritePngRgbTrns(const Picture& picture, uint8_t red, uint8_t green, uint8_t blue) {
    std::vector<uint8_t> rgb(static_cast<size_t>(picture.width) * picture.height * 3);
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            std::memcpy(&rgb[(static_cast<size_t>(y) * picture.width + x) * 3], picture.At(x, y), 3);
        rows.push_back(&rgb[static_cast<size_t>(y) * picture.width * 3]);
    }
    png_color_16 key{};
    key.red = red;
    key.green = green;
    key.blue = blue;
    return EncodePng(picture.width, picture.height, PNG_COLOR_TYPE_RGB, rows, nullptr, nullptr, &key);
}

Bytes WriteJpegColor(const Picture& picture, int quality) { return EncodeJpeg(picture, quality, false); }

Bytes WriteJpegGrey(const Picture& picture, int quality) { return EncodeJpeg(picture, quality, true); }

Picture HalvePicture(const Picture& picture) {
    int w = picture.width > 1 ? picture.width / 2 : 1, h = picture.height > 1 ? picture.height / 2 : 1;
    Picture half(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int x0 = std::min(2 * x, picture.width - 1), x1 = std::min(2 * x + 1, picture.width - 1);
            int y0 = std::min(2 * y, picture.height - 1), y1 = std::min(2 * y + 1, picture.height - 1);
            for (int c = 0; c < 4; ++c)
                half.At(x, y)[c] = static_cast<uint8_t>(
                    (picture.At(x0, y0)[c] + picture.At(x1, y0)[c] + picture.At(x0, y1)[c] + picture.At(x1, y1)[c] + 2) / 4);
        }
    return half;
}

Bytes WriteDdsDxt1(const Picture& picture, Dxt1BlockEncoder encoder) {
    int levels = 1;
    for (int s = std::max(picture.width, picture.height); s > 1; s /= 2) ++levels;
    Bytes out;
    PutText(out, "DDS ");
    Put32(out, 124);
    Put32(out, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000);  // caps, height, width, pixel format, mips, linear size
    Put32(out, static_cast<uint32_t>(picture.height));
    Put32(out, static_cast<uint32_t>(picture.width));
    Put32(out, static_cast<uint32_t>(((picture.width + 3) / 4) * ((picture.height + 3) / 4) * 8));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(levels));
    for (int i = 0; i < 11; ++i) Put32(out, 0);
    Put32(out, 32);  // pixel format size
    Put32(out, 0x4);  // four-character code
    PutText(out, "DXT1");
    for (int i = 0; i < 5; ++i) Put32(out, 0);
    Put32(out, 0x1000 | 0x8 | 0x400000);  // texture, complex, mip map
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    Picture level = picture;
    for (int l = 0; l < levels; ++l) {
        for (int by = 0; by < (level.height + 3) / 4; ++by)
            for (int bx = 0; bx < (level.width + 3) / 4; ++bx) {
                uint8_t texels[16 * 4];
                for (int i = 0; i < 16; ++i) {
                    int x = std::min(bx * 4 + i % 4, level.width - 1), y = std::min(by * 4 + i / 4, level.height - 1);
                    std::memcpy(&texels[i * 4], level.At(x, y), 4);
                }
                uint8_t block[8];
                encoder(texels, block);
                out.insert(out.end(), block, block + 8);
            }
        if (l + 1 < levels) level = HalvePicture(level);
    }
    return out;
}
