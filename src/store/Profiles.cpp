#include "store/Profiles.h"

#include <map>

#include "store/Ansi.h"
#include "store/Hive.h"
#include "store/Registry.h"

namespace tunexa::store {

namespace {

std::string profileKey(std::string_view name) {
    return std::string(kProfilesKey) + "\\" + std::string(name);
}

std::string mirrorKey(std::string_view name, std::string_view key) {
    return profileKey(name) + "\\" + std::string(key);
}

// Each managed key once, in the order first named.
std::vector<std::string> managedKeys(const ManagedSet& set) {
    std::vector<std::string> keys;
    std::map<std::string, bool> seen;
    for (const ManagedValue& value : set.values) {
        if (seen.emplace(ansi::fold(value.key), true).second) {
            keys.push_back(value.key);
        }
    }
    return keys;
}

bool refuse(Hive& hive, std::string message) {
    return hive.reportFailure("profile", std::move(message));
}

bool checkedName(Hive& hive, std::string_view name) {
    if (const auto problem = profileNameProblem(name)) {
        return refuse(hive, *problem);
    }
    return true;
}

std::string shown(std::string_view name) {
    return "\"" + ansi::toUtf8(name) + "\"";
}

// A managed file's bytes as the profile holds them, when it holds them.
std::optional<Bytes> profileFile(Hive& hive, std::string_view name, const ManagedFile& file) {
    const auto value = hive.getValue(HKEY_LOCAL_MACHINE, profileKey(name), file.shownName);
    if (!value || value->type != REG_BINARY) {
        return std::nullopt;
    }
    return value->data;
}

}  // namespace

std::optional<std::string> profileNameProblem(std::string_view name) {
    if (name.empty()) {
        return "A profile needs a name.";
    }
    if (name.size() > kMaxProfileNameLength) {
        return "A profile name can be at most " + std::to_string(kMaxProfileNameLength) +
               " characters long.";
    }
    for (const unsigned char c : name) {
        if (c == '\\') {
            return "A profile name cannot hold a backslash (\\).";
        }
        // Control characters, and the five bytes Windows-1252 leaves undefined.
        if (c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 ||
            c == 0x9D) {
            return "A profile name cannot hold control characters.";
        }
    }
    return std::nullopt;
}

std::vector<std::string> profileNames(Hive& hive) {
    return hive.subkeys(HKEY_LOCAL_MACHINE, kProfilesKey);
}

bool saveProfile(Hive& hive, FileAccess* files, std::string_view name, const ManagedSet& set) {
    if (!checkedName(hive, name)) {
        return false;
    }
    Change change(hive, "Save profile " + shown(name), files);
    hive.deleteKeyTree(HKEY_LOCAL_MACHINE, profileKey(name));
    hive.createKey(HKEY_LOCAL_MACHINE, profileKey(name));
    // Every managed key is covered, also one that holds nothing: applying then empties it.
    for (const std::string& key : managedKeys(set)) {
        hive.createKey(HKEY_LOCAL_MACHINE, mirrorKey(name, key));
    }
    for (const ManagedValue& managed : set.values) {
        if (const auto value = hive.getValue(HKEY_LOCAL_MACHINE, managed.key, managed.name)) {
            hive.setValue(HKEY_LOCAL_MACHINE, mirrorKey(name, managed.key), managed.name,
                          value->type, value->data);
        }
    }
    for (const ManagedFile& file : set.files) {
        std::string why;
        const auto bytes = files != nullptr ? files->read(file.hostPath, why) : std::nullopt;
        if (!why.empty()) {
            return refuse(hive, ansi::toUtf8(file.shownName) + " cannot be read: " + why);
        }
        if (bytes) {
            hive.setValue(HKEY_LOCAL_MACHINE, profileKey(name), file.shownName, REG_BINARY, *bytes);
        }
    }
    return change.commit();
}

bool applyProfile(Hive& hive, FileAccess* files, std::string_view name, const ManagedSet& set) {
    if (!checkedName(hive, name)) {
        return false;
    }
    if (!hive.keyExists(HKEY_LOCAL_MACHINE, profileKey(name))) {
        return refuse(hive, "There is no profile " + shown(name) + ".");
    }
    const std::string stored =
        hive.storedPath(HKEY_LOCAL_MACHINE, profileKey(name)).value_or(profileKey(name));
    Change change(hive, "Apply profile " + shown(stored.substr(kProfilesKey.size() + 1)), files);
    for (const ManagedFile& file : set.files) {
        const auto bytes = profileFile(hive, name, file);
        if (!bytes) {
            continue;
        }
        std::string why;
        const auto before = files != nullptr ? files->read(file.hostPath, why) : std::nullopt;
        if (files == nullptr || !why.empty() || !files->write(file.hostPath, bytes, why)) {
            return refuse(hive, ansi::toUtf8(file.shownName) + " cannot be written: " + why);
        }
        change.addFile(ChangeItem{ItemKind::File, 0, file.hostPath, ansi::toUtf8(file.shownName),
                                  before ? std::optional(RawValue{0, *before}) : std::nullopt,
                                  RawValue{0, *bytes}});
    }
    for (const ManagedValue& managed : set.values) {
        const std::string mirror = mirrorKey(name, managed.key);
        if (!hive.keyExists(HKEY_LOCAL_MACHINE, mirror)) {
            continue;
        }
        if (const auto value = hive.getValue(HKEY_LOCAL_MACHINE, mirror, managed.name)) {
            hive.setValue(HKEY_LOCAL_MACHINE, managed.key, managed.name, value->type, value->data);
        } else {
            hive.deleteValue(HKEY_LOCAL_MACHINE, managed.key, managed.name);
        }
    }
    return change.commit();
}

bool deleteProfile(Hive& hive, std::string_view name) {
    if (!checkedName(hive, name)) {
        return false;
    }
    if (!hive.keyExists(HKEY_LOCAL_MACHINE, profileKey(name))) {
        return refuse(hive, "There is no profile " + shown(name) + ".");
    }
    Change change(hive, "Delete profile " + shown(name));
    hive.deleteKeyTree(HKEY_LOCAL_MACHINE, profileKey(name));
    return change.commit();
}

std::optional<Bytes> ReadOnceFiles::read(const std::string& hostPath, std::string& why) {
    auto found = read_.find(hostPath);
    if (found == read_.end()) {
        Read fresh;
        fresh.bytes = files_.read(hostPath, fresh.why);
        found = read_.emplace(hostPath, std::move(fresh)).first;
    }
    why = found->second.why;
    return found->second.bytes;
}

bool ReadOnceFiles::write(const std::string& hostPath, const std::optional<Bytes>& content,
                          std::string& why) {
    read_.erase(hostPath);
    return files_.write(hostPath, content, why);
}

bool profileMatches(Hive& hive, FileAccess* files, std::string_view name, const ManagedSet& set) {
    if (profileNameProblem(name) || !hive.keyExists(HKEY_LOCAL_MACHINE, profileKey(name))) {
        return false;
    }
    for (const ManagedValue& managed : set.values) {
        const std::string mirror = mirrorKey(name, managed.key);
        if (hive.keyExists(HKEY_LOCAL_MACHINE, mirror) &&
            hive.getValue(HKEY_LOCAL_MACHINE, mirror, managed.name) !=
                hive.getValue(HKEY_LOCAL_MACHINE, managed.key, managed.name)) {
            return false;
        }
    }
    for (const ManagedFile& file : set.files) {
        const auto saved = profileFile(hive, name, file);
        std::string why;
        if (saved && (files == nullptr || files->read(file.hostPath, why) != saved)) {
            return false;
        }
    }
    return true;
}

}  // namespace tunexa::store
