// Crash and concurrency behaviour of the hive, with real processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>

#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::store {
namespace {

constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;

std::string keyFor(int i) {
    return "Crash\\Key" + std::to_string(i % 37);
}
std::string nameFor(int i) {
    return "Value" + std::to_string(i);
}

// Child: writes forever, alternating single writes and recorded changes, and reports on the
// pipe the number of every write the store acknowledged.
[[noreturn]] void writeUntilKilled(const std::filesystem::path& file, int reportFd) {
    useHiveFile(file);
    for (int i = 0;; ++i) {
        FailureWatch watch;
        if (i % 3 == 0) {
            Change change(currentHive(), "write " + std::to_string(i));
            RegSetString(HKLM, keyFor(i), nameFor(i), std::to_string(i));
            RegSetDword(HKLM, keyFor(i), nameFor(i) + "d", i);
            if (!change.commit()) {
                continue;
            }
        } else {
            RegSetString(HKLM, keyFor(i), nameFor(i), std::to_string(i));
            RegSetDword(HKLM, keyFor(i), nameFor(i) + "d", i);
        }
        if (!watch.failed()) {
            const std::string line = std::to_string(i) + "\n";
            if (write(reportFd, line.data(), line.size()) < 0) {
                _exit(3);
            }
        }
    }
}

std::string integrityOf(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    std::string verdict;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        verdict = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return verdict;
}

TEST(Durability, EveryAcknowledgedWriteSurvivesSigkill) {
    for (int round = 0; round < 4; ++round) {
        test::TempDir dir;
        const auto file = dir / "registry.db";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            writeUntilKilled(file, fds[1]);
        }
        close(fds[1]);

        // Let the child get some way in, varying the moment of the kill from round to round.
        FILE* reports = fdopen(fds[0], "r");
        std::set<int> acknowledged;
        int number = 0;
        const int wanted = 40 + round * 35;
        while (static_cast<int>(acknowledged.size()) < wanted &&
               fscanf(reports, "%d", &number) == 1) {
            acknowledged.insert(number);
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        while (fscanf(reports, "%d", &number) == 1) {
            acknowledged.insert(number);  // written before the kill landed
        }
        fclose(reports);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        ASSERT_GE(static_cast<int>(acknowledged.size()), wanted);

        EXPECT_EQ(integrityOf(file), "ok");
        useHiveFile(file);
        EXPECT_EQ(currentHive().report().outcome, OpenOutcome::Opened);
        for (int i : acknowledged) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), nameFor(i)), std::to_string(i)) << i;
            EXPECT_EQ(RegGetDword(HKLM, keyFor(i), nameFor(i) + "d"), i) << i;
        }
        // A change and its record: both or neither, also for the change the kill interrupted.
        std::set<std::string> titles;
        for (const ChangeInfo& info : currentHive().changes()) {
            titles.insert(info.title);
            const auto record = currentHive().changeRecord(info.id);
            ASSERT_TRUE(record.has_value());
            for (const ChangeItem& item : record->items) {
                if (item.kind == ItemKind::Value) {
                    EXPECT_EQ(currentHive().getValue(HKLM, item.key, item.name), item.after)
                        << info.title;
                }
            }
        }
        for (int i : acknowledged) {
            EXPECT_TRUE(i % 3 != 0 || titles.contains("write " + std::to_string(i))) << i;
        }
        useHive(nullptr);
    }
}

constexpr int kWriters = 4;
constexpr int kValuesEach = 60;
constexpr int kIncrementsEach = 40;

// Child: its own values, a value every writer shares, and read-modify-write increments of a
// shared counter. Exit code 0 only if the store reported no failure at all.
[[noreturn]] void writeAlongsideOthers(const std::filesystem::path& file, int writer) {
    useHiveFile(file);
    FailureWatch watch;
    for (int i = 0; i < kValuesEach; ++i) {
        RegSetDword(HKLM, "Shared\\Writer" + std::to_string(writer), "V" + std::to_string(i), i);
        RegSetString(HKLM, "Shared", "Last", "writer " + std::to_string(writer));
        if (i < kIncrementsEach) {
            Batch batch;
            const auto count = RegGetDword(HKLM, "Shared", "Counter");
            RegSetDword(HKLM, "Shared", "Counter", count + 1);
            if (!batch.commit()) {
                _exit(2);
            }
        }
    }
    _exit(watch.failed() ? 1 : 0);
}

TEST(Durability, ConcurrentWritersLoseNothing) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    Hive::open(file);  // create it once, as the program would have
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            writeAlongsideOthers(file, w);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "a writer saw a store failure";
    }
    useHiveFile(file);
    EXPECT_EQ(RegGetDword(HKLM, "Shared", "Counter"), kWriters * kIncrementsEach);
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValuesEach; ++i) {
            EXPECT_EQ(
                RegGetDword(HKLM, "Shared\\Writer" + std::to_string(w), "V" + std::to_string(i)),
                i);
        }
    }
    const auto last = RegGetString(HKLM, "Shared", "Last");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->rfind("writer ", 0), 0u);
    useHive(nullptr);
}

}  // namespace
}  // namespace tunexa::store
