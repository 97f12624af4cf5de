#pragma once

// What the search benchmarks time: the drive search, and the program it is measured against.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/files/Drives.h"

namespace tunexa::bench {

// "Find Half-Life" over drive C:, checking that it finds every one of `programs` copies.
void timeSearch(benchmark::State& state, const files::Drives& drives, std::size_t programs);

// A program run to its end, its output thrown away; `environment` empty: this process's.
void timeProgram(benchmark::State& state, std::vector<std::string> argv,
                 std::vector<std::string> environment = {});

}  // namespace tunexa::bench
