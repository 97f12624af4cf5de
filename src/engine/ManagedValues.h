#pragma once

// Every value Tunexa manages, as one table: what a profile saves and puts back. The three cards'
// driver values (the Banshee clocks under its display-class key, while it is known), the Matrox
// and Unreal live options, the Voodoo Graphics values, and the Glide batch file they are written
// into.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DriverSettings.h"
#include "engine/RegMethods.h"
#include "engine/StoreKeys.h"
#include "store/Profiles.h"

namespace tunexa::engine {

// In the order start-up restores them.
inline constexpr std::array<std::string_view, 3> kMatroxValues = {"Flip on VBlank", "Anisotropic",
                                                                  "Use Subpixel"};
inline constexpr std::array<std::string_view, 4> kUnrealValues = {"TrueColor", "DoTrilinear",
                                                                  "TripleBuffering", "DoFlip"};
// In the order they are stored: the core clock first, then VSync, Fast Mem and Fast PCI.
inline constexpr std::array<std::string_view, 4> kVoodooValues = {
    "Voodoo GRXCLK", "Voodoo Vsync", "Voodoo FastMem", "Voodoo FastPCI"};
inline constexpr std::string_view kGlideBatchPath = "c:\\tunexa.bat";

// The managed files, as Windows paths.
inline constexpr std::array<std::string_view, 1> kManagedFiles = {kGlideBatchPath};

// The managed values below HKEY_LOCAL_MACHINE, each once.
std::vector<ValueName> managedValues(const DriverSettings& settings);

// What a profile covers: the managed values, and the managed files that `locationOf` can place
// on this machine (a Windows path to where the file lies, as the change record keeps it: a host
// path or a place in a disk image; nothing when its drive cannot be reached).
store::ManagedSet managedSet(
    const DriverSettings& settings,
    const std::function<std::optional<std::string>(std::string_view)>& locationOf);

}  // namespace tunexa::engine
