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

// Held while a process opens the hive (its folder locked with flock, which SQLite's own locks do
// not see): processes opening the same hive at the same moment, a new one above all, take turns,
// each waiting in the kernel rather than in SQLite's sleep-and-retry for the one making it.
class OpeningTurn {
  public:
    explicit OpeningTurn(const std::filesystem::path& file);
    ~OpeningTurn();
    OpeningTurn(const OpeningTurn&) = delete;
    OpeningTurn& operator=(const OpeningTurn&) = delete;

  private:
    int folder_ = -1;
};

// The integrity check reads every page of the hive. A session that found the file sound and
// closed it cleanly leaves a note of the file as it left it ("<file>.checked": device, inode,
// size and times of the file and of its log): while the file is still exactly so, nothing but
// Tunexa has touched it since, and the next session need not check it again. Any change the
// note does not record (a session that crashed, another program, a copy put in its place)
// changes the file's times, which nobody can set back by hand, and the check runs.
bool stillAsChecked(const std::filesystem::path& file);
void noteChecked(const std::filesystem::path& file);
void forgetChecked(const std::filesystem::path& file);

}  // namespace tunexa::store::detail
