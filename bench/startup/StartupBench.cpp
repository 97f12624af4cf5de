// Process start to window shown and idle, offscreen, on a hive of 50,000 values, against two
// baselines started in turn with it: a bare Qt program that shows an empty window, and the
// program's own forms shown with nothing else (the cost of the program's code is the ratio to that
// one). Peak memory (maximum resident set) against the same two.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "BenchHive.h"
#include "RatioReporter.h"
#include "store/Registry.h"

extern char** environ;

namespace {

std::map<std::string, long> peakKilobytes;

// Runs the program to its end; returns its maximum resident set in KiB.
long runProcess(const char* program) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program), nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
        std::perror(program);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not end cleanly\n", program);
        std::exit(1);
    }
    return usage.ru_maxrss;
}

// The three programs started in turn, round after round, so that all three meet the machine in
// the same states; each figure is a program's median over the rounds, in nanoseconds, as a counter
// of the benchmark ("BM_Startup.tunexa").
constexpr std::pair<const char*, const char*> kPrograms[] = {
    {"bare_qt", BARE_QT_PROBE}, {"same_forms", SAME_FORMS_PROBE}, {"tunexa", TUNEXA_PROBE}};

void BM_Startup(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    std::map<std::string, std::vector<double>> times;
    std::size_t round = 0;
    for (auto _ : state) {
        // Each round starts with the next program, so that none always follows the same one.
        for (std::size_t n = 0; n < std::size(kPrograms); ++n) {
            const auto& [name, program] = kPrograms[(round + n) % std::size(kPrograms)];
            const auto start = Clock::now();
            const long kilobytes = runProcess(program);
            times[name].push_back(
                std::chrono::duration<double, std::nano>(Clock::now() - start).count());
            peakKilobytes[name] = std::max(peakKilobytes[name], kilobytes);
        }
        ++round;
    }
    for (auto& [name, samples] : times) {
        std::sort(samples.begin(), samples.end());
        state.counters[name] = samples[samples.size() / 2];
    }
}

BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(31);

// A configured program on a full hive: no first-run window, the main window shown.
void prepareDataRoot() {
    using namespace tunexa;
    const auto root = bench::benchFolder();
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    bench::fillHive(store::defaultHivePath());
    const char* key = "Software\\Tunexa\\Tunexa";
    for (const char* flag : {"Configure", "Start Minimised"}) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, key, flag, "0");
    }
    for (const char* flag :
         {"TNT Available", "Voodoo Available", "Voodoo2 Available", "Banshee Available"}) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, key, flag, "1");
    }
    store::useHive(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    prepareDataRoot();
    const int result =
        tunexa::bench::runWithRatios(argc, argv,
                                     {{"BM_Startup.tunexa", "BM_Startup.bare_qt"},
                                      {"BM_Startup.tunexa", "BM_Startup.same_forms"}});
    for (const char* baseline : {"bare_qt", "same_forms"}) {
        if (peakKilobytes[baseline] > 0) {
            tunexa::bench::printRatio("peak memory of tunexa", baseline,
                                      static_cast<double>(peakKilobytes["tunexa"]) /
                                          static_cast<double>(peakKilobytes[baseline]));
        }
    }
    return result;
}
