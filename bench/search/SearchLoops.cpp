#include "SearchLoops.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "launcher/core/FileMethods.h"

extern char** environ;

namespace tunexa::bench {

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (std::string& text : texts) {
        out.push_back(text.data());
    }
    out.push_back(nullptr);
    return out;
}

}  // namespace

void timeSearch(benchmark::State& state, const files::Drives& drives, std::size_t programs) {
    for (auto _ : state) {
        std::vector<std::string> found;
        launcher::SearchFileTree("C:\\", "hl.exe", found, {}, drives);
        if (found.size() != programs) {
            state.SkipWithError("the search missed programs");
            break;
        }
        benchmark::DoNotOptimize(found.data());
    }
}

void timeProgram(benchmark::State& state, std::vector<std::string> argv,
                 std::vector<std::string> environment) {
    const auto arguments = pointers(argv);
    const auto variables = pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(),
                         environment.empty() ? environ : variables.data()) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError((argv[0] + " failed").c_str());
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace tunexa::bench
