// Regedit files: what the importer makes of each kind of line, the layout the exporter writes,
// and that the two bring any tree back byte for byte.
#include <sqlite3.h>

#include <random>

#include "Importer.h"
#include "RegTestSupport.h"
#include "Roots.h"
#include "store/Ansi.h"

namespace tunexa::regtool::test {
namespace {

std::vector<std::size_t> warnedLines(const ImportResult& result) {
    std::vector<std::size_t> lines;
    for (const auto& warning : result.warnings) {
        lines.push_back(warning.line);
    }
    return lines;
}

// A Windows 98 regedit export imports whatever its line breaks, and exports again unchanged.
TEST_F(RegTest, ARegeditExportImportsAndExportsAgainUnchanged) {
    for (const char* lineBreak : {"\r\n", "\n", "\r"}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "");
        const auto result = importRegFile(hive(), joined(kRegeditExport, lineBreak));
        EXPECT_TRUE(result.saved && result.warnings.empty());
        // Strings are stored as the store's own writers store them, without a terminating NUL,
        // else they would go out as hex(1).
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
// imported; a comment or a blank line stores nothing (type 0); any other stores its type and
// bytes. One malformed line for each way the parser can find a line wrong.
TEST_F(RegTest, EachValueLineStoresItsTypeAndBytesOrIsSkippedWithAWarning) {
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
        const auto result = importRegFile(hive(), around(line));
        EXPECT_EQ(warnedLines(result),
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
TEST_F(RegTest, LinesThatLeaveNoKeyOrBreakALimitAreSkipped) {
    for (const auto& [line, warned] : std::vector<std::pair<std::string, std::vector<std::size_t>>>{
             {"[HKEY_LOCAL_MACHINE\\U", {4, 5}},
             {"[HKLM\\U]", {4, 5}},
             {"[-HKEY_LOCAL_MACHINE]", {4, 5}},
             {"[-HKEY_LOCAL_MACHINE\\U]", {5}},
             {"[HKEY_LOCAL_MACHINE\\" + keyPath(513) + "]", {4}},
             {"[HKEY_LOCAL_MACHINE\\U\\" + std::string(256, 'n') + "]", {4}},
             {"\"" + std::string(16384, 'n') + "\"=\"1\"", {4}}}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "T");
        EXPECT_EQ(warnedLines(importRegFile(hive(), around(line))), warned) << line.substr(0, 30);
        EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "T").size(), line[0] == '"' ? 2u : 1u);
    }
    const std::string longest = "[HKEY_LOCAL_MACHINE\\U\\" + std::string(255, 'n') + "]";
    const auto result =
        importRegFile(hive(), around("[HKEY_LOCAL_MACHINE\\" + keyPath(512) + "]\r\n" + longest +
                                     "\r\n\"" + std::string(16383, 'n') + "\"=\"1\""));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, keyPath(512)));
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "U\\" + std::string(255, 'n')).size(), 2u);
}

// Deletions, continued hex lines, odd key names: the store ends as regedit would leave it.
TEST_F(RegTest, ImportsLeaveTheStoreAsRegeditWould) {
    ASSERT_TRUE(importRegFile(hive(),
                              "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Old\\Child]\r\n\"x\"=\"1\""
                              "\r\n[HKEY_LOCAL_MACHINE\\Keep]\r\n\"Gone\"=\"1\"\r\n@=\"d\""
                              "\r\n\"Stays\"=\"1\"\r\n")
                    .saved);
    const auto result = importRegFile(
        hive(), joined({"REGEDIT4", "\"lost\"=\"1\"", "[-HKEY_LOCAL_MACHINE\\OLD]",
                        "[-HKEY_LOCAL_MACHINE\\Never]", "[HKEY_LOCAL_MACHINE\\Keep]", "\"gone\"=-",
                        "@=-", "\"NotThere\"=-", "[HKEY_LOCAL_MACHINE\\\\ Spaced \\\\]",
                        "\"v\"=\"1\"", "[hkey_local_machine\\A]b] ; the name holds ']'",
                        "\"w\"=hex:\\", "  01,02,\\", "\t03 , 04,\\ ; more follows", "  05",
                        "\"x\"=hex:01,\\", "[HKEY_LOCAL_MACHINE\\H]", "\"y\"=hex(0):ff,\\"}));
    EXPECT_EQ(warnedLines(result), (std::vector<std::size_t>{2, 16}));
    EXPECT_EQ(dump(),
              joined({"REGEDIT4", "", "[HKEY_LOCAL_MACHINE]", "", "[HKEY_LOCAL_MACHINE\\ Spaced ]",
                      "\"v\"=\"1\"", "", "[HKEY_LOCAL_MACHINE\\A]b]", "\"w\"=hex:01,02,03,04,05",
                      "", "[HKEY_LOCAL_MACHINE\\H]", "\"y\"=hex(0):ff", "",
                      "[HKEY_LOCAL_MACHINE\\Keep]", "\"Stays\"=\"1\"", ""}));
}

TEST_F(RegTest, Version5FilesAreUtf16AndSoIsTheirTextData) {
    const std::vector<std::string> five = {"Windows Registry Editor Version 5.00",
                                           "",
                                           "[HKEY_LOCAL_MACHINE\\Five]",
                                           "\"Euro\"=\"\x80\"",
                                           "\"Expand\"=hex(2):25,00,41,00,25,00,00,00",
                                           "\"Bin\"=hex:61,00"};
    const std::string file = "\xFF\xFE" + ansi::toUtf16Le(joined(five) + "\"Far\"=\"") +
                             "\xE5\x65"s + ansi::toUtf16Le("\"\r\n");  // U+65E5: not in 1252
    const auto result = importRegFile(hive(), file);
    EXPECT_EQ(warnedLines(result), std::vector<std::size_t>{7});
    EXPECT_EQ(dump(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n" +
                          joined({"", "[HKEY_LOCAL_MACHINE\\Five]", "\"Euro\"=\"\x80\"",
                                  "\"Expand\"=hex(2):25,41,25,00", "\"Bin\"=hex:61,00",
                                  "\"Far\"=\"?\"", ""}));
    hive().deleteValue(HKEY_LOCAL_MACHINE, "Five", "Far");
    EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "five"}, RegFileFormat::Version5),
              "\xFF\xFE" + ansi::toUtf16Le(joined(five) + "\r\n"));
    EXPECT_FALSE(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Nowhere"}));
}

// An import is one transaction: a write the store refuses midway (here a trigger) leaves nothing
// of the file, with the store's reason. (Inside a caller's batch it joins it: W9xTest.)
TEST_F(RegTest, AnImportIsOneTransaction) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ / "registry.db").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db,
                     "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.name = "
                     "CAST('Odd' AS BLOB) BEGIN SELECT RAISE(ABORT, 'refused by the disk'); END;",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    const auto failed = importRegFile(hive(), joined(kRegeditExport));
    EXPECT_TRUE(failed.recognized && !failed.saved && !hive().inBatch());
    EXPECT_NE(failed.failure.find("refused by the disk"), std::string::npos) << failed.failure;
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software"));
}

// Every key and value below Tree, independently of the exporter.
std::vector<std::string> snapshot(store::Hive& hive, const std::string& key) {
    std::vector<std::string> shot = {key};
    for (const auto& value : hive.values(HKEY_LOCAL_MACHINE, key)) {
        shot.push_back(value.name + "=" + std::to_string(value.type) + ":" +
                       std::string(value.data.begin(), value.data.end()));
    }
    for (const auto& child : hive.subkeys(HKEY_LOCAL_MACHINE, key)) {
        const auto below = snapshot(hive, joinPath(key, child));
        shot.insert(shot.end(), below.begin(), below.end());
    }
    return shot;
}

// Random names, types and bytes: whatever the store holds goes out and comes back exactly.
TEST_F(RegTest, AnyTreeComesBackExactlyThroughEitherFormat) {
    std::mt19937 random(20261206);
    auto text = [&](int minLength, int maxLength, int lowest) {
        std::string out(std::uniform_int_distribution<int>(minLength, maxLength)(random), '_');
        for (char& c : out) {
            c = static_cast<char>(std::uniform_int_distribution<int>(lowest, 255)(random));
        }
        return out;
    };
    set("Tree", "", store::REG_SZ, "the default");
    set("Tree", "@", store::REG_SZ, "");
    ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Tree\\Empty key"));
    for (int k = 0; k < 12; ++k) {
        std::string key = "Tree";
        for (int d = 0; d <= k % 3; ++d) {
            // A key name cannot hold a backslash (the separator) or a line break.
            std::string name = text(1, 12, 1);
            std::replace_if(
                name.begin(), name.end(),
                [](char c) { return c == '\\' || c == '\r' || c == '\n'; }, '_');
            key += "\\" + name;
        }
        for (int v = 0; v < 12; ++v) {
            const int pick = std::uniform_int_distribution<int>(0, 9)(random);
            const auto type = static_cast<std::uint32_t>(pick < 8 ? pick : 17 * (random() % 256));
            const bool dword = type == store::REG_DWORD && v % 2 == 0;
            set(key, text(0, 20, 1), type, dword ? text(4, 4, 0) : text(0, 120, 0));
        }
    }
    const auto before = snapshot(hive(), "Tree");
    for (const RegFileFormat format : {RegFileFormat::Regedit4, RegFileFormat::Version5}) {
        const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Tree"}, format);
        ASSERT_TRUE(file && hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "Tree"));
        const auto result = importRegFile(hive(), *file);
        EXPECT_TRUE(result.saved && result.warnings.empty());
        EXPECT_EQ(snapshot(hive(), "Tree"), before);
        EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Tree"}, format), file);
    }
}

}  // namespace
}  // namespace tunexa::regtool::test
