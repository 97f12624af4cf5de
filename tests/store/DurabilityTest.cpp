// Crash and concurrency behaviour of the hive, with real processes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <set>

#include "StoreTestSupport.h"

namespace tunexa::store {
namespace {

TEST(Durability, EveryAcknowledgedWriteSurvivesSigkill) {
    const auto keyFor = [](int i) { return "Crash\\Key" + std::to_string(i % 37); };
    const auto nameFor = [](int i) { return "Value" + std::to_string(i); };
    for (unsigned round = 0; round < 4; ++round) {
        test::TempDir dir;
        const auto file = dir / "registry.db";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        // The child writes until it is killed, alternating single writes and recorded changes,
        // and reports the number of every write the store acknowledged.
        if (child == 0) {
            useHiveFile(file);
        }
        for (int i = 0; child == 0; ++i) {
            FailureWatch watch;
            std::optional<Change> change;
            if (i % 3 == 0) {
                change.emplace(currentHive(), "write " + std::to_string(i));
            }
            RegSetString(HKLM, keyFor(i), nameFor(i), std::to_string(i));
            RegSetDword(HKLM, keyFor(i), nameFor(i) + "d", i);
            const std::string line = std::to_string(i) + "\n";
            if ((!change || change->commit()) && !watch.failed() &&
                write(fds[1], line.data(), line.size()) < 0) {
                _exit(3);
            }
        }
        close(fds[1]);

        // Let the child get some way in, varying the moment of the kill from round to round; what
        // it reported until then was written before the kill landed.
        FILE* reports = fdopen(fds[0], "r");
        std::set<int> acknowledged;
        for (int number = 0; fscanf(reports, "%d", &number) == 1;) {
            acknowledged.insert(number);
            if (acknowledged.size() == 40u + round * 35u) {
                kill(child, SIGKILL);
            }
        }
        fclose(reports);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

        // Opening checks the file's integrity: a damaged hive would be moved aside.
        EXPECT_EQ(useHiveFile(file).outcome, OpenOutcome::Opened);
        for (int i : acknowledged) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), nameFor(i)), std::to_string(i)) << i;
            EXPECT_EQ(RegGetDword(HKLM, keyFor(i), nameFor(i) + "d"), i) << i;
        }
        // A change and its record: both or neither, also for the change the kill interrupted.
        std::set<std::string> titles;
        for (const ChangeInfo& info : currentHive().changes()) {
            titles.insert(info.title);
            const auto record = currentHive().changeRecord(info.id);
            EXPECT_TRUE(record && record->info.damage.empty()) << info.title;
        }
        for (int i = 0; i < *acknowledged.rbegin() + 10; i += 3) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), nameFor(i)).has_value(),
                      titles.contains("write " + std::to_string(i)))
                << i;
        }
        useHive(nullptr);
    }
}

constexpr int kWriters = 4;
constexpr int kWritesEach = 40;

TEST(Durability, ConcurrentWritersLoseNothing) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    Hive::open(file);  // create it once, as the program would have
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        children.push_back(fork());
        ASSERT_GE(children.back(), 0);
        if (children.back() != 0) {
            continue;
        }
        // Values of its own, and read-modify-write increments, each in a batch, of a counter
        // all share. Exit code 0 only if the store reported no failure at all.
        useHiveFile(file);
        FailureWatch watch;
        for (int i = 0; i < kWritesEach; ++i) {
            RegSetDword(HKLM, "Shared\\Writer" + std::to_string(w), "V" + std::to_string(i), i);
            Batch batch;
            RegSetDword(HKLM, "Shared", "Counter", RegGetDword(HKLM, "Shared", "Counter") + 1);
            if (!batch.commit()) {
                _exit(2);
            }
        }
        _exit(watch.failed() ? 1 : 0);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer saw a failure";
    }
    useHiveFile(file);
    EXPECT_EQ(RegGetDword(HKLM, "Shared", "Counter"), kWriters * kWritesEach);
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_EQ(currentHive().values(HKLM, "Shared\\Writer" + std::to_string(w)).size(),
                  std::size_t{kWritesEach});
    }
    useHive(nullptr);
}

}  // namespace
}  // namespace tunexa::store
