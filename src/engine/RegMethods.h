#pragma once

// Moving the driver settings record to and from the store, and filling it from the panels.
// Each routine handles one card, named by exactly "TNT", "Voodoo2" or "Banshee"; any other text
// (also one that differs only in letter case) does nothing. The overloads without a record work
// on the program's shared one.

#include <string>
#include <string_view>
#include <vector>

#include "engine/ControlReader.h"
#include "engine/DriverSettings.h"
#include "store/Profiles.h"

namespace tunexa::engine {

inline constexpr std::string_view kCardTNT = "TNT";
inline constexpr std::string_view kCardVoodoo2 = "Voodoo2";
inline constexpr std::string_view kCardBanshee = "Banshee";

// What one card's write did. The store operations report nothing themselves; this lets the
// caller tell "Settings Applied" from "Settings Not Applied" and say why.
struct WriteResult {
    // The card text was one of the three; otherwise nothing was attempted.
    bool cardRecognised = false;
    // Every write and delete of the card went into the store as one transaction.
    bool saved = false;
    // The store's own words when not saved.
    std::string failure;
    // Banshee only: no display-class key is known, so the four clock values were not written.
    bool clocksSkipped = false;
    // Value names whose field held a text that is not a number where a number was needed (or a
    // number that does not fit a byte); each of them was left in the store as it was.
    std::vector<std::string> valuesLeftAlone;
};

// Overwrites every field of the card's groups with what the store holds. DriverDesc, DriverDate
// and ClassKey are not touched; without a ClassKey the Banshee clock fields keep their contents.
void ReadDriverSettings(std::string_view card, DriverSettings& settings);
void ReadDriverSettings(std::string_view card);

// Writes or deletes the card's store values in one transaction. With a title, the transaction
// is one recorded change of that title (UTF-8), unless a change is already open around it.
WriteResult WriteDriverSettings(std::string_view card, const DriverSettings& settings,
                                const std::string& changeTitle = {});
WriteResult WriteDriverSettings(std::string_view card, const std::string& changeTitle = {});

// The key and name of every value the card's write touches, the Banshee clocks under the
// display-class key the record holds (none while it is unknown).
using ValueName = store::ManagedValue;
std::vector<ValueName> DriverValueNames(std::string_view card, const DriverSettings& settings);

// Copies the card's panel, read through `controls`, into the record. Touches no store value.
void CollectDriverSettings(std::string_view card, const ControlReader& controls,
                           DriverSettings& settings);
void CollectDriverSettings(std::string_view card, const ControlReader& controls);

}  // namespace tunexa::engine
