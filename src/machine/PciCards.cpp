#include "PciCards.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

#include "engine/StoreKeys.h"
#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::machine {

namespace {

struct PciCardId {
    std::uint16_t vendor;
    std::uint16_t device;
    PciCard card;
};

// Checked against the PCI ID Repository's pci.ids (Debian package pci.ids, version 2023.04.10):
// 121a 3Dfx Interactive (0001 Voodoo, 0002 Voodoo 2, 0003 Voodoo Banshee), 10de NVIDIA
// (0020 NV4 [Riva TNT]), 102b Matrox (1000/1001 MGA G100 [Productiva] PCI/AGP, 0520/0521 MGA
// G200 PCI/AGP).
constexpr std::array<PciCardId, 8> kCards = {{
    {0x121A, 0x0001, PciCard::VoodooGraphics},
    {0x121A, 0x0002, PciCard::Voodoo2},
    {0x121A, 0x0003, PciCard::Banshee},
    {0x10DE, 0x0020, PciCard::RivaTnt},
    {0x102B, 0x1000, PciCard::MatroxG100},
    {0x102B, 0x1001, PciCard::MatroxG100},
    {0x102B, 0x0520, PciCard::MatroxG200},
    {0x102B, 0x0521, PciCard::MatroxG200},
}};

// By PciCard, in its order.
constexpr std::array<std::string_view, 6> kCardNames = {
    "Voodoo Graphics", "Voodoo2", "Banshee", "Riva TNT", "Matrox G100", "Matrox G200"};

// The four hex digits of the part "VEN_121A" (or "DEV_0002") among the name's '&'-separated
// parts; letters in any case.
std::optional<std::uint16_t> idOf(std::string_view name, std::string_view tag) {
    while (!name.empty()) {
        const auto end = std::min(name.find('&'), name.size());
        const std::string_view part = name.substr(0, end);
        name.remove_prefix(std::min(end + 1, name.size()));
        if (part.size() != tag.size() + 4 || !ansi::equalsIgnoringCase(part.substr(0, 4), tag)) {
            continue;
        }
        std::uint16_t id = 0;
        const auto digits = part.substr(tag.size());
        const auto [rest, error] = std::from_chars(digits.data(), digits.data() + 4, id, 16);
        if (error == std::errc() && rest == digits.data() + 4) {
            return id;
        }
    }
    return std::nullopt;
}

// The card an Enum\PCI subkey names; nothing for another device or a name of another form.
std::optional<PciCard> cardOfPciKey(std::string_view keyName) {
    const auto vendor = idOf(keyName, "VEN_");
    const auto device = idOf(keyName, "DEV_");
    for (const auto& id : kCards) {
        if (vendor == id.vendor && device == id.device) {
            return id.card;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view pciCardName(PciCard card) {
    return kCardNames.at(static_cast<std::size_t>(card));
}

std::vector<PciCard> cardsOfPciKeys(const std::vector<std::string>& keyNames) {
    std::vector<PciCard> found;
    for (const auto& name : keyNames) {
        if (const auto card = cardOfPciKey(name)) {
            found.push_back(*card);
        }
    }
    std::vector<PciCard> ordered;
    for (const auto& id : kCards) {
        if (std::find(found.begin(), found.end(), id.card) != found.end() &&
            std::find(ordered.begin(), ordered.end(), id.card) == ordered.end()) {
            ordered.push_back(id.card);
        }
    }
    return ordered;
}

std::vector<PciCard> cardsInHive(store::Hive& hive) {
    return cardsOfPciKeys(hive.subkeys(store::HKEY_LOCAL_MACHINE, engine::kEnumPciKey));
}

}  // namespace tunexa::machine
