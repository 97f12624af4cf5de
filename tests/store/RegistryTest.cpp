// The seven operations, names and their letter case in Windows-1252, roots and batches.
#include "StoreTestSupport.h"

namespace tunexa::store {
namespace {

// What each reader gives for data another program stored: text before the first NUL, a double
// word of at most four bytes, exactly one byte of binary; anything else nothing, or 0.
TEST_F(StoreTest, ReadersFollowTheTypeNulAndSizeRules) {
    using Case = std::tuple<std::uint32_t, Bytes, std::optional<std::string>, std::int32_t, int>;
    const Case cases[] = {
        {REG_SZ, bytes("110"), "110", 0, 0},
        {REG_SZ, {'a', 0, 'b', 0}, "a", 0, 0},
        {REG_SZ, {}, "", 0, 0},
        {REG_EXPAND_SZ, bytes("%x%"), std::nullopt, 0, 0},
        {REG_DWORD, {0x78, 0x56, 0x34, 0x12}, std::nullopt, 0x12345678, 0},
        {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, std::nullopt, -1, 0},
        {REG_DWORD, {1, 0, 0, 0, 0}, std::nullopt, 0, 0},
        {REG_BINARY, {0xFF}, std::nullopt, 0, 255},
        {REG_BINARY, {1, 2}, std::nullopt, 0, 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [type, data, text, dword, binary] = cases[i];
        const std::string name = "v" + std::to_string(i);
        ASSERT_TRUE(hive.setValue(HKLM, "K", name, type, data));
        EXPECT_EQ(RegGetString(HKLM, "K", name), text) << name;
        EXPECT_EQ(RegGetDword(HKLM, "K", name), dword) << name;
        EXPECT_EQ(RegGetBinary(HKLM, "K", name), binary) << name;
    }
}

// Writers store exact types and bytes, creating the key and its parents; reads and deletes of
// what is not there create nothing; values of any other type stay as they were.
TEST_F(StoreTest, WritersStoreExactBytesAndOnlyTheyCreateKeys) {
    EXPECT_FALSE(RegGetString(HKLM, "A\\B", "x") || RegGetDword(HKLM, "A\\B", "x") ||
                 RegGetBinary(HKLM, "A\\B", "x"));
    RegDeleteValue(HKLM, "A\\B", "x");
    EXPECT_FALSE(hive.keyExists(HKLM, "A"));

    const Bytes multi = {'a', 0, 'b', 0, 0};
    ASSERT_TRUE(hive.setValue(HKLM, "A\\B\\C", "Multi", REG_MULTI_SZ, multi));
    ASSERT_TRUE(hive.setValue(HKLM, "A\\B\\C", "Odd", 0x12345678, Bytes{9, 0}));
    RegSetString(HKLM, "A\\B\\C", "Text", "110");
    RegSetString(HKLM, "A\\B\\C", "Empty", "");
    RegSetDword(HKLM, "A\\B\\C", "Number", static_cast<std::int32_t>(0x87654321));
    RegSetBinary(HKLM, "A\\B\\C", "Byte", 258);
    EXPECT_EQ(listed(hive, HKLM, "A\\B\\C"),
              (Listed{{"Multi", REG_MULTI_SZ, multi},
                      {"Odd", 0x12345678, {9, 0}},
                      {"Text", REG_SZ, bytes("110")},
                      {"Empty", REG_SZ, {}},
                      {"Number", REG_DWORD, {0x21, 0x43, 0x65, 0x87}},
                      {"Byte", REG_BINARY, {0x02}}}));
}

// A rewritten value keeps its place and first spelling; a deleted one goes, and only it. Each
// root is a tree of its own, its root key at the empty path; empty components are ignored.
TEST_F(StoreTest, NamesIgnoreCaseAndKeepTheirSpellingInEachRootsOwnTree) {
    for (const char* name : {"DriverDesc", "Gone", "Last"}) {
        RegSetString(HKLM, "Software\\NVIDIA Caf\xC9", name, "one");
    }
    RegSetString(HKLM, "SOFTWARE\\nvidia caf\xE9", "DRIVERDESC", "two");
    RegDeleteValue(HKLM, "software\\Nvidia Caf\xC9", "gONE");
    RegDeleteValue(HKLM, "software\\Nvidia Caf\xC9", "never there");
    EXPECT_EQ(hive.storedPath(HKLM, "SOFTWARE\\NVIDIA CAF\xE9"), "Software\\NVIDIA Caf\xC9");
    EXPECT_EQ(listed(hive, HKLM, "\\software\\\\nvidia caf\xC9\\"),
              (Listed{{"DriverDesc", REG_SZ, bytes("two")}, {"Last", REG_SZ, bytes("one")}}));

    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        RegSetDword(root, "", "Root", static_cast<std::int32_t>(root & 0xF));
    }
    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        EXPECT_EQ(RegGetDword(root, "\\", "root"), static_cast<std::int32_t>(root & 0xF));
        EXPECT_EQ(hive.keyExists(root, "Software"), root == HKLM);
    }
}

// A batch not committed leaves nothing; nested ones commit once, at the outermost, and until
// then another connection sees nothing of them.
TEST_F(StoreTest, BatchesAreAllOrNothingAndOnlyTheOutermostCommits) {
    const auto other = Hive::open(file_);
    for (const bool commit : {false, true}) {
        Batch outer;
        {
            Batch inner;
            RegSetString(HKLM, "K", "Inner", "1");
            EXPECT_TRUE(inner.commit());
        }
        RegSetDword(HKLM, "K", "Outer", 1);
        EXPECT_FALSE(other->keyExists(HKLM, "K"));
        EXPECT_EQ(commit && outer.commit(), commit);
    }
    EXPECT_EQ(listed(*other, HKLM, "K"),
              (Listed{{"Inner", REG_SZ, bytes("1")}, {"Outer", REG_DWORD, {1, 0, 0, 0}}}));
}

}  // namespace
}  // namespace tunexa::store
