#include "launcher/core/LaunchBatch.h"

#include <gtest/gtest.h>

#include "TempRoot.h"

namespace tunexa::launcher {
namespace {

namespace fs = std::filesystem;
using tunexa::test::fileBytes;

// Drive; cd\; cd "<the folders between the root and the program>\"; the game on the address;
// exit; each line ended by CR LF, and one more CR LF. The folder ends at the last "\".
// c:\tx106hl.bat is replaced whole, also when the drive holds it in another letter case; a
// refused input leaves it as it was.
TEST(LaunchBatch, WritesTheExactBytesWholeOrNotAtAll) {
    tunexa::test::TempDir dir;
    const files::Drives drives{dir / "data"};
    ASSERT_TRUE(drives.ensureDriveC());
    const auto batch = dir / "data" / "drive_c" / "TX106HL.BAT";
    tunexa::test::putFile(batch, "an old and much longer file\r\n");
    for (const auto& [path, address, expected] : {
             std::tuple{"d:\\hl.exe", "",
                        "d:\r\ncd\\\r\ncd \"\"\r\nhl.exe -dev -console +connect \r\nexit\r\n\r\n"},
             std::tuple{"C:\\hl.exe.d\\HL.EXE", "1.2.3.4:27015",
                        "C:\r\ncd\\\r\ncd \"hl.exe.d\\\"\r\n"
                        "hl.exe -dev -console +connect 1.2.3.4:27015\r\nexit\r\n\r\n"},
             std::tuple{"C:\\Games\\Half-Life\\hl.exe", "192.168.0.1",
                        "C:\r\ncd\\\r\ncd \"Games\\Half-Life\\\"\r\n"
                        "hl.exe -dev -console +connect 192.168.0.1\r\nexit\r\n\r\n"},
         }) {
        const auto written = writeLaunchBatch(path, address, drives);
        ASSERT_TRUE(written) << path << ": " << written.error();
        EXPECT_EQ(fileBytes(batch), expected) << path;
    }
    const std::string kept = fileBytes(batch);
    for (const auto& [path, address, says] : {
             std::tuple{"", "1.2.3.4", "Find Half-Life first"},
             std::tuple{"hl.exe", "1.2.3.4", "is not a Half-Life program"},
             std::tuple{"C:\\Games\\xhl.exe", "1.2.3.4", "is not a Half-Life program"},
             std::tuple{"C:\\hl.exe\\setup.exe", "1.2.3.4", "is not a Half-Life program"},
             std::tuple{"C:\\hl.exe", "1.2.3.4 & format c:",
                        "The server address cannot go into a batch file: it holds the command "
                        "separator &."},
             std::tuple{"C:\\hl.exe", "1.2.3.4\r\ndel *.*", "a line break"},
             std::tuple{"C:\\Tom & Jerry\\hl.exe", "1.2.3.4", "The Half-Life folder cannot"},
         }) {
        const auto refused = writeLaunchBatch(path, address, drives);
        ASSERT_FALSE(refused) << path << " " << address;
        EXPECT_NE(refused.error().find(says), std::string::npos) << refused.error();
    }
    EXPECT_EQ(fileBytes(batch), kept);
    fs::remove(dir / "data" / "dosdevices" / "c:");
    fs::create_directory_symlink(dir / "not-mounted", dir / "data" / "dosdevices" / "c:");
    const auto unmounted = writeLaunchBatch("C:\\hl.exe", "1.2.3.4", drives);
    EXPECT_NE(unmounted.error().find("Cannot write \"c:\\tx106hl.bat\""), std::string::npos);
}

}  // namespace
}  // namespace tunexa::launcher
