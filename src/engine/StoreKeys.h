#pragma once

// The store keys Tunexa reads and writes below HKEY_LOCAL_MACHINE, each named once: the drivers'
// own keys, the display class, the live options and the program's own tree. Every other table
// (the driver map, the panels a change reloads, what is read from a machine) refers to these.

#include <string>
#include <string_view>

namespace tunexa::engine {

// The Riva TNT's Detonator driver.
inline constexpr std::string_view kTntKey = "Software\\NVIDIA Corporation\\Riva TNT";
inline constexpr std::string_view kTntDirect3DKey =
    "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D";
inline constexpr std::string_view kTntOpenGLKey = "Software\\NVIDIA Corporation\\Riva TNT\\OpenGL";
inline constexpr std::string_view kTntTweakKey = "Software\\NVIDIA Corporation\\Riva TNT\\NV4Tweak";

// The 3dfx drivers, and the Diamond key the Banshee's Direct3D driver also reads.
inline constexpr std::string_view k3DfxKey = "Software\\3Dfx Interactive";
inline constexpr std::string_view kVoodoo2Key = "Software\\3Dfx Interactive\\Voodoo2";
inline constexpr std::string_view kVoodoo2D3DKey = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
inline constexpr std::string_view kVoodoo2GlideKey = "Software\\3Dfx Interactive\\Voodoo2\\Glide";
inline constexpr std::string_view kBansheeKey = "Software\\3Dfx Interactive\\Banshee";
inline constexpr std::string_view kBansheeD3DKey = "Software\\3Dfx Interactive\\Banshee\\D3D";
inline constexpr std::string_view kBansheeGlideKey = "Software\\3Dfx Interactive\\Banshee\\Glide";
inline constexpr std::string_view kDiamondD3DKey = "Software\\Diamond\\D3D";

// The display drivers' classes 0000 to 0005; the TNT's description and the Banshee's clocks
// live below one of them.
inline constexpr std::string_view kDisplayClassKey =
    "System\\CurrentControlSet\\Services\\Class\\Display";

// The live options: Matrox PowerDesk and Unreal's Direct3D switches.
inline constexpr std::string_view kPowerDeskKey = "Software\\Matrox\\PowerDesk";
inline constexpr std::string_view kMatroxKey = "Software\\Matrox\\PowerDesk\\Current Settings";
inline constexpr std::string_view kUnrealKey = "Software\\Microsoft\\UnrealD3D";

// Windows' own keys: the default display mode, the version and the boot folder (the host's facts
// are published there), the logon "Run" list, the processor, and the PCI devices.
inline constexpr std::string_view kDisplaySettingsKey = "Config\\0001\\Display\\Settings";
inline constexpr std::string_view kWindowsVersionKey =
    "Software\\Microsoft\\Windows\\CurrentVersion";
inline constexpr std::string_view kSetupKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kProcessorKey =
    "Hardware\\Description\\System\\CentralProcessor\\0";
inline constexpr std::string_view kEnumPciKey = "Enum\\PCI";
// The boot folder ("C:\", ending with a backslash) under kSetupKey, and the boot batch file in it.
inline constexpr std::string_view kBootDirValue = "BootDir";
inline constexpr std::string_view kBootBatchName = "autoexec.bat";
// What the boot folder is taken to be while nothing says otherwise.
inline constexpr std::string_view kDefaultBootDir = "C:\\";

// The boot batch file in the boot folder `bootDir` (the stored BootDir, "C:\\"), or in
// kDefaultBootDir while that is empty: "C:\\autoexec.bat".
inline std::string bootBatchPath(std::string_view bootDir) {
    return std::string(bootDir.empty() ? kDefaultBootDir : bootDir) + std::string(kBootBatchName);
}

// The program's own tree, and the Voodoo Graphics values kept in it.
inline constexpr std::string_view kProgramKey = "Software\\Tunexa\\Tunexa";
inline constexpr std::string_view kVoodooKey = "Software\\Tunexa\\Tunexa\\3Dfx";

// The keys each card's panel shows: a change below any of them reloads that panel.
inline constexpr std::string_view kTntPanelKeys[] = {kTntKey, kDisplayClassKey};
inline constexpr std::string_view kVoodoo2PanelKeys[] = {kVoodoo2Key};
inline constexpr std::string_view kBansheePanelKeys[] = {kBansheeKey, kDiamondD3DKey,
                                                         kDisplayClassKey};

// What is read from a Windows 95/98 machine's own registry: the cards' driver keys, the live
// options and the display class (the machine's PCI device list comes with them).
inline constexpr std::string_view kMachineSettingKeys[] = {
    kTntKey, k3DfxKey, kDiamondD3DKey, kPowerDeskKey, kUnrealKey, kDisplayClassKey};

}  // namespace tunexa::engine
