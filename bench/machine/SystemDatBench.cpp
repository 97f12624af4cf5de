// The machine's settings read from a SYSTEM.DAT of 1.6 MB (a used Windows 98 machine's is 1 to 3
// MB) inside a disk image, against `mcopy` of the same file out of the image plus the
// same read from a folder: reading inside the image costs one mtools read into memory, so it
// should cost no more than copying the file out first.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BenchHive.h"
#include "CregFile.h"
#include "FatImage.h"
#include "RatioReporter.h"
#include "machine/MachineRegistry.h"
#include "platform/files/DriveC.h"
#include "platform/files/Mtools.h"

namespace {

namespace fs = std::filesystem;
using namespace tunexa;

constexpr std::uint64_t kOffset = 1048576;
constexpr int kFillerKeys = 4000;

// The tests' machine, its Software key holding other programs' keys as a used machine's does.
std::string systemDat() {
    test::CregKey root = test::kSystemDat;
    test::CregKey filler{"Microsoft", {}, {}};
    for (int k = 0; k < kFillerKeys; ++k) {
        test::CregKey key{"Component " + std::to_string(k), {}, {}};
        for (int v = 0; v < 8; ++v) {
            key.values.push_back({"Value " + std::to_string(v), 1, "C:\\WINDOWS\\SYSTEM\\X.DLL"});
        }
        filler.subkeys.push_back(std::move(key));
    }
    root.subkeys[0].subkeys.push_back(std::move(filler));
    return test::buildCregFile(root);
}

struct Machine {
    fs::path folder = bench::benchFolder();
    fs::path image = folder / "win98.img";
    fs::path copy = folder / "copy";
    machine::WindowsInstallation inImage;
    machine::WindowsInstallation inFolder;
    std::size_t values = 0;

    Machine() {
        const fs::path tree = folder / "tree";
        fs::create_directories(tree / "WINDOWS");
        fs::create_directories(copy / "WINDOWS");
        std::ofstream(tree / "WINDOWS" / "SYSTEM.DAT", std::ios::binary) << systemDat();
        test::makeFatImageOf(image, {"FAT32 partition", 32, test::FatLayout::Partitioned, kOffset},
                             tree, 64 * 1024);
        const files::Drives imageDrives(folder / "image-data");
        const files::Drives folderDrives(folder / "folder-data");
        if (!files::useAsDriveC(image, imageDrives) || !files::useAsDriveC(copy, folderDrives) ||
            !copyOut()) {
            std::abort();
        }
        auto foundInImage = machine::findWindowsInstallation(imageDrives);
        auto foundInFolder = machine::findWindowsInstallation(folderDrives);
        if (!foundInImage || !foundInFolder) {
            std::abort();
        }
        inImage = std::move(*foundInImage);
        inFolder = std::move(*foundInFolder);
        values = machine::readMachineSettings(inFolder).values;
    }
    ~Machine() { fs::remove_all(folder); }

    // SYSTEM.DAT copied out of the image into the folder, as one would by hand.
    bool copyOut() const {
        return files::MtoolsVolume(image, kOffset)
            .run("mcopy",
                 {"-o", "::/WINDOWS/SYSTEM.DAT", (copy / "WINDOWS" / "SYSTEM.DAT").string()})
            .ok();
    }
};

Machine& machineOnDisk() {
    static Machine instance;
    return instance;
}

void read(benchmark::State& state, const machine::WindowsInstallation& windows) {
    const auto result = machine::readMachineSettings(windows);
    if (!result.read() || result.values != machineOnDisk().values || result.values == 0) {
        state.SkipWithError("SYSTEM.DAT was not read whole");
    }
}

void BM_McopyAndReadFromFolder(benchmark::State& state) {
    for (auto _ : state) {
        if (!machineOnDisk().copyOut()) {
            state.SkipWithError("mcopy failed");
            break;
        }
        read(state, machineOnDisk().inFolder);
    }
}

void BM_ReadFromImage(benchmark::State& state) {
    for (auto _ : state) {
        read(state, machineOnDisk().inImage);
    }
}

BENCHMARK(BM_McopyAndReadFromFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_ReadFromImage)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
    return bench::runWithRatios(argc, argv, {{"BM_ReadFromImage", "BM_McopyAndReadFromFolder"}});
}
