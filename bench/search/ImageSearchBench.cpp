// "Find Half-Life" over a disk image holding 20,000 files in 2,221 folders, against
// `mdir -/ -b` listing the same image in the same run: the search lists the image once and walks
// the listing, so it should cost little more than the listing itself.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchHive.h"
#include "FatImage.h"
#include "RatioReporter.h"
#include "SearchLoops.h"
#include "platform/files/DriveC.h"

namespace {

namespace fs = std::filesystem;
using namespace tunexa;

constexpr int kTop = 20;
constexpr int kMiddle = 10;
constexpr int kLeaves = 10;
constexpr int kFilesPerLeaf = 10;
constexpr std::uint64_t kOffset = 1048576;

struct Image {
    fs::path folder = bench::benchFolder();
    fs::path image = folder / "win98.img";
    files::Drives drives{folder / "data"};
    std::size_t programs = 0;

    Image() {
        const fs::path tree = folder / "tree";
        std::size_t leafNumber = 0;
        for (int t = 0; t < kTop; ++t) {
            for (int m = 0; m < kMiddle; ++m) {
                for (int l = 0; l < kLeaves; ++l, ++leafNumber) {
                    const fs::path leaf = tree / ("Games " + std::to_string(t)) /
                                          ("MOD" + std::to_string(m)) /
                                          ("maps" + std::to_string(l));
                    fs::create_directories(leaf);
                    for (int f = 0; f < kFilesPerLeaf; ++f) {
                        std::string name = "FILE" + std::to_string(f) + ".DAT";
                        if (f == 0 && leafNumber % 100 == 7) {
                            name = "HL.EXE";
                            ++programs;
                        }
                        std::ofstream(leaf / name);
                    }
                }
            }
        }
        test::makeFatImageOf(image, {"FAT32 partition", 32, test::FatLayout::Partitioned, kOffset},
                             tree, 60000);
        if (!files::useAsDriveC(image, drives)) {
            std::abort();
        }
    }
    ~Image() { fs::remove_all(folder); }
};

Image& image() {
    static Image instance;
    return instance;
}

void BM_MdirBare(benchmark::State& state) {
    // The environment the search gives mtools, so that only the work differs.
    bench::timeProgram(
        state,
        {"mdir", "-/", "-b", "-i", image().image.string() + "@@" + std::to_string(kOffset), "::/"},
        {"PATH=/usr/local/bin:/usr/bin:/bin", "HOME=/nonexistent", "MTOOLSRC=/dev/null",
         "LC_ALL=C.UTF-8", "MTOOLS_SKIP_CHECK=1"});
}

void BM_SearchImage(benchmark::State& state) {
    bench::timeSearch(state, image().drives, image().programs);
}

BENCHMARK(BM_MdirBare)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchImage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWithRatios(argc, argv, {{"BM_SearchImage", "BM_MdirBare"}});
}
