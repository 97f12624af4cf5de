#pragma once

// Running a helper program without a shell: an argument vector, an environment given whole (the
// caller's is not passed on), the standard input from memory and the outputs collected.

#include <string>
#include <string_view>
#include <vector>

namespace tunexa::files {

struct ProcessOutcome {
    bool started = false;
    int exitCode = -1;  // -1 when it did not start or ended by a signal
    std::string out;
    std::string err;
    std::string startError;  // why it did not start

    bool succeeded() const { return started && exitCode == 0; }
};

// Runs `argv[0]`, found through this process's PATH when it holds no "/", with `argv` and
// exactly `environment` ("NAME=value" each), `input` on its standard input, and waits for it.
ProcessOutcome runProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& environment, std::string_view input = {});

}  // namespace tunexa::files
