#pragma once

// Which of the cards Tunexa tunes a machine holds, from the PCI devices Windows 95/98 lists as
// subkeys of HKLM\Enum\PCI ("VEN_121A&DEV_0002&SUBSYS_00000000&REV_02").

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "store/Hive.h"

namespace tunexa::machine {

enum class PciCard { VoodooGraphics, Voodoo2, Banshee, RivaTnt, MatroxG100, MatroxG200 };

struct PciCardId {
    std::uint16_t vendor;
    std::uint16_t device;
    PciCard card;
};

// The vendor and device IDs of each card, in the order cards are reported.
std::span<const PciCardId> pciCardIds();

// "Voodoo Graphics", "Voodoo2", "Banshee", "Riva TNT", "Matrox G100", "Matrox G200".
std::string_view pciCardName(PciCard card);

// The card an Enum\PCI subkey names, from its VEN_ and DEV_ parts (any case); nothing for
// another device or a name of another form.
std::optional<PciCard> cardOfPciKey(std::string_view keyName);

// The cards the Enum\PCI subkey names name, each once, in the order of pciCardIds().
std::vector<PciCard> cardsOfPciKeys(const std::vector<std::string>& keyNames);

// The cards the hive's HKLM\Enum\PCI names, each once, in the order of pciCardIds().
std::vector<PciCard> cardsInHive(store::Hive& hive);

}  // namespace tunexa::machine
