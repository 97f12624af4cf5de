#include "RatioReporter.h"

#include <cstdio>

namespace tunexa::bench {

RatioReporter::RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
    : pairs_(std::move(pairs)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const auto& run : runs) {
        if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
            // Keyed by the bare name, without "/iterations:N/real_time" and the like.
            const std::string name = run.benchmark_name();
            const std::string bare = name.substr(0, name.find('/'));
            // A counter holds a baseline measured in the same loop, in nanoseconds.
            for (const auto& [counter, value] : run.counters) {
                nanoseconds_[bare + "." + counter] = value.value;
            }
            nanoseconds_[bare] =
                run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMicrosecond   ? 1e3
                                             : run.time_unit == benchmark::kMillisecond ? 1e6
                                             : run.time_unit == benchmark::kSecond      ? 1e9
                                                                                        : 1.0);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\n%-44s %-40s %8s\n", "measured", "baseline (same run)", "ratio");
    for (const auto& [name, baseline] : pairs_) {
        const auto measured = nanoseconds_.find(name);
        const auto base = nanoseconds_.find(baseline);
        if (measured == nanoseconds_.end() || base == nanoseconds_.end() || base->second <= 0) {
            continue;
        }
        printRatio(name, baseline, measured->second / base->second);
    }
}

void printRatio(const std::string& measured, const std::string& baseline, double ratio) {
    std::printf("%-44s %-40s %7.2fx\n", measured.c_str(), baseline.c_str(), ratio);
}

int runWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace tunexa::bench
