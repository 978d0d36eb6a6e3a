#include "bench/BenchRatios.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

// Keeps each run's real time per iteration (seconds) by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            std::string name = run.run_name.function_name;
            times[name].first += run.real_accumulated_time;
            times[name].second += static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Seconds(const std::string& name) const {
        auto found = times.find(name);
        return found == times.end() || found->second.second == 0 ? 0 : found->second.first / found->second.second;
    }
    std::map<std::string, std::pair<double, double>> times;
};

}  // namespace

int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<BenchRatio>& ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const BenchRatio& ratio : ratios) {
        double a = reporter.Seconds(ratio.numerator), b = reporter.Seconds(ratio.denominator);
        if (a > 0 && b > 0)
            std::printf("ratio %s: %s / %s = %.3f (%.1f ms / %.1f ms)\n", ratio.label.c_str(), ratio.numerator.c_str(),
                        ratio.denominator.c_str(), a / b, a * 1e3, b * 1e3);
    }
    benchmark::Shutdown();
    return 0;
}
