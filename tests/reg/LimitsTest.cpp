#include <fstream>

#include "Importer.h"
#include "RegTestSupport.h"
#include "store/Limits.h"

namespace tunexa::regtool::test {
namespace {

using store::HKEY_LOCAL_MACHINE;

std::string path(std::size_t depth, std::size_t nameLength = 1) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i) {
        text += (i ? "\\" : "") + std::string(nameLength, 'k');
    }
    return text;
}

// Each limit at its edge: the largest allowed lands, one more is refused on its line alone.
TEST_F(RegTest, ImportRefusesKeysAndNamesBeyondTheRegistrysLimitsLineByLine) {
    const std::string deepest = path(store::kMaxKeyDepth);
    const std::string longest = std::string(store::kMaxKeyNameLength, 'n');
    const std::string valueName = std::string(store::kMaxValueNameLength, 'v');
    const std::string file =
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\" + deepest + "]\r\n\"" + valueName + "\"=\"1\"\r\n\"" +
        valueName + "v\"=\"2\"\r\n" + "[HKEY_LOCAL_MACHINE\\" + path(store::kMaxKeyDepth + 1) +
        "]\r\n\"lost\"=\"3\"\r\n\"lost2\"=hex:01,\\\r\n  02\r\n" + "[HKEY_LOCAL_MACHINE\\A\\" +
        longest + "]\r\n" + "[HKEY_LOCAL_MACHINE\\A\\" + longest + "n]\r\n" +
        "[-HKEY_LOCAL_MACHINE\\A\\" + longest + "n]\r\n";
    const auto result = importRegFile(hive(), file);
    EXPECT_TRUE(result.saved);
    std::vector<std::size_t> lines;
    for (const auto& warning : result.warnings) {
        lines.push_back(warning.line);
    }
    // The refused key's values go with its one warning.
    EXPECT_EQ(lines, (std::vector<std::size_t>{4, 5, 10, 11}));
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, deepest, valueName), "1");
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, deepest).size(), 1u);
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, "A\\" + longest));
    EXPECT_EQ(hive().subkeys(HKEY_LOCAL_MACHINE, "A").size(), 1u);
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, deepest + "\\k"));
}

struct LimitCase {
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.args[0];
}

class CommandLimits : public RegTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(CommandLimits, AreRefusedWithTheirReason) {
    const auto outcome = reg(GetParam().args);
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.err, GetParam().message);
    EXPECT_TRUE(hive().subkeys(HKEY_LOCAL_MACHINE, "").empty());
}

const std::string kTooDeep =
    "ERROR: Invalid key name: the key is 513 levels deep, more than the 512 the registry "
    "allows.\n";
const std::string kTooLongKey =
    "ERROR: Invalid key name: a key name of 256 characters is longer than the 255 the "
    "registry allows.\n";
const std::string kTooLongValue =
    "ERROR: Invalid value name: a value name of 16384 characters is longer than the 16383 the "
    "registry allows.\n";

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLimits,
    ::testing::Values(LimitCase{{"add", "HKLM\\" + path(513)}, kTooDeep},
                      LimitCase{{"query", "HKLM\\" + path(513)}, kTooDeep},
                      LimitCase{{"delete", "HKLM\\" + path(513), "/f"}, kTooDeep},
                      LimitCase{{"add", "HKLM\\a\\" + path(1, 256)}, kTooLongKey},
                      LimitCase{{"add", "HKLM\\a", "/v", std::string(16384, 'v')}, kTooLongValue},
                      LimitCase{{"query", "HKLM\\a", "/v", std::string(16384, 'v')},
                                kTooLongValue}));

TEST_F(RegTest, AnEmptyFileIsNotARegistryScript) {
    for (const std::string bytes : {"", "\xFF\xFE"}) {
        const auto file = (dir_ / "empty.reg").string();
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        const auto outcome = reg({"import", file});
        EXPECT_EQ(outcome.code, 1);
        EXPECT_EQ(outcome.err.find("ERROR: " + file + " is not a registry script"), 0u)
            << outcome.err;
    }
}

}  // namespace
}  // namespace tunexa::regtool::test
