// The change record, undo and profiles on a real hive; files through an in-memory stand-in.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "TempRoot.h"
#include "store/Hive.h"
#include "store/Profiles.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace tunexa::store {
namespace {

constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

RawValue sz(std::string_view s) {
    return RawValue{REG_SZ, bytes(s)};
}

// Files by path, in memory; a path in `refused` cannot be written.
class MemoryFiles final : public FileAccess {
  public:
    std::optional<Bytes> read(const std::string& path, std::string&) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }
    bool write(const std::string& path, const std::optional<Bytes>& content,
               std::string& why) override {
        if (path == refused) {
            why = "the disk is full";
            return false;
        }
        if (content) {
            files[path] = *content;
        } else {
            files.erase(path);
        }
        return true;
    }
    // Writes the file as an action would, and records it in the change.
    void writeIn(Change& change, const std::string& path, std::string_view content) {
        std::string why;
        const auto before = read(path, why);
        files[path] = bytes(content);
        change.addFile(ChangeItem{ItemKind::File, 0, path, "C:\\" + path,
                                  before ? std::optional(RawValue{0, *before}) : std::nullopt,
                                  RawValue{0, bytes(content)}});
    }

    std::map<std::string, Bytes> files;
    std::string refused;
};

class ChangesTest : public testing::Test {
  protected:
    ChangesTest() : hive_(Hive::open(dir_ / "registry.db")), hive(*hive_) {}

    std::optional<RawValue> value(std::string_view key, std::string_view name) {
        return hive.getValue(HKLM, key, name);
    }
    std::size_t recorded() { return hive.changes().size(); }

    test::TempDir dir_;
    std::unique_ptr<Hive> hive_;
    Hive& hive;
    MemoryFiles files;
};

TEST_F(ChangesTest, RecordsTheExactImagesOfEverythingAChangeTouched) {
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
    hive.setValue(HKLM, "Card\\Old", "Gone", REG_BINARY, Bytes{1, 2});
    {
        Change change(hive, "Riva TNT: Apply", &files);
        hive.setValue(HKLM, "card\\d3d", "CLOCK", REG_DWORD, Bytes{100, 0, 0, 0});
        hive.setValue(HKLM, "Card\\New\\Deep", "Fresh", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, Bytes{110, 0, 0, 0});
        hive.deleteKeyTree(HKLM, "Card\\Old");
        files.writeIn(change, "tunexa.bat", "SET X=1\r\n");
        ASSERT_TRUE(change.commit());
    }
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, "Riva TNT: Apply");
    const auto record = hive.changeRecord(list[0].id);
    ASSERT_TRUE(record && record->info.damage.empty());
    std::map<std::string, ChangeItem> items;
    for (const ChangeItem& item : record->items) {
        items[describeItem(item)] = item;
    }
    const auto expect = [&](const std::string& what, std::optional<RawValue> before,
                            std::optional<RawValue> after) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(items.contains(what));
        EXPECT_EQ(items[what].before, before);
        EXPECT_EQ(items[what].after, after);
    };
    // The value keeps its first before-image and its spelling; keys created and deleted count.
    expect("HKEY_LOCAL_MACHINE\\Card\\D3D\\Clock", sz("90"), RawValue{REG_DWORD, {110, 0, 0, 0}});
    expect("HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh", std::nullopt, sz("1"));
    expect("HKEY_LOCAL_MACHINE\\Card\\New", std::nullopt, RawValue{0, {}});
    expect("HKEY_LOCAL_MACHINE\\Card\\New\\Deep", std::nullopt, RawValue{0, {}});
    expect("HKEY_LOCAL_MACHINE\\Card\\Old\\Gone", RawValue{REG_BINARY, {1, 2}}, std::nullopt);
    expect("HKEY_LOCAL_MACHINE\\Card\\Old", RawValue{0, {}}, std::nullopt);
    expect("C:\\tunexa.bat", std::nullopt, RawValue{0, bytes("SET X=1\r\n")});
    EXPECT_EQ(items.size(), 7u);
}

TEST_F(ChangesTest, NothingIsRecordedForAChangeThatAlteredNothingOrFailed) {
    hive.setValue(HKLM, "K", "v", REG_SZ, bytes("same"));
    {
        Change unchanged(hive, "same again");
        hive.setValue(HKLM, "K", "v", REG_SZ, bytes("same"));
        hive.deleteValue(HKLM, "K", "never there");
        EXPECT_TRUE(unchanged.commit());
    }
    {
        Change dropped(hive, "not committed", &files);
        hive.setValue(HKLM, "K", "v", REG_SZ, bytes("other"));
        files.writeIn(dropped, "x.bat", "new");
    }
    EXPECT_EQ(recorded(), 0u);
    EXPECT_EQ(value("K", "v"), sz("same"));
    EXPECT_FALSE(files.files.contains("x.bat")) << "a file of a change that did not commit stays";
}

// A store that cannot save: the change is refused with its reason, nothing is recorded, and the
// file it wrote is put back as it was.
TEST_F(ChangesTest, AChangeTheStoreRefusesPutsItsFilesBack) {
    files.files["tunexa.bat"] = bytes("old");
    hive.setValue(HKLM, "K", "v", REG_SZ, bytes("old"));
    useHive(Hive::open(dir_ / "registry.db", OpenMode::ReadOnly));
    {
        Change change(currentHive(), "Voodoo: Apply", &files);
        files.writeIn(change, "tunexa.bat", "new");
        RegSetString(HKLM, "K", "v", "new");
        EXPECT_FALSE(change.commit());
    }
    ASSERT_TRUE(currentHive().lastFailure());
    EXPECT_NE(currentHive().lastFailure()->message.find("read-only"), std::string::npos);
    EXPECT_EQ(files.files["tunexa.bat"], bytes("old"));
    EXPECT_EQ(recorded(), 0u);
    useHive(nullptr);
}

TEST_F(ChangesTest, KeepsOnlyTheNewestChanges) {
    for (std::size_t i = 0; i < kKeptChanges + 3; ++i) {
        Change change(hive, "step " + std::to_string(i));
        hive.setValue(HKLM, "K", "v", REG_DWORD, Bytes{static_cast<std::uint8_t>(i), 0, 0, 0});
        ASSERT_TRUE(change.commit());
    }
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), kKeptChanges);
    EXPECT_EQ(list.front().title, "step " + std::to_string(kKeptChanges + 2));
    EXPECT_EQ(list.back().title, "step 3");
    EXPECT_FALSE(hive.changeRecord(list.back().id - 1));
}

// Undo puts back every type and byte, absent values, keys and files; undoing the undo redoes.
TEST_F(ChangesTest, UndoRestoresEverythingExactlyAndUndoingItRedoes) {
    hive.setValue(HKLM, "Card", "Text", REG_SZ, Bytes{'9', '0', 0});  // with its NUL
    hive.setValue(HKLM, "Card", "Odd", 0x1234, Bytes{0xFF, 0x00});
    files.files["tunexa.bat"] = bytes("SET A=0\r\n");
    const auto snapshot = [&] {
        return std::tuple(value("Card", "Text"), value("Card", "Odd"), value("Card\\Sub", "New"),
                          hive.keyExists(HKLM, "Card\\Sub"), files.files);
    };
    const auto before = snapshot();
    {
        Change change(hive, "Apply", &files);
        hive.setValue(HKLM, "Card", "Text", REG_DWORD, Bytes{1, 0, 0, 0});
        hive.deleteValue(HKLM, "Card", "Odd");
        hive.setValue(HKLM, "Card\\Sub", "New", REG_BINARY, Bytes{7});
        files.writeIn(change, "tunexa.bat", "SET A=1\r\n");
        files.writeIn(change, "tx106hl.bat", "C:\r\n");
        ASSERT_TRUE(change.commit());
    }
    const auto after = snapshot();
    const auto undo = planUndoLast(hive, &files);
    EXPECT_EQ(undo.title, "Undo Apply");
    EXPECT_TRUE(undo.differences.empty());
    ASSERT_TRUE(applyUndo(hive, &files, undo));
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(files.files.contains("tx106hl.bat"));

    const auto redo = planUndoLast(hive, &files);
    EXPECT_EQ(redo.title, "Redo Apply");
    ASSERT_TRUE(applyUndo(hive, &files, redo));
    EXPECT_EQ(snapshot(), after);
    EXPECT_EQ(recorded(), 3u);
}

TEST_F(ChangesTest, UndoNamesWhatChangedSinceAndChangesNothingUntilApplied) {
    {
        Change change(hive, "Apply", &files);
        hive.setValue(HKLM, "K", "clock", REG_SZ, bytes("100"));
        hive.setValue(HKLM, "K", "gamma", REG_SZ, bytes("1.00"));
        files.writeIn(change, "tunexa.bat", "new");
        ASSERT_TRUE(change.commit());
    }
    hive.setValue(HKLM, "K", "clock", REG_SZ, bytes("105"));  // another program
    files.files["tunexa.bat"] = bytes("edited by hand");
    const auto undo = planUndoLast(hive, &files);
    ASSERT_EQ(undo.differences.size(), 2u);
    EXPECT_EQ(describeItem(undo.differences[0].item), "HKEY_LOCAL_MACHINE\\K\\clock");
    EXPECT_EQ(describeImage(undo.differences[0].item, undo.differences[0].now), "REG_SZ 105");
    EXPECT_EQ(describeItem(undo.differences[1].item), "C:\\tunexa.bat");
    EXPECT_EQ(value("K", "clock"), sz("105"));

    ASSERT_TRUE(applyUndo(hive, &files, undo));
    EXPECT_FALSE(value("K", "clock"));
    EXPECT_FALSE(value("K", "gamma"));
    EXPECT_FALSE(files.files.contains("tunexa.bat"));
}

TEST_F(ChangesTest, UndoToHereUndoesEveryLaterChangeAsOne) {
    hive.setValue(HKLM, "K", "v", REG_SZ, bytes("0"));
    for (const char* step : {"1", "2", "3"}) {
        Change change(hive, std::string("set ") + step);
        hive.setValue(HKLM, "K", "v", REG_SZ, bytes(step));
        hive.setValue(HKLM, "K", step, REG_SZ, bytes(step));
        ASSERT_TRUE(change.commit());
    }
    const auto list = hive.changes();
    const auto undo = planUndoTo(hive, &files, list[1].id);  // "set 2" and "set 3"
    EXPECT_TRUE(undo.differences.empty());
    ASSERT_TRUE(applyUndo(hive, &files, undo));
    EXPECT_EQ(value("K", "v"), sz("1"));
    EXPECT_EQ(value("K", "1"), sz("1"));
    EXPECT_FALSE(value("K", "2"));
    EXPECT_FALSE(value("K", "3"));
    EXPECT_EQ(recorded(), 4u);
    EXPECT_EQ(hive.changes().front().title, "Undo 2 changes, back to before \"set 2\"");
}

// A hand-edited record is reported and never undone; nothing else is undone in its place.
TEST_F(ChangesTest, ADamagedRecordIsReportedAndNeverUndone) {
    const char* damages[] = {"UPDATE change_items SET kind = 7",
                             "UPDATE change_items SET before_data = NULL",
                             "UPDATE change_items SET root = 5", "DELETE FROM change_items"};
    for (const char* damage : damages) {
        SCOPED_TRACE(damage);
        {
            Change change(hive, "Apply");
            hive.setValue(HKLM, "K", "v", REG_SZ, bytes(damage));
            ASSERT_TRUE(change.commit());
        }
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((dir_ / "registry.db").c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, damage, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        const auto undo = planUndoLast(hive, &files);
        EXPECT_NE(undo.problem.find("damaged"), std::string::npos) << undo.problem;
        EXPECT_FALSE(applyUndo(hive, &files, undo));
        EXPECT_EQ(value("K", "v"), sz(damage));
    }
}

TEST_F(ChangesTest, ProfilesPutBackExactlyWhatTheyHold) {
    const ManagedSet set{
        {{"Card\\D3D", "Clock"}, {"Card\\D3D", "Trilinear"}, {"Class\\0001", "mem"}},
        {{"C:\\tunexa.bat", "tunexa.bat"}}};
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
    hive.setValue(HKLM, "Class\\0001", "mem", REG_SZ, bytes("100"));
    files.files["tunexa.bat"] = bytes("SET A=0\r\n");
    ASSERT_TRUE(saveProfile(hive, &files, "Safe", set));

    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, Bytes{120, 0, 0, 0});
    hive.setValue(HKLM, "Card\\D3D", "Trilinear", REG_SZ, bytes("1"));
    files.files["tunexa.bat"] = bytes("SET A=1\r\n");
    EXPECT_FALSE(profileMatches(hive, &files, "safe", set));

    // Another machine's display class is not covered by the profile: it is left alone.
    ManagedSet elsewhere = set;
    elsewhere.values[2].key = "Class\\0002";
    hive.setValue(HKLM, "Class\\0002", "mem", REG_SZ, bytes("110"));
    ASSERT_TRUE(applyProfile(hive, &files, "SAFE", elsewhere));
    EXPECT_EQ(value("Card\\D3D", "Clock"), sz("90"));
    EXPECT_FALSE(value("Card\\D3D", "Trilinear"));
    EXPECT_EQ(value("Class\\0002", "mem"), sz("110"));
    EXPECT_EQ(files.files["tunexa.bat"], bytes("SET A=0\r\n"));
    EXPECT_TRUE(profileMatches(hive, &files, "Safe", set));
    EXPECT_EQ(hive.changes().front().title, "Apply profile \"Safe\"");
    EXPECT_EQ(profileNames(hive), std::vector<std::string>{"Safe"});

    // Applying is undoable like any change.
    ASSERT_TRUE(applyUndo(hive, &files, planUndoLast(hive, &files)));
    EXPECT_EQ(value("Card\\D3D", "Trilinear"), sz("1"));
    EXPECT_EQ(files.files["tunexa.bat"], bytes("SET A=1\r\n"));

    ASSERT_TRUE(deleteProfile(hive, "safe"));
    EXPECT_TRUE(profileNames(hive).empty());
    EXPECT_FALSE(applyProfile(hive, &files, "Safe", set));
}

TEST(ProfileNames, AreRefusedWithAReason) {
    const std::pair<std::string, bool> names[] = {
        {"Quake", true},
        {"Benchmark \xe9t\xe9", true},
        {std::string(64, 'x'), true},
        {std::string(65, 'x'), false},
        {"", false},
        {"a\\b", false},
        {"tab\there", false},
        {std::string("nul\0", 4), false},
        {"\x81", false},
    };
    for (const auto& [name, accepted] : names) {
        EXPECT_EQ(!profileNameProblem(name).has_value(), accepted) << name;
    }
}

}  // namespace
}  // namespace tunexa::store
