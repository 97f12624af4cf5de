#pragma once

// Profiles: named copies of every value Tunexa manages (and the files it writes), kept in the
// store under HKLM\Software\Tunexa\Tunexa\Profiles\<name> so that an export carries them, and
// put back exactly in one change. Which values and files a profile covers is the caller's table.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Changes.h"

namespace tunexa::store {

inline constexpr std::string_view kProfilesKey = "Software\\Tunexa\\Tunexa\\Profiles";
inline constexpr std::size_t kMaxProfileNameLength = 64;

struct ManagedValue {
    std::string key;  // below HKEY_LOCAL_MACHINE, Windows-1252
    std::string name;
};

struct ManagedFile {
    std::string shownName;  // "C:\tunexa.bat", Windows-1252; also its value name in the profile
    std::string hostPath;   // UTF-8
};

struct ManagedSet {
    std::vector<ManagedValue> values;
    std::vector<ManagedFile> files;
};

// Why `name` (Windows-1252) cannot name a profile, in words; nothing when it can.
std::optional<std::string> profileNameProblem(std::string_view name);

// The profiles' names as they were saved, in case-insensitive order.
std::vector<std::string> profileNames(Hive& hive);

// Each is one change. False when the name is refused, unknown, or the store refused (the hive's
// lastFailure() says why).
//
// Save: the state of every managed value and key and the bytes of every managed file that
// exists; a profile of the same name (in any case) is replaced.
bool saveProfile(Hive& hive, FileAccess* files, std::string_view name, const ManagedSet& set);
// Apply: every managed key the profile covers gets exactly the profile's values (values absent
// from the profile are deleted); a managed key the profile does not cover (the Banshee's display
// class of another machine) is left alone; a file is written when the profile holds it.
bool applyProfile(Hive& hive, FileAccess* files, std::string_view name, const ManagedSet& set);
bool deleteProfile(Hive& hive, std::string_view name);

// The managed values and files are exactly as the profile holds them.
bool profileMatches(Hive& hive, FileAccess* files, std::string_view name, const ManagedSet& set);

// Files read once and remembered: for comparing every profile with the same files (on a disk
// image each read runs mtools). A write goes through and forgets what was read of that file.
class ReadOnceFiles final : public FileAccess {
  public:
    explicit ReadOnceFiles(FileAccess& files) : files_(files) {}
    std::optional<Bytes> read(const std::string& hostPath, std::string& why) override;
    bool write(const std::string& hostPath, const std::optional<Bytes>& content,
               std::string& why) override;

  private:
    struct Read {
        std::optional<Bytes> bytes;
        std::string why;
    };
    FileAccess& files_;
    std::map<std::string, Read> read_;
};

}  // namespace tunexa::store
