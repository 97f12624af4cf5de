#pragma once

// The four selectable cards and the parts of the window each one owns: the rows that start-up,
// the first-run window and the card selection work through.

#include <initializer_list>
#include <string_view>

namespace tunexa::app {

struct Card {
    const char* availableValue;  // the flag under the program key
    const char* selectionBox;    // on the main window's first tab
    const char* firstRunBox;     // on the first-run window
    std::initializer_list<const char*> frames;
    std::initializer_list<const char*> buttons;  // switched with the frames, except on a first run
    const char* trayBranch;                      // null: the card has no tray branch
    std::string_view engineCard;                 // empty: not in the driver settings engine
    int tab;
};

inline constexpr std::string_view kNoEngineCard{};

// In the order the card selection writes and applies them.
inline const Card kVoodooCard{"Voodoo Available",
                              "chkConfVoodoo",
                              "chkVoodoo",
                              {"frame3DfxV"},
                              {},
                              nullptr,
                              kNoEngineCard,
                              2};
inline const Card kVoodoo2Card{"Voodoo2 Available",
                               "chkConfV2",
                               "chkVoodoo2",
                               {"frame3DfxV2"},
                               {},
                               "mPopV2Main",
                               "Voodoo2",
                               2};
inline const Card kBansheeCard{"Banshee Available",
                               "chkConfBanshee",
                               "chkBanshee",
                               {"frame3DfxBanshee"},
                               {},
                               "mPopBansheeMain",
                               "Banshee",
                               2};
inline const Card kTNTCard{"TNT Available",
                           "chkConfTNT",
                           "chkRivaTNT",
                           {"frameTNTOC", "frameTNTSettings", "frameTNTD3D", "frameTNTGL"},
                           {"cmdTNTdefaults", "cmdTNTapply"},
                           "mPopRivaMain",
                           "TNT",
                           1};

// The order the card selection writes and applies the flags in, start-up reads them and the first
// run stores the chosen cards' settings.
inline const Card* const kSelectionOrder[] = {&kVoodooCard, &kVoodoo2Card, &kBansheeCard,
                                              &kTNTCard};

}  // namespace tunexa::app
