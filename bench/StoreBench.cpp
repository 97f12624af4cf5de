// The store against bare SQLite on a hive of 50,000 values in 5,000 keys: point reads of
// existing and missing values, a single write, one card's whole write; three changes (a Banshee
// Apply, a tray clock click, a 200-value import) with and without their change record, in time
// and in bytes written to the write-ahead log; undoing an Apply. Then what a 512-deep key costs
// the hive, level by level.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "BenchHive.h"
#include "RatioReporter.h"
#include "engine/RegMethods.h"
#include "regfile/Importer.h"
#include "store/Changes.h"
#include "store/KeyPath.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace {

using namespace tunexa;
using store::HKEY_LOCAL_MACHINE;

struct Fixture {
    std::filesystem::path folder = bench::benchFolder();
    sqlite3* bare = nullptr;
    sqlite3_stmt* bareRead = nullptr;
    sqlite3_stmt* bareWrite = nullptr;

    Fixture() {
        bench::fillHive(folder / "registry.db");
        bare = bench::openBareTable(folder / "bare.db");
        sqlite3_prepare_v2(bare, "SELECT data FROM t WHERE key=?1 AND name=?2", -1, &bareRead,
                           nullptr);
        sqlite3_prepare_v2(bare, "INSERT OR REPLACE INTO t VALUES(?1, ?2, ?3)", -1, &bareWrite,
                           nullptr);
    }
    ~Fixture() {
        sqlite3_finalize(bareRead);
        sqlite3_finalize(bareWrite);
        sqlite3_close(bare);
        store::useHive(nullptr);
        std::filesystem::remove_all(folder);
    }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

// Keys spread over the whole hive so the reads are not all served from one page.
std::string keyAt(std::int64_t i) {
    return bench::benchKey(static_cast<int>((i * 7919) % bench::kKeys));
}

void BareRead(benchmark::State& state, const char* name) {
    auto& f = fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        const std::string key = keyAt(i++);
        sqlite3_bind_text(f.bareRead, 1, key.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(f.bareRead, 2, name, -1, SQLITE_STATIC);
        benchmark::DoNotOptimize(sqlite3_step(f.bareRead));
        sqlite3_reset(f.bareRead);
    }
}
void BM_BarePointQueryExisting(benchmark::State& state) {
    BareRead(state, "Setting0");
}
void BM_BarePointQueryMissing(benchmark::State& state) {
    BareRead(state, "Nothing");
}

void BM_RegGetStringExisting(benchmark::State& state) {
    fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::RegGetString(HKEY_LOCAL_MACHINE, keyAt(i++), "Setting0"));
    }
}
void BM_RegGetStringMissing(benchmark::State& state) {
    fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::RegGetString(HKEY_LOCAL_MACHINE, keyAt(i++), "Nothing"));
    }
}
void BM_RegGetDwordExisting(benchmark::State& state) {
    fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::RegGetDword(HKEY_LOCAL_MACHINE, keyAt(i++), "Setting1"));
    }
}
void BM_RegGetDwordMissing(benchmark::State& state) {
    fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::RegGetDword(HKEY_LOCAL_MACHINE, keyAt(i++), "Nothing"));
    }
}

// Writes `count` rows in one bare transaction: the cost floor of a durable write.
void bareTransaction(Fixture& f, std::int64_t i, int count) {
    sqlite3_exec(f.bare, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    const std::string key = keyAt(i);
    const std::string data = std::to_string(i);
    for (int n = 0; n < count; ++n) {
        const std::string name = "Write" + std::to_string(n);
        sqlite3_bind_text(f.bareWrite, 1, key.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(f.bareWrite, 2, name.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_blob(f.bareWrite, 3, data.data(), static_cast<int>(data.size()),
                          SQLITE_STATIC);
        sqlite3_step(f.bareWrite);
        sqlite3_reset(f.bareWrite);
    }
    sqlite3_exec(f.bare, "COMMIT", nullptr, nullptr, nullptr);
}

void BM_BareTransactionOneWrite(benchmark::State& state) {
    auto& f = fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        bareTransaction(f, i++, 1);
    }
}

void BM_RegSetString(benchmark::State& state) {
    fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        // A new text each time: a write that changes nothing costs no sync and would flatter.
        store::RegSetString(HKEY_LOCAL_MACHINE, keyAt(i), "Setting0", std::to_string(i));
        ++i;
    }
}

// The Banshee write stores 19 values (or deletes the conditional ones) in one transaction.
constexpr int kBansheeWrites = 19;

void BM_BareTransactionBansheeSized(benchmark::State& state) {
    auto& f = fixture();
    std::int64_t i = 0;
    for (auto _ : state) {
        bareTransaction(f, i++, kBansheeWrites);
    }
}

engine::DriverSettings& bansheeSettings() {
    fixture();
    auto& settings = engine::driverSettings();
    settings.BanClock.ClassKey =
        "System\\CurrentControlSet\\Services\\Class\\Display\\0001\\DEFAULT";
    engine::ReadDriverSettings("Banshee");
    settings.BanD3D.SSTH3_AUTOMIPMAP = 1;
    settings.BanGlide.FX_GLIDE_ALLOC_COLOR = 3;
    return settings;
}

// Each write changes the clock, so each is a real change with a sync; an Apply changes a second
// value too, as a user who moves two controls.
void writeBanshee(std::int64_t i, const std::string& title, bool apply = true) {
    auto& settings = engine::driverSettings();
    settings.BanClock.grxclock = std::to_string(100 + (i % 11));
    if (apply) {
        settings.BanD3D.SSTH3_RGAMMA = std::to_string(i);
    }
    benchmark::DoNotOptimize(engine::WriteDriverSettings("Banshee", title));
}

void BM_WriteDriverSettingsBanshee(benchmark::State& state) {
    bansheeSettings();
    std::int64_t i = 0;
    for (auto _ : state) {
        writeBanshee(i++, {});
    }
}

// The three changes made most, each made with its record or without: an Apply, a tray clock
// click (the card written as by an Apply, with only the clock changed) and an import of a regedit
// file of 200 values in one key, all new in every round.
void bansheeApply(std::int64_t i, bool recorded) {
    writeBanshee(i, recorded ? "Banshee: Apply" : "");
}

void trayClick(std::int64_t i, bool recorded) {
    writeBanshee(i, recorded ? "Tray: Banshee core clock " + std::to_string(100 + i % 11) : "",
                 false);
}

std::string importFile(std::int64_t i) {
    std::string file =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Imported Game\\Settings]\r\n";
    for (int v = 0; v < 200; ++v) {
        file += "\"Option" + std::to_string(v) + "\"=\"" + std::to_string(i * 7 + v) + "\"\r\n";
    }
    return file;
}

void importValues(std::int64_t i, bool recorded) {
    auto& hive = store::currentHive();
    std::optional<store::Change> change;
    if (recorded) {
        change.emplace(hive, "tunexa-reg import game.reg");
    }
    benchmark::DoNotOptimize(regfile::importRegFile(hive, importFile(i)).saved &&
                             (!change || change->commit()));
}

// The change without its record and with it, in turn, so that both meet the disk and the hive in
// the same state: the benchmark's time is the recorded change's, the counter "unrecorded" the
// same change's without the record, in nanoseconds.
void alternately(benchmark::State& state, void (*change)(std::int64_t, bool)) {
    using Clock = std::chrono::steady_clock;
    bansheeSettings();
    std::int64_t i = 0;
    double unrecorded = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        change(i++, false);
        const auto between = Clock::now();
        change(i++, true);
        unrecorded += std::chrono::duration<double>(between - start).count();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - between).count());
    }
    state.counters["unrecorded"] = unrecorded * 1e9 / static_cast<double>(state.iterations());
}

void BM_BansheeApplyRecorded(benchmark::State& state) {
    alternately(state, bansheeApply);
}
void BM_TrayClockClickRecorded(benchmark::State& state) {
    alternately(state, trayClick);
}
void BM_Import200ValuesRecorded(benchmark::State& state) {
    alternately(state, importValues);
}

// Undoing the Banshee Apply just made (the Apply itself outside the timing).
void BM_UndoBansheeApply(benchmark::State& state) {
    bansheeSettings();
    std::int64_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writeBanshee(i++, "Banshee: Apply");
        state.ResumeTiming();
        auto& hive = store::currentHive();
        benchmark::DoNotOptimize(
            store::applyUndo(hive, nullptr, store::planUndoLast(hive, nullptr)));
    }
}

// The hive's bytes for `keys` keys whose names are as long as the registry allows, each below
// the one before (`nested`) or all side by side, imported from a regedit file.
std::uintmax_t hiveBytesFor(std::size_t keys, bool nested) {
    const auto folder = bench::benchFolder();
    std::string file = "REGEDIT4\r\n\r\n";
    std::string path = "HKEY_LOCAL_MACHINE";
    for (std::size_t level = 0; level < keys; ++level) {
        std::string name = std::to_string(level);
        name.append(store::kMaxKeyNameLength - name.size(), 'k');
        if (nested) {
            path += "\\" + name;
            continue;
        }
        file += "[HKEY_LOCAL_MACHINE\\" + name + "]\r\n\r\n";
    }
    if (nested) {
        file += "[" + path + "]\r\n\r\n";
    }
    {
        auto hive = store::Hive::open(folder / "deep.db");
        if (!regfile::importRegFile(*hive, file).saved) {
            std::printf("the import of %zu keys failed\n", keys);
        }
    }
    const std::uintmax_t bytes = std::filesystem::file_size(folder / "deep.db");
    std::filesystem::remove_all(folder);
    return bytes;
}

void printDeepKeyCost() {
    const std::size_t levels = store::kMaxKeyDepth;
    const auto nested = hiveBytesFor(levels, true);
    const auto sideBySide = hiveBytesFor(levels, false);
    std::printf("\n");
    bench::printRatio("hive bytes per level, 512-deep key", "512 keys side by side",
                      static_cast<double>(nested) / static_cast<double>(sideBySide));
    std::printf("  (%ju bytes for the deep key, %.0f a level; %ju side by side)\n", nested,
                static_cast<double>(nested) / static_cast<double>(levels), sideBySide);
}

// Bytes the hive's write-ahead log grows by per change, without the record and with it: from an
// emptied log, the two made in turn, each measured alone. SQLite appends every page a
// transaction changed, whole, at its commit.
void printWalBytes(const char* name, void (*change)(std::int64_t, bool)) {
    constexpr int kChanges = 20;  // well below the log's automatic checkpoint
    const std::string log = store::currentHive().path().string() + "-wal";
    sqlite3* db = nullptr;
    sqlite3_open(store::currentHive().path().c_str(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::int64_t i = 100000;
    change(i++, false);  // the log's header, and what a first change after a checkpoint writes
    double bytes[2] = {0, 0};
    for (int n = 0; n < kChanges; ++n) {
        for (const bool recorded : {false, true}) {
            const auto before = std::filesystem::file_size(log);
            change(i++, recorded);
            bytes[recorded] += static_cast<double>(std::filesystem::file_size(log) - before);
        }
    }
    bench::printRatio("WAL bytes, " + std::string(name), "the same unrecorded, in turn",
                      bytes[1] / bytes[0]);
    std::printf("  (%.0f bytes a change recorded, %.0f unrecorded)\n", bytes[1] / kChanges,
                bytes[0] / kChanges);
}

// A data folder with no hive yet, opened by four processes at the same moment (the tray program
// at login while scripts run tunexa-reg), each writing one value, against the same four started
// one after the other: the time until the last is done, the median of rounds taken in turn. At
// once should cost no more than one after the other: nobody sleeps waiting for another.
void printFirstOpens() {
    constexpr int kProcesses = 4;
    const auto opening = [](const std::filesystem::path& file, int p) {
        const pid_t child = fork();
        if (child == 0) {
            const auto hive = store::Hive::open(file);
            _exit(hive->setValue(HKEY_LOCAL_MACHINE, "K", std::to_string(p), store::REG_SZ, {})
                      ? 0
                      : 1);
        }
        return child;
    };
    const auto finished = [](pid_t child) {
        int status = 0;
        return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    const auto seconds = [&](bool atOnce) {
        const auto folder = bench::benchFolder();
        const auto file = folder / "tunexa" / "registry.db";
        const auto begun = std::chrono::steady_clock::now();
        bool all = true;
        std::vector<pid_t> children;
        for (int p = 0; p < kProcesses; ++p) {
            children.push_back(opening(file, p));
            if (!atOnce) {
                all = finished(children.back()) && all;
            }
        }
        for (const pid_t child : children) {
            all = (!atOnce || finished(child)) && all;
        }
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - begun;
        std::filesystem::remove_all(folder);
        return all ? taken.count() : 1e9;
    };
    std::vector<double> times[2];
    for (int round = 0; round < 15; ++round) {
        for (const bool atOnce : {false, true}) {
            times[atOnce].push_back(seconds(atOnce));
        }
    }
    const auto median = [](std::vector<double>& samples) {
        std::sort(samples.begin(), samples.end());
        return samples[samples.size() / 2];
    };
    const double oneAfterAnother = median(times[0]);
    const double atOnce = median(times[1]);
    bench::printRatio("a new hive opened by 4 processes at once",
                      "the same 4 one after the other, in turn", atOnce / oneAfterAnother);
    std::printf("  (%.1f ms at once, %.1f ms one after the other)\n", atOnce * 1e3,
                oneAfterAnother * 1e3);
}

BENCHMARK(BM_BarePointQueryExisting);
BENCHMARK(BM_RegGetStringExisting);
BENCHMARK(BM_RegGetDwordExisting);
BENCHMARK(BM_BarePointQueryMissing);
BENCHMARK(BM_RegGetStringMissing);
BENCHMARK(BM_RegGetDwordMissing);
BENCHMARK(BM_BareTransactionOneWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RegSetString)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareTransactionBansheeSized)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteDriverSettingsBanshee)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BansheeApplyRecorded)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_TrayClockClickRecorded)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_Import200ValuesRecorded)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_UndoBansheeApply)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    printFirstOpens();  // before the benchmarks' own hive is open: children are forked
    const int result = tunexa::bench::runWithRatios(
        argc, argv,
        {{"BM_RegGetStringExisting", "BM_BarePointQueryExisting"},
         {"BM_RegGetDwordExisting", "BM_BarePointQueryExisting"},
         {"BM_RegGetStringMissing", "BM_BarePointQueryMissing"},
         {"BM_RegGetDwordMissing", "BM_BarePointQueryMissing"},
         {"BM_RegSetString", "BM_BareTransactionOneWrite"},
         {"BM_WriteDriverSettingsBanshee", "BM_BareTransactionBansheeSized"},
         {"BM_BansheeApplyRecorded", "BM_BansheeApplyRecorded.unrecorded"},
         {"BM_TrayClockClickRecorded", "BM_TrayClockClickRecorded.unrecorded"},
         {"BM_Import200ValuesRecorded", "BM_Import200ValuesRecorded.unrecorded"},
         {"BM_UndoBansheeApply", "BM_BansheeApplyRecorded"}});
    printWalBytes("Banshee Apply recorded", bansheeApply);
    printWalBytes("tray clock click recorded", trayClick);
    printWalBytes("200-value import recorded", importValues);
    printDeepKeyCost();
    return result;
}
