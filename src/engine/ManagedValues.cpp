#include "engine/ManagedValues.h"

#include <set>
#include <span>
#include <utility>

#include "store/Ansi.h"

namespace tunexa::engine {

std::vector<ValueName> managedValues(const DriverSettings& settings) {
    std::vector<ValueName> values;
    std::set<std::pair<std::string, std::string>> seen;
    const auto add = [&](ValueName value) {
        if (seen.emplace(ansi::fold(value.key), ansi::fold(value.name)).second) {
            values.push_back(std::move(value));
        }
    };
    for (const std::string_view card : {kCardTNT, kCardVoodoo2, kCardBanshee}) {
        for (ValueName& value : DriverValueNames(card, settings)) {
            add(std::move(value));
        }
    }
    const std::pair<std::string_view, std::span<const std::string_view>> liveKeys[] = {
        {kMatroxKey, kMatroxValues}, {kUnrealKey, kUnrealValues}, {kVoodooKey, kVoodooValues}};
    for (const auto& [key, names] : liveKeys) {
        for (const std::string_view name : names) {
            add(ValueName{std::string(key), std::string(name)});
        }
    }
    return values;
}

store::ManagedSet managedSet(
    const DriverSettings& settings,
    const std::function<std::optional<std::string>(std::string_view)>& locationOf) {
    store::ManagedSet set;
    set.values = managedValues(settings);
    for (const std::string_view windowsPath : kManagedFiles) {
        if (auto location = locationOf(windowsPath)) {
            // The shown name keeps the drive letter in capitals, as Windows writes it.
            std::string shown(windowsPath);
            if (shown[0] >= 'a' && shown[0] <= 'z') {
                shown[0] = static_cast<char>(shown[0] - 'a' + 'A');
            }
            set.files.push_back(store::ManagedFile{shown, std::move(*location)});
        }
    }
    return set;
}

}  // namespace tunexa::engine
