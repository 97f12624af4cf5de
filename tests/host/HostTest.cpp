#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "HiveTest.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"
#include "store/Registry.h"

namespace tunexa::host {
namespace {

using namespace tunexa::test;  // files, the temporary folder and the test's hive

std::string stored(const char* key, const char* name) {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, key, name).value_or("absent");
}

class HostTest : public HiveTest {
  protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1); }
    void TearDown() override { setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1); }
    const std::string savedConfig = std::getenv("XDG_CONFIG_HOME");
};

// The Exec line quotes what the desktop-entry format and the shell would otherwise take apart.
TEST_F(HostTest, AutostartEntryComesAndGoesWithItsExecLineQuoted) {
    ASSERT_TRUE(enableAutostart("/opt/My Games/100%/tunexa").ok);
    const std::string entry = fileBytes(dir_ / "config" / "autostart" / "tunexa.desktop");
    EXPECT_EQ(entry.find("[Desktop Entry]\nType=Application\n"), 0u) << entry;
    EXPECT_NE(entry.find("\nExec=\"/opt/My Games/100%%/tunexa\"\n"), std::string::npos) << entry;
    EXPECT_EQ(desktopExecValue("/usr/bin/tunexa"), "/usr/bin/tunexa");
    EXPECT_EQ(desktopExecValue("/opt/a$b\\c"), "\"/opt/a\\\\$b\\\\\\\\c\"");
    ASSERT_TRUE(disableAutostart().ok);
    EXPECT_FALSE(std::filesystem::exists(autostartEntryPath()));
    EXPECT_TRUE(disableAutostart().ok);  // nothing to remove is fine
    setenv("XDG_CONFIG_HOME", putFile(dir_ / "plainfile", "x").c_str(), 1);
    EXPECT_FALSE(enableAutostart("/usr/bin/tunexa").error.empty());
}

// The first processor and the system's name and version go where Windows keeps them, "BootDir"
// only when missing; unchanged facts write nothing, so a read-only store is fine.
TEST_F(HostTest, FactsComeFromCpuinfoAndOsReleaseAndArePublishedOnlyWhenChanged) {
    const char* processor = "Hardware\\Description\\System\\CentralProcessor\\0";
    const char* setup = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
    store::RegSetString(store::HKEY_LOCAL_MACHINE, setup, "BootDir", "D:\\");
    putFile(dir_ / "cpuinfo",
            "vendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\n"
            "stepping\t: 10\n\nvendor_id\t: Other\ncpu family\t: 9\n");
    putFile(dir_ / "os-release", "PRETTY_NAME=\"x\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=12\n");
    auto facts = readHostFacts(dir_ / "cpuinfo", dir_ / "os-release");
    publishHostFacts(facts);
    const char* windows = "Software\\Microsoft\\Windows\\CurrentVersion";
    EXPECT_EQ(stored(windows, "Version"), "Debian GNU/Linux");
    EXPECT_THAT(stored(windows, "VersionNumber"), testing::StartsWith("12 (Linux "));
    EXPECT_EQ(stored(processor, "Identifier"), "x86 Family 6 Model 158 Stepping 10");
    EXPECT_EQ(stored(processor, "VendorIdentifier") + stored(setup, "BootDir"), "GenuineIntelD:\\");
    store::useHive(store::Hive::open(dir_ / "registry.db", store::OpenMode::ReadOnly));
    const store::FailureWatch watch;
    publishHostFacts(facts);
    EXPECT_FALSE(watch.failed()) << watch.reason();
    facts.cpuVendor = "AuthenticAMD";
    publishHostFacts(facts);
    EXPECT_TRUE(watch.failed());  // as any change would
}

}  // namespace
}  // namespace tunexa::host
