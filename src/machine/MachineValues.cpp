#include "machine/MachineValues.h"

#include <algorithm>
#include <iterator>

#include "engine/DisplayClass.h"
#include "engine/ManagedValues.h"
#include "engine/StoreKeys.h"
#include "regfile/Roots.h"
#include "store/Ansi.h"
#include "store/Registry.h"
#include "store/ValueText.h"

namespace tunexa::machine {

namespace {

using store::HKEY_LOCAL_MACHINE;
using store::RawValue;

std::string indexKey(std::string_view key, std::string_view name) {
    return ansi::fold(key) + '\0' + ansi::fold(name);
}

bool isText(std::uint32_t type) {
    return type == store::REG_SZ || type == store::REG_EXPAND_SZ;
}

bool oneNulLonger(const store::Bytes& longer, const store::Bytes& shorter) {
    return longer.size() == shorter.size() + 1 && longer.back() == 0 &&
           std::equal(shorter.begin(), shorter.end(), longer.begin());
}

// The key itself or one below it.
bool isWithin(std::string_view key, std::string_view tree) {
    return ansi::equalsIgnoringCase(key.substr(0, tree.size()), tree) &&
           (key.size() == tree.size() || key[tree.size()] == '\\');
}

std::optional<engine::DisplayClassMatch> bansheeClass(const engine::MinivddReader& minivdd) {
    return engine::ScanDisplayClassesIn(minivdd, engine::kBansheeDriverFiles);
}

}  // namespace

bool sameValue(const std::optional<RawValue>& a, const std::optional<RawValue>& b) {
    if (!a || !b) {
        return !a && !b;
    }
    if (a->type != b->type) {
        return false;
    }
    return a->data == b->data ||
           (isText(a->type) && (oneNulLonger(a->data, b->data) || oneNulLonger(b->data, a->data)));
}

std::string shownValue(const std::optional<RawValue>& value) {
    return value ? store::typeName(value->type) + " " + store::formatData(value->type, value->data)
                 : "absent";
}

std::string shownKey(std::string_view key) {
    return ansi::toUtf8(regfile::KeyName{HKEY_LOCAL_MACHINE, std::string(key)}.fullName());
}

ValueIndex::ValueIndex(const std::vector<regfile::RegOperation>& operations) {
    for (const auto& operation : operations) {
        if (operation.kind == regfile::RegOperation::Kind::SetValue) {
            values_[indexKey(operation.key, operation.name)] = {operation.type, operation.data};
        }
    }
}

std::optional<RawValue> ValueIndex::find(std::string_view key, std::string_view name) const {
    const auto found = values_.find(indexKey(key, name));
    return found != values_.end() ? std::optional(found->second) : std::nullopt;
}

std::vector<ValueOnBoth> Comparison::differing() const {
    std::vector<ValueOnBoth> found;
    std::copy_if(values.begin(), values.end(), std::back_inserter(found),
                 [](const ValueOnBoth& value) { return value.differs(); });
    return found;
}

Comparison compareWithMachine(store::Hive& hive, const WindowsInstallation& windows) {
    Comparison result;
    W9xReadOptions options;
    options.subtrees.assign(std::begin(engine::kMachineSettingKeys),
                            std::end(engine::kMachineSettingKeys));
    const W9xReadResult read = readSystemDat(windows, options);
    if (!read.read()) {
        result.failure = read.failure;
        return result;
    }
    result.machine = ValueIndex(read.operations);
    const auto machineClass = bansheeClass(
        [&](const std::string& key) { return store::textOf(result.machine.find(key, "minivdd")); });
    const store::FailureWatch watch(hive);
    const auto hiveClass = bansheeClass([&](const std::string& key) {
        return store::textOf(hive.getValue(HKEY_LOCAL_MACHINE, key, "minivdd"));
    });
    engine::DriverSettings settings;
    if (!machineClass) {
        result.bansheeNote =
            "The Banshee clocks are left out: the machine's SYSTEM.DAT names no Banshee display "
            "class.";
    } else if (!hiveClass) {
        result.bansheeNote =
            "The Banshee clocks are left out: Tunexa's settings name no Banshee display class "
            "(\"Read from drive C:\" brings the machine's).";
    } else {
        settings.BanClock.ClassKey = machineClass->defaultKey;
    }
    for (const auto& value : engine::managedValues(settings)) {
        if (isWithin(value.key, engine::kProgramKey)) {
            continue;
        }
        const bool clock = !settings.BanClock.ClassKey.empty() &&
                           ansi::equalsIgnoringCase(value.key, settings.BanClock.ClassKey);
        result.values.push_back(
            {value.key, value.name,
             hive.getValue(HKEY_LOCAL_MACHINE, clock ? hiveClass->defaultKey : value.key,
                           value.name),
             result.machine.find(value.key, value.name)});
    }
    // A value the store could not read would look absent, and be sent as a deletion.
    if (watch.failed()) {
        result.failure = "Tunexa's settings could not be read: " + watch.reason();
        result.values.clear();
    }
    return result;
}

}  // namespace tunexa::machine
