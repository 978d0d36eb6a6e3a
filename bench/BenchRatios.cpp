#include "bench/BenchRatios.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>

namespace {

// Keeps each run's real time per iteration (seconds) by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, as the library's own reporter does by default.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            std::string name = run.run_name.function_name;
            Times& t = times[name];
            t.real += run.real_accumulated_time;
            t.cpu += run.cpu_accumulated_time;
            t.iterations += static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    struct Times {
        double real = 0, cpu = 0, iterations = 0;
    };
    // Per iteration; 0 when the benchmark did not run.
    double Seconds(const std::string& name, bool cpu) const {
        auto found = times.find(name);
        if (found == times.end() || found->second.iterations == 0) return 0;
        return (cpu ? found->second.cpu : found->second.real) / found->second.iterations;
    }
    std::map<std::string, Times> times;
};

// "12.3 ms", or "45.6 us" below a millisecond.
std::string Duration(double seconds) {
    char text[32];
    if (seconds >= 1e-3)
        std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
    else
        std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    return text;
}

}  // namespace

int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<BenchRatio>& ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const BenchRatio& ratio : ratios) {
        for (bool cpu : {false, true}) {
            double a = reporter.Seconds(ratio.numerator, cpu), b = reporter.Seconds(ratio.denominator, cpu);
            if (a > 0 && b > 0)
                std::printf("ratio %s, %s time: %s / %s = %.3f (%s / %s)\n", ratio.label.c_str(), cpu ? "CPU" : "real",
                            ratio.numerator.c_str(), ratio.denominator.c_str(), a / b, Duration(a).c_str(),
                            Duration(b).c_str());
        }
    }
    benchmark::Shutdown();
    return 0;
}
