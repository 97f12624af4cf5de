#include "TempRoot.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace tunexa::test {

namespace {

std::filesystem::path makeTempFolder(const char* prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    return pattern;
}

std::filesystem::path isolatedFolder;  // set once, before any test runs

}  // namespace

TempDir::TempDir() : path_(makeTempFolder("tunexa-test-")) {}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::filesystem::is_regular_file(file)
               ? std::string(std::istreambuf_iterator<char>(in), {})
               : std::string();
}

std::string putFile(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    return file.string();
}

std::string damageKeepingTime(const std::filesystem::path& file) {
    const auto time = std::filesystem::last_write_time(file);
    const auto size = std::filesystem::file_size(file);
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).seekp(4096)
        << std::string(size > 4096 ? size - 4096 : 0, '\xFF');
    std::filesystem::last_write_time(file, time);
    return fileBytes(file);
}

void isolateUserFolders() {
    auto root = makeTempFolder("tunexa-home-");
    std::filesystem::create_directories(root / "data");
    std::filesystem::create_directories(root / "config");
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("HOME", root.c_str(), 1);
    isolatedFolder = root;
}

std::filesystem::path isolatedRoot() {
    return isolatedFolder;
}

}  // namespace tunexa::test
