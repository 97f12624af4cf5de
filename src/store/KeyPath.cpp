#include "store/KeyPath.h"

#include <algorithm>

namespace tunexa::store {

std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('\\'), path.size());
        if (end > 0) {
            parts.push_back(path.substr(0, end));
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return parts;
}

std::string tidyPath(std::string_view path) {
    std::string tidy;
    tidy.reserve(path.size());
    for (const std::string_view part : components(path)) {
        if (!tidy.empty()) {
            tidy += '\\';
        }
        tidy += part;
    }
    return tidy;
}

std::string joinPath(std::string_view parent, std::string_view child) {
    std::string path(parent);
    if (!path.empty() && !child.empty()) {
        path += '\\';
    }
    path += child;
    return path;
}

std::optional<std::string> keyRefusal(std::size_t depth, std::size_t longestName) {
    if (depth > kMaxKeyDepth) {
        return "the key is " + std::to_string(depth) + " levels deep, more than the " +
               std::to_string(kMaxKeyDepth) + " the registry allows";
    }
    if (longestName > kMaxKeyNameLength) {
        return "a key name of " + std::to_string(longestName) + " characters is longer than the " +
               std::to_string(kMaxKeyNameLength) + " the registry allows";
    }
    return std::nullopt;
}

std::optional<std::string> keyPathRefusal(std::string_view path) {
    const auto parts = components(path);
    std::size_t longest = 0;
    for (const std::string_view part : parts) {
        longest = std::max(longest, part.size());
    }
    return keyRefusal(parts.size(), longest);
}

std::optional<std::string> valueNameRefusal(std::string_view name) {
    if (name.size() > kMaxValueNameLength) {
        return "a value name of " + std::to_string(name.size()) +
               " characters is longer than the " + std::to_string(kMaxValueNameLength) +
               " the registry allows";
    }
    return std::nullopt;
}

}  // namespace tunexa::store
