// tunexa-reg: reg.exe's QUERY, ADD, DELETE, EXPORT and IMPORT over Tunexa's settings store.
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "store/Registry.h"

int main(int argc, char** argv) {
    using tunexa::store::OpenOutcome;
    auto& hive = tunexa::store::currentHive();
    const auto& report = hive.report();
    if (report.outcome == OpenOutcome::Unavailable) {
        std::cerr << "ERROR: The settings store " << report.path.string()
                  << " cannot be opened: " << report.detail << '\n';
        return 1;
    }
    if (report.outcome == OpenOutcome::ReplacedDamaged) {
        std::cerr << "WARNING: The settings store " << report.path.string()
                  << " was damaged; it was moved to " << report.movedAsideTo.string()
                  << " and an empty one took its place.\n";
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int exitCode = tunexa::regtool::run(hive, args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return exitCode;
}
