#include "texload/TriangleTaps.h"

#include <algorithm>
#include <cmath>

namespace {

// Integral of a unit tent centred at 0 from -1 to d.
double TentIntegral(double d) {
    d = std::clamp(d, -1.0, 1.0);
    return d < 0 ? (d + 1) * (d + 1) / 2 : 1 - (1 - d) * (1 - d) / 2;
}

}  // namespace

void TriangleTaps(UINT sourceSize, UINT destSize, bool mirror, FilterTaps* taps) {
    taps->first.assign(destSize, 0);
    taps->count.assign(destSize, 0);
    taps->source.clear();
    taps->weight.clear();
    double scale = double(sourceSize) / double(destSize);
    long long size = sourceSize;
    for (UINT j = 0; j < destSize; ++j) {
        double a = j * scale, b = (j + 1) * scale;
        UINT first = UINT(taps->source.size());
        long long low = (long long)std::floor(a - 1.5), high = (long long)std::ceil(b + 0.5);
        for (long long i = low; i <= high; ++i) {
            double centre = double(i) + 0.5;
            double w = TentIntegral(b - centre) - TentIntegral(a - centre);
            if (w <= 0) continue;
            long long real = i;
            if (real < 0 || real >= size) {
                if (mirror) {
                    real = real < 0 ? -1 - real : 2 * size - 1 - real;
                    real = std::clamp(real, 0LL, size - 1);
                } else {
                    real = ((real % size) + size) % size;
                }
            }
            auto begin = taps->source.begin() + first;
            auto found = std::find(begin, taps->source.end(), UINT(real));
            if (found != taps->source.end()) {
                taps->weight[found - taps->source.begin()] += float(w / scale);
            } else {
                taps->source.push_back(UINT(real));
                taps->weight.push_back(float(w / scale));
            }
        }
        // Drop the tiny weights.
        UINT kept = first;
        for (UINT t = first; t < taps->source.size(); ++t) {
            if (taps->weight[t] < TRIANGLE_WEIGHT_THRESHOLD) continue;
            taps->source[kept] = taps->source[t];
            taps->weight[kept] = taps->weight[t];
            ++kept;
        }
        taps->source.resize(kept);
        taps->weight.resize(kept);
        taps->first[j] = first;
        taps->count[j] = kept - first;
    }
}
