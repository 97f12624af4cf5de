#pragma once

// Finding a display driver's key among the display-class keys 0005 down to 0000 by the mini-VDD
// file named in each key's "DEFAULT" subkey, and the two uses of it: the TNT driver's
// description and date, and the Banshee's clock key.

#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/DriverSettings.h"
#include "engine/StoreKeys.h"

namespace tunexa::engine {

inline constexpr std::string_view kTNTDriverFile = "nv4.vxd";
// In the order scanned: a later name's match wins over every match of an earlier one.
inline constexpr std::string_view kBansheeDriverFiles[] = {"3dfxvb.vxd", "fusionv.vxd"};

struct DisplayClassMatch {
    std::string driverFile;  // the file name that matched
    std::string classKey;    // e.g. "System\CurrentControlSet\Services\Class\Display\0001"
    std::string defaultKey;  // classKey followed by "\DEFAULT"
};

using DisplayClassAction = std::function<void(const DisplayClassMatch&)>;
// The text "minivdd" of a "DEFAULT" key in the registry being scanned; nothing when it has none.
using MinivddReader = std::function<std::optional<std::string>(const std::string& defaultKey)>;

// One full pass over the classes 0005 down to 0000 for each driver file name, in the order given.
// A class matches when its "DEFAULT" subkey's text "minivdd" equals the file name exactly
// (letter case included). Every match is handed to `onMatch` at once, so a later match
// overwrites what an earlier one did; the last match (the lowest class of the last name that
// matched) is returned. Nothing when no class matched.
std::optional<DisplayClassMatch> ScanDisplayClasses(std::span<const std::string_view> driverFiles,
                                                    const DisplayClassAction& onMatch = {});
std::optional<DisplayClassMatch> ScanDisplayClasses(
    std::initializer_list<std::string_view> driverFiles, const DisplayClassAction& onMatch = {});
// The same scan over another registry than the store (a machine's SYSTEM.DAT as read).
std::optional<DisplayClassMatch> ScanDisplayClassesIn(const MinivddReader& minivdd,
                                                      std::span<const std::string_view> driverFiles,
                                                      const DisplayClassAction& onMatch = {});

// For the TNT driver ("nv4.vxd"): reads "DriverDesc" and "DriverDate" from the class key into
// the TNT group. Without a match both fields keep their contents. True when a class matched.
bool ReadTNTDriverInfo(DriverSettings& settings);
bool ReadTNTDriverInfo();

// For the Banshee ("3dfxvb.vxd", then "fusionv.vxd"): sets BanClock.ClassKey to the matching
// "DEFAULT" subkey and reads "grxclock" and "memclock" from it. Without a match the three
// fields keep their contents. True when a class matched.
bool FindBansheeClassKey(DriverSettings& settings);
bool FindBansheeClassKey();

}  // namespace tunexa::engine
