#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace tunexa::test {

// Runs `work` in a child process as the unprivileged user nobody (65534) when the tests run as
// root, so that file permissions hold; otherwise in a child as the same user. Gives what `work`
// returned (empty for success), or why the child failed.
std::string asUnprivileged(const std::function<std::string()>& work);

// Hands the folder and everything in it to the user asUnprivileged() runs as, and lets it reach
// the folder through the folders above.
void giveToUnprivileged(const std::filesystem::path& folder);

}  // namespace tunexa::test
