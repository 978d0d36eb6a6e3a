// Runs the registered benchmarks and prints, after the table, the ratio of
// each named pair's mean times per iteration, real and CPU: "ratio name, real
// time: a / b = x". On a machine shared with other work the CPU times (of the
// whole process, when the benchmark measures process CPU time) vary less.
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
