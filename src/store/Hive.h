#pragma once

// The hive: one SQLite database file holding every root's tree of keys and typed values.
// Key and value names match without regard to case (Windows-1252) and keep the spelling they
// were created with; any type code and any data bytes are kept exactly.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/Changes.h"

struct sqlite3;

namespace tunexa::store {

namespace detail {
class Statement;
class StatementCache;
enum class Sql : std::size_t;
}  // namespace detail

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
    ReadOnly,         // readable only: reads work, every write fails and says why
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
    bool writable() const { return db_ != nullptr && writable_; }
    // How long a write waits for another process's transaction before it fails.
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return busyTimeoutMs_; }

    // Values. A write outside a batch is one transaction of its own. Names longer than the
    // registry allows, and keys deeper than it allows, are refused (KeyPath.h).
    // Every failure is remembered, a read's as a write's: a read that fails gives what a missing
    // key gives (nothing, or an empty list), failureCount() tells the two apart, and inside a
    // batch the batch rolls back.
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

    // A batch recorded as one change (see Changes.h): the before- and after-image of every value
    // and key its writes touch, and the files handed to recordFile(), go into the change record
    // in the same transaction. Nested in another batch, the outermost one is recorded, under this
    // title when it had none. A change that altered nothing leaves no record; one without a title
    // and outside any change is a plain batch.
    bool beginChange(std::string title, FileAccess* files = nullptr);
    // A file the open change has already written; put back through the change's FileAccess when
    // the change does not commit.
    void recordFile(ChangeItem file);

    // The change record, newest first; a change whose record cannot be read is listed as damaged.
    std::vector<ChangeInfo> changes(std::size_t limit = kKeptChanges);
    std::optional<ChangeRecord> changeRecord(std::int64_t id);

    // Remembers a failure found outside the store (a file a change could not write); inside a
    // batch the batch then rolls back. Always false.
    bool reportFailure(std::string_view operation, std::string message) {
        return fail(operation, std::move(message));
    }

    // Failure memory: a counter that grows with each failure, and the last one.
    std::uint64_t failureCount() const { return failureCount_; }
    const std::optional<StoreFailure>& lastFailure() const { return lastFailure_; }
    // The last failure in the store's own words, for telling the user why nothing was saved.
    std::string lastFailureMessage() const {
        return lastFailure_ ? lastFailure_->message : "the settings store gave no reason";
    }

  private:
    Hive();

    // What an open change has touched so far: each item with its before-image.
    struct Recording {
        std::string title;
        FileAccess* files = nullptr;
        std::map<std::string, std::size_t> index;
        std::vector<ChangeItem> items;
    };
    enum class Check { Sound, Damaged, NotRun };

    // Opening (HiveOpen.cpp).
    bool openFile(const std::filesystem::path& file, OpenMode mode);
    bool openReadOnly(const std::filesystem::path& file, const std::string& why);
    // Why the file cannot be opened; empty when it was.
    std::string openSqlite(const std::filesystem::path& file, int flags, bool immutable);
    // Whether the file is a sound hive or empty; `why` says what is damaged, or what kept the
    // check from running. Without `everyPage`, only whose it is (a file unchanged since a session
    // found it sound).
    Check checkIntegrity(std::string& why, bool everyPage);
    bool replaceDamaged(const std::filesystem::path& file, const std::string& damage);
    bool unavailable(std::string detail);
    void closeDatabase();

    // The schema (HiveSchema.cpp).
    bool prepareSchema();
    bool upgradeSchema();
    bool packVersion2Items();
    bool copyIntoMemory();

    // Statements and failures (Hive.cpp).
    detail::Statement sql(detail::Sql id);
    // Runs a statement without parameters to its end.
    bool run(detail::Sql id);
    // The first column of a statement's one row.
    std::optional<std::int64_t> number(detail::Sql id);
    bool fail(std::string_view operation);
    bool fail(std::string_view operation, std::string message);
    // Refuses a write to a hive that is not open, read-only or known to be damaged, with the
    // reason; true when it may go on.
    bool mayWrite(std::string_view operation);
    // A statement stepped to `rc` finished, or its failure is remembered.
    bool finished(int rc, std::string_view operation);

    // Keys and lookups (HiveKeys.cpp). Key ids are remembered by root and folded path (0 for a
    // key that does not exist) for as long as the file's data version is the one they were read
    // at, so a read that finds its key remembered is one indexed lookup.
    struct KeyCache {
        std::unordered_map<std::string, std::int64_t> ids;
        std::unordered_map<std::string, std::string> spellings;  // of keys that exist
        unsigned version = 0;
    };
    unsigned dataVersion();
    void forgetKeys();
    // The key's name in the cache (its root, then its walk path, see HiveInternal.h), built in
    // keyName_.
    const std::string& cacheName(RootKey root, std::string_view key);
    void rememberKey(const std::string& name, std::int64_t id);
    std::optional<std::int64_t> findKey(RootKey root, std::string_view key);
    // The ids and stored names of the path's levels that exist, the root key's first.
    std::optional<std::vector<std::pair<std::int64_t, std::string>>> walkKey(RootKey root,
                                                                             std::string_view key);
    // The value, with its name as stored when `withName`.
    std::optional<NamedValue> lookupValue(RootKey root, std::string_view key, std::string_view name,
                                          bool withName);
    // The path as the store spells it: the levels that exist as stored, the rest as given.
    // Remembered for the keys that exist, as their ids are.
    std::string spelling(RootKey root, std::string_view key);
    std::optional<std::int64_t> ensureKey(RootKey root, std::string_view key);

    // Transactions and batches (HiveBatch.cpp).
    bool begin(std::string_view operation);
    bool commit(std::string_view operation);
    void rollback();
    // Runs `work` (a callable returning whether it succeeded) as one transaction of its own, or
    // as part of the open batch.
    template <typename Work>
    bool writeTransaction(std::string_view operation, Work&& work) {
        return writeTransaction(
            operation,
            [](void* callable) {
                return (*static_cast<std::remove_reference_t<Work>*>(callable))();
            },
            &work);
    }
    bool writeTransaction(std::string_view operation, bool (*call)(void*), void* work);
    void finishBatch(bool committed);

    // Recording (HiveRecord.cpp).
    // The item of the value in the open change (its after-image is the value as it stands now),
    // noted with its before-image on first touch; nothing when no change is open.
    std::optional<std::size_t> noteValue(RootKey root, std::string_view key, std::string_view name);
    // A key the change creates, and everything below a key it deletes, with their after-images.
    void noteKeyCreated(RootKey root, std::string_view key);
    void noteSubtreeDeleted(RootKey root, std::string_view key);
    bool writeRecord();
    void putFilesBack();

    sqlite3* db_ = nullptr;
    std::unique_ptr<detail::StatementCache> statements_;
    bool writable_ = false;
    // Found sound when it was opened (checked, or unchanged since a session that checked it), and
    // no damage met since: the session closes it noting so (HiveFile.h).
    bool sound_ = false;
    bool damageMet_ = false;
    int busyTimeoutMs_ = 0;
    OpenReport report_;
    int batchDepth_ = 0;
    bool batchFailed_ = false;
    std::optional<Recording> recording_;
    std::uint64_t failureCount_ = 0;
    std::optional<StoreFailure> lastFailure_;
    KeyCache keyCache_;
    std::string keyName_;
    std::string nameFold_;
};

}  // namespace tunexa::store
