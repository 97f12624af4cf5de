// Regedit files: what the importer makes of each kind of line, and the exporter's layout, the same
// file again after a round trip through either format.
#include <gtest/gtest.h>

#include "HiveTest.h"
#include "RegText.h"
#include "regfile/Exporter.h"
#include "regfile/Importer.h"
#include "store/Ansi.h"

namespace tunexa::regfile::test {
namespace {

using namespace std::string_literals;
using namespace tunexa::test;
using store::HKEY_LOCAL_MACHINE;

class RegFileTest : public HiveTest {
  protected:
    // Everything below HKEY_LOCAL_MACHINE as a REGEDIT4 text: what a test compares the store by.
    std::string dump() { return exportRegFile(hive(), {HKEY_LOCAL_MACHINE, ""}).value_or(""); }
    // The file imported; the lines it warned about.
    std::vector<std::size_t> warnedLines(std::string_view file) {
        std::vector<std::size_t> lines;
        for (const auto& warning : importRegFile(hive(), file).warnings) {
            lines.push_back(warning.line);
        }
        return lines;
    }
};

// Strings are stored as the store's own writers store them, without a terminating NUL, else they
// would go out as hex(1).
TEST_F(RegFileTest, ARegeditExportImportsWhateverItsLineBreaksAndExportsAgainUnchanged) {
    for (const char* lineBreak : {"\r\n", "\n", "\r"}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "");
        const auto result = importRegFile(hive(), joined(kRegeditExport, lineBreak));
        EXPECT_TRUE(result.saved && result.warnings.empty());
        EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "software\\3DFX INTERACTIVE"}),
                  joined(kRegeditExport));
    }
}

// Each line goes between a value before it and one after it, in key T.
std::string around(const std::string& line) {
    return "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\T]\r\n\"before\"=\"1\"\r\n" + line +
           "\r\n\"after\"=\"2\"\r\n";
}

// Each kind of value line: a malformed one is skipped with a warning naming its line and the rest
// imported; a comment stores nothing (type 0); any other stores its type and bytes. One malformed
// line for each way the parser can find a line wrong.
TEST_F(RegFileTest, EachValueLineStoresItsTypeAndBytesOrIsSkippedWithAWarning) {
    const std::optional<std::uint32_t> kSkipped;
    for (const auto& [line, name, type, data] : std::vector<
             std::tuple<std::string, std::string, std::optional<std::uint32_t>, std::string>>{
             {"\"n\"=\"unterminated", "", kSkipped, ""},
             {"\"n\"=", "", kSkipped, ""},
             {"\"n\"=\"x\" tail", "", kSkipped, ""},
             {"\"n\"=-x", "", kSkipped, ""},
             {"\"n\"=dword:123456789", "", kSkipped, ""},
             {"\"n\"=dword:12g4", "", kSkipped, ""},
             {"\"n\"=hex:123", "", kSkipped, ""},
             {"\"n\"=hex:01,,02", "", kSkipped, ""},
             {"\"n\"=hex(123456789):01", "", kSkipped, ""},
             {"garbage", "", kSkipped, ""},
             {"\"n\"=\"a\0b\""s, "", kSkipped, ""},
             {"; a comment", "", 0, ""},
             {"\"c\"=\"a;b\" ; comment", "c", store::REG_SZ, "a;b"},
             {"\"d\"=DWORD:ff ; comment", "d", store::REG_DWORD, "\xff\0\0\0"s},
             {"\"h\"=hex:a,0B, ; comment", "h", store::REG_BINARY, "\x0a\x0b"},
             {"\"h\"=hex(ffffffff):00", "h", 0xffffffff, "\0"s},
             {"\"e\"=\"a\\\\b\\\"c\\r\\nd\\q\"", "e", store::REG_SZ, "a\\b\"c\r\nd\\q"},
             {"  \"i\" = \"spaced\"", "i", store::REG_SZ, "spaced"},
             {"\"\"=\"default\"", "", store::REG_SZ, "default"}}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "T");
        EXPECT_EQ(warnedLines(around(line)),
                  type ? std::vector<std::size_t>{} : std::vector<std::size_t>{4})
            << line;
        EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "T").size(), type.value_or(0) ? 3u : 2u)
            << line;
        if (type.value_or(0) != 0) {
            EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "T", name),
                      (store::RawValue{*type, bytes(data)}))
                << line;
        }
    }
}

// A line beyond the registry's limits, or a key line that leaves no key: its values are skipped,
// each with a warning, unless the key broke a limit, whose one warning stands for them. At the
// limits everything goes in.
TEST_F(RegFileTest, LinesThatLeaveNoKeyOrBreakALimitAreSkipped) {
    for (const auto& [line, warned] : std::vector<std::pair<std::string, std::vector<std::size_t>>>{
             {"[HKEY_LOCAL_MACHINE\\U", {4, 5}},
             {"[HKLM\\U]", {4, 5}},
             {"[-HKEY_LOCAL_MACHINE]", {4, 5}},
             {"[-HKEY_LOCAL_MACHINE\\U]", {5}},
             {"[HKEY_LOCAL_MACHINE\\" + keyPath(513) + "]", {4}},
             {"[HKEY_LOCAL_MACHINE\\U\\" + std::string(256, 'n') + "]", {4}},
             {"\"" + std::string(16384, 'n') + "\"=\"1\"", {4}}}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "T");
        EXPECT_EQ(warnedLines(around(line)), warned) << line.substr(0, 30);
        EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "T").size(), line[0] == '"' ? 2u : 1u);
    }
    const std::string longest = "[HKEY_LOCAL_MACHINE\\U\\" + std::string(255, 'n') + "]";
    EXPECT_TRUE(warnedLines(around("[HKEY_LOCAL_MACHINE\\" + keyPath(512) + "]\r\n" + longest +
                                   "\r\n\"" + std::string(16383, 'n') + "\"=\"1\""))
                    .empty());
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, keyPath(512)));
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "U\\" + std::string(255, 'n')).size(), 2u);
}

// Deletions, continued hex lines (blank and comment lines between them passed over, as regedit
// does), odd key names: the store ends as regedit would leave it. Hex data whose continuation
// the next key or the end of the file cuts off is skipped with a warning.
TEST_F(RegFileTest, ImportsLeaveTheStoreAsRegeditWould) {
    ASSERT_TRUE(importRegFile(hive(),
                              "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Old\\Child]\r\n\"x\"=\"1\""
                              "\r\n[HKEY_LOCAL_MACHINE\\Keep]\r\n\"Gone\"=\"1\"\r\n@=\"d\""
                              "\r\n\"Stays\"=\"1\"\r\n")
                    .saved);
    EXPECT_EQ(warnedLines(joined({"REGEDIT4",
                                  "\"lost\"=\"1\"",
                                  "[-HKEY_LOCAL_MACHINE\\OLD]",
                                  "[-HKEY_LOCAL_MACHINE\\Never]",
                                  "[HKEY_LOCAL_MACHINE\\Keep]",
                                  "\"gone\"=-",
                                  "@=-",
                                  "\"NotThere\"=-",
                                  "[HKEY_LOCAL_MACHINE\\\\ Spaced \\\\]",
                                  "\"v\"=\"1\"",
                                  "[hkey_local_machine\\A]b] ; the name holds ']'",
                                  "\"w\"=hex:\\",
                                  "  01,02,\\",
                                  "",
                                  "; between",
                                  "\t03 , 04,\\ ; more follows",
                                  "  05",
                                  "\"x\"=hex:01,\\",
                                  "[HKEY_LOCAL_MACHINE\\H]",
                                  "\"y\"=hex(0):ff,\\",
                                  "",
                                  "; the end"})),
              (std::vector<std::size_t>{2, 18, 20}));
    EXPECT_EQ(dump(),
              joined({"REGEDIT4", "", "[HKEY_LOCAL_MACHINE]", "", "[HKEY_LOCAL_MACHINE\\ Spaced ]",
                      "\"v\"=\"1\"", "", "[HKEY_LOCAL_MACHINE\\A]b]", "\"w\"=hex:01,02,03,04,05",
                      "", "[HKEY_LOCAL_MACHINE\\H]", "", "[HKEY_LOCAL_MACHINE\\Keep]",
                      "\"Stays\"=\"1\"", ""}));
}

TEST_F(RegFileTest, Version5FilesAreUtf16AndSoIsTheirTextData) {
    const std::vector<std::string> five = {"Windows Registry Editor Version 5.00",
                                           "",
                                           "[HKEY_LOCAL_MACHINE\\Five]",
                                           "\"Euro\"=\"\x80\"",
                                           "\"Expand\"=hex(2):25,00,41,00,25,00,00,00",
                                           "\"Bin\"=hex:61,00",
                                           "\"Cr\\r\\nLf\"=\"\x81\x8D\x8F\x90\x9D\""};
    const std::string file = "\xFF\xFE" + ansi::toUtf16Le(joined(five) + "\"Far\"=\"") +
                             "\xE5\x65"s + ansi::toUtf16Le("\"\r\n");  // U+65E5: not in 1252
    EXPECT_EQ(warnedLines(file), std::vector<std::size_t>{8});
    EXPECT_EQ(dump(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n" +
                          joined({"", "[HKEY_LOCAL_MACHINE\\Five]", "\"Euro\"=\"\x80\"",
                                  "\"Expand\"=hex(2):25,41,25,00", "\"Bin\"=hex:61,00",
                                  "\"Cr\\r\\nLf\"=\"\x81\x8D\x8F\x90\x9D\"", "\"Far\"=\"?\"", ""}));
    hive().deleteValue(HKEY_LOCAL_MACHINE, "Five", "Far");
    EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "five"}, RegFileFormat::Version5),
              "\xFF\xFE" + ansi::toUtf16Le(joined(five) + "\r\n"));
    EXPECT_FALSE(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Nowhere"}));
}

}  // namespace
}  // namespace tunexa::regfile::test
