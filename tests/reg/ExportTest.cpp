#include "Exporter.h"
#include "RegTestSupport.h"
#include "store/Ansi.h"

namespace tunexa::regtool::test {
namespace {

using namespace std::string_literals;
using store::HKEY_LOCAL_MACHINE;

TEST_F(RegTest, ExportLaysOutTheTreeAsWindows98Regedit) {
    set("Software\\Tunexa", "Clock", store::REG_SZ, "100");
    set("Software\\Tunexa", "Flags", store::REG_DWORD, "\x1e\0\0\0"s);
    set("Software\\Tunexa", "", store::REG_SZ, "def");
    set("Software\\Tunexa", "Gamma", store::REG_BINARY, "\x01\xff");
    set("Software\\Tunexa", "Path", store::REG_EXPAND_SZ, "%WINDIR%");
    set("Software\\Tunexa", "Nul", store::REG_SZ, "a\0b"s);
    set("Software\\Tunexa", "Lines", store::REG_SZ, "a\r\n");
    set("Software\\Tunexa", "Short", store::REG_DWORD, "\x01\x02");
    set("Software\\Tunexa", "Odd", 0x1b, "\xAB");
    set("Software\\Tunexa", "Esc\"q\\", store::REG_SZ, "C:\\x \"y\" \xE9");
    set("Software\\Tunexa\\b\\z", "", store::REG_NONE, "");
    set("Software\\Tunexa\\A", "v", store::REG_SZ, "1");
    ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Software\\Tunexa\\C"));

    const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "software\\TUNEXA"});
    ASSERT_TRUE(file);
    EXPECT_EQ(*file,
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tunexa]\r\n"
              "\"Clock\"=\"100\"\r\n"
              "\"Flags\"=dword:0000001e\r\n"
              "@=\"def\"\r\n"
              "\"Gamma\"=hex:01,ff\r\n"
              "\"Path\"=hex(2):25,57,49,4e,44,49,52,25\r\n"
              "\"Nul\"=hex(1):61,00,62\r\n"
              "\"Lines\"=hex(1):61,0d,0a\r\n"
              "\"Short\"=hex(4):01,02\r\n"
              "\"Odd\"=hex(1b):ab\r\n"
              "\"Esc\\\"q\\\\\"=\"C:\\\\x \\\"y\\\" \xE9\"\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tunexa\\A]\r\n"
              "\"v\"=\"1\"\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tunexa\\b]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tunexa\\b\\z]\r\n"
              "@=hex(0):\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tunexa\\C]\r\n"
              "\r\n");
}

std::string counting(std::size_t count) {
    std::string data;
    for (std::size_t i = 0; i < count; ++i) {
        data += static_cast<char>(i);
    }
    return data;
}

TEST_F(RegTest, ExportWrapsHexAtRegeditsWidth) {
    set("W", "Data", store::REG_BINARY, counting(30));
    const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "W"});
    ASSERT_TRUE(file);
    EXPECT_EQ(
        *file,
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\W]\r\n"
        "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
        "  16,17,18,19,1a,1b,1c,1d\r\n\r\n");
}

TEST_F(RegTest, LongHexLinesStayWithinEightyColumns) {
    set("W", "A rather long value name for wrapping", store::REG_BINARY, counting(200));
    set("W", std::string(90, 'n'), 0x2, counting(3));
    const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "W"});
    ASSERT_TRUE(file);
    std::size_t continuations = 0;
    std::size_t start = 0;
    for (auto end = file->find("\r\n"); end != std::string::npos;
         start = end + 2, end = file->find("\r\n", start)) {
        const std::string line = file->substr(start, end - start);
        if (line.starts_with("  ")) {
            ++continuations;
            // Whole continuation lines hold 25 bytes: "  " + 25 * "xx," + "\".
            if (line.back() == '\\') {
                EXPECT_EQ(line.size(), 78u) << line;
            }
        } else if (!line.starts_with("\"nnnn")) {
            EXPECT_LE(line.size(), 80u) << line;
        }
    }
    // 200 bytes: 11 on the first line after the long name, then 25 a line (8 more lines); the
    // name of 90 characters leaves room for one byte before the break (1 more line).
    EXPECT_EQ(continuations, 8u + 1u);
}

TEST_F(RegTest, ExportOfTheVersion5FormIsUtf16WithUtf16StringData) {
    set("Five", "Euro", store::REG_SZ, "\x80");
    set("Five", "Expand", store::REG_EXPAND_SZ, "%A%");
    const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Five"}, RegFileFormat::Version5);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->starts_with("\xFF\xFE"));
    EXPECT_EQ(ansi::fromUtf16Le(file->substr(2)),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Five]\r\n"
              "\"Euro\"=\"\x80\"\r\n"
              "\"Expand\"=hex(2):25,00,41,00,25,00\r\n\r\n");
    // The euro sign is U+20AC in the file.
    EXPECT_NE(file->find("\xAC\x20"), std::string::npos);
}

TEST_F(RegTest, ExportOfAMissingKeyGivesNothing) {
    EXPECT_FALSE(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Nowhere"}));
}

TEST_F(RegTest, ExportOfARootStartsAtTheRoot) {
    set("K", "v", store::REG_SZ, "1");
    const auto file = exportRegFile(hive(), {store::HKEY_LOCAL_MACHINE, ""});
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->starts_with(
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"1\"\r\n"));
}

}  // namespace
}  // namespace tunexa::regtool::test
