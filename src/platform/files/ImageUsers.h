#pragma once

// Whether another program has a disk image open, so that nothing is written into it while an
// emulator runs from it: every process's open files are looked through (/proc/<pid>/fd) for the
// image's device and inode, then the image is probed for locks (QEMU takes open-file-description
// locks on its images; others take POSIX locks or flock), which also finds holders that /proc
// does not show, such as processes of another user.

#include <filesystem>
#include <optional>
#include <string>

namespace tunexa::files {

// "qemu-system-i386 (process 4242)" for the first other process found holding the image, or
// "a program that holds a lock on it" when only a lock shows; nothing when the image is free.
// This process and its children that have ended are not counted.
std::optional<std::string> imageHolder(const std::filesystem::path& image);

}  // namespace tunexa::files
