#pragma once

// The hive: one SQLite database file holding every root's tree of keys and typed values.
// Key and value names match without regard to case (Windows-1252) and keep the spelling they
// were created with; any type code and any data bytes are kept exactly.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tunexa::store {

using RootKey = std::uint32_t;
using Bytes = std::vector<std::uint8_t>;

struct RawValue {
    std::uint32_t type = 0;
    Bytes data;
};

struct NamedValue {
    std::string name;
    std::uint32_t type = 0;
    Bytes data;
};

// What opening the hive file found.
enum class OpenOutcome {
    Opened,           // an existing hive, readable and writable
    Created,          // no hive was there; an empty one was made
    ReplacedDamaged,  // the file was damaged or not a hive; it was moved aside, an empty one made
    ReadOnly,         // readable only: reads work, every write fails (and is remembered)
    Unavailable,      // cannot be read at all: reads give nothing, writes fail
};

struct OpenReport {
    OpenOutcome outcome = OpenOutcome::Unavailable;
    std::filesystem::path path;
    std::filesystem::path movedAsideTo;  // set with ReplacedDamaged
    std::string detail;                  // why, in words, for anything but Opened / Created
};

struct StoreFailure {
    std::string operation;  // "RegSetString", "commit", "open", ...
    std::string message;    // the database's own words
};

enum class OpenMode {
    ReadWrite,  // created when missing
    ReadOnly,   // for tools that only look; a missing file stays missing
};

class Hive {
  public:
    // Opens (or creates) the hive file. Never throws; what happened is in report().
    static std::unique_ptr<Hive> open(const std::filesystem::path& file,
                                      OpenMode mode = OpenMode::ReadWrite);
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    const OpenReport& report() const { return report_; }
    const std::filesystem::path& path() const { return report_.path; }
    // How long a write waits for another process's transaction before it fails.
    void setBusyTimeout(int milliseconds);

    // Values. A write outside a batch is one transaction of its own; every failure is remembered.
    std::optional<RawValue> getValue(RootKey root, std::string_view key, std::string_view name);
    bool setValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data);
    bool deleteValue(RootKey root, std::string_view key, std::string_view name);

    // Keys. Paths are backslash-separated below the root; empty components are ignored, so ""
    // is the root key itself.
    bool keyExists(RootKey root, std::string_view key);
    bool createKey(RootKey root, std::string_view key);
    bool deleteKeyTree(RootKey root, std::string_view key);
    // The key's path with each component spelled as it was created; nothing when missing.
    std::optional<std::string> storedPath(RootKey root, std::string_view key);
    // Direct subkeys, spelled as created, in case-insensitive order.
    std::vector<std::string> subkeys(RootKey root, std::string_view key);
    // The key's values in the order they were first created.
    std::vector<NamedValue> values(RootKey root, std::string_view key);

    // Batches: everything between begin and commit is one transaction, all or nothing, one sync.
    // Batches nest; only the outermost commit writes. A failure inside a batch makes its commit
    // roll back and return false.
    bool beginBatch();
    bool commitBatch();
    void rollbackBatch();
    bool inBatch() const { return batchDepth_ > 0; }

    // Failure memory: a counter that grows with each failure, and the last one.
    std::uint64_t failureCount() const { return failureCount_; }
    const std::optional<StoreFailure>& lastFailure() const { return lastFailure_; }

  private:
    Hive() = default;
    class Statement;

    bool openFile(const std::filesystem::path& file, OpenMode mode);
    bool prepareSchema();
    bool checkIntegrity(std::string& why);
    void closeDatabase();
    bool fail(std::string_view operation);
    bool fail(std::string_view operation, std::string message);
    sqlite3_stmt* statement(int id, const char* sql);
    std::optional<std::int64_t> findKey(RootKey root, const std::string& foldedPath);
    std::optional<std::int64_t> ensureKey(RootKey root, std::string_view key);
    template <typename Work>
    bool writeTransaction(std::string_view operation, Work&& work);

    sqlite3* db_ = nullptr;
    bool writable_ = false;
    OpenReport report_;
    std::vector<sqlite3_stmt*> statements_;
    int batchDepth_ = 0;
    bool batchFailed_ = false;
    std::uint64_t failureCount_ = 0;
    std::optional<StoreFailure> lastFailure_;
};

}  // namespace tunexa::store
