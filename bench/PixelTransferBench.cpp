// Box mip chains and triangle resampling of X8R8G8B8 pictures against
// stb_image_resize on the same pictures. Compare the times of each pair.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

#include "texload/FilterWord.h"
#include "texload/PixelTransfer.h"

namespace {

std::vector<uint8_t> Picture(int width, int height) {
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
            p[0] = uint8_t(x ^ y);
            p[1] = uint8_t((x * 3 + y) >> 2);
            p[2] = uint8_t(random() & 0x3F) + uint8_t(y / 4);
            p[3] = 0;
        }
    }
    return pixels;
}

PixelView View(std::vector<uint8_t>& pixels, int width, int height) {
    PixelView view;
    view.bits = pixels.data();
    view.pitch = width * 4;
    view.format = D3DFMT_X8R8G8B8;
    view.width = view.imageWidth = UINT(width);
    view.height = view.imageHeight = UINT(height);
    return view;
}

// Every level of a 1024 x 1024 chain, each from the one above.
std::vector<std::vector<uint8_t>> ChainLevels() {
    std::vector<std::vector<uint8_t>> levels;
    for (int size = 1024; size >= 1; size /= 2) levels.push_back(std::vector<uint8_t>(size_t(size) * size * 4));
    levels[0] = Picture(1024, 1024);
    return levels;
}

void BoxMipChainOrvik(benchmark::State& state) {
    auto levels = ChainLevels();
    for (auto _ : state) {
        for (size_t i = 1, size = 512; i < levels.size(); ++i, size /= 2) {
            PixelView source = View(levels[i - 1], int(size * 2), int(size * 2));
            PixelView dest = View(levels[i], int(size), int(size));
            benchmark::DoNotOptimize(TransferPixels(dest, source, FILTER_BOX, 0));
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BoxMipChainOrvik)->Unit(benchmark::kMillisecond);

void BoxMipChainStb(benchmark::State& state) {
    auto levels = ChainLevels();
    for (auto _ : state) {
        for (size_t i = 1, size = 512; i < levels.size(); ++i, size /= 2) {
            int s = int(size);
            benchmark::DoNotOptimize(stbir_resize_uint8_generic(
                levels[i - 1].data(), 2 * s, 2 * s, 0, levels[i].data(), s, s, 0, 4, STBIR_ALPHA_CHANNEL_NONE, 0,
                STBIR_EDGE_CLAMP, STBIR_FILTER_BOX, STBIR_COLORSPACE_LINEAR, nullptr));
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BoxMipChainStb)->Unit(benchmark::kMillisecond);

void TriangleOrvik(benchmark::State& state) {
    std::vector<uint8_t> source = Picture(1000, 600), dest(1024 * 512 * 4);
    DWORD filter = FILTER_TRIANGLE | (state.range(0) ? FILTER_DITHER : 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TransferPixels(View(dest, 1024, 512), View(source, 1000, 600), filter, 0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TriangleOrvik)->Arg(0)->Arg(1)->ArgName("dither")->Unit(benchmark::kMillisecond);

void TriangleStb(benchmark::State& state) {
    std::vector<uint8_t> source = Picture(1000, 600), dest(1024 * 512 * 4);
    for (auto _ : state) {
        benchmark::DoNotOptimize(stbir_resize_uint8_generic(source.data(), 1000, 600, 0, dest.data(), 1024, 512, 0, 4,
                                                            STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_WRAP,
                                                            STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TriangleStb)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
