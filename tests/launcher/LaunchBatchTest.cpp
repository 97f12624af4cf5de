#include "launcher/core/LaunchBatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempRoot.h"

namespace tunexa::launcher {
namespace {

namespace fs = std::filesystem;

class LaunchBatchTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }

    std::string batch() const {
        std::ifstream in(driveC / "tx106hl.bat", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    tunexa::test::TempDir dir;
    fs::path root = dir / "data";
    files::Drives drives{root};
    fs::path driveC = root / "drive_c";
};

TEST_F(LaunchBatchTest, ExactBytes) {
    struct Case {
        const char* path;
        const char* address;
        const char* bytes;
    };
    const Case cases[] = {
        {"C:\\Games\\Half-Life\\hl.exe", "192.168.0.1",
         "C:\r\ncd\\\r\ncd \"Games\\Half-Life\\\"\r\nhl.exe -dev -console +connect "
         "192.168.0.1\r\nexit\r\n\r\n"},
        {"C:\\hl.exe", "10.0.0.1",
         "C:\r\ncd\\\r\ncd \"\"\r\nhl.exe -dev -console +connect 10.0.0.1\r\nexit\r\n\r\n"},
        {"d:\\Sierra\\Half Life\\HL.EXE", "",
         "d:\r\ncd\\\r\ncd \"Sierra\\Half Life\\\"\r\nhl.exe -dev -console +connect "
         "\r\nexit\r\n\r\n"},
        {"C:\\hl.exe.d\\hl.exe", "1.2.3.4:27015",
         "C:\r\ncd\\\r\ncd \"hl.exe.d\\\"\r\nhl.exe -dev -console +connect "
         "1.2.3.4:27015\r\nexit\r\n\r\n"},
    };
    for (const auto& c : cases) {
        const auto content = launchBatchContent(c.path, c.address);
        ASSERT_TRUE(content) << c.path << ": " << content.error();
        EXPECT_EQ(*content, c.bytes) << c.path;
    }
}

TEST_F(LaunchBatchTest, WritesCTx106hlAndReplacesTheOldFile) {
    std::ofstream(driveC / "TX106HL.BAT") << "an old and much longer batch file\r\n";
    ASSERT_TRUE(writeLaunchBatch("C:\\hl.exe", "", drives));
    EXPECT_EQ(batch(), "");  // the existing upper-case name was replaced, not a second file
    std::ifstream in(driveC / "TX106HL.BAT", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, "C:\r\ncd\\\r\ncd \"\"\r\nhl.exe -dev -console +connect \r\nexit\r\n\r\n");

    fs::remove(driveC / "TX106HL.BAT");
    ASSERT_TRUE(writeLaunchBatch("C:\\Games\\hl.exe", "1.2.3.4", drives));
    ASSERT_TRUE(writeLaunchBatch("C:\\Valve\\hl.exe", "5.6.7.8", drives));
    EXPECT_EQ(
        batch(),
        "C:\r\ncd\\\r\ncd \"Valve\\\"\r\nhl.exe -dev -console +connect 5.6.7.8\r\nexit\r\n\r\n");
}

TEST_F(LaunchBatchTest, RefusedInputsWriteNothing) {
    struct Case {
        const char* path;
        const char* address;
        const char* says;
    };
    const Case cases[] = {
        {"", "1.2.3.4", "Find Half-Life first"},
        {"hl.exe", "1.2.3.4", "is not a Half-Life program"},
        {"C:\\Games\\readme.txt", "1.2.3.4", "is not a Half-Life program"},
        {"C:\\Games\\xhl.exe", "1.2.3.4", "is not a Half-Life program"},
        {"C:\\hl.exe\\setup.exe", "1.2.3.4", "is not a Half-Life program"},
        {"C:hl.exe", "1.2.3.4", "is not a Half-Life program"},
        {"C:\\hl.exe", "1.2.3.4 & format c:", "The server address cannot go into a batch file"},
        {"C:\\hl.exe", "1.2.3.4\r\ndel *.*", "a line break"},
        {"C:\\hl.exe", "%COMSPEC%", "the variable character %"},
        {"C:\\hl.exe", "1.2.3.4>nul", "the redirection character >"},
        {"C:\\Tom & Jerry\\hl.exe", "1.2.3.4", "The Half-Life folder cannot go into a batch file"},
        {"C:\\a^b\\hl.exe", "1.2.3.4", "the escape character ^"},
    };
    for (const auto& c : cases) {
        const auto written = writeLaunchBatch(c.path, c.address, drives);
        ASSERT_FALSE(written) << c.path << " " << c.address;
        EXPECT_NE(written.error().find(c.says), std::string::npos) << written.error();
        EXPECT_FALSE(fs::exists(driveC / "tx106hl.bat")) << c.path;
    }
}

TEST_F(LaunchBatchTest, ARefusedConnectKeepsTheOldFile) {
    ASSERT_TRUE(writeLaunchBatch("C:\\hl.exe", "1.2.3.4", drives));
    const std::string before = batch();
    EXPECT_FALSE(writeLaunchBatch("C:\\hl.exe", "1.2.3.4|x", drives));
    EXPECT_EQ(batch(), before);
}

TEST_F(LaunchBatchTest, MissingDriveCIsAnError) {
    fs::remove(root / "dosdevices" / "c:");
    fs::create_directory_symlink(dir / "not-mounted", root / "dosdevices" / "c:");
    const auto written = writeLaunchBatch("C:\\hl.exe", "1.2.3.4", drives);
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find("Cannot write c:\\tx106hl.bat"), std::string::npos)
        << written.error();
}

}  // namespace
}  // namespace tunexa::launcher
