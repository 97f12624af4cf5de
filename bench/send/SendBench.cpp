// "Send to drive C:" and "Check drive C:" on a Windows 98 SYSTEM.DAT of 40,000 keys (about 5 MB),
// against `creginfo` of the same file in the same run: both read only the keys of the values
// Tunexa manages, so each should cost a small part of a tool that walks the whole file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchHive.h"
#include "CregFile.h"
#include "RatioReporter.h"
#include "SearchLoops.h"
#include "machine/MachineCheck.h"
#include "machine/MachineSend.h"
#include "store/Registry.h"

namespace {

namespace fs = std::filesystem;
using namespace tunexa;
using test::CregKey;

constexpr int kVendors = 50;
constexpr int kProducts = 40;
constexpr int kKeysPerProduct = 19;  // with the vendors and products: 40,000 keys in all

// A machine's registry: software of many vendors, each key with a text and a double word, and
// the keys a send reads (the Voodoo2's settings, the display classes) among them.
std::string systemDat() {
    CregKey software{"Software", {}, {}};
    for (int v = 0; v < kVendors; ++v) {
        CregKey& vendor = software.subkeys.emplace_back("Vendor " + std::to_string(v));
        for (int p = 0; p < kProducts; ++p) {
            CregKey& product = vendor.subkeys.emplace_back("Product " + std::to_string(p));
            for (int k = 0; k < kKeysPerProduct; ++k) {
                product.subkeys.push_back(
                    {"Settings " + std::to_string(k),
                     {{"InstallPath", 1, "C:\\PROGRAM FILES\\VENDOR\\APP.EXE"},
                      {"Flags", 4, std::string("\x01\0\0\0", 4)}},
                     {}});
            }
        }
    }
    software.subkeys.push_back(
        {"3Dfx Interactive", {}, {{"Voodoo2", {}, {{"D3D", {{"SSTV2_GRXCLK", 1, "90"}}, {}}}}}});
    CregKey display{"Display", {}, {}};
    for (int c = 0; c < 6; ++c) {
        display.subkeys.push_back(
            {"000" + std::to_string(c), {}, {{"DEFAULT", {{"minivdd", 1, "other.vxd"}}, {}}}});
    }
    const CregKey system{
        "System", {}, {{"CurrentControlSet", {}, {{"Services", {}, {{"Class", {}, {display}}}}}}}};
    return test::buildCregFile({"$$$PROTO.HIV", {}, {software, system}});
}

struct Machine {
    fs::path folder = bench::benchFolder();
    files::Drives drives{folder / "data"};
    fs::path systemDatFile;

    Machine() {
        const fs::path windows = *drives.driveRoot('C') / "WINDOWS";
        fs::create_directories(windows);
        systemDatFile = windows / "SYSTEM.DAT";
        std::ofstream(systemDatFile, std::ios::binary) << systemDat();
        std::ofstream(windows / "REGEDIT.EXE") << "MZ";
        std::printf("SYSTEM.DAT: %ju bytes\n",
                    static_cast<std::uintmax_t>(fs::file_size(systemDatFile)));
        store::useHiveFile(folder / "registry.db");
        store::RegSetString(store::HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive\\Voodoo2\\D3D",
                            "SSTV2_GRXCLK", "95");
    }
    ~Machine() { fs::remove_all(folder); }
};

Machine& machine() {
    static Machine instance;
    return instance;
}

void BM_Creginfo(benchmark::State& state) {
    bench::timeProgram(state, {"creginfo", machine().systemDatFile.string()});
}

void BM_Send(benchmark::State& state) {
    for (auto _ : state) {
        const auto sent = machine::sendToMachine(store::currentHive(), {}, machine().drives);
        if (sent.outcome != machine::SendReport::Outcome::Staged) {
            state.SkipWithError(sent.problem.c_str());
            break;
        }
    }
}

void BM_Check(benchmark::State& state) {
    for (auto _ : state) {
        const auto checked = machine::checkMachine(store::currentHive(), machine().drives);
        if (checked.outcome != machine::CheckReport::Outcome::Differs) {
            state.SkipWithError(checked.problem.c_str());
            break;
        }
    }
}

BENCHMARK(BM_Creginfo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Send)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWithRatios(argc, argv,
                                {{"BM_Send", "BM_Creginfo"}, {"BM_Check", "BM_Creginfo"}});
}
