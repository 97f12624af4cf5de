#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <tuple>

#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::store {

inline constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;

inline Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline RawValue sz(std::string_view text) {
    return RawValue{REG_SZ, bytes(text)};
}

inline std::filesystem::perms modeOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
}

// Runs SQL on the hive file through a connection of its own, as another program (or a hand
// edit) would; the SQLite result code.
inline int sql(const std::filesystem::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(file.c_str(), &db) == SQLITE_OK
                       ? sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr)
                       : SQLITE_CANTOPEN;
    sqlite3_close(db);
    return rc;
}

// A key's values as (name, type, bytes), in the hive's order.
using Listed = std::vector<std::tuple<std::string, std::uint32_t, Bytes>>;
inline Listed listed(Hive& hive, HKEY root, std::string_view key) {
    Listed out;
    for (auto& value : hive.values(root, key)) {
        out.emplace_back(value.name, value.type, value.data);
    }
    return out;
}

// Files by path, in memory.
class MemoryFiles final : public FileAccess {
  public:
    std::optional<Bytes> read(const std::string& path, std::string&) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }
    bool write(const std::string& path, const std::optional<Bytes>& content,
               std::string&) override {
        content ? void(files[path] = *content) : void(files.erase(path));
        return true;
    }
    // Writes the file as an action would, and records it in the change.
    void writeIn(Change& change, const std::string& path, std::string_view content) {
        const auto found = files.find(path);
        change.addFile(ChangeItem{
            ItemKind::File, 0, path, "C:\\" + path,
            found == files.end() ? std::nullopt : std::optional(RawValue{0, found->second}),
            RawValue{0, bytes(content)}});
        files[path] = bytes(content);
    }

    std::map<std::string, Bytes> files;
};

// A fresh hive in a temporary folder, installed as the process's hive for the seven operations.
class StoreTest : public testing::Test {
  protected:
    ~StoreTest() override { useHive(nullptr); }

    tunexa::test::TempDir dir_;
    const std::filesystem::path file_ = dir_ / "registry.db";
    Hive& hive = (useHiveFile(file_), currentHive());
};

}  // namespace tunexa::store
