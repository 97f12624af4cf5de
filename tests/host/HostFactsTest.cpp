#include <gtest/gtest.h>

#include <fstream>

#include "TempRoot.h"
#include "platform/host/HostFacts.h"
#include "store/Registry.h"

namespace tunexa::host {
namespace {

using store::HKEY_LOCAL_MACHINE;
using store::RegGetString;

constexpr const char* kCpuinfo =
    "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\n"
    "model name\t: Intel(R) Core(TM) i7\nstepping\t: 10\n\n"
    "processor\t: 1\nvendor_id\t: SomethingElse\ncpu family\t: 99\n";

TEST(HostFacts, ReadsTheFirstProcessorAndTheSystemName) {
    test::TempDir dir;
    std::ofstream(dir / "cpuinfo") << kCpuinfo;
    std::ofstream(dir / "os-release") << "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                                         "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n";
    const auto facts = readHostFacts(dir / "cpuinfo", dir / "os-release");
    EXPECT_EQ(facts.cpuVendor, "GenuineIntel");
    EXPECT_EQ(facts.cpuIdentifier, "x86 Family 6 Model 158 Stepping 10");
    EXPECT_EQ(facts.systemName, "Debian GNU/Linux");
    EXPECT_EQ(facts.systemVersion.rfind("12", 0), 0u);
}

TEST(HostFacts, MissingFilesLeaveTheProcessorEmpty) {
    test::TempDir dir;
    const auto facts = readHostFacts(dir / "none", dir / "none");
    EXPECT_EQ(facts.cpuVendor, "");
    EXPECT_EQ(facts.cpuIdentifier, "");
    EXPECT_EQ(facts.systemName, "Linux");
}

TEST(HostFacts, PublishesRefreshesAndKeepsAnExistingBootDir) {
    test::TempDir dir;
    store::useHiveFile(dir / "registry.db");
    publishHostFacts({"GenuineIntel", "x86 Family 6 Model 5 Stepping 2", "Debian", "12"});
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0",
                           "VendorIdentifier"),
              "GenuineIntel");
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                           "VersionNumber"),
              "12");
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir"),
              "C:\\");

    store::RegSetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup",
                        "BootDir", "D:\\");
    publishHostFacts({"AuthenticAMD", "x86 Family 25 Model 1 Stepping 1", "Debian", "13"});
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0",
                           "VendorIdentifier"),
              "AuthenticAMD");
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir"),
              "D:\\");
}

TEST(HostFacts, UnchangedFactsWriteNothing) {
    test::TempDir dir;
    store::useHiveFile(dir / "registry.db");
    const HostFacts facts{"GenuineIntel", "x86 Family 6 Model 5 Stepping 2", "Debian", "12"};
    publishHostFacts(facts);
    // The same facts again on a store that refuses every write: nothing is attempted.
    store::useHive(store::Hive::open(dir / "registry.db", store::OpenMode::ReadOnly));
    store::FailureWatch watch;
    publishHostFacts(facts);
    EXPECT_FALSE(watch.failed()) << watch.reason();
    publishHostFacts({"AuthenticAMD", facts.cpuIdentifier, facts.systemName, facts.systemVersion});
    EXPECT_TRUE(watch.failed());
    store::useHive(nullptr);
}

TEST(HostFacts, RunningProgramPathIsThisTest) {
    const auto path = runningProgramPath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "host_tests");
}

}  // namespace
}  // namespace tunexa::host
