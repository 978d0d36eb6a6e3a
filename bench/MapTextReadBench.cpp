// Reading the largest level file (40 names, 160,000 triangles, about 20 MB of
// text): the level file reader against the plain fscanf reads it replaces.
// Both read every value into the same arrays, which must come out identical.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchRatios.h"
#include "data/LevelLoader.h"
#include "data/MapTextReader.h"

namespace {

constexpr int TEXTURES = 40;
constexpr int TRIANGLES = 160000;

struct LevelText {
    int textureCount = 0;
    char names[TEXTURES][256] = {};
    int triangleCount = 0;
    std::vector<Vertex> vertices = std::vector<Vertex>(3 * TRIANGLES);
    std::vector<int> groups = std::vector<int>(TRIANGLES);
};

std::string WriteLargestMap() {
    std::string path = std::string(P_tmpdir) + "/orvik-bench-MAP.MBM";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) std::abort();
    std::mt19937 random(1);
    std::fprintf(file, "%d\n", TEXTURES);
    for (int i = 0; i < TEXTURES; ++i) std::fprintf(file, "TEXTURE%02d.PNG\n", i);
    std::fprintf(file, "%d\n", TRIANGLES);
    auto position = [&] { return (static_cast<int>(random() % 4000000) - 2000000) / 1000.0; };
    auto coordinate = [&] { return (random() % 65536) / 16384.0; };
    for (int t = 0; t < TRIANGLES; ++t) {
        double p[9];
        for (double& v : p) v = position();
        std::fprintf(file, "%.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %d %.4f %.4f %.4f %.4f %.4f %.4f\n", p[0],
                     p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], t % TEXTURES, coordinate(), coordinate(),
                     coordinate(), coordinate(), coordinate(), coordinate());
    }
    std::fclose(file);
    return path;
}

const std::string& MapPath() {
    static const std::string path = WriteLargestMap();
    return path;
}

// The reads as the level loader made them with fscanf.
void ReadWithFscanf(const char* path, LevelText* level) {
    std::FILE* map = std::fopen(path, "r");
    if (std::fscanf(map, "%d", &level->textureCount) != 1) std::abort();
    for (int i = 0; i < level->textureCount && i < TEXTURES; ++i) {
        if (std::fscanf(map, "%255s", level->names[i]) != 1) std::abort();
        for (int c = std::fgetc(map); c != EOF && !std::isspace(c);) c = std::fgetc(map);
    }
    if (std::fscanf(map, "%d", &level->triangleCount) != 1) std::abort();
    for (int t = 0; t < level->triangleCount && t < TRIANGLES; ++t) {
        Vertex* v = &level->vertices[3 * t];
        if (std::fscanf(map, "%f %f %f %f %f %f %f %f %f %d %f %f %f %f %f %f", &v[0].x, &v[0].y, &v[0].z, &v[1].x,
                        &v[1].y, &v[1].z, &v[2].x, &v[2].y, &v[2].z, &level->groups[t], &v[0].u, &v[0].v, &v[1].u,
                        &v[1].v, &v[2].u, &v[2].v) != 16)
            std::abort();
    }
    std::fclose(map);
}

void ReadWithMapTextReader(const char* path, LevelText* level) {
    static MapTextReader map;
    if (!map.Open(path)) std::abort();
    if (map.ReadInt(&level->textureCount) != 1) std::abort();
    for (int i = 0; i < level->textureCount && i < TEXTURES; ++i) {
        if (map.ReadWord(level->names[i], 255) != 1) std::abort();
        for (int c = map.ReadChar(); c != EOF && !std::isspace(c);) c = map.ReadChar();
    }
    if (map.ReadInt(&level->triangleCount) != 1) std::abort();
    for (int t = 0; t < level->triangleCount && t < TRIANGLES; ++t)
        if (ReadTriangleText(map, &level->vertices[3 * t], &level->groups[t]) != 16) std::abort();
    map.Close();
}

void CheckSameValues() {
    static bool checked = false;
    if (checked) return;
    LevelText a, b;
    ReadWithFscanf(MapPath().c_str(), &a);
    ReadWithMapTextReader(MapPath().c_str(), &b);
    if (a.textureCount != b.textureCount || a.triangleCount != b.triangleCount ||
        std::memcmp(a.names, b.names, sizeof a.names) != 0 ||
        std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(Vertex)) != 0 ||
        a.groups != b.groups) {
        std::fprintf(stderr, "the level file reader read other values than fscanf\n");
        std::abort();
    }
    checked = true;
}

void BM_MapFscanf(benchmark::State& state) {
    CheckSameValues();
    LevelText level;
    for (auto _ : state) {
        ReadWithFscanf(MapPath().c_str(), &level);
        benchmark::DoNotOptimize(level.vertices.data());
    }
}

void BM_MapTextReader(benchmark::State& state) {
    CheckSameValues();
    LevelText level;
    for (auto _ : state) {
        ReadWithMapTextReader(MapPath().c_str(), &level);
        benchmark::DoNotOptimize(level.vertices.data());
    }
}

BENCHMARK(BM_MapFscanf)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2);
BENCHMARK(BM_MapTextReader)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
    int result = RunBenchmarksWithRatios(argc, argv, {{"MAP.MBM read (goal <= 0.5)", "BM_MapTextReader", "BM_MapFscanf"}});
    std::remove(MapPath().c_str());
    return result;
}
