#pragma once

// tunexa-reg run inside the test's process on a hive: its arguments, separated by '|', and its
// standard input; its exit code and what it printed.

#include <sstream>
#include <string>
#include <vector>

#include "Command.h"

namespace tunexa::test {

struct RegOutcome {
    int code;
    std::string out, err;
};

inline RegOutcome runReg(store::Hive& hive, const std::string& args,
                         const std::string& input = "") {
    std::vector<std::string> list;
    for (std::size_t start = 0; !args.empty() && start <= args.size();) {
        const auto end = std::min(args.find('|', start), args.size());
        list.push_back(args.substr(start, end - start));
        start = end + 1;
    }
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = regtool::run(hive, list, in, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace tunexa::test
