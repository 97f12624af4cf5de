#pragma once

// Which of the cards Tunexa tunes a machine holds, from the PCI devices Windows 95/98 lists as
// subkeys of HKLM\Enum\PCI ("VEN_121A&DEV_0002&SUBSYS_00000000&REV_02").

#include <string_view>
#include <vector>

#include "store/Hive.h"

namespace tunexa::machine {

enum class PciCard { VoodooGraphics, Voodoo2, Banshee, RivaTnt, MatroxG100, MatroxG200 };

// "Voodoo Graphics", "Voodoo2", "Banshee", "Riva TNT", "Matrox G100", "Matrox G200".
std::string_view pciCardName(PciCard card);

// The cards the Enum\PCI subkey names name (from their VEN_ and DEV_ parts, any case), each once,
// in the order of PciCard.
std::vector<PciCard> cardsOfPciKeys(const std::vector<std::string>& keyNames);

// The cards the hive's HKLM\Enum\PCI names, each once, in the order of PciCard.
std::vector<PciCard> cardsInHive(store::Hive& hive);

}  // namespace tunexa::machine
