// Process start to window shown and idle, offscreen, on a hive of 50,000 values, against two
// baselines in the same run: a bare Qt program that shows an empty window, and the program's own
// forms shown with nothing else (the cost of the program's code is the ratio to that one). Peak
// memory (maximum resident set) against the same two.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

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

void measure(benchmark::State& state, const char* name, const char* program) {
    long peak = 0;
    for (auto _ : state) {
        const long kilobytes = runProcess(program);
        peak = kilobytes > peak ? kilobytes : peak;
    }
    state.counters["peak_rss_KiB"] = static_cast<double>(peak);
    peakKilobytes[name] = peak;
}

void BM_BareQtStartup(benchmark::State& state) {
    measure(state, "BM_BareQtStartup", BARE_QT_PROBE);
}
void BM_SameFormsStartup(benchmark::State& state) {
    measure(state, "BM_SameFormsStartup", SAME_FORMS_PROBE);
}
void BM_TunexaStartup(benchmark::State& state) {
    measure(state, "BM_TunexaStartup", TUNEXA_PROBE);
}

BENCHMARK(BM_BareQtStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);
BENCHMARK(BM_SameFormsStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);
BENCHMARK(BM_TunexaStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);

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
    const int result = tunexa::bench::runWithRatios(
        argc, argv,
        {{"BM_TunexaStartup", "BM_BareQtStartup"}, {"BM_TunexaStartup", "BM_SameFormsStartup"}});
    const long tunexa = peakKilobytes["BM_TunexaStartup"];
    for (const char* baseline : {"BM_BareQtStartup", "BM_SameFormsStartup"}) {
        if (peakKilobytes[baseline] > 0) {
            std::printf("%-44s %-40s %7.2fx\n", "peak memory of BM_TunexaStartup", baseline,
                        static_cast<double>(tunexa) / static_cast<double>(peakKilobytes[baseline]));
        }
    }
    return result;
}
