#include "NameLimits.h"

#include <algorithm>

#include "store/Limits.h"

namespace tunexa::regtool {

std::optional<std::string> keyPathRefusal(std::string_view path) {
    std::size_t depth = 0;
    std::size_t longest = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            ++depth;
            longest = std::max(longest, end - start);
        }
        start = end + 1;
    }
    return keyRefusal(depth, longest);
}

std::optional<std::string> keyRefusal(std::size_t depth, std::size_t longest) {
    if (depth > store::kMaxKeyDepth) {
        return "the key is " + std::to_string(depth) + " levels deep, more than the " +
               std::to_string(store::kMaxKeyDepth) + " the registry allows";
    }
    if (longest > store::kMaxKeyNameLength) {
        return "a key name of " + std::to_string(longest) + " characters is longer than the " +
               std::to_string(store::kMaxKeyNameLength) + " the registry allows";
    }
    return std::nullopt;
}

std::optional<std::string> valueNameRefusal(std::string_view name) {
    if (name.size() > store::kMaxValueNameLength) {
        return "a value name of " + std::to_string(name.size()) +
               " characters is longer than the " + std::to_string(store::kMaxValueNameLength) +
               " the registry allows";
    }
    return std::nullopt;
}

}  // namespace tunexa::regtool
