#pragma once

// A test with a hive file of its own in a fresh folder, installed as the process's hive (before
// the test's own members are made) so that the seven store operations (RegGetString, ...) see what
// the code under test wrote.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::test {

class HiveTest : public ::testing::Test {
  protected:
    HiveTest() { store::useHiveFile(dir_ / "registry.db"); }
    ~HiveTest() override { store::useHive(nullptr); }
    store::Hive& hive() { return store::currentHive(); }

    TempDir dir_;
};

// Runs SQL on the hive file through a connection of its own, as another program (or a hand edit)
// would; the SQLite result code.
inline int sql(const std::filesystem::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(file.c_str(), &db) == SQLITE_OK
                       ? sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr)
                       : SQLITE_CANTOPEN;
    sqlite3_close(db);
    return rc;
}

}  // namespace tunexa::test
