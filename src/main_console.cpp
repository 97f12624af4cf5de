// Stand-in program until the window exists: opens the default hive and says where it is.
#include <iostream>

#include "store/Registry.h"

int main() {
    const auto& report = tunexa::store::currentHive().report();
    std::cout << "Tunexa settings store: " << report.path.string() << '\n';
    if (!report.detail.empty()) {
        std::cout << report.detail << '\n';
    }
    return 0;
}
