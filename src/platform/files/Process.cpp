#include "platform/files/Process.h"

#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tunexa::files {

namespace {

// A file in memory: the child's input and outputs go through these instead of pipes, so no
// poll loop is needed and a child that stops reading early cannot raise SIGPIPE here.
class MemoryFile {
  public:
    explicit MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {}
    ~MemoryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    int fd() const { return fd_; }

    bool put(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return ::lseek(fd_, 0, SEEK_SET) == 0;
    }

    std::string take() const {
        std::string bytes;
        char buffer[65536];
        off_t at = 0;
        for (;;) {
            const ssize_t got = ::pread(fd_, buffer, sizeof buffer, at);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return bytes;
            }
            bytes.append(buffer, static_cast<std::size_t>(got));
            at += got;
        }
    }

  private:
    int fd_;
};

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    out.reserve(texts.size() + 1);
    for (std::string& text : texts) {
        out.push_back(text.data());
    }
    out.push_back(nullptr);
    return out;
}

}  // namespace

ProcessOutcome runProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& environment, std::string_view input) {
    ProcessOutcome outcome;
    MemoryFile in("tunexa-in");
    MemoryFile out("tunexa-out");
    MemoryFile err("tunexa-err");
    if (argv.empty() || in.fd() < 0 || out.fd() < 0 || err.fd() < 0 || !in.put(input)) {
        outcome.startError = argv.empty() ? "no program named" : std::strerror(errno);
        return outcome;
    }
    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = environment;
    const auto argumentPointers = pointers(arguments);
    const auto variablePointers = pointers(variables);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd(), 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd(), 2);
    pid_t child = 0;
    const int spawned = argv[0].find('/') == std::string::npos
                            ? ::posix_spawnp(&child, arguments[0].c_str(), &actions, nullptr,
                                             argumentPointers.data(), variablePointers.data())
                            : ::posix_spawn(&child, arguments[0].c_str(), &actions, nullptr,
                                            argumentPointers.data(), variablePointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        outcome.startError = "cannot run " + argv[0] + ": " + std::strerror(spawned);
        return outcome;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            outcome.startError = "lost " + argv[0] + ": " + std::strerror(errno);
            return outcome;
        }
    }
    outcome.started = true;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = out.take();
    outcome.err = err.take();
    return outcome;
}

}  // namespace tunexa::files
