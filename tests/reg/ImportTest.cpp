#include <fstream>
#include <optional>
#include <set>

#include "Importer.h"
#include "RegTestSupport.h"
#include "store/Ansi.h"

namespace tunexa::regtool::test {
namespace {

using namespace std::string_literals;
using store::HKEY_CURRENT_USER;
using store::HKEY_LOCAL_MACHINE;

std::string withBreaks(const std::vector<std::string>& lines, std::string_view lineBreak) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += lineBreak;
    }
    return text;
}

// The way Windows 98 regedit writes an export: CR LF, a blank line before each key, hex data
// wrapped with a backslash and a two-blank indent.
const std::vector<std::string> kRegeditExport = {
    "REGEDIT4",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\Voodoo2\\D3D]",
    "\"SSTV2_SWAPINTERVAL\"=\"1\"",
    "\"Path\"=\"C:\\\\WINDOWS\\\\SYSTEM\"",
    "\"Quote\"=\"say \\\"hi\\\"\"",
    "@=\"default\"",
    "\"Count\"=dword:0000001e",
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
    "  17,18,19",
    "\"Expand\"=hex(2):25,50,41,54,48,25,00",
    "",
    "[HKEY_CURRENT_USER\\Software\\Tunexa]",
    "\"Clock\"=hex:6e",
    "\"Caf\xE9\"=\"cr\xE8me\"",
    "",
};

class LineBreaks : public RegTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(LineBreaks, RegeditExportReadsTheSameWithAnyLineBreak) {
    const auto result = importRegFile(hive(), withBreaks(kRegeditExport, GetParam()));
    ASSERT_TRUE(result.recognized);
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(result.warnings.empty());
    const std::string d3d = "software\\3dfx interactive\\voodoo2\\d3d";
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, d3d, "SSTV2_SwapInterval"), "1");
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, d3d, "Path"), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, d3d, "Quote"), "say \"hi\"");
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, d3d, ""), "default");
    EXPECT_EQ(store::RegGetDword(HKEY_LOCAL_MACHINE, d3d, "Count"), 30);
    const auto blob = hive().getValue(HKEY_LOCAL_MACHINE, d3d, "Blob");
    ASSERT_TRUE(blob);
    EXPECT_EQ(blob->type, store::REG_BINARY);
    EXPECT_EQ(blob->data.size(), 25u);
    EXPECT_EQ(blob->data.back(), 0x19);
    const auto expand = hive().getValue(HKEY_LOCAL_MACHINE, d3d, "Expand");
    ASSERT_TRUE(expand);
    EXPECT_EQ(expand->type, store::REG_EXPAND_SZ);
    EXPECT_EQ(expand->data, bytes("%PATH%\0"s));
    EXPECT_EQ(store::RegGetBinary(HKEY_CURRENT_USER, "Software\\Tunexa", "Clock"), 0x6e);
    EXPECT_EQ(store::RegGetString(HKEY_CURRENT_USER, "Software\\Tunexa", "caf\xC9"), "cr\xE8me");
    // Strings are stored as the store's own writers store them: no terminating NUL.
    EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, d3d, "Path")->data, bytes("C:\\WINDOWS\\SYSTEM"));
    EXPECT_EQ(hive().storedPath(HKEY_LOCAL_MACHINE, d3d),
              "Software\\3Dfx Interactive\\Voodoo2\\D3D");
}

INSTANTIATE_TEST_SUITE_P(Breaks, LineBreaks, ::testing::Values("\r\n", "\n", "\r"));

std::string utf16File(const std::vector<std::string>& utf8Lines) {
    return "\xFF\xFE" + ansi::toUtf16Le(ansi::fromUtf8(withBreaks(utf8Lines, "\r\n")));
}

TEST_F(RegTest, Version5FileInUtf16) {
    std::string text = utf16File({
        "Windows Registry Editor Version 5.00",
        "",
        "[HKEY_LOCAL_MACHINE\\Software\\Five]",
        "\"Euro\"=\"\xE2\x82\xAC"
        "5\"",
        "\"Expand\"=hex(2):25,00,41,00,25,00,00,00",
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00",
        "\"Bin\"=hex:61,00",
        "\"N\"=dword:ffffffff",
    });
    // A character the code page lacks, written straight as UTF-16 (U+65E5).
    const std::string farLine =
        ansi::toUtf16Le("\"Far\"=\"") + "\xE5\x65"s + ansi::toUtf16Le("\"\r\n");
    text += farLine;
    const auto result = importRegFile(hive(), text);
    ASSERT_TRUE(result.recognized);
    EXPECT_TRUE(result.saved);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].line, 9u);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Software\\Five", "Euro"),
              "\x80"
              "5");
    EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "Software\\Five", "Expand")->data,
              bytes("%A%\0"s));
    EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "Software\\Five", "Multi")->data,
              bytes("a\0b\0\0"s));
    // Binary data is never converted.
    EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "Software\\Five", "Bin")->data, bytes("a\0"s));
    EXPECT_EQ(store::RegGetDword(HKEY_LOCAL_MACHINE, "Software\\Five", "N"), -1);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Software\\Five", "Far"), "?");
}

TEST_F(RegTest, DeletionsOfKeysAndValues) {
    set("Software\\Old\\Child", "x", store::REG_SZ, "1");
    set("Software\\Keep", "Gone", store::REG_SZ, "1");
    set("Software\\Keep", "", store::REG_SZ, "default");
    set("Software\\Keep", "Stays", store::REG_SZ, "1");
    const auto result = importRegFile(
        hive(),
        withBreaks({"REGEDIT4", "[-HKEY_LOCAL_MACHINE\\Software\\OLD]",
                    "[-HKEY_LOCAL_MACHINE\\Software\\Never]",
                    "[HKEY_LOCAL_MACHINE\\Software\\Keep]", "\"gone\"=-", "@=-", "\"NotThere\"=-"},
                   "\r\n"));
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Old"));
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Never"));
    const auto values = hive().values(HKEY_LOCAL_MACHINE, "Software\\Keep");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Stays");
}

TEST_F(RegTest, KeyLinesKeepBlanksAndCollapseBackslashes) {
    const auto result = importRegFile(
        hive(),
        withBreaks({"REGEDIT4", "[HKEY_LOCAL_MACHINE\\\\Software\\\\ Spaced Key \\\\]",
                    "\"v\"=\"1\"", "[hkey_current_user\\A]b] ; the name holds ']'", "\"w\"=\"2\""},
                   "\r\n"));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(hive().storedPath(HKEY_LOCAL_MACHINE, "Software\\ Spaced Key "),
              "Software\\ Spaced Key ");
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Spaced Key"));
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Software\\ Spaced Key ", "v"), "1");
    EXPECT_EQ(store::RegGetString(HKEY_CURRENT_USER, "A]b", "w"), "2");
}

TEST_F(RegTest, HexContinuesOverSeveralLinesAndAtTheEndOfTheFile) {
    const auto result = importRegFile(
        hive(), withBreaks({"REGEDIT4", "[HKEY_LOCAL_MACHINE\\H]", "\"a\"=hex:\\", "  01,02,\\",
                            "\t03 , 04,\\ ; more follows", "  05", "\"b\"=hex(0):ff,\\"},
                           "\r\n"));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "H", "a")->data, bytes("\1\2\3\4\5"s));
    const auto b = hive().getValue(HKEY_LOCAL_MACHINE, "H", "b");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->type, store::REG_NONE);
    EXPECT_EQ(b->data, bytes("\xFF"));
}

TEST_F(RegTest, AKeyLineIsNeverTakenAsHexContinuation) {
    const auto result = importRegFile(
        hive(), withBreaks({"REGEDIT4", "[HKEY_LOCAL_MACHINE\\H]", "\"a\"=hex:01,\\",
                            "[HKEY_LOCAL_MACHINE\\Other]", "\"b\"=hex:02,\\", "\"c\"=\"1\""},
                           "\r\n"));
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_EQ(result.warnings[0].line, 3u);
    EXPECT_EQ(result.warnings[1].line, 5u);
    EXPECT_FALSE(hive().getValue(HKEY_LOCAL_MACHINE, "H", "a"));
    EXPECT_FALSE(hive().getValue(HKEY_LOCAL_MACHINE, "Other", "b"));
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Other", "c"), "1");
    EXPECT_TRUE(hive().values(HKEY_LOCAL_MACHINE, "H").empty());
}

class Headers : public RegTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(Headers, AnythingButTheTwoHeadersImportsNothing) {
    const std::string file = GetParam() + "\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n\"v\"=\"1\"\r\n";
    const auto result = importRegFile(hive(), file);
    EXPECT_FALSE(result.recognized);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Planted"));
}

INSTANTIATE_TEST_SUITE_P(Table, Headers,
                         ::testing::Values("", "regedit4", "REGEDIT4 ", " REGEDIT4", "REGEDIT5",
                                           "Windows Registry Editor Version 5.0",
                                           "Windows Registry Editor Version 5.00 ",
                                           "\xEF\xBB\xBFREGEDIT4", "[HKEY_LOCAL_MACHINE\\X]"));

TEST_F(RegTest, HeaderAloneImportsNothingAndSucceeds) {
    const auto result = importRegFile(hive(), "REGEDIT4");
    EXPECT_TRUE(result.recognized);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.operations, 0u);
}

// One line put between a good value before it and one after it, and what must happen.
struct LineCase {
    std::string line;
    bool warns;
    bool afterKept;                           // the value after the line still lands
    std::string name;                         // a value to look at afterwards ("" = none)
    std::optional<store::RawValue> expected;  // its type and data, or absent
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << '"' << c.line << '"';
}

class LineTable : public RegTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTable, EachLineHasItsEffect) {
    const auto& c = GetParam();
    const std::string file = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\T]\r\n\"before\"=\"1\"\r\n" +
                             c.line + "\r\n\"after\"=\"2\"\r\n";
    const auto result = importRegFile(hive(), file);
    ASSERT_TRUE(result.recognized);
    EXPECT_TRUE(result.saved);
    std::set<std::size_t> warned;
    for (const auto& warning : result.warnings) {
        warned.insert(warning.line);
    }
    EXPECT_EQ(warned.count(4), c.warns ? 1u : 0u) << c.line;
    // A value that cannot land is never dropped silently.
    EXPECT_EQ(warned.count(5), c.afterKept ? 0u : 1u) << c.line;
    if (c.name != "before") {
        EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "T", "before"), "1");
    }
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "T", "after").has_value(), c.afterKept);
    if (!c.name.empty()) {
        const std::string name = c.name == "@" ? "" : c.name;
        const auto value = hive().getValue(HKEY_LOCAL_MACHINE, "T", name);
        ASSERT_EQ(value.has_value(), c.expected.has_value()) << c.line;
        if (value) {
            EXPECT_EQ(value->type, c.expected->type) << c.line;
            EXPECT_EQ(value->data, c.expected->data) << c.line;
        }
    }
}

store::RawValue raw(std::uint32_t type, std::string data) {
    return {type, store::Bytes(data.begin(), data.end())};
}

const auto kAbsent = std::optional<store::RawValue>();

INSTANTIATE_TEST_SUITE_P(
    Malformed, LineTable,
    ::testing::Values(LineCase{"\"n\"=\"unterminated", true, true, "n", kAbsent},
                      LineCase{"\"n=\"x\"", true, true, "", kAbsent},
                      LineCase{"\"n\"", true, true, "n", kAbsent},
                      LineCase{"\"n\" \"x\"", true, true, "n", kAbsent},
                      LineCase{"\"n\"=", true, true, "n", kAbsent},
                      LineCase{"\"n\"=text", true, true, "n", kAbsent},
                      LineCase{"\"n\"=\"x\" trailing", true, true, "n", kAbsent},
                      LineCase{"\"n\"=-x", true, true, "n", kAbsent},
                      LineCase{"\"n\"=dword:", true, true, "n", kAbsent},
                      LineCase{"\"n\"=dword:123456789", true, true, "n", kAbsent},
                      LineCase{"\"n\"=dword:12g4", true, true, "n", kAbsent},
                      LineCase{"\"n\"=dword:1 2", true, true, "n", kAbsent},
                      LineCase{"\"n\"=dword:-1", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex:1,xyz", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex:123", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex:01,,02", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex:,", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex(zz):01", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex(2:01", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex(123456789):01", true, true, "n", kAbsent},
                      LineCase{"\"n\"=hex 01", true, true, "n", kAbsent},
                      LineCase{"\"n\"=\"a\0b\""s, true, true, "n", kAbsent},
                      LineCase{"garbage", true, true, "", kAbsent},
                      LineCase{"=\"x\"", true, true, "@", kAbsent},
                      // A broken key line leaves no key: the values after it are skipped too.
                      LineCase{"[HKEY_LOCAL_MACHINE\\U", true, false, "", kAbsent},
                      LineCase{"[HKLM\\U]", true, false, "", kAbsent},
                      LineCase{"[HKEY_NOWHERE\\U]", true, false, "", kAbsent},
                      LineCase{"[-HKEY_LOCAL_MACHINE]", true, false, "", kAbsent},
                      LineCase{"[-HKEY_LOCAL_MACHINE\\U]", false, false, "", kAbsent}));

INSTANTIATE_TEST_SUITE_P(
    WellFormed, LineTable,
    ::testing::Values(
        LineCase{"; a comment", false, true, "", kAbsent},
        LineCase{"# a comment", false, true, "", kAbsent},
        LineCase{" \t ", false, true, "", kAbsent},
        LineCase{"\"c\"=\"v\" ; comment", false, true, "c", raw(store::REG_SZ, "v")},
        LineCase{"\"c\"=\"a;b\"", false, true, "c", raw(store::REG_SZ, "a;b")},
        LineCase{"\"d\"=dword:ff ; comment", false, true, "d",
                 raw(store::REG_DWORD, "\xff\0\0\0"s)},
        LineCase{"\"d\"=DWORD:1", false, true, "d", raw(store::REG_DWORD, "\1\0\0\0"s)},
        LineCase{"\"h\"=hex:01,02 ; comment", false, true, "h", raw(store::REG_BINARY, "\1\2")},
        LineCase{"\"h\"=hex:", false, true, "h", raw(store::REG_BINARY, "")},
        LineCase{"\"h\"=hex:a,0B,", false, true, "h", raw(store::REG_BINARY, "\x0a\x0b")},
        LineCase{"\"h\"=hex(b):01,00,00,00,00,00,00,00", false, true, "h",
                 raw(11, "\1\0\0\0\0\0\0\0"s)},
        LineCase{"\"h\"=hex(ffffffff):00", false, true, "h", raw(0xffffffff, "\0"s)},
        LineCase{"\"h\"=hex(1):61,00,62", false, true, "h", raw(store::REG_SZ, "a\0b"s)},
        LineCase{"\"e\"=\"a\\\\b\\\"c\\r\\nd\"", false, true, "e",
                 raw(store::REG_SZ, "a\\b\"c\r\nd")},
        LineCase{"\"e\"=\"\\q\"", false, true, "e", raw(store::REG_SZ, "\\q")},
        LineCase{"\"e\"=\"\"", false, true, "e", raw(store::REG_SZ, "")},
        LineCase{"  \"i\" = \"spaced\"", false, true, "i", raw(store::REG_SZ, "spaced")},
        LineCase{"\"\"=\"default\"", false, true, "@", raw(store::REG_SZ, "default")},
        LineCase{"@ = \"default\"", false, true, "@", raw(store::REG_SZ, "default")},
        LineCase{"\"before\"=-", false, true, "before", kAbsent},
        LineCase{"\"q\\\"x\"=\"1\"", false, true, "q\"x", raw(store::REG_SZ, "1")}));

TEST_F(RegTest, ValuesBeforeAnyKeyAreSkippedWithAWarning) {
    const auto result =
        importRegFile(hive(), "REGEDIT4\n\"lost\"=\"1\"\n[HKEY_USERS\\K]\n\"v\"=\"1\"\n");
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].line, 2u);
    EXPECT_EQ(hive().values(store::HKEY_USERS, "K").size(), 1u);
}

TEST_F(RegTest, AFailedImportLeavesNothingBehind) {
    tunexa::test::TempDir other;
    // A hive that cannot be opened: every write fails, so the one transaction is not committed.
    std::ofstream(other / "file") << "x";
    auto broken = store::Hive::open(other / "file" / "registry.db");
    const auto result = importRegFile(*broken, withBreaks(kRegeditExport, "\r\n"));
    EXPECT_TRUE(result.recognized);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.failure.empty());
}

TEST_F(RegTest, ImportIsOneTransactionInsideAnOuterBatch) {
    // The import nests inside a caller's batch: rolling that back undoes the whole file.
    ASSERT_TRUE(hive().beginBatch());
    EXPECT_TRUE(importRegFile(hive(), withBreaks(kRegeditExport, "\r\n")).saved);
    hive().rollbackBatch();
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive"));
    EXPECT_FALSE(hive().keyExists(HKEY_CURRENT_USER, "Software\\Tunexa"));
}

}  // namespace
}  // namespace tunexa::regtool::test
