#include "BenchHive.h"

#include <cstdlib>
#include <stdexcept>

#include "store/Registry.h"

namespace tunexa::bench {

std::string benchKey(int k) {
    return "Software\\Vendor " + std::to_string(k % 50) + "\\Product " + std::to_string(k);
}

std::string benchValueName(int v) {
    return "Setting" + std::to_string(v);
}

void fillHive(const std::filesystem::path& file) {
    using namespace tunexa::store;
    useHiveFile(file);
    Batch batch;
    for (int k = 0; k < kKeys; ++k) {
        for (int v = 0; v < kValuesPerKey; ++v) {
            if (v % 2 == 0) {
                RegSetString(HKEY_LOCAL_MACHINE, benchKey(k), benchValueName(v), "value text");
            } else {
                RegSetDword(HKEY_LOCAL_MACHINE, benchKey(k), benchValueName(v), v);
            }
        }
    }
    if (!batch.commit()) {
        throw std::runtime_error("cannot fill the benchmark hive");
    }
    // Start both databases from a checkpointed state, so neither pays for the fill's log.
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

sqlite3* openBareTable(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                 "CREATE TABLE IF NOT EXISTS t(key TEXT, name TEXT, data BLOB, "
                 "PRIMARY KEY(key, name)) WITHOUT ROWID;",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO t VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
    for (int k = 0; k < kKeys; ++k) {
        const std::string key = benchKey(k);
        for (int v = 0; v < kValuesPerKey; ++v) {
            const std::string name = benchValueName(v);
            sqlite3_bind_text(insert, 1, key.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert, 3, "value text", 10, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    return db;
}

std::filesystem::path benchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tunexa-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    return pattern;
}

}  // namespace tunexa::bench
