// Decoding time per file format: our readers against stb_image on the same files (stb/ keeps
// the file's channels, stb_rgba/ asks for four, as texture pixels have), and the PNG and
// JPEG readers against calling libpng and libjpeg directly.
//   decode_image_bench [--benchmark_filter=...]
// The files are made in memory: a 512 x 512 picture with smooth and noisy parts.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include "bench/BenchRatios.h"
#include "texload/DecodeImage.h"

namespace {

constexpr int SIZE = 512;

// RGB samples, top row first.
std::vector<uint8_t> Picture()
{
    std::vector<uint8_t> rgb(SIZE * SIZE * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            noise = noise * 1103515245 + 12345;
            const bool busy = (x / 64 + y / 64) % 3 == 0;
            const uint8_t n = busy ? (uint8_t)(noise >> 24) : 0;
            uint8_t* p = &rgb[(y * SIZE + x) * 3];
            p[0] = (uint8_t)(x / 2 + n / 4);
            p[1] = (uint8_t)(y / 2 + n / 8);
            p[2] = (uint8_t)((x + y) / 4 + n / 2);
        }
    }
    return rgb;
}

void Le16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

void Le32(std::vector<uint8_t>& out, uint32_t v)
{
    Le16(out, v);
    Le16(out, v >> 16);
}

std::vector<uint8_t> Bmp24(const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out;
    const uint32_t stride = (SIZE * 3 + 3) & ~3u;
    out.push_back('B');
    out.push_back('M');
    Le32(out, 54 + stride * SIZE);
    Le32(out, 0);
    Le32(out, 54);
    Le32(out, 40);
    Le32(out, SIZE);
    Le32(out, SIZE);  // bottom-up
    Le16(out, 1);
    Le16(out, 24);
    for (int i = 0; i < 6; ++i) Le32(out, 0);
    for (int y = SIZE - 1; y >= 0; --y) {
        for (int x = 0; x < SIZE; ++x) {
            const uint8_t* p = &rgb[(y * SIZE + x) * 3];
            out.insert(out.end(), {p[2], p[1], p[0]});
        }
        out.resize(out.size() + stride - SIZE * 3, 0);
    }
    return out;
}

std::vector<uint8_t> Bmp8(const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Le32(out, 54 + 1024 + SIZE * SIZE);
    Le32(out, 0);
    Le32(out, 54 + 1024);
    Le32(out, 40);
    Le32(out, SIZE);
    Le32(out, SIZE);
    Le16(out, 1);
    Le16(out, 8);
    for (int i = 0; i < 6; ++i) Le32(out, 0);
    for (uint32_t i = 0; i < 256; ++i) Le32(out, i * 0x010101u);
    for (int y = SIZE - 1; y >= 0; --y) {
        for (int x = 0; x < SIZE; ++x) out.push_back(rgb[(y * SIZE + x) * 3 + 1]);
    }
    return out;
}

std::vector<uint8_t> TgaHeader(int type, int bits)
{
    std::vector<uint8_t> out = {0, 0, (uint8_t)type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Le16(out, SIZE);
    Le16(out, SIZE);
    out.push_back((uint8_t)bits);
    out.push_back(bits == 32 ? 8 : 0);  // bottom row first
    return out;
}

std::vector<uint8_t> Tga24(const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out = TgaHeader(2, 24);
    for (int y = SIZE - 1; y >= 0; --y) {
        for (int x = 0; x < SIZE; ++x) {
            const uint8_t* p = &rgb[(y * SIZE + x) * 3];
            out.insert(out.end(), {p[2], p[1], p[0]});
        }
    }
    return out;
}

// Run-length 32-bit: runs where neighbours repeat (the quantised smooth parts), raw packets elsewhere.
std::vector<uint8_t> TgaRle32(const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out = TgaHeader(10, 32);
    std::vector<uint32_t> row(SIZE);
    for (int y = SIZE - 1; y >= 0; --y) {
        for (int x = 0; x < SIZE; ++x) {
            const uint8_t* p = &rgb[(y * SIZE + x) * 3];
            row[x] = 0xFF000000u | (p[0] & 0xF0u) << 16 | (p[1] & 0xF0u) << 8 | (p[2] & 0xF0u);
        }
        for (int x = 0; x < SIZE;) {
            int run = 1;
            while (x + run < SIZE && run < 128 && row[x + run] == row[x]) ++run;
            if (run > 1) {
                out.push_back((uint8_t)(0x80 | (run - 1)));
                Le32(out, row[x]);
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < SIZE && raw < 128 && row[x + raw] != row[x + raw - 1]) ++raw;
            out.push_back((uint8_t)(raw - 1));
            for (int i = 0; i < raw; ++i) Le32(out, row[x + i]);
            x += raw;
        }
    }
    return out;
}

std::vector<uint8_t> Ppm(const std::vector<uint8_t>& rgb)
{
    const std::string header = "P6\n" + std::to_string(SIZE) + " " + std::to_string(SIZE) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    out.insert(out.end(), rgb.begin(), rgb.end());
    return out;
}

void WriteToVector(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

std::vector<uint8_t> Png(const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, WriteToVector, NoFlush);
    png_set_IHDR(png, info, SIZE, SIZE, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < SIZE; ++y) png_write_row(png, const_cast<uint8_t*>(&rgb[y * SIZE * 3]));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> Jpeg(const std::vector<uint8_t>& rgb)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = SIZE;
    info.image_height = SIZE;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < SIZE) {
        JSAMPROW row = const_cast<uint8_t*>(&rgb[info.next_scanline * SIZE * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

struct Files {
    std::vector<uint8_t> bmp24, bmp8, tga24, tgaRle32, ppm, png, jpeg;
    Files()
    {
        const auto rgb = Picture();
        bmp24 = Bmp24(rgb);
        bmp8 = Bmp8(rgb);
        tga24 = Tga24(rgb);
        tgaRle32 = TgaRle32(rgb);
        ppm = Ppm(rgb);
        png = Png(rgb);
        jpeg = Jpeg(rgb);
    }
};

const Files& TheFiles()
{
    static const Files files;
    return files;
}

void Ours(benchmark::State& state, const std::vector<uint8_t>* file)
{
    for (auto _ : state) {
        DecodedImage image;
        if (DecodeImage(&image, file->data(), (UINT)file->size(), nullptr) != S_OK) {
            state.SkipWithError("not decoded");
            break;
        }
        benchmark::DoNotOptimize(image.pixels);
    }
}

// stb_image with the file's own channel count (components 0), or four channels.
void Stb(benchmark::State& state, const std::vector<uint8_t>* file, int components)
{
    for (auto _ : state) {
        int w, h, n;
        stbi_uc* pixels = stbi_load_from_memory(file->data(), (int)file->size(), &w, &h, &n, components);
        if (!pixels) {
            state.SkipWithError("not decoded");
            break;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
}

// libpng called directly, with the same output: blue, green, red and a filler byte.
struct MemoryRead {
    const uint8_t* data;
    size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length)
{
    auto* in = static_cast<MemoryRead*>(png_get_io_ptr(png));
    std::memcpy(out, in->data + in->at, length);
    in->at += length;
}

void DirectLibpng(benchmark::State& state, const std::vector<uint8_t>* file)
{
    for (auto _ : state) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        MemoryRead in{file->data(), 0};
        png_set_read_fn(png, &in, ReadFromMemory);
        png_read_info(png, info);
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        const size_t pitch = png_get_rowbytes(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        std::vector<uint8_t> pixels(pitch * height);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = &pixels[y * pitch];
        png_read_image(png, rows.data());
        benchmark::DoNotOptimize(pixels.data());
        png_destroy_read_struct(&png, &info, nullptr);
    }
}

// libjpeg called directly: RGB scan lines into one buffer.
void DirectLibjpeg(benchmark::State& state, const std::vector<uint8_t>* file)
{
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file->data(), file->size());
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        const size_t pitch = (size_t)info.output_width * info.output_components;
        std::vector<uint8_t> pixels(pitch * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = &pixels[info.output_scanline * pitch];
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void Register()
{
    const Files& f = TheFiles();
    const std::pair<const char*, const std::vector<uint8_t>*> files[] = {
        {"bmp24", &f.bmp24}, {"bmp8", &f.bmp8}, {"tga24", &f.tga24}, {"tga_rle32", &f.tgaRle32},
        {"ppm", &f.ppm},     {"png", &f.png},   {"jpeg", &f.jpeg},
    };
    for (const auto& [name, file] : files) {
        benchmark::RegisterBenchmark((std::string("ours/") + name).c_str(), Ours, file);
        benchmark::RegisterBenchmark((std::string("stb/") + name).c_str(), Stb, file, 0);
        benchmark::RegisterBenchmark((std::string("stb_rgba/") + name).c_str(), Stb, file, 4);
    }
    benchmark::RegisterBenchmark("libpng/png", DirectLibpng, &f.png);
    benchmark::RegisterBenchmark("libjpeg/jpeg", DirectLibjpeg, &f.jpeg);
}

}  // namespace

int main(int argc, char** argv)
{
    // Every contestant allocates its output each time: keep those buffers in the heap, so that
    // the kernel's zeroing of freshly mapped pages is not what is measured.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    Register();
    return RunBenchmarksWithRatios(argc, argv, {{"PPM decoding (goal <= 1)", "ours/ppm", "stb/ppm"}});
}
