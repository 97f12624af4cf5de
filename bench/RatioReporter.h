#pragma once

// Prints, after the usual table, each benchmark's time as a ratio against its baseline measured
// in the same run, so figures compare across machines.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tunexa::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // `pairs`: benchmark name → the name of its baseline: another benchmark, or one of the
    // benchmark's counters as "name.counter" (a time in nanoseconds measured in the same loop).
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs);
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> nanoseconds_;
};

// One line of the ratio table, for a figure measured beside the timed ones (bytes, memory).
void printRatio(const std::string& measured, const std::string& baseline, double ratio);

// Runs the registered benchmarks with a RatioReporter; returns main's exit code.
int runWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs);

}  // namespace tunexa::bench
