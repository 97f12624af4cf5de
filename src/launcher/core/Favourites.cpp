#include "launcher/core/Favourites.h"

#include <algorithm>

#include "store/Registry.h"

namespace tunexa::launcher {

namespace {

using store::HKEY_LOCAL_MACHINE;

bool isSlot(int slot) {
    return slot >= 0 && slot < kFavouriteSlots;
}

std::string slotValueName(std::string_view prefix, int slot) {
    return std::string(prefix) + static_cast<char>('0' + slot);
}

std::string readText(std::string_view key, const std::string& name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, key, name).value_or(std::string());
}

}  // namespace

std::string ipAddressValueName(int slot) {
    return slotValueName("IP Address ", slot);
}

std::string descriptionValueName(int slot) {
    return slotValueName("Description ", slot);
}

bool isValidServerAddress(std::string_view address) {
    return std::count(address.begin(), address.end(), '.') >= 3;
}

bool hasDrive(std::string_view path) {
    return path.find(":\\") != std::string_view::npos;
}

LoadedFavourites LoadHLFavourites(std::string_view key) {
    LoadedFavourites loaded;
    for (int slot = 0; slot < kFavouriteSlots; ++slot) {
        loaded.descriptions[static_cast<std::size_t>(slot)] =
            readText(key, descriptionValueName(slot));
    }
    if (auto path = store::RegGetString(HKEY_LOCAL_MACHINE, key, "Path"); path && hasDrive(*path)) {
        loaded.programPath = std::move(*path);
    }
    return loaded;
}

Favourite loadFavourite(int slot, std::string_view key) {
    if (!isSlot(slot)) {
        return {};
    }
    return {readText(key, ipAddressValueName(slot)), readText(key, descriptionValueName(slot))};
}

Notice emptyDescriptionNotice() {
    return {"Please Enter A Decription", "Please Enter A Description", Notice::Focus::Description};
}

Notice invalidAddressNotice() {
    return {"Invalid IP address",
            "Please enter a valid IP address\r\nof the form XXX.XXX.XXX.XXX\r\ne.g. 192.168.0.1",
            Notice::Focus::Address};
}

Notice chooseSlotNotice() {
    return {"Tunexa", "Please choose a favourite from the list first.", Notice::Focus::None};
}

SaveOutcome saveFavourite(int slot, std::string_view address, std::string_view description,
                          std::optional<std::string_view> programPath, std::string_view key) {
    SaveOutcome outcome;
    if (description.empty()) {
        outcome.notices.push_back(emptyDescriptionNotice());
    }
    if (isValidServerAddress(address)) {
        outcome.itemText = std::string(description);
        store::RegSetString(HKEY_LOCAL_MACHINE, key, ipAddressValueName(slot), address);
        store::RegSetString(HKEY_LOCAL_MACHINE, key, descriptionValueName(slot), description);
    } else {
        outcome.notices.push_back(invalidAddressNotice());
    }
    if (programPath) {
        store::RegSetString(HKEY_LOCAL_MACHINE, key, "Path", *programPath);
    }
    return outcome;
}

void deleteFavourite(int slot, std::string_view key) {
    store::RegDeleteValue(HKEY_LOCAL_MACHINE, key, ipAddressValueName(slot));
    store::RegDeleteValue(HKEY_LOCAL_MACHINE, key, descriptionValueName(slot));
}

}  // namespace tunexa::launcher
