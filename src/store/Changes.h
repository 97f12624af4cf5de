#pragma once

// The change record: every action that writes settings is one change, kept in the hive with the
// exact before- and after-image of each value, key and file it touched, written in the same
// transaction as the change itself, so that after a crash there is never one without the other.
// Undo (Undo.h) and profiles (Profiles.h) build on it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunexa::store {

class Hive;

using RootKey = std::uint32_t;
using Bytes = std::vector<std::uint8_t>;

struct RawValue {
    std::uint32_t type = 0;
    Bytes data;

    bool operator==(const RawValue&) const = default;
};

// The newest changes kept; older ones are dropped as new ones come.
inline constexpr std::size_t kKeptChanges = 500;

enum class ItemKind { Value = 0, Key = 1, File = 2 };

// One thing a change touched and its state before and after: nothing for absent; a value's
// type and bytes; an existing key as type 0 without bytes; a file's bytes with type 0.
struct ChangeItem {
    ItemKind kind = ItemKind::Value;
    RootKey root = 0;  // values and keys
    // Values and keys: the key's path below the root as it is spelled (Windows-1252).
    // Files: the host file's path (UTF-8).
    std::string key;
    // Values: the value's name (Windows-1252). Files: the name shown to the user (UTF-8),
    // e.g. "C:\tunexa.bat". Keys: empty.
    std::string name;
    std::optional<RawValue> before;
    std::optional<RawValue> after;
};

struct ChangeInfo {
    std::int64_t id = 0;
    std::int64_t time = 0;  // seconds since 1970, UTC
    std::string title;      // UTF-8
    // Set when the record cannot be trusted (a hand-edited store); it is shown, never undone.
    std::string damage;
};

struct ChangeRecord {
    ChangeInfo info;
    std::vector<ChangeItem> items;
};

// How a change reads and writes the files it records. The store itself writes no file; the
// platform layer provides the real one (platform/files/FileImages.h).
class FileAccess {
  public:
    virtual ~FileAccess() = default;
    // The file's bytes; nothing when it does not exist. Fails (nothing, with `why`) when it
    // exists but cannot be read.
    virtual std::optional<Bytes> read(const std::string& hostPath, std::string& why) = 0;
    // Puts the file in the given state: replaced whole (never half written), or removed.
    virtual bool write(const std::string& hostPath, const std::optional<Bytes>& content,
                       std::string& why) = 0;
};

// One change, open from construction to commit(). Writes through the hive (the seven registry
// operations, batches and the engine's routines included) become part of it. Files are written
// by the caller first, then handed to addFile(); if the change does not commit, they are put
// back. Not committed when it goes away means rolled back.
class Change {
  public:
    Change(Hive& hive, std::string title, FileAccess* files = nullptr);
    ~Change();
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

    void addFile(ChangeItem file);
    // True when everything was saved (with its record). False leaves the store and the files as
    // they were; the hive's lastFailure() says why.
    bool commit();

  private:
    Hive& hive_;
    bool open_ = false;
};

// The title of the change that undoes `title`: "Undo X" becomes "Redo X" and back.
std::string undoTitle(const std::string& title);

}  // namespace tunexa::store
