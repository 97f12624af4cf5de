#pragma once

// The facts Windows keeps in the registry about the machine it runs on. Here they come from the
// host and are published into the store at every start, before anything reads them.

#include <filesystem>
#include <string>

namespace tunexa::host {

struct HostFacts {
    std::string cpuVendor;      // "GenuineIntel", "AuthenticAMD"
    std::string cpuIdentifier;  // "x86 Family 6 Model 158 Stepping 10", as Windows words it
    std::string systemName;     // "Debian GNU/Linux"
    std::string systemVersion;  // "12 (Linux 6.1.0-18-amd64)"
};

// Reads the facts from cpuinfo and os-release style files (the real ones by default); anything
// missing is left empty.
HostFacts readHostFacts(const std::filesystem::path& cpuinfo = "/proc/cpuinfo",
                        const std::filesystem::path& osRelease = "/etc/os-release");

// Writes "VendorIdentifier" / "Identifier" under "Hardware\Description\System\CentralProcessor\0"
// and "Version" / "VersionNumber" under "Software\Microsoft\Windows\CurrentVersion" (refreshed on
// every call), and "BootDir" = "C:\" under "...\CurrentVersion\Setup" only when it is absent, so
// the boot batch file lands on drive C.
void publishHostFacts(const HostFacts& facts);

// The absolute path of the running program.
std::filesystem::path runningProgramPath();

}  // namespace tunexa::host
