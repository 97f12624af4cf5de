#include <gtest/gtest.h>

#include <optional>

#include "Roots.h"

namespace tunexa::regtool::test {
namespace {

struct KeyCase {
    std::string text;
    std::optional<store::HKEY> root;  // nothing: refused
    std::string path;
    KeyNameError error = KeyNameError::None;
};

class KeyNames : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyNames, RootAndPath) {
    KeyNameError why = KeyNameError::None;
    const auto key = parseKeyName(GetParam().text, &why);
    EXPECT_EQ(why, GetParam().error) << GetParam().text;
    ASSERT_EQ(key.has_value(), GetParam().root.has_value()) << GetParam().text;
    if (key) {
        EXPECT_EQ(key->root, *GetParam().root);
        EXPECT_EQ(key->path, GetParam().path);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyNames,
    ::testing::Values(KeyCase{"HKLM\\Software\\Foo", store::HKEY_LOCAL_MACHINE, "Software\\Foo"},
                      KeyCase{"hkey_local_machine\\a", store::HKEY_LOCAL_MACHINE, "a"},
                      KeyCase{"HKCU\\\\a\\\\b\\", store::HKEY_CURRENT_USER, "a\\b"},
                      KeyCase{"HKEY_CURRENT_USER", store::HKEY_CURRENT_USER, ""},
                      KeyCase{"HKCR\\.reg", store::HKEY_CLASSES_ROOT, ".reg"},
                      KeyCase{"HKEY_CLASSES_ROOT\\x", store::HKEY_CLASSES_ROOT, "x"},
                      KeyCase{"HKU\\.DEFAULT", store::HKEY_USERS, ".DEFAULT"},
                      KeyCase{"HKEY_USERS\\x", store::HKEY_USERS, "x"},
                      KeyCase{"HKCC\\Display", store::HKEY_CURRENT_CONFIG, "Display"},
                      KeyCase{"HKEY_CURRENT_CONFIG\\x", store::HKEY_CURRENT_CONFIG, "x"},
                      KeyCase{"HKEY_DYN_DATA\\PerfStats", HKEY_DYN_DATA, "PerfStats"},
                      KeyCase{"HKLM\\ with blanks \\x", store::HKEY_LOCAL_MACHINE,
                              " with blanks \\x"},
                      KeyCase{"HKLMX\\a", std::nullopt, "", KeyNameError::UnknownRoot},
                      KeyCase{"Software\\a", std::nullopt, "", KeyNameError::UnknownRoot},
                      KeyCase{"", std::nullopt, "", KeyNameError::UnknownRoot},
                      KeyCase{"\\HKLM\\a", std::nullopt, "", KeyNameError::UnknownRoot},
                      KeyCase{"\\\\pc\\HKLM\\a", std::nullopt, "", KeyNameError::Remote}));

TEST(RootNames, FilesUseOnlyTheLongNames) {
    EXPECT_EQ(rootFromLongName("HKEY_LOCAL_MACHINE"), store::HKEY_LOCAL_MACHINE);
    EXPECT_EQ(rootFromLongName("hkey_users"), store::HKEY_USERS);
    EXPECT_FALSE(rootFromLongName("HKLM"));
    EXPECT_FALSE(rootFromLongName("HKEY_PERFORMANCE_DATA"));
    EXPECT_EQ(longRootName(store::HKEY_CURRENT_CONFIG), "HKEY_CURRENT_CONFIG");
    EXPECT_EQ((KeyName{store::HKEY_LOCAL_MACHINE, "a\\b"}.fullName()), "HKEY_LOCAL_MACHINE\\a\\b");
    EXPECT_EQ((KeyName{store::HKEY_USERS, ""}.fullName()), "HKEY_USERS");
}

}  // namespace
}  // namespace tunexa::regtool::test
