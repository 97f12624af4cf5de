// The store against bare SQLite on a hive of 50,000 values in 5,000 keys: point reads of
// existing and missing values, a single write, and one card's whole write.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchHive.h"
#include "RatioReporter.h"
#include "engine/RegMethods.h"
#include "store/Registry.h"

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

void BM_WriteDriverSettingsBanshee(benchmark::State& state) {
    fixture();
    auto& settings = engine::driverSettings();
    settings.BanClock.ClassKey =
        "System\\CurrentControlSet\\Services\\Class\\Display\\0001\\DEFAULT";
    engine::ReadDriverSettings("Banshee");
    settings.BanD3D.SSTH3_AUTOMIPMAP = 1;
    settings.BanGlide.FX_GLIDE_ALLOC_COLOR = 3;
    std::int64_t i = 0;
    for (auto _ : state) {
        settings.BanClock.grxclock = std::to_string(100 + (i++ % 11));
        benchmark::DoNotOptimize(engine::WriteDriverSettings("Banshee"));
    }
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

}  // namespace

int main(int argc, char** argv) {
    return tunexa::bench::runWithRatios(
        argc, argv,
        {{"BM_RegGetStringExisting", "BM_BarePointQueryExisting"},
         {"BM_RegGetDwordExisting", "BM_BarePointQueryExisting"},
         {"BM_RegGetStringMissing", "BM_BarePointQueryMissing"},
         {"BM_RegGetDwordMissing", "BM_BarePointQueryMissing"},
         {"BM_RegSetString", "BM_BareTransactionOneWrite"},
         {"BM_WriteDriverSettingsBanshee", "BM_BareTransactionBansheeSized"}});
}
