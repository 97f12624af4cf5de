#pragma once

// Reading a Windows 95/98 machine's own driver settings into the hive: from the SYSTEM.DAT of the
// installation found on drive C:, only the keys of the cards Tunexa manages, the display class
// and the PCI device list, so the panels show the machine's real settings and the first run can
// tell which cards are installed.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PciCards.h"
#include "W9xRegistry.h"
#include "WindowsInstallation.h"
#include "store/Hive.h"

namespace tunexa::machine {

// What readMachineSettings found: the operations to apply (HKLM\Enum\PCI is replaced whole, so
// the device list is the machine's), or why there are none.
W9xReadResult readMachineSettings(const WindowsInstallation& windows);

// The cards the PCI devices of what was read name, each once, in the order of PciCard: what
// the first run ticks before anything is written.
std::vector<PciCard> cardsRead(const W9xReadResult& read);

struct MachineImportReport {
    bool saved = false;   // applied: committed, or part of the caller's open batch
    std::string failure;  // why not: libcreg's words for a damaged file, or the store's
    std::size_t keys = 0;
    std::size_t values = 0;
    std::vector<std::string> keysFound;  // of the keys taken, those SYSTEM.DAT holds
    std::vector<PciCard> cards;          // the cards HKLM\Enum\PCI names afterwards
};

// Reads the machine's keys and applies them in one batch on `hive`. Inside a batch the caller
// opened (a recorded change), the writes join it, so the caller's rollback undoes them; a file
// that is damaged writes nothing.
MachineImportReport importMachineSettings(store::Hive& hive, const WindowsInstallation& windows);
// The same for what readMachineSettings() read earlier.
MachineImportReport importMachineSettings(store::Hive& hive, const W9xReadResult& read);

}  // namespace tunexa::machine
