#include "engine/DisplayClass.h"

#include <cstdio>

#include "store/Registry.h"

namespace tunexa::engine {

namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr int kHighestClass = 5;

std::string classKeyPath(int number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", number);
    return std::string(kDisplayClassKey) + "\\" + digits;
}

SettingValue readText(const std::string& key, std::string_view name) {
    return SettingValue::fromOptionalText(store::RegGetString(HKEY_LOCAL_MACHINE, key, name));
}

}  // namespace

std::optional<DisplayClassMatch> ScanDisplayClasses(std::span<const std::string_view> driverFiles,
                                                    const DisplayClassAction& onMatch) {
    return ScanDisplayClassesIn(
        [](const std::string& defaultKey) {
            return store::RegGetString(HKEY_LOCAL_MACHINE, defaultKey, "minivdd");
        },
        driverFiles, onMatch);
}

std::optional<DisplayClassMatch> ScanDisplayClassesIn(const MinivddReader& minivdd,
                                                      std::span<const std::string_view> driverFiles,
                                                      const DisplayClassAction& onMatch) {
    std::optional<DisplayClassMatch> last;
    for (const std::string_view driverFile : driverFiles) {
        for (int number = kHighestClass; number >= 0; --number) {
            DisplayClassMatch candidate;
            candidate.classKey = classKeyPath(number);
            candidate.defaultKey = candidate.classKey + "\\DEFAULT";
            const auto file = minivdd(candidate.defaultKey);
            if (!file || *file != driverFile) {
                continue;
            }
            candidate.driverFile = std::string(driverFile);
            if (onMatch) {
                onMatch(candidate);
            }
            last = std::move(candidate);
        }
    }
    return last;
}

std::optional<DisplayClassMatch> ScanDisplayClasses(
    std::initializer_list<std::string_view> driverFiles, const DisplayClassAction& onMatch) {
    return ScanDisplayClasses(
        std::span<const std::string_view>(driverFiles.begin(), driverFiles.size()), onMatch);
}

bool ReadTNTDriverInfo(DriverSettings& settings) {
    const auto match = ScanDisplayClasses({kTNTDriverFile}, [&](const DisplayClassMatch& found) {
        settings.TNT.DriverDesc = readText(found.classKey, "DriverDesc");
        settings.TNT.DriverDate = readText(found.classKey, "DriverDate");
    });
    return match.has_value();
}

bool ReadTNTDriverInfo() {
    return ReadTNTDriverInfo(driverSettings());
}

bool FindBansheeClassKey(DriverSettings& settings) {
    const auto match = ScanDisplayClasses(kBansheeDriverFiles, [&](const DisplayClassMatch& found) {
        settings.BanClock.ClassKey = found.defaultKey;
        settings.BanClock.grxclock = readText(found.defaultKey, "grxclock");
        settings.BanClock.memclock = readText(found.defaultKey, "memclock");
    });
    return match.has_value();
}

bool FindBansheeClassKey() {
    return FindBansheeClassKey(driverSettings());
}

}  // namespace tunexa::engine
