#pragma once

// A hive of realistic size for benchmarks, plus a bare SQLite table of the same rows to measure
// against: the cost of the store's own layer is the ratio between the two.

#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace tunexa::bench {

inline constexpr int kKeys = 5000;
inline constexpr int kValuesPerKey = 10;

std::string benchKey(int k);
std::string benchValueName(int v);

// Fills the process's hive at `file` with kKeys keys of kValuesPerKey values each (texts and
// dwords), in one batch.
void fillHive(const std::filesystem::path& file);

// A bare database with one table (key, name, data) holding the same rows, opened with the same
// journal and sync settings as the hive.
sqlite3* openBareTable(const std::filesystem::path& file);

// A temporary folder for the run.
std::filesystem::path benchFolder();

}  // namespace tunexa::bench
