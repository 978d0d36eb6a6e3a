// Weights of the triangle filter along one axis: each source pixel spreads its
// value with a tent two source pixels wide centred on it, and a destination
// pixel takes from each source pixel the integral of that tent over the
// destination pixel's extent (divided by that extent, so the weights add up to
// 1). Past the edge the tent wraps round, or with mirror the outer halves of
// the edge pixels' tents fall inside the image. Weights below 0.00001 are dropped.
#pragma once

#include <vector>

#include "platform/win32/windows.h"

constexpr float TRIANGLE_WEIGHT_THRESHOLD = 0.00001f;

struct FilterTaps {
    std::vector<UINT> first;   // per destination pixel: index of its first tap
    std::vector<UINT> count;   // per destination pixel: number of taps
    std::vector<UINT> source;  // per tap: source pixel
    std::vector<float> weight; // per tap: weight
};

void TriangleTaps(UINT sourceSize, UINT destSize, bool mirror, FilterTaps* taps);
