#pragma once

// The hive as a file: who may read it, whether it can be written, its journal side files, and
// moving a damaged one aside. Every call to the operating system the store makes is here. Not for
// use outside src/store.

#include <filesystem>
#include <optional>
#include <string>

namespace tunexa::store::detail {

// Makes the file when it is missing: its folder 0700, the file itself 0600 before SQLite opens
// it (SQLite gives the journal files the hive's mode). Drops group and other permissions of an
// existing file, never adds any. True when the file was there already.
bool makePrivateFile(const std::filesystem::path& file);

// Why the file or its folder cannot be written, in words a user understands; empty when it can.
std::string writeProtection(const std::filesystem::path& file);

// Gives the hive's journal side files back to the hive: one left unwritable by a session that
// could only read is made writable again, or removed when it is someone else's and unused.
void repairSideFiles(const std::filesystem::path& file);

// The path as an SQLite URI filename.
std::string fileUri(const std::filesystem::path& file);

// Renames a damaged hive, with its side files, to "<file>.damaged-<local time>" and makes an
// empty private file in its place. The new name, or nothing with `error` set.
std::optional<std::filesystem::path> moveAside(const std::filesystem::path& file,
                                               std::string& error);

}  // namespace tunexa::store::detail
