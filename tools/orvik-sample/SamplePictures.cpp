#include "tools/orvik-sample/SamplePictures.h"

#include <cmath>
#include <cstdint>

namespace {

// A small deterministic hash noise in 0..1.
float Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Smooth value noise that tiles with the given period.
float Noise(float x, float y, int period, int seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto h = [&](int ix, int iy) { return Hash(((ix % period) + period) % period, ((iy % period) + period) % period, seed); };
    float a = h(x0, y0) + (h(x0 + 1, y0) - h(x0, y0)) * fx;
    float b = h(x0, y0 + 1) + (h(x0 + 1, y0 + 1) - h(x0, y0 + 1)) * fx;
    return a + (b - a) * fy;
}

float Fractal(float u, float v, int basePeriod, int seed) {
    float sum = 0, amplitude = 0.5f;
    int period = basePeriod;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * Noise(u * period, v * period, period, seed + octave);
        amplitude *= 0.5f;
        period *= 2;
    }
    return sum / 0.9375f;
}

}  // namespace

Picture PaintBricks(int size) {
    Picture p(size, size);
    int rows = 8, brickH = size / rows, brickW = size / 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int row = y / brickH;
            int shifted = x + ((row % 2) ? brickW / 2 : 0);
            bool mortar = (y % brickH) < 2 || (shifted % brickW) < 2;
            float n = Fractal(x / float(size), y / float(size), 8, 3);
            int tone = static_cast<int>(Hash(shifted / brickW, row, 9) * 40);
            if (mortar) p.Set(x, y, 170 + int(n * 30), 165 + int(n * 30), 150 + int(n * 30));
            else p.Set(x, y, 150 + tone + int(n * 50), 60 + tone / 2 + int(n * 30), 40 + int(n * 20));
        }
    return p;
}

Picture PaintPlanks(int size) {
    Picture p(size, size);
    int plank = size / 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int which = x / plank;
            float grain = std::sin((y / float(size)) * 40.0f + Fractal(x / float(size), y / float(size), 4, which) * 8);
            bool gap = (x % plank) < 2;
            int base = 120 + int(grain * 20) + int(Hash(which, 0, 5) * 30);
            if (gap) p.Set(x, y, 50, 30, 15);
            else p.Set(x, y, base + 40, base - 10, base / 2 - 10);
        }
    return p;
}

Picture PaintGrass(int size) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float n = Fractal(x / float(size), y / float(size), 4, 11);
            float blade = Hash(x, y, 12);
            p.Set(x, y, 40 + int(n * 50), 100 + int(n * 80 + blade * 30), 30 + int(n * 30));
        }
    return p;
}

Picture PaintStone(int size) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float n = Fractal(x / float(size), y / float(size), 6, 21);
            float cells = Fractal(x / float(size), y / float(size), 3, 22);
            int v = 90 + int(n * 90) + (cells > 0.62f ? -40 : 0);
            p.Set(x, y, v + 10, v + 5, v);
        }
    return p;
}

Picture PaintMarble(int size) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float n = Fractal(x / float(size), y / float(size), 4, 31);
            float vein = std::fabs(std::sin((x + y) / float(size) * 12.0f + n * 9.0f));
            int v = 170 + int(vein * 70);
            p.Set(x, y, v, v - 10, v - 25);
        }
    return p;
}

Picture PaintStripes(int size) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool dark = ((x + y) / (size / 8)) % 2 == 0;
            if (dark) p.Set(x, y, 30, 30, 40);
            else p.Set(x, y, 230, 190, 40);
        }
    return p;
}

Picture PaintGrille(int size) {
    Picture p(size, size);
    int cell = size / 8;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool bar = (x % cell) < cell / 4 || (y % cell) < cell / 4;
            float shine = 0.5f + 0.5f * std::sin(x * 0.3f);
            if (bar) p.Set(x, y, 90 + int(shine * 80), 100 + int(shine * 80), 120 + int(shine * 90), 255);
            else p.Set(x, y, 20, 20, 30, 0);
        }
    return p;
}

Picture PaintTarget(int size) {
    Picture p(size, size);
    const int colors[4][3] = {{200, 30, 30}, {240, 240, 240}, {30, 60, 200}, {250, 210, 0}};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = x - size / 2.0f + 0.5f, dy = y - size / 2.0f + 0.5f;
            int ring = static_cast<int>(std::sqrt(dx * dx + dy * dy) / (size / 10.0f)) % 4;
            p.Set(x, y, colors[ring][0], colors[ring][1], colors[ring][2]);
        }
    return p;
}

Picture PaintRoof(int size) {
    Picture p(size, size);
    int tileH = size / 8;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int row = y / tileH;
            float arc = std::fabs(std::sin(((x + (row % 2) * tileH) / float(tileH)) * 3.14159f));
            int v = 90 + int(arc * 60) - ((y % tileH) < 2 ? 40 : 0);
            p.Set(x, y, v + 60, v / 2 + 10, v / 3);
        }
    return p;
}

Picture PaintPanel(int size) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool border = x < 4 || y < 4 || x >= size - 4 || y >= size - 4;
            bool rivet = ((x % (size / 4)) - size / 8) * ((x % (size / 4)) - size / 8) +
                             ((y % (size / 4)) - size / 8) * ((y % (size / 4)) - size / 8) < 9;
            float n = Fractal(x / float(size), y / float(size), 8, 41);
            int v = 110 + int(n * 40);
            if (border || rivet) p.Set(x, y, 60, 80, 70);
            else p.Set(x, y, v - 20, v + 10, v);
        }
    return p;
}

Picture PaintSky(int size) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float n = Fractal(x / float(size), y / float(size), 4, 51);
            int cloud = n > 0.55f ? int((n - 0.55f) * 500) : 0;
            p.Set(x, y, 90 + cloud, 140 + cloud, 210 + cloud / 2);
        }
    return p;
}
