#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "TempRoot.h"
#include "platform/host/Autostart.h"

namespace tunexa::host {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Autostart, QuotesTheExecValueAsDesktopEntriesRequire) {
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/tunexa", "/usr/bin/tunexa"},
        {"/opt/My Games/tunexa", "\"/opt/My Games/tunexa\""},
        {"/opt/a$b/tunexa", "\"/opt/a\\\\$b/tunexa\""},
        {"/opt/100%/tunexa", "/opt/100%%/tunexa"},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(desktopExecValue(c.path), c.exec) << c.path;
    }
}

TEST(Autostart, EntryFollowsXdgConfigHomeAndComesAndGoes) {
    test::TempDir dir;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);

    EXPECT_EQ(autostartEntryPath(), dir / "config" / "autostart" / "tunexa.desktop");
    ASSERT_TRUE(enableAutostart("/opt/tunexa/bin/tunexa").ok);
    const std::string entry = readFile(autostartEntryPath());
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=/opt/tunexa/bin/tunexa\n"), std::string::npos);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);

    ASSERT_TRUE(enableAutostart("/moved/tunexa").ok);  // a moved program rewrites the entry
    EXPECT_NE(readFile(autostartEntryPath()).find("\nExec=/moved/tunexa\n"), std::string::npos);

    ASSERT_TRUE(disableAutostart().ok);
    EXPECT_FALSE(std::filesystem::exists(autostartEntryPath()));
    EXPECT_TRUE(disableAutostart().ok);  // nothing to remove is fine
    setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
}

TEST(Autostart, UnwritableFolderIsReportedNotIgnored) {
    test::TempDir dir;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved != nullptr ? saved : "";
    std::ofstream(dir / "plainfile") << "x";  // a file where the config folder should be
    setenv("XDG_CONFIG_HOME", (dir / "plainfile").c_str(), 1);
    const auto result = enableAutostart("/usr/bin/tunexa");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
}

}  // namespace
}  // namespace tunexa::host
