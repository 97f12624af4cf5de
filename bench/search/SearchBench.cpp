// "Find Half-Life" over a generated drive of 100,000 files in 10,110 folders, against
// `find <root> -iname hl.exe` walking the same tree in the same run. Both run with a warm cache;
// the time of find includes starting its process (about a millisecond).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchHive.h"
#include "RatioReporter.h"
#include "SearchLoops.h"

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
    bench::timeSearch(state, tree().drives, tree().programs);
}

void BM_FindIname(benchmark::State& state) {
    bench::timeProgram(state, {"find", tree().drive.string(), "-iname", "hl.exe"});
}

BENCHMARK(BM_FindIname)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchFileTree)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWithRatios(argc, argv, {{"BM_SearchFileTree", "BM_FindIname"}});
}
