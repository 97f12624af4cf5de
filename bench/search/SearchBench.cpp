// "Find Half-Life" over a generated drive of 100,000 files in 10,110 folders, against
// `find <root> -iname hl.exe` walking the same tree in the same run. Both run with a warm cache;
// the time of find includes starting its process (about a millisecond).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchHive.h"
#include "RatioReporter.h"
#include "launcher/core/FileMethods.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace tunexa;

constexpr int kTop = 10;
constexpr int kMiddle = 10;
constexpr int kLeaves = 100;
constexpr int kFilesPerLeaf = 10;

struct Tree {
    fs::path folder = bench::benchFolder();
    fs::path drive = folder / "drive";
    files::Drives drives{folder / "data"};
    std::size_t programs = 0;

    Tree() {
        static const char* const kExtensions[] = {".dat", ".txt", ".dll", ".wad", ".bsp"};
        std::size_t leafNumber = 0;
        for (int t = 0; t < kTop; ++t) {
            for (int m = 0; m < kMiddle; ++m) {
                for (int l = 0; l < kLeaves; ++l, ++leafNumber) {
                    const fs::path leaf = drive / ("Games " + std::to_string(t)) /
                                          ("Mod" + std::to_string(m)) /
                                          ("maps_" + std::to_string(l));
                    fs::create_directories(leaf);
                    for (int f = 0; f < kFilesPerLeaf; ++f) {
                        std::string name = "file" + std::to_string(f) + kExtensions[f % 5];
                        if (f == 0 && leafNumber % 100 == 7) {
                            name = leafNumber % 200 == 7 ? "hl.exe" : "HL.EXE";
                            ++programs;
                        }
                        std::ofstream(leaf / name);
                    }
                }
            }
        }
        fs::create_directories(folder / "data" / "dosdevices");
        fs::create_directory_symlink(drive, folder / "data" / "dosdevices" / "c:");
    }
    ~Tree() { fs::remove_all(folder); }
};

Tree& tree() {
    static Tree instance;
    return instance;
}

void BM_SearchFileTree(benchmark::State& state) {
    auto& t = tree();
    for (auto _ : state) {
        std::vector<std::string> found;
        launcher::SearchFileTree("C:\\", "hl.exe", found, {}, t.drives);
        if (found.size() != t.programs) {
            state.SkipWithError("the search missed programs");
            break;
        }
        benchmark::DoNotOptimize(found.data());
    }
}

void BM_FindIname(benchmark::State& state) {
    auto& t = tree();
    const std::string root = t.drive.string();
    char find[] = "find";
    char iname[] = "-iname";
    char pattern[] = "hl.exe";
    std::string rootArgument = root;
    char* argv[] = {find, rootArgument.data(), iname, pattern, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "find", &actions, nullptr, argv, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("find failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

BENCHMARK(BM_FindIname)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchFileTree)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWithRatios(argc, argv, {{"BM_SearchFileTree", "BM_FindIname"}});
}
