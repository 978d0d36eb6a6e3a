// Loading the largest level: 40 textures of 1024 x 1024 in mixed file layouts
// and 160,000 triangles, from a fresh window to the first presented frame,
// with the real start-up code (configuration, device, LoadLevel, one frame).
// Its peer is the plain decoding of the same files with libpng, libjpeg and
// stb_image (bitmap and TGA) in the same run; the DXT1 DDS files need no
// decoding (their blocks are the texture), so their peer is reading the file.
// The parts: reading MAP.MBM, decoding (DecodeImage), texture creation
// (TextureFromFile: decoding, conversion and mips), the first frame (upload).
//
// Two modes for bench/peak-memory, which runs them under /usr/bin/time:
//   level_load_bench --write-level DIR   writes the level's files into DIR
//   level_load_bench --huge-texture      one 16384 x 16384 A8R8G8B8 managed
//       texture: filled through a lock, its chain made by the box filter as the
//       loader does, then drawn in one frame; prints how long each step took.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include "bench/BenchRatios.h"
#include "data/LevelLoader.h"
#include "data/MapTextReader.h"
#include "data/SharedState.h"
#include "data/TriangleStore.h"
#include "data/ViewerConfig.h"
#include "music/MusicPlayer.h"
#include "platform/d3d8/D3D8Testing.h"
#include "platform/win32/objbase.h"
#include "platform/win32/windows.h"
#include "render/DrawList.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleGroup.h"
#include "shell/ViewerSession.h"
#include "texload/DecodeImage.h"
#include "texload/MipFilter.h"
#include "texload/TextureFromFile.h"
#include "tools/orvik-sample/ImageWriters.h"
#include "tools/orvik-sample/SampleDxt.h"

namespace {

constexpr int TEXTURES = 40;
constexpr int SIDE = 1024;
constexpr int TRIANGLES = 160000;

enum class Layout { PngRgba, PngPalette, JpegColor, JpegGrey, Bmp24, Bmp8, TgaRle, DdsDxt1, Count };
const char* const EXTENSIONS[] = {"PNG", "PNG", "JPG", "JPG", "BMP", "BMP", "TGA", "DDS"};

Layout LayoutOf(int texture) { return static_cast<Layout>(texture % static_cast<int>(Layout::Count)); }

std::string TextureName(int texture) {
    char name[32];
    std::snprintf(name, sizeof name, "TEX%02d.%s", texture, EXTENSIONS[texture % static_cast<int>(Layout::Count)]);
    return name;
}

// Smooth colour fields with fine noise: compresses about as photographs do.
Picture Paint(int texture) {
    Picture picture(SIDE, SIDE);
    std::mt19937 random(static_cast<unsigned>(texture));
    float fx = 0.004f + 0.001f * texture, fy = 0.006f + 0.0007f * texture;
    for (int y = 0; y < SIDE; ++y) {
        float sy = std::sin(y * fy + texture);
        for (int x = 0; x < SIDE; ++x) {
            int noise = static_cast<int>(random() % 17) - 8;
            float sx = std::sin(x * fx);
            int r = static_cast<int>(128 + 90 * sx * sy) + noise;
            int g = static_cast<int>(128 + 90 * sy) + noise;
            int b = static_cast<int>(128 + 90 * sx) - noise;
            int a = (x + y) / 8 % 256;
            picture.Set(x, y, r < 0 ? 0 : (r > 255 ? 255 : r), g < 0 ? 0 : (g > 255 ? 255 : g),
                        b < 0 ? 0 : (b > 255 ? 255 : b), a);
        }
    }
    return picture;
}

Bytes Encode(Layout layout, const Picture& picture) {
    switch (layout) {
        case Layout::PngRgba: return WritePngRgba(picture);
        case Layout::PngPalette: return WritePngPaletteTrns(picture);
        case Layout::JpegColor: return WriteJpegColor(picture, 90);
        case Layout::JpegGrey: return WriteJpegGrey(picture, 90);
        case Layout::Bmp24: return WriteBmp24(picture);
        case Layout::Bmp8: return WriteBmp8(picture);
        case Layout::TgaRle: return WriteTgaRle24(picture);
        default: return WriteDdsDxt1(picture, SampleDxt1Block);
    }
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) std::abort();
    std::fseek(file, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(std::ftell(file)));
    std::fseek(file, 0, SEEK_SET);
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    std::fclose(file);
    return bytes;
}

std::string MapText() {
    std::string text = std::to_string(TEXTURES) + "\n";
    for (int i = 0; i < TEXTURES; ++i) text += TextureName(i) + "\n";
    text += std::to_string(TRIANGLES) + "\n";
    // Shards scattered over a field 4000 units wide, each with its texture spread over it.
    std::mt19937 random(3);
    auto spread = [&](int range) { return (static_cast<int>(random() % (2000 * range)) - 1000 * range) / 1000.0; };
    char line[256];
    for (int t = 0; t < TRIANGLES; ++t) {
        double cx = spread(2000), cy = spread(20), cz = spread(2000);
        std::snprintf(line, sizeof line, "%.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %d %.4f %.4f %.4f %.4f %.4f %.4f\n",
                      cx + spread(8), cy + spread(8), cz + spread(8), cx + spread(8), cy + spread(8), cz + spread(8),
                      cx + spread(8), cy + spread(8), cz + spread(8), t % TEXTURES, 0.0, 0.0, 1.0, 0.0, 0.5 + spread(1) / 4,
                      1.0);
        text += line;
    }
    return text;
}

const char* const CONFIG =
    "ekran szerokosc 800\nekran wysokosc 600\nfiltr tekstur LINEAR\ntryb wypelnienia SOLID\n"
    "teksturowanie jest ENABLE\nmgla jest ENABLE\nkolor czerwony 150\nkolor zielony 170\nkolor niebieski 200\n"
    "gestosc mgly 0.002\npredkosc ruchu 1.5\nczulosc myszy 0.005\n";

// Writes the level's textures, MAP.MBM and GAME.CFG into dir; the bytes of the image files.
size_t WriteLevel(const std::string& dir);

// The level's files in a directory of their own, which becomes the working directory.
class LevelFiles {
public:
    LevelFiles() {
        char pattern[] = "/tmp/orvik-level-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        dir = pattern;
        fileBytes = WriteLevel(dir);
        if (chdir(dir.c_str()) != 0) std::abort();
        std::fprintf(stderr, "level in %s: %d textures, %.1f MB of image files\n", dir.c_str(), TEXTURES,
                     fileBytes / 1e6);
    }
    ~LevelFiles() {
        for (int i = 0; i < TEXTURES; ++i) std::remove((dir + "/" + TextureName(i)).c_str());
        std::remove((dir + "/MAP.MBM").c_str());
        std::remove((dir + "/GAME.CFG").c_str());
        rmdir(dir.c_str());
    }
    std::string dir;
    size_t fileBytes = 0;
};

size_t WriteLevel(const std::string& dir) {
    size_t fileBytes = 0;
    for (int i = 0; i < TEXTURES; ++i) {
        Bytes bytes = Encode(LayoutOf(i), Paint(i));
        if (!WriteBytes(dir + "/" + TextureName(i), bytes.data(), bytes.size())) std::abort();
        fileBytes += bytes.size();
    }
    std::string map = MapText();
    std::string config = CONFIG;
    if (!WriteBytes(dir + "/MAP.MBM", map.data(), map.size()) ||
        !WriteBytes(dir + "/GAME.CFG", config.data(), config.size()))
        std::abort();
    return fileBytes;
}

LevelFiles& Level() {
    static LevelFiles files;
    return files;
}

// ---- The peer: plain decoding with each format's own library ----

void DecodePng(const std::vector<uint8_t>& bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) std::abort();
    image.format = (image.format & PNG_FORMAT_FLAG_ALPHA) || image.colormap_entries ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) std::abort();
    benchmark::DoNotOptimize(pixels.data());
}

struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void DecodeJpeg(const std::vector<uint8_t>& bytes) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr common) { std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->jump, 1); };
    if (setjmp(errors.jump)) std::abort();
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    size_t stride = static_cast<size_t>(info.output_width) * info.output_components;
    std::vector<uint8_t> pixels(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
}

void DecodeWithStb(const std::vector<uint8_t>& bytes) {
    int w, h, n;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 0);
    if (pixels == nullptr) std::abort();
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
}

void PlainDecode(int texture) {
    std::vector<uint8_t> bytes = ReadBytes(TextureName(texture));
    switch (LayoutOf(texture)) {
        case Layout::PngRgba:
        case Layout::PngPalette: DecodePng(bytes); break;
        case Layout::JpegColor:
        case Layout::JpegGrey: DecodeJpeg(bytes); break;
        case Layout::DdsDxt1: benchmark::DoNotOptimize(bytes.data()); break;
        default: DecodeWithStb(bytes); break;
    }
}

void BM_PlainDecode(benchmark::State& state) {
    Level();
    for (auto _ : state)
        for (int i = 0; i < TEXTURES; ++i) PlainDecode(i);
}

// ---- The load, start to first presented frame ----

HWND CreateMainWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wndClass = {};
        wndClass.style = CS_OWNDC;
        wndClass.lpfnWndProc = DefWindowProcA;
        wndClass.lpszClassName = "klasa";
        RegisterClassA(&wndClass);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "klasa", "Orvik", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWDEFAULT);
    return window;
}

// Waits until the frame is really drawn: reading the back buffer needs every command done.
// (ORVIK_CAPTURE_DIR saves the presented frames for looking at.)
void FinishFrame() {
    std::vector<unsigned char> rgba;
    UINT w = 0, h = 0;
    if (!D3D8ReadBackBuffer(renderer.device, rgba, w, h)) std::abort();
}

void ReleaseLevel() {
    musicPlayer.Stop();
    for (int i = 0; i < MAX_TEXTURES; ++i) {
        triangleGroups[i].Release();
        textureSlots[i].Release();
        triangleGroups[i] = TriangleGroup();
        textureSlots[i] = TextureSlot();
    }
    drawList = DrawList();
    renderer.Release();
    renderer = Renderer();
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// CPU time of the whole process, the renderer's threads included.
double ProcessSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void BM_LevelLoad(benchmark::State& state) {
    Level();
    double device = 0, load = 0, frame = 0, drawing = 0, loadCpu = 0, frameCpu = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        mainWindow = CreateMainWindow();
        if (ReadViewerConfig(mainWindow) != ViewerConfigResult::Applied) std::abort();
        device += Seconds(start);
        auto loadStart = std::chrono::steady_clock::now();
        double cpuStart = ProcessSeconds();
        if (LoadLevel() != LevelResult::Loaded) std::abort();
        load += Seconds(loadStart);
        loadCpu += ProcessSeconds() - cpuStart;
        auto frameStart = std::chrono::steady_clock::now();
        cpuStart = ProcessSeconds();
        // The start pose looks straight down its up axis and shows nothing; the
        // frame shows the level from the side, as a camera path's first record would.
        const float pose[6] = {0, 40, 0, 300, 0, 300};
        std::copy(pose, pose + 6, CameraPose);
        RenderFrame();
        FinishFrame();
        frame += Seconds(frameStart);
        frameCpu += ProcessSeconds() - cpuStart;

        // The next frame draws the same without uploading anything.
        state.PauseTiming();
        auto drawStart = std::chrono::steady_clock::now();
        RenderFrame();
        FinishFrame();
        drawing += Seconds(drawStart);
        ReleaseLevel();
        state.ResumeTiming();
    }
    state.counters["window_device_ms"] = benchmark::Counter(device * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["LoadLevel_ms"] = benchmark::Counter(load * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["first_frame_ms"] = benchmark::Counter(frame * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["LoadLevel_cpu_ms"] = benchmark::Counter(loadCpu * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["first_frame_cpu_ms"] = benchmark::Counter(frameCpu * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["next_frame_ms"] = benchmark::Counter(drawing * 1e3, benchmark::Counter::kAvgIterations);
}

// ---- The parts of LoadLevel ----

void BM_PartReadMap(benchmark::State& state) {
    Level();
    static MapTextReader map;
    static Vertex v[3];
    for (auto _ : state) {
        if (!map.Open("MAP.MBM")) std::abort();
        int count = 0, g = 0;
        map.ReadInt(&count);
        char name[256];
        for (int i = 0; i < count; ++i) map.ReadWord(name, 255);
        map.ReadInt(&count);
        for (int t = 0; t < count; ++t)
            if (ReadTriangleText(map, v, &g) != 16) std::abort();
        map.Close();
    }
}

void BM_PartDecode(benchmark::State& state) {
    Level();
    for (auto _ : state)
        for (int i = 0; i < TEXTURES; ++i) {
            std::vector<uint8_t> bytes = ReadBytes(TextureName(i));
            DecodedImage image;
            if (DecodeImage(&image, bytes.data(), static_cast<UINT>(bytes.size()), nullptr) != 0) std::abort();
            benchmark::DoNotOptimize(&image);
        }
}

// TextureFromFile as the level loader calls it: decoding, conversion and mips (the upload waits for the first draw).
void BM_PartTextures(benchmark::State& state) {
    Level();
    mainWindow = CreateMainWindow();
    if (ReadViewerConfig(mainWindow) != ViewerConfigResult::Applied) std::abort();
    for (auto _ : state)
        for (int i = 0; i < TEXTURES; ++i) {
            IDirect3DTexture8* texture = nullptr;
            if (TextureFromFile(renderer.device, TextureName(i).c_str(), &texture) != 0) std::abort();
            state.PauseTiming();
            texture->Release();
            state.ResumeTiming();
        }
    ReleaseLevel();
}

BENCHMARK(BM_PlainDecode)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(3);
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(3);
BENCHMARK(BM_PartReadMap)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(1);
BENCHMARK(BM_PartDecode)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(3);
BENCHMARK(BM_PartTextures)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(3);

// ---- One texture of the largest size, for bench/peak-memory ----

int HugeTexture() {
    constexpr UINT HUGE_SIDE = 16384;
    char pattern[] = "/tmp/orvik-huge-texture-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    std::string dir = pattern, config = CONFIG;
    if (!WriteBytes(dir + "/GAME.CFG", config.data(), config.size()) || chdir(dir.c_str()) != 0) return 1;
    mainWindow = CreateMainWindow();
    ViewerConfigResult configured = ReadViewerConfig(mainWindow);
    std::remove("GAME.CFG");
    rmdir(dir.c_str());
    if (configured != ViewerConfigResult::Applied) return 1;

    auto start = std::chrono::steady_clock::now();
    IDirect3DTexture8* texture = nullptr;
    if (renderer.device->CreateTexture(HUGE_SIDE, HUGE_SIDE, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != 0)
        return 1;
    D3DLOCKED_RECT locked;
    if (texture->LockRect(0, &locked, nullptr, 0) != 0) return 1;
    for (UINT y = 0; y < HUGE_SIDE; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
        for (UINT x = 0; x < HUGE_SIDE; ++x) row[x] = 0xFF000000u | ((x >> 6) << 16) | ((y >> 6) << 8) | ((x ^ y) & 255);
    }
    texture->UnlockRect(0);
    double filled = Seconds(start);
    if (FilterMipChain(texture, nullptr, 0, 0xFFFFFFFFu) != 0) return 1;
    double mips = Seconds(start);

    // One triangle over the view, textured with it.
    static TriangleRecord record;
    const float corners[3][5] = {{-60, 0, 60, 0, 0}, {60, 0, 60, 1, 0}, {0, 0, -60, 0.5f, 1}};
    for (int v = 0; v < 3; ++v) record.vertex[v] = Vertex{corners[v][0], corners[v][1], corners[v][2], corners[v][3],
                                                          corners[v][4]};
    textureSlots[0].SetRenderer(&renderer);
    textureSlots[0].texture = texture;
    triangleGroups[0].SetRenderer(&renderer);
    triangleGroups[0].Build(&record, 1, &textureSlots[0]);
    drawList.Fill(triangleGroups, 1);
    const float pose[6] = {0, 80, -100, 0, 0, 0};
    std::copy(pose, pose + 6, CameraPose);
    RenderFrame();
    FinishFrame();
    double frame = Seconds(start);
    std::printf("16384 x 16384 A8R8G8B8 with %u levels: filled %.2f s, mips %.2f s, first frame %.2f s, total %.2f s\n",
                static_cast<unsigned>(texture->GetLevelCount()), filled, mips - filled, frame - mips, frame);
    ReleaseLevel();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (std::getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (argc == 3 && std::strcmp(argv[1], "--write-level") == 0) {
        size_t bytes = WriteLevel(argv[2]);
        std::fprintf(stderr, "level in %s: %d textures, %.1f MB of image files\n", argv[2], TEXTURES, bytes / 1e6);
        return 0;
    }
    CoInitialize(nullptr);
    if (argc == 2 && std::strcmp(argv[1], "--huge-texture") == 0) {
        int result = HugeTexture();
        CoUninitialize();
        return result;
    }
    int result = RunBenchmarksWithRatios(argc, argv,
                                         {{"level load (goal <= 1.5)", "BM_LevelLoad", "BM_PlainDecode"},
                                          {"our decoding", "BM_PartDecode", "BM_PlainDecode"},
                                          {"texture creation", "BM_PartTextures", "BM_PlainDecode"},
                                          {"MAP.MBM read", "BM_PartReadMap", "BM_PlainDecode"}});
    CoUninitialize();
    return result;
}
