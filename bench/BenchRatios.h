// Runs the registered benchmarks and prints, after the table, the ratio of
// each named pair's mean real times: "ratio name: a / b = x".
#pragma once

#include <string>
#include <utility>
#include <vector>

struct BenchRatio {
    std::string label;
    std::string numerator;    // benchmark names
    std::string denominator;
};

int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<BenchRatio>& ratios);
