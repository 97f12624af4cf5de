// What the store tests share: a fresh hive, values as printed lines, SQL from another
// connection, processes at once, an unprivileged child, and connections that refuse.
#pragma once

#include <gmock/gmock.h>
#include <grp.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "HiveTest.h"
#include "RegText.h"
#include "store/KeyPath.h"
#include "store/Profiles.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace tunexa::store::hive_test {

using namespace std::string_literals;
using namespace tunexa::test;  // the temporary folder, files and bytes of a text
namespace fs = std::filesystem;
using fs::perms;
using testing::HasSubstr;
constexpr auto npos = std::string::npos;
constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;
constexpr perms kPrivate = perms::owner_read | perms::owner_write;

// A value as the tests compare it: its type, then its bytes quoted when all are printable, else
// in hex; "-" for none. A key's image (type 0, no bytes) is "0''".
inline std::string image(const std::optional<RawValue>& value) {
    if (!value) {
        return "-";
    }
    const auto& data = value->data;
    const bool text =
        std::all_of(data.begin(), data.end(), [](auto c) { return c >= ' ' && c < 127; });
    std::string out = std::to_string(value->type) + (text ? "'" : ":");
    for (const std::uint8_t c : data) {
        out += text ? std::string(1, char(c))
                    : std::string{"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    }
    return text ? out + "'" : out;
}

// A key's values as "name=image", in the hive's order.
inline std::string shown(Hive& hive, HKEY root, std::string_view key) {
    std::string out;
    for (const auto& value : hive.values(root, key)) {
        out +=
            (out.empty() ? "" : " ") + value.name + "=" + image(RawValue{value.type, value.data});
    }
    return out;
}

inline perms modeOf(const fs::path& path) {
    return fs::status(path).permissions() & perms::all;
}

// A new modification time, as another program's write gives the file.
inline void touch(const fs::path& file) {
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(1));
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
        std::string ignored;
        const auto before = read(path, ignored);
        change.addFile(ChangeItem{ItemKind::File, 0, path, "C:\\" + path,
                                  before ? std::optional(RawValue{0, *before}) : std::nullopt,
                                  RawValue{0, bytes(content)}});
        files[path] = bytes(content);
    }

    std::map<std::string, Bytes> files;
};

// The test's hive, for the seven operations, and files in memory for the change record's tests.
class StoreTest : public HiveTest {
  protected:
    const fs::path file_ = dir_ / "registry.db";
    Hive& hive = currentHive();
    MemoryFiles files;
};

// Runs `work` in `count` child processes released at the same moment; true when each returned
// true.
inline bool inProcesses(int count, const std::function<bool(int)>& work) {
    int start[2];
    if (pipe(start) != 0) {
        return false;
    }
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        children.push_back(fork());
        if (children.back() == 0) {
            close(start[1]);
            char go = 0;
            _exit(read(start[0], &go, 1) == 0 && work(i) ? 0 : 1);
        }
    }
    close(start[0]);
    close(start[1]);
    bool succeeded = true;
    for (const pid_t child : children) {
        int status = 0;
        succeeded = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0 && succeeded;
    }
    return succeeded;
}

// Hands `folder` and everything in it to the user nobody (who may reach it through the folders
// above) and runs `work` in a child process as nobody, when the tests run as root, so that file
// permissions hold. True when `work` found nothing wrong; what it found goes to standard error.
inline bool asUnprivileged(const fs::path& folder, const std::function<std::string()>& work) {
    constexpr uid_t kNobody = 65534;
    std::error_code ignored;
    for (auto up = folder.parent_path(); ::geteuid() == 0 && up != up.root_path();
         up = up.parent_path()) {
        fs::permissions(up, perms::others_exec, fs::perm_options::add, ignored);
    }
    bool given = ::geteuid() == 0 && ::chown(folder.c_str(), kNobody, kNobody) == 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        given = given && ::lchown(entry.path().c_str(), kNobody, kNobody) == 0;
    }
    return inProcesses(1, [&](int) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            return false;
        }
        const std::string problem = work();
        std::fputs((problem + "\n").c_str(), stderr);
        return problem.empty();
    });
}

// While it lives, the `nth` SQLite connection the process opens refuses `action` (of the pragmas,
// the integrity check only) and counts its refusals in `refusals`, or with `action` 0 fails to
// open: how a test makes the store meet what a full disk or another program would.
inline int refusals = 0, refusingConnection = 0, refusedAction = 0, connections = 0;
inline int authorize(void*, int asked, const char* on, const char*, const char*, const char*) {
    const bool refuse = asked == refusedAction &&
                        (asked != SQLITE_PRAGMA || (on && std::string_view(on) == "quick_check"));
    refusals += refuse ? 1 : 0;
    return refuse ? SQLITE_DENY : SQLITE_OK;
}
inline int onOpen(sqlite3* db, char**, const sqlite3_api_routines*) {
    if (++connections != refusingConnection) {
        return SQLITE_OK;
    }
    return refusedAction == 0 ? SQLITE_CANTOPEN : sqlite3_set_authorizer(db, authorize, nullptr);
}
struct Refusal {
    Refusal(int nth, int action) {
        std::tie(refusingConnection, refusedAction, connections) = std::tuple(nth, action, 0);
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&onOpen));
    }
    ~Refusal() { sqlite3_reset_auto_extension(); }
};

}  // namespace tunexa::store::hive_test
