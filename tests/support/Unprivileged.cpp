#include "Unprivileged.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

namespace tunexa::test {

namespace {
constexpr uid_t kNobody = 65534;
}

std::string asUnprivileged(const std::function<std::string()>& work) {
    std::array<int, 2> pipeEnds{};
    if (::pipe(pipeEnds.data()) != 0) {
        return "cannot make a pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            _exit(2);
        }
        const std::string result = work();
        const bool sent = ::write(pipeEnds[1], result.data(), result.size()) ==
                          static_cast<ssize_t>(result.size());
        _exit(sent ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::string result;
    std::array<char, 512> buffer{};
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) {
        result.append(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the unprivileged child failed (status " + std::to_string(status) + ")";
    }
    return result;
}

void giveToUnprivileged(const std::filesystem::path& folder) {
    if (::geteuid() != 0) {
        return;
    }
    for (auto up = folder.parent_path(); !up.empty() && up != up.root_path();
         up = up.parent_path()) {
        struct stat info {};
        if (::stat(up.c_str(), &info) == 0) {
            ::chmod(up.c_str(), info.st_mode | S_IXOTH);
        }
    }
    if (::chown(folder.c_str(), kNobody, kNobody) != 0) {
        return;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) {
            return;
        }
    }
}

}  // namespace tunexa::test
