#pragma once

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <string_view>

namespace tunexa::test {

// A fresh temporary folder, removed again when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// A file's bytes (empty for a folder or a missing file), and a file written with its folders.
std::string fileBytes(const std::filesystem::path& file);
std::string putFile(const std::filesystem::path& file, std::string_view bytes);

// While it lives, no file of this process grows past `bytes`: a write that would fails part-way,
// as on a full disk (permissions would not stop the tests, which run as root).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*handler_)(int) = std::signal(SIGXFSZ, SIG_IGN);
};
// Overwrites everything after the first 4 KiB (a hive's pages after its first) and sets the
// file's modification time back, as another program might. The damaged bytes.
std::string damageKeepingTime(const std::filesystem::path& file);

// Points XDG_DATA_HOME and XDG_CONFIG_HOME of this process at a private temporary folder.
// The test mains call it before any test runs.
void isolateUserFolders();

// The folder isolateUserFolders() chose.
std::filesystem::path isolatedRoot();

}  // namespace tunexa::test
