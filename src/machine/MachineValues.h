#pragma once

// What a send carries and a check compares: every value Tunexa manages below HKEY_LOCAL_MACHINE
// (the values a profile holds, less Tunexa's own key, which no driver reads), as the hive holds
// it and as the machine's SYSTEM.DAT holds it. Only the keys those values live in are read from
// SYSTEM.DAT: the keys "Read from drive C:" reads.
//
// The Banshee clocks live under a display-class key that each registry finds for itself: the
// machine's values under the class its own SYSTEM.DAT names (its driver reads that one), Tunexa's
// under the class the hive names (the Banshee panel writes there). Without either they are left
// out, and the comparison says why.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "machine/W9xRegistry.h"
#include "machine/WindowsInstallation.h"
#include "store/Changes.h"
#include "store/Hive.h"

namespace tunexa::machine {

// Equal types and bytes; a text (REG_SZ, REG_EXPAND_SZ) that differs only by one terminating NUL
// is the same text, since the machine's regedit may store one.
bool sameValue(const std::optional<store::RawValue>& a, const std::optional<store::RawValue>& b);

// A value as tunexa-reg query shows it, "REG_SZ 100", or "absent" (UTF-8).
std::string shownValue(const std::optional<store::RawValue>& value);
// "HKEY_LOCAL_MACHINE\<key>" (UTF-8).
std::string shownKey(std::string_view key);

struct ValueOnBoth {
    std::string key;   // where the machine keeps it, below HKEY_LOCAL_MACHINE (Windows-1252)
    std::string name;  // as Tunexa names it
    std::optional<store::RawValue> tunexa;
    std::optional<store::RawValue> machine;

    bool differs() const { return !sameValue(tunexa, machine); }
};

// The values of a registry file as read, found by key and name without regard to case.
class ValueIndex {
  public:
    explicit ValueIndex(const std::vector<regfile::RegOperation>& operations);
    std::optional<store::RawValue> find(std::string_view key, std::string_view name) const;

  private:
    std::unordered_map<std::string, store::RawValue> values_;
};

struct Comparison {
    std::string failure;              // why SYSTEM.DAT could not be read; empty when it was
    std::vector<ValueOnBoth> values;  // every managed value, in the order a profile lists them
    std::string bansheeNote;          // why the Banshee clocks are left out; empty when they are in
    ValueIndex machine{{}};           // the machine's values in the keys read

    bool read() const { return failure.empty(); }
    std::vector<ValueOnBoth> differing() const;
};

// The machine's SYSTEM.DAT read now against the hive.
Comparison compareWithMachine(store::Hive& hive, const WindowsInstallation& windows);

}  // namespace tunexa::machine
