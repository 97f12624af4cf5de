// The seven operations on the hive: types and sizes, names and their case, batches, reads that
// fail, and the registry's limits.
#include "HiveTestSupport.h"

namespace tunexa::store::hive_test {
namespace {

// What each reader gives for data another program stored: text before the first NUL, a double
// word of at most four bytes, exactly one byte of binary; anything else nothing, or 0. Writers
// store exact types and bytes, creating the key and its parents; reads and deletes of what is not
// there create nothing.
TEST_F(StoreTest, ReadersAndWritersFollowTheTypeNulAndSizeRules) {
    // What RegGetString ("-" for nothing), RegGetDword and RegGetBinary give for value v.
    const auto read = [](const char* key) {
        return RegGetString(HKLM, key, "v").value_or("-") + "|" +
               std::to_string(RegGetDword(HKLM, key, "v")) + "|" +
               std::to_string(RegGetBinary(HKLM, key, "v"));
    };
    // The type and bytes stored, and what the readers give.
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        {REG_SZ, "110", "110|0|0"},
        {REG_SZ, "a\0b\0"s, "a|0|0"},
        {REG_SZ, "", "|0|0"},
        {REG_EXPAND_SZ, "%x%", "-|0|0"},
        {REG_DWORD, "\x78\x56\x34\x12", "-|305419896|0"},
        {REG_DWORD, "\xFF\xFF\xFF\xFF", "-|-1|0"},
        {REG_DWORD, "\1\0\0\0\0"s, "-|0|0"},
        {REG_BINARY, "\xFF", "-|0|255"},
        {REG_BINARY, "\1\2", "-|0|0"},
    };
    for (const auto& [type, data, given] : cases) {
        ASSERT_TRUE(hive.setValue(HKLM, "K", "v", type, bytes(data)));
        EXPECT_EQ(read("K"), given) << type << " " << data;
    }
    EXPECT_EQ(read("A\\B"), "-|0|0");
    RegDeleteValue(HKLM, "A\\B", "v");
    EXPECT_FALSE(hive.keyExists(HKLM, "A"));
    RegSetString(HKLM, "A\\B\\C", "Text", "110");
    RegSetString(HKLM, "A\\B\\C", "Empty", "");
    RegSetDword(HKLM, "A\\B\\C", "Number", static_cast<std::int32_t>(0x87654321));
    RegSetBinary(HKLM, "A\\B\\C", "Byte", 258);
    EXPECT_EQ(shown(hive, HKLM, "A\\B\\C"), "Text=1'110' Empty=1'' Number=4:21436587 Byte=3:02");
}

// A rewritten value keeps its place and first spelling; a deleted one goes, and only it. Letters
// match their other case, the Windows-1252 ones beyond ASCII too, and nothing else does. Each
// root is a tree of its own, its root key at the empty path; empty components are ignored.
TEST_F(StoreTest, NamesIgnoreCaseAndKeepTheirSpellingInEachRootsOwnTree) {
    for (const char* name : {"DriverDesc", "Gone", "Last"}) {
        RegSetString(HKLM, "Software\\NVIDIA Caf\xC9", name, "one");
    }
    RegSetString(HKLM, "SOFTWARE\\nvidia caf\xE9", "DRIVERDESC", "two");
    RegDeleteValue(HKLM, "software\\Nvidia Caf\xC9", "gONE");
    RegDeleteValue(HKLM, "software\\Nvidia Caf\xC9", "never there");
    EXPECT_EQ(hive.storedPath(HKLM, "SOFTWARE\\NVIDIA CAF\xE9"), "Software\\NVIDIA Caf\xC9");
    EXPECT_EQ(shown(hive, HKLM, "\\software\\\\nvidia caf\xC9\\"), "DriverDesc=1'two' Last=1'one'");

    const std::tuple<const char*, const char*, bool> letters[] = {
        {"\x8A", "\x9A", true},   // S and s with caron
        {"\x9F", "\xFF", true},   // Y and y with diaeresis
        {"\xC0", "\xE0", true},   // A and a with grave
        {"\xDE", "\xFE", true},   // thorn
        {"\xD7", "\xF7", false},  // multiplication and division signs
        {"\xDF", "\xFF", false},  // sharp s and y with diaeresis
        {"\x8A", "\x8B", false},  // S with caron and a quotation mark
        {"[", "{", false},
    };
    for (const auto& [stored, asked, same] : letters) {
        hive.deleteKeyTree(HKLM, "Fold");
        ASSERT_TRUE(hive.setValue(HKLM, "Fold\\"s + stored, "v"s + stored, REG_SZ, {}));
        EXPECT_EQ(hive.keyExists(HKLM, "Fold\\"s + asked) +
                      hive.getValue(HKLM, "Fold\\"s + stored, "v"s + asked).has_value(),
                  same ? 2 : 0)
            << stored;
    }

    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        RegSetDword(root, "", "Root", static_cast<std::int32_t>(root & 0xF));
    }
    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        EXPECT_EQ(RegGetDword(root, "\\", "root"), static_cast<std::int32_t>(root & 0xF));
        EXPECT_EQ(hive.keyExists(root, "Software"), root == HKLM);
    }
}

// A batch not committed leaves nothing; nested ones commit once, at the outermost, and until
// then another connection sees nothing of them. Reads see what another connection changed since,
// also where a key they found was deleted and its number given to a new key, or a key they
// missed was made.
TEST_F(StoreTest, BatchesAreAllOrNothingAndReadsSeeAnotherConnectionsChanges) {
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
    EXPECT_EQ(shown(*other, HKLM, "K"), "Inner=1'1' Outer=4:01000000");
    {
        Batch dropped;
        RegSetString(HKLM, "Dropped", "v", "dropped");
    }
    RegSetString(HKLM, "Kept", "v", "kept");  // may be given the dropped key's number
    EXPECT_EQ(RegGetString(HKLM, "Dropped", "v"), std::nullopt);

    const auto replace = [&](const char* gone, const char* made) {
        ASSERT_TRUE(other->deleteKeyTree(HKLM, gone));
        ASSERT_TRUE(other->setValue(HKLM, made, "v", REG_SZ, bytes(made)));
    };
    const auto text = [](const char* key) { return RegGetString(HKLM, key, "v").value_or("-"); };
    replace("Kept", "New");
    EXPECT_EQ(text("Kept") + text("New") + text("Made"), "-New-");
    replace("New", "Newer");
    ASSERT_TRUE(other->setValue(HKLM, "Made", "v", REG_SZ, bytes("made")));
    EXPECT_EQ(text("New") + text("Made"), "-made");
}

// A read that fails gives what a missing key gives, but is remembered as a failed write is.
TEST_F(StoreTest, AFailedReadIsRememberedUnlikeAMissingKey) {
    Change change(hive, "Apply");
    RegSetString(HKLM, "K\\Sub", "v", "x");
    ASSERT_TRUE(change.commit());
    // Each read, and the table whose loss makes it fail.
    const std::pair<const char*, std::function<bool()>> reads[] = {
        {"vals", [&] { return hive.getValue(HKLM, "K\\Sub", "v").has_value(); }},
        {"vals", [&] { return !hive.values(HKLM, "K\\Sub").empty(); }},
        {"keys", [&] { return !hive.subkeys(HKLM, "K").empty(); }},
        {"changes", [&] { return !hive.changes().empty(); }},
        {"changes", [&] { return planUndoLast(hive, &files).problem.find("read") == npos; }}};
    for (const auto& [table, read] : reads) {
        for (const bool lost : {false, true}) {
            ASSERT_EQ(sql(file_, lost ? "ALTER TABLE "s + table + " RENAME TO hidden" : ""s),
                      SQLITE_OK);
            const FailureWatch watch(hive);
            const bool found = read();
            EXPECT_EQ(found + 2 * watch.failed(), lost ? 2 : 1) << table;
        }
        ASSERT_EQ(sql(file_, "ALTER TABLE hidden RENAME TO "s + table), SQLITE_OK);
    }
}

// Names and depths up to the registry's limits are kept, longer and deeper ones refused. The
// deepest key with the longest names costs about what as many keys side by side cost.
TEST_F(StoreTest, RefusesWhatTheRegistryRefusesAndGrowsLinearlyWithDepth) {
    // A path `levels` deep of names `nameLength` long, or as many keys side by side.
    const auto deep = [](std::size_t levels, std::size_t nameLength) {
        std::string path;
        for (std::size_t level = 0; level < levels; ++level) {
            std::string name = std::to_string(level);
            path = joinPath(path, name.append(nameLength - std::min(nameLength, name.size()), 'n'));
        }
        return path;
    };
    for (const std::size_t over : {0u, 1u}) {
        for (const std::string& key : {deep(512 + over, 1), deep(1, 255 + over)}) {
            EXPECT_EQ(hive.createKey(HKLM, key) && hive.keyExists(HKLM, key), !over);
        }
        const std::string name(16383 + over, 'v');
        EXPECT_EQ(hive.setValue(HKLM, "K", name, REG_SZ, {}) && hive.getValue(HKLM, "K", name),
                  !over);
    }
    // What the file grows by for the deepest key of the longest names, or as many side by side.
    const auto grown = [&](bool nested) {
        sql(file_, "PRAGMA wal_checkpoint(TRUNCATE)");
        const auto before = fs::file_size(file_);
        Batch batch(hive);
        const std::string path = deep(512, 255);
        for (const std::string_view name : components(path)) {
            EXPECT_TRUE(hive.createKey(HKLM, nested ? path.substr(0, name.end() - path.data())
                                                    : "Side\\"s + std::string(name)));
        }
        EXPECT_TRUE(batch.commit());
        sql(file_, "PRAGMA wal_checkpoint(TRUNCATE)");
        return fs::file_size(file_) - before;
    };
    EXPECT_LT(grown(true), 2 * grown(false));
}

}  // namespace
}  // namespace tunexa::store::hive_test
