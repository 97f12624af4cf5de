#pragma once

// The ten favourite game servers under "Software\Tunexa\Tunexa\Half Life": slot n holds
// "IP Address n" and "Description n"; "Path" remembers the chosen Half-Life program. The store
// is the only record; the window shows what these calls return.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunexa::launcher {

inline constexpr std::string_view kHalfLifeKey = "Software\\Tunexa\\Tunexa\\Half Life";
inline constexpr int kFavouriteSlots = 10;

std::string ipAddressValueName(int slot);    // "IP Address 3"
std::string descriptionValueName(int slot);  // "Description 3"

// "*.*.*.*": at least three full stops, anything else around them.
bool isValidServerAddress(std::string_view address);
// "*:\*": a colon directly followed by a backslash somewhere in the text.
bool hasDrive(std::string_view path);

struct LoadedFavourites {
    // Item n of the list: the stored description of slot n, empty when absent.
    std::array<std::string, kFavouriteSlots> descriptions;
    // The stored "Path" when it has a drive; it then becomes the one program in the list.
    std::optional<std::string> programPath;
};
LoadedFavourites LoadHLFavourites(std::string_view key = kHalfLifeKey);

// Choosing slot n: its stored texts, each empty when absent.
struct Favourite {
    std::string address;
    std::string description;
};
Favourite loadFavourite(int slot, std::string_view key = kHalfLifeKey);

// A message box for the window to show (OK only, no icon), and where the focus goes after it.
struct Notice {
    enum class Focus { None, Description, Address };
    std::string title;
    std::string prompt;
    Focus focus = Focus::None;
};

// The window's message texts.
Notice emptyDescriptionNotice();
Notice invalidAddressNotice();
Notice chooseSlotNotice();

struct SaveOutcome {
    // In the order to show them.
    std::vector<Notice> notices;
    // The new text of the slot's list item when the slot was saved; nothing when it was not.
    std::optional<std::string> itemText;
};

// Save, for a slot of 0-9 (the caller asks for one when nothing is selected): an empty
// description is told but still saved; a valid address writes "IP Address n" then
// "Description n", an invalid one is told and writes neither; "Path" is written with the chosen
// program in every case, and left alone when the program list is empty (`programPath` nothing).
SaveOutcome saveFavourite(int slot, std::string_view address, std::string_view description,
                          std::optional<std::string_view> programPath,
                          std::string_view key = kHalfLifeKey);

// Delete, for a slot of 0-9: removes both values of the slot, without asking; "Path" and the
// other slots stay.
void deleteFavourite(int slot, std::string_view key = kHalfLifeKey);

}  // namespace tunexa::launcher
