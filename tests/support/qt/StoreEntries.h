#pragma once

// The hive as short texts, for tests that seed it and compare what it holds. An entry reads
// "<key>:<value name>=<type><data>": type s is text (its bytes as they are), d a double word
// (decimal), b binary (hex bytes), x<code>: any other type (hex bytes); nothing after "=" stands
// for an absent value. <key> is a short name of a key the panels use (see StoreEntries.cpp).

#include <string>
#include <vector>

struct sqlite3;

namespace tunexa::test {

using StoreEntries = std::vector<std::string>;

// Writes each entry under HKEY_LOCAL_MACHINE; an absent one is deleted.
void seedStore(const StoreEntries& entries);

// Every value under the named keys, sorted.
StoreEntries storeEntries(const std::vector<std::string>& keys);

// The entry for one "<key>:<value name>" as it is stored now.
std::string storeEntry(const std::string& keyAndName);

// Holds a write transaction on the hive file from a second connection, as another program would,
// with the hive's busy timeout cut short: every write fails until the lock goes away.
class StoreLock {
  public:
    StoreLock();
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

  private:
    sqlite3* other_ = nullptr;
};

}  // namespace tunexa::test
