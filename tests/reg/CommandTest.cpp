#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "RegTestSupport.h"

namespace tunexa::regtool::test {
namespace {

using store::HKEY_LOCAL_MACHINE;

struct RefusedCase {
    std::vector<std::string> args;
    std::string message;  // a part of what the refusal says
};

class RefusedArguments : public RegTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedArguments, ExitOneWithAMessageAndChangeNothing) {
    const auto outcome = reg(GetParam().args);
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find(GetParam().message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Foo"));
}

const std::string kNumeric = "Specify a valid numeric value for /d";

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedArguments,
    ::testing::Values(
        RefusedCase{{}, "An operation is missing."},
        RefusedCase{{"COPY", "HKLM\\Foo", "HKLM\\Bar"}, "is not an operation tunexa-reg knows"},
        RefusedCase{{"query"}, "The key name is missing."},
        RefusedCase{{"query", "HKXX\\Foo"}, "ERROR: Invalid key name."},
        RefusedCase{{"query", "\\\\pc\\HKLM\\Foo"}, "Remote machines are not supported"},
        RefusedCase{{"query", "HKLM\\Foo", "/v"}, "/v needs a value after it."},
        RefusedCase{{"query", "HKLM\\Foo", "/v", "a", "/ve"}, "/v and /ve cannot be used"},
        RefusedCase{{"query", "HKXX\\Foo", "/v", "a", "/ve"}, "/v and /ve cannot be used"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/ve"}, "/v and /ve cannot be used"},
        RefusedCase{{"add", "HKXX\\Foo", "/ve", "/v", "a"}, "/v and /ve cannot be used"},
        RefusedCase{{"query", "HKLM\\Foo", "/x"}, "Unknown switch \"/x\"."},
        RefusedCase{{"query", "HKLM\\Foo", "more"}, "Too many arguments: \"more\"."},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "-V", "b"}, "-V is given more than once."},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_TEXT"}, "Unknown type"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_DWORD", "/d", "-1"}, kNumeric},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"},
                    kNumeric},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_DWORD", "/d", "0x100000000"},
                    kNumeric},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_DWORD", "/d", "twelve"}, kNumeric},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_DWORD", "/d", ""}, kNumeric},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_QWORD", "/d", "-5"},
                    "Specify a valid numeric value"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_BINARY", "/d", "abc"},
                    "two for each byte"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_NONE", "/d", "zz"},
                    "two for each byte"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/s", "#", "/d", "x"},
                    "/s is only for REG_MULTI_SZ"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_MULTI_SZ", "/s", "##"},
                    "exactly one character"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "a", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"},
                    "cannot hold an empty string"},
        RefusedCase{{"add", "HKLM\\Foo", "/v", "\xE6\x97\xA5"}, "Windows-1252"},
        RefusedCase{{"add", "HKLM\\Foo\xE6\x97\xA5", "/ve"}, "Windows-1252"},
        RefusedCase{{"delete", "HKLM", "/f"}, "A root key cannot be deleted."},
        RefusedCase{{"delete", "HKLM\\Foo", "/v", "a", "/va"}, "Use only one of /v, /ve and /va."},
        RefusedCase{{"export", "HKLM\\Foo"}, "The file name is missing."},
        RefusedCase{{"import"}, "The file name is missing."},
        RefusedCase{{"import", "a.reg", "HKLM", "c"}, "Too many arguments"}));

struct DwordCase {
    std::string text;
    std::optional<std::uint32_t> value;
};

class DwordArgument : public ::testing::TestWithParam<DwordCase> {};

TEST_P(DwordArgument, ParsesDecimalAndHexWithinRange) {
    EXPECT_EQ(parseDwordArgument(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DwordArgument,
    ::testing::Values(DwordCase{"0", 0u}, DwordCase{"42", 42u}, DwordCase{"010", 10u},
                      DwordCase{"4294967295", 0xFFFFFFFFu}, DwordCase{"0x10", 16u},
                      DwordCase{"0XfF", 255u}, DwordCase{"0xFFFFFFFF", 0xFFFFFFFFu},
                      DwordCase{"-1", std::nullopt}, DwordCase{"+1", std::nullopt},
                      DwordCase{"4294967296", std::nullopt},
                      DwordCase{"99999999999999999999999", std::nullopt},
                      DwordCase{"0x100000000", std::nullopt}, DwordCase{"", std::nullopt},
                      DwordCase{"0x", std::nullopt}, DwordCase{"12abc", std::nullopt},
                      DwordCase{"1.5", std::nullopt}, DwordCase{" 1", std::nullopt},
                      DwordCase{"0x-1", std::nullopt}, DwordCase{"ff", std::nullopt}));

struct AddCase {
    std::vector<std::string> extra;  // after "add HKLM\Foo /v V"
    std::uint32_t type;
    std::string data;
};

class AddStores : public RegTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddStores, TheTypeAndBytes) {
    std::vector<std::string> args = {"add", "HKLM\\Foo", "/v", "V"};
    args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
    const auto outcome = reg(args);
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "The operation completed successfully.\n");
    const auto value = hive().getValue(HKEY_LOCAL_MACHINE, "foo", "v");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, GetParam().type);
    EXPECT_EQ(value->data, bytes(GetParam().data));
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Table, AddStores,
    ::testing::Values(
        AddCase{{}, store::REG_SZ, ""}, AddCase{{"/d", "abc"}, store::REG_SZ, "abc"},
        AddCase{{"/d", "caf\xC3\xA9 \xE2\x82\xAC"}, store::REG_SZ, "caf\xE9 \x80"},
        AddCase{{"-t", "reg_expand_sz", "-d", "%PATH%"}, store::REG_EXPAND_SZ, "%PATH%"},
        AddCase{{"/t", "REG_MULTI_SZ", "/d", "a\\0bc"}, store::REG_MULTI_SZ, "a\0bc\0\0"s},
        AddCase{{"/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b"}, store::REG_MULTI_SZ, "a\0b\0\0"s},
        AddCase{{"/t", "REG_MULTI_SZ", "/d", ""}, store::REG_MULTI_SZ, "\0"s},
        AddCase{{"/t", "REG_DWORD", "/d", "0x12345678"}, store::REG_DWORD, "\x78\x56\x34\x12"},
        AddCase{{"/t", "REG_DWORD", "/d", "4294967295"}, store::REG_DWORD, "\xFF\xFF\xFF\xFF"},
        AddCase{{"/t", "REG_DWORD"}, store::REG_DWORD, "\0\0\0\0"s},
        AddCase{
            {"/t", "REG_DWORD_BIG_ENDIAN", "/d", "1"}, store::REG_DWORD_BIG_ENDIAN, "\0\0\0\1"s},
        AddCase{{"/t", "REG_QWORD", "/d", "0x0102030405060708"},
                11,
                "\x08\x07\x06\x05\x04\x03\x02\x01"},
        AddCase{{"/t", "REG_BINARY", "/d", "00FFa0"}, store::REG_BINARY, "\0\xFF\xA0"s},
        AddCase{{"/t", "REG_NONE"}, store::REG_NONE, ""}));

TEST_F(RegTest, AddWithoutValueCreatesTheKeyOnly) {
    EXPECT_EQ(reg({"add", "HKCU\\Software\\New\\Deep"}).code, 0);
    EXPECT_TRUE(hive().keyExists(store::HKEY_CURRENT_USER, "software\\new\\deep"));
    EXPECT_TRUE(hive().values(store::HKEY_CURRENT_USER, "Software\\New\\Deep").empty());
}

TEST_F(RegTest, AddDefaultValueWithVe) {
    EXPECT_EQ(reg({"add", "HKEY_LOCAL_MACHINE\\Foo\\", "/ve", "/d", "x"}).code, 0);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Foo", ""), "x");
}

struct OverwriteCase {
    std::string input;
    bool overwritten;
    int questions;
};

class OverwritePrompt : public RegTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwritePrompt, AsksUntilYesOrNoAndEndOfInputIsNo) {
    set("Foo", "Name", store::REG_SZ, "old");
    const auto outcome = reg({"add", "HKLM\\Foo", "/v", "name", "/d", "new"}, GetParam().input);
    EXPECT_EQ(outcome.code, 0);
    const std::string question = "Value name exists, overwrite(Yes/No)? ";
    int asked = 0;
    for (auto at = outcome.out.find(question); at != std::string::npos;
         at = outcome.out.find(question, at + 1)) {
        ++asked;
    }
    EXPECT_EQ(asked, GetParam().questions) << outcome.out;
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Foo", "Name"),
              GetParam().overwritten ? "new" : "old");
    EXPECT_NE(outcome.out.find(GetParam().overwritten ? "The operation completed successfully."
                                                      : "The operation was canceled by the user."),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, OverwritePrompt,
                         ::testing::Values(OverwriteCase{"yes\n", true, 1},
                                           OverwriteCase{"Y\r\n", true, 1},
                                           OverwriteCase{"no\n", false, 1},
                                           OverwriteCase{"", false, 1},
                                           OverwriteCase{"maybe\n\nYES\n", true, 3},
                                           OverwriteCase{"later\n", false, 2}));

TEST_F(RegTest, ForceOverwritesWithoutAsking) {
    set("Foo", "Name", store::REG_SZ, "old");
    const auto outcome =
        reg({"add", "HKLM\\Foo", "/v", "Name", "/t", "REG_DWORD", "/d", "7", "/F"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out, "The operation completed successfully.\n");
    EXPECT_EQ(store::RegGetDword(HKEY_LOCAL_MACHINE, "Foo", "Name"), 7);
}

class QueryTest : public RegTest {
  protected:
    void SetUp() override {
        RegTest::SetUp();
        set("Software\\Foo", "Name", store::REG_SZ, "h\xE9llo");
        set("Software\\Foo", "Num", store::REG_DWORD, "\x1f\0\0\0"s);
        set("Software\\Foo", "Bin", store::REG_BINARY, "\0\xFF\x10"s);
        set("Software\\Foo", "M", store::REG_MULTI_SZ, "a\0b\0\0"s);
        set("Software\\Foo", "", store::REG_SZ, "");
        set("Software\\Foo", "Odd", 0x1234, "\xAB"s);
        set("Software\\Foo\\beta", "Num", store::REG_DWORD, "\x02\0\0\0"s);
        ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Software\\Foo\\Alpha"));
    }
};

TEST_F(QueryTest, KeyShowsValuesThenSubkeysAsRegExeDoes) {
    const auto outcome = reg({"query", "hklm\\software\\foo"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out,
              "\n"
              "HKEY_LOCAL_MACHINE\\Software\\Foo\n"
              "    Name    REG_SZ    h\xC3\xA9llo\n"
              "    Num    REG_DWORD    0x1f\n"
              "    Bin    REG_BINARY    00FF10\n"
              "    M    REG_MULTI_SZ    a\\0b\n"
              "    (Default)    REG_SZ    \n"
              "    Odd    0x1234    AB\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\Software\\Foo\\Alpha\n"
              "HKEY_LOCAL_MACHINE\\Software\\Foo\\beta\n");
}

TEST_F(QueryTest, OneValueByNameInAnyCase) {
    const auto outcome = reg({"query", "HKLM\\Software\\Foo", "/v", "NUM"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out, "\nHKEY_LOCAL_MACHINE\\Software\\Foo\n    Num    REG_DWORD    0x1f\n\n");
}

TEST_F(QueryTest, UnsetDefaultValueShowsValueNotSet) {
    const auto outcome = reg({"query", "HKLM\\Software\\Foo\\Alpha", "/ve"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Foo\\Alpha\n"
              "    (Default)    REG_SZ    (value not set)\n\n");
}

TEST_F(QueryTest, RecursiveListsEveryKeyDepthFirst) {
    const auto outcome = reg({"query", "HKLM\\Software\\Foo\\", "/s"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_NE(outcome.out.find("\n\nHKEY_LOCAL_MACHINE\\Software\\Foo\\Alpha\n\n"
                               "HKEY_LOCAL_MACHINE\\Software\\Foo\\beta\n"
                               "    Num    REG_DWORD    0x2\n\n"),
              std::string::npos)
        << outcome.out;
}

TEST_F(QueryTest, RecursiveSearchForOneValueCountsMatches) {
    auto outcome = reg({"query", "HKLM\\Software", "/v", "num", "/s"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Foo\n    Num    REG_DWORD    0x1f\n"
              "\nHKEY_LOCAL_MACHINE\\Software\\Foo\\beta\n    Num    REG_DWORD    0x2\n"
              "\nEnd of search: 2 match(es) found.\n");
    outcome = reg({"query", "HKLM\\Software", "/v", "nothing", "/s"});
    EXPECT_EQ(outcome.code, 1);
}

TEST_F(QueryTest, MissingKeyOrValueIsNotFound) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"query", "HKLM\\Software\\Nope"},
             {"query", "HKLM\\Software\\Foo", "/v", "Nope"},
             {"delete", "HKLM\\Software\\Foo", "/v", "Nope", "/f"},
             {"delete", "HKLM\\Software\\Nope", "/f"},
             {"export", "HKLM\\Software\\Nope", (dir_ / "x.reg").string()}}) {
        const auto outcome = reg(args);
        EXPECT_EQ(outcome.code, 1);
        EXPECT_EQ(outcome.err,
                  "ERROR: The system was unable to find the specified registry key or value.\n");
    }
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Nope"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "x.reg"));
}

TEST_F(QueryTest, FormatsOtherTypesAndOddLengths) {
    EXPECT_EQ(formatQueryData(store::REG_DWORD, bytes("\x01\x02"s)), "0102");
    EXPECT_EQ(formatQueryData(store::REG_DWORD_BIG_ENDIAN, bytes("\0\0\1\0"s)), "0x100");
    EXPECT_EQ(formatQueryData(11, bytes("\xff\0\0\0\0\0\0\x80"s)), "0x80000000000000ff");
    EXPECT_EQ(formatQueryData(store::REG_SZ, bytes("ab\0cd"s)), "ab");
    EXPECT_EQ(formatQueryData(store::REG_NONE, bytes("\x0a\xbc"s)), "0ABC");
    EXPECT_EQ(typeName(7), "REG_MULTI_SZ");
    EXPECT_EQ(typeName(0x20), "0x20");
}

TEST_F(QueryTest, DeleteValueAsksAndKeepsItOnNo) {
    auto outcome = reg({"delete", "HKLM\\Software\\Foo", "/v", "Name"}, "n\n");
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out,
              "Delete the registry value Name (Yes/No)? The operation was canceled by the user.\n");
    EXPECT_TRUE(store::RegGetString(HKEY_LOCAL_MACHINE, "Software\\Foo", "Name"));
    outcome = reg({"delete", "HKLM\\Software\\Foo", "/v", "Name"}, "y\n");
    EXPECT_EQ(outcome.code, 0);
    EXPECT_FALSE(store::RegGetString(HKEY_LOCAL_MACHINE, "Software\\Foo", "Name"));
}

TEST_F(QueryTest, DeleteAllValuesKeepsSubkeys) {
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\Foo", "/va", "/f"}).code, 0);
    EXPECT_TRUE(hive().values(HKEY_LOCAL_MACHINE, "Software\\Foo").empty());
    EXPECT_EQ(hive().subkeys(HKEY_LOCAL_MACHINE, "Software\\Foo").size(), 2u);
}

TEST_F(QueryTest, DeleteKeyRemovesTheTreeAfterConfirmation) {
    auto outcome = reg({"delete", "HKLM\\Software\\Foo"});
    EXPECT_EQ(outcome.out,
              "Permanently delete the registry key HKEY_LOCAL_MACHINE\\Software\\Foo (Yes/No)? \n"
              "The operation was canceled by the user.\n");
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Foo\\beta"));
    outcome = reg({"delete", "HKLM\\Software\\Foo"}, "yes\n");
    EXPECT_EQ(outcome.code, 0);
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Foo"));
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software"));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

TEST_F(QueryTest, ExportAsksBeforeReplacingAFile) {
    const auto file = (dir_ / "out.reg").string();
    std::ofstream(file) << "keep";
    auto outcome = reg({"export", "HKLM\\Software\\Foo", file});
    EXPECT_EQ(outcome.out, "File " + file +
                               " exists, overwrite(Yes/No)? \n"
                               "The operation was canceled by the user.\n");
    EXPECT_EQ(readFile(file), "keep");
    outcome = reg({"export", "HKLM\\Software\\Foo", file, "/y"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_TRUE(readFile(file).starts_with("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Foo]"));
    outcome = reg({"export", "HKLM\\Software\\Foo", file, "-5"}, "yes\n");
    EXPECT_EQ(outcome.code, 0);
    EXPECT_TRUE(readFile(file).starts_with("\xFF\xFEW\0i\0n\0"s));
}

TEST_F(QueryTest, ImportReportsMissingAndForeignFiles) {
    auto outcome = reg({"import", (dir_ / "missing.reg").string()});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find("ERROR: Error opening the file"), std::string::npos);
    const auto file = (dir_ / "notes.txt").string();
    std::ofstream(file) << "REGEDIT 4\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n";
    outcome = reg({"import", file});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find("is not a registry script"), std::string::npos);
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Planted"));
}

TEST_F(QueryTest, ImportWarnsWithFileAndLineAndStillImportsTheRest) {
    const auto file = (dir_ / "mixed.reg").string();
    std::ofstream(file, std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Imported]"
                                             "\r\n\"bad\"=dword:xyz\r\n\"good\"=\"1\"\r\n";
    const auto outcome = reg({"import", file});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find(file + ":4: dword: needs 1 to 8 hex digits\n"), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("Not all data was successfully written"), std::string::npos);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Imported", "good"), "1");
}

struct FileForm {
    std::vector<std::string> switches;
};

class ExportImportCommands : public QueryTest, public ::testing::WithParamInterface<FileForm> {};

TEST_P(ExportImportCommands, BringBackTheTree) {
    const auto file = (dir_ / "backup.reg").string();
    std::vector<std::string> args = {"export", "HKLM\\Software", file};
    args.insert(args.end(), GetParam().switches.begin(), GetParam().switches.end());
    ASSERT_EQ(reg(args).code, 0);
    const auto before = reg({"query", "HKLM\\Software", "/s"}).out;
    ASSERT_EQ(reg({"delete", "HKLM\\Software", "/f"}).code, 0);
    EXPECT_EQ(reg({"query", "HKLM\\Software"}).code, 1);
    const auto outcome = reg({"import", file});
    EXPECT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "The operation completed successfully.\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(reg({"query", "HKLM\\Software", "/s"}).out, before);
}

INSTANTIATE_TEST_SUITE_P(Forms, ExportImportCommands,
                         ::testing::Values(FileForm{{}}, FileForm{{"/5"}}, FileForm{{"-Y", "-5"}}));

TEST(RegUnavailableStore, WritesReportTheFailure) {
    tunexa::test::TempDir dir;
    std::ofstream(dir / "file") << "x";
    auto hive = store::Hive::open(dir / "file" / "registry.db");
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(run(*hive, {"add", "HKLM\\Foo", "/v", "a", "/d", "b"}, in, out, err), 1);
    EXPECT_NE(err.str().find("ERROR: Error accessing the registry"), std::string::npos);
    EXPECT_EQ(out.str(), "");
    const auto file = (dir / "in.reg").string();
    std::ofstream(file) << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Foo]\n\"a\"=\"b\"\n";
    err.str("");
    EXPECT_EQ(run(*hive, {"import", file}, in, out, err), 1);
    EXPECT_NE(err.str().find("Nothing was imported."), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

// The built program on its default hive under XDG_DATA_HOME.
TEST(RegBinary, WorksOnTheDefaultHive) {
    tunexa::test::TempDir dir;
    const std::string prefix =
        "XDG_DATA_HOME='" + dir.path().string() + "' '" + std::string(TUNEXA_REG_BINARY) + "' ";
    const auto output = dir / "out.txt";
    auto shell = [&](const std::string& args) {
        const int status =
            std::system((prefix + args + " >'" + output.string() + "' 2>&1 </dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(shell("add 'HKLM\\Software\\Tunexa' /v Clock /t REG_DWORD /d 0x64"), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "tunexa" / "registry.db"));
    EXPECT_EQ(shell("query 'HKLM\\Software\\Tunexa' /v clock"), 0);
    EXPECT_EQ(readFile(output),
              "\nHKEY_LOCAL_MACHINE\\Software\\Tunexa\n    Clock    REG_DWORD    0x64\n\n");
    EXPECT_EQ(shell("query 'HKLM\\Software\\Missing'"), 1);
    EXPECT_EQ(shell("frobnicate"), 1);
}

}  // namespace
}  // namespace tunexa::regtool::test
