#include <gtest/gtest.h>

#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::store {
namespace {

constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;
constexpr const char* kKey = "Software\\Test\\Sub";

class RegistryTest : public testing::Test {
  protected:
    void SetUp() override { useHiveFile(dir_ / "registry.db"); }

    void putRaw(std::string_view key, std::string_view name, std::uint32_t type, Bytes data) {
        ASSERT_TRUE(currentHive().setValue(HKLM, key, name, type, data));
    }
    std::optional<RawValue> raw(std::string_view key, std::string_view name) {
        return currentHive().getValue(HKLM, key, name);
    }

    test::TempDir dir_;
};

// What RegGetString gives for data another program stored.
struct StringReadCase {
    const char* label;
    std::uint32_t type;
    Bytes data;
    std::optional<std::string> expected;
};

TEST_F(RegistryTest, StringReadsFollowTheNulAndTypeRules) {
    const StringReadCase cases[] = {
        {"plain", REG_SZ, {'1', '1', '0'}, "110"},
        {"terminating NUL", REG_SZ, {'a', 'b', 0}, "ab"},
        {"two NULs", REG_SZ, {'a', 0, 'b', 0}, "a"},
        {"empty text", REG_SZ, {}, ""},
        {"only a NUL", REG_SZ, {0}, ""},
        {"dword", REG_DWORD, {1, 0, 0, 0}, std::nullopt},
        {"binary", REG_BINARY, {'1'}, std::nullopt},
        {"expandable text", REG_EXPAND_SZ, {'%', 'x', '%'}, std::nullopt},
    };
    for (const auto& c : cases) {
        putRaw(kKey, c.label, c.type, c.data);
        EXPECT_EQ(RegGetString(HKLM, kKey, c.label), c.expected) << c.label;
    }
    EXPECT_EQ(RegGetString(HKLM, kKey, "missing"), std::nullopt);
    EXPECT_EQ(RegGetString(HKLM, "Software\\Nowhere", "x"), std::nullopt);
}

struct NumberReadCase {
    const char* label;
    std::uint32_t type;
    Bytes data;
    std::int32_t dword;
    int binary;
};

TEST_F(RegistryTest, NumberReadsGiveZeroForAnythingButTheirOwnShape) {
    const NumberReadCase cases[] = {
        {"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, 0x12345678, 0},
        {"negative dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, -1, 0},
        {"long dword", REG_DWORD, {1, 0, 0, 0, 0}, 0, 0},
        {"text one", REG_SZ, {'1'}, 0, 0},
        {"byte", REG_BINARY, {0xFF}, 0, 255},
        {"two bytes", REG_BINARY, {1, 2}, 0, 0},
        {"no bytes", REG_BINARY, {}, 0, 0},
    };
    for (const auto& c : cases) {
        putRaw(kKey, c.label, c.type, c.data);
        EXPECT_EQ(RegGetDword(HKLM, kKey, c.label), c.dword) << c.label;
        EXPECT_EQ(RegGetBinary(HKLM, kKey, c.label), c.binary) << c.label;
    }
}

TEST_F(RegistryTest, SettersStoreExactTypesAndBytes) {
    RegSetString(HKLM, kKey, "Text", "110");
    RegSetString(HKLM, kKey, "Empty", "");
    RegSetDword(HKLM, kKey, "Number", -2);
    RegSetBinary(HKLM, kKey, "Byte", 258);

    EXPECT_EQ(raw(kKey, "Text")->type, REG_SZ);
    EXPECT_EQ(raw(kKey, "Text")->data, (Bytes{'1', '1', '0'}));
    EXPECT_EQ(raw(kKey, "Empty")->data, Bytes{});
    EXPECT_EQ(RegGetString(HKLM, kKey, "Empty"), "");
    EXPECT_EQ(raw(kKey, "Number")->type, REG_DWORD);
    EXPECT_EQ(raw(kKey, "Number")->data, (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(RegGetDword(HKLM, kKey, "Number"), -2);
    EXPECT_EQ(raw(kKey, "Byte")->type, REG_BINARY);
    EXPECT_EQ(raw(kKey, "Byte")->data, Bytes{0x02});
}

TEST_F(RegistryTest, SettersCreateParentsAndReadsAndDeletesNever) {
    RegGetString(HKLM, "A\\B", "x");
    RegGetDword(HKLM, "A\\B", "x");
    RegGetBinary(HKLM, "A\\B", "x");
    RegDeleteValue(HKLM, "A\\B", "x");
    EXPECT_FALSE(currentHive().keyExists(HKLM, "A"));

    RegSetDword(HKLM, "A\\B\\C\\D", "x", 5);
    EXPECT_TRUE(currentHive().keyExists(HKLM, "A"));
    EXPECT_TRUE(currentHive().keyExists(HKLM, "A\\B\\C"));
    EXPECT_EQ(RegGetDword(HKLM, "a\\b\\c\\d", "X"), 5);
}

TEST_F(RegistryTest, NamesMatchIgnoringCaseAndKeepTheirSpelling) {
    RegSetString(HKLM, "Software\\NVIDIA Corporation", "DriverDesc", "one");
    RegSetString(HKLM, "SOFTWARE\\nvidia corporation", "DRIVERDESC", "two");
    EXPECT_EQ(RegGetString(HKLM, "software\\Nvidia Corporation", "driverdesc"), "two");
    EXPECT_EQ(currentHive().storedPath(HKLM, "SOFTWARE\\NVIDIA CORPORATION"),
              "Software\\NVIDIA Corporation");
    const auto values = currentHive().values(HKLM, "Software\\NVIDIA Corporation");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "DriverDesc");

    RegSetString(HKLM, "Software\\Caf\xC9", "\xC4rger", "x");  // Café, Ärger
    EXPECT_EQ(RegGetString(HKLM, "software\\caf\xE9", "\xE4RGER"), "x");
}

TEST_F(RegistryTest, DeleteRemovesOnlyTheNamedValue) {
    RegSetString(HKLM, kKey, "Keep", "1");
    RegSetString(HKLM, kKey, "Drop", "2");
    RegDeleteValue(HKLM, kKey, "DROP");
    RegDeleteValue(HKLM, kKey, "Never There");
    EXPECT_EQ(RegGetString(HKLM, kKey, "Drop"), std::nullopt);
    EXPECT_EQ(RegGetString(HKLM, kKey, "Keep"), "1");
}

TEST_F(RegistryTest, EveryRootIsItsOwnTree) {
    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        RegSetDword(root, "Shared\\Key", "Root", static_cast<std::int32_t>(root & 0xF));
    }
    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        EXPECT_EQ(RegGetDword(root, "Shared\\Key", "Root"), static_cast<std::int32_t>(root & 0xF));
    }
}

TEST_F(RegistryTest, ForeignTypesAndDataSurviveUntouched) {
    const Bytes longBinary = {0, 1, 2, 3, 4, 5, 6, 7, 8, 255};
    const Bytes multi = {'a', 0, 'b', 0, 0};
    putRaw(kKey, "Blob", REG_BINARY, longBinary);
    putRaw(kKey, "Multi", REG_MULTI_SZ, multi);
    putRaw(kKey, "Odd", 0x12345678, {9});
    RegSetString(HKLM, kKey, "Other", "x");  // writing a neighbour touches nothing else
    EXPECT_EQ(raw(kKey, "Blob")->data, longBinary);
    EXPECT_EQ(raw(kKey, "Multi")->type, REG_MULTI_SZ);
    EXPECT_EQ(raw(kKey, "Multi")->data, multi);
    EXPECT_EQ(raw(kKey, "Odd")->type, 0x12345678u);
}

TEST_F(RegistryTest, BatchIsAllOrNothing) {
    RegSetString(HKLM, kKey, "Clock", "100");
    {
        Batch batch;
        RegSetString(HKLM, kKey, "Clock", "110");
        RegSetString(HKLM, kKey, "Added", "1");
    }  // not committed: rolled back
    EXPECT_EQ(RegGetString(HKLM, kKey, "Clock"), "100");
    EXPECT_EQ(RegGetString(HKLM, kKey, "Added"), std::nullopt);

    Batch batch;
    RegSetString(HKLM, kKey, "Clock", "110");
    RegSetString(HKLM, kKey, "Added", "1");
    EXPECT_TRUE(batch.commit());
    EXPECT_EQ(RegGetString(HKLM, kKey, "Clock"), "110");
    EXPECT_EQ(RegGetString(HKLM, kKey, "Added"), "1");
}

TEST_F(RegistryTest, NestedBatchesCommitOnceAtTheOutermost) {
    Batch outer;
    {
        Batch inner;
        RegSetString(HKLM, kKey, "Inner", "1");
        EXPECT_TRUE(inner.commit());
    }
    RegSetString(HKLM, kKey, "Outer", "1");
    // Another connection does not see uncommitted work.
    auto other = Hive::open(dir_ / "registry.db");
    EXPECT_FALSE(other->getValue(HKLM, kKey, "Inner").has_value());
    EXPECT_TRUE(outer.commit());
    EXPECT_TRUE(other->getValue(HKLM, kKey, "Inner").has_value());
    EXPECT_TRUE(other->getValue(HKLM, kKey, "Outer").has_value());
}

}  // namespace
}  // namespace tunexa::store
