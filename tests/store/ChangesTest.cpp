// The change record, undo and profiles on a real hive; files through an in-memory stand-in.
#include "StoreTestSupport.h"
#include "store/Profiles.h"
#include "store/Undo.h"

namespace tunexa::store {
namespace {

using namespace std::string_literals;

class ChangesTest : public StoreTest {
  protected:
    std::optional<RawValue> value(std::string_view key, std::string_view name) {
        return hive.getValue(HKLM, key, name);
    }

    MemoryFiles files;
};

// A change is recorded with the exact before- and after-image of every value, key and file it
// touched; nothing is recorded for one that altered nothing or was dropped, and the files a
// dropped one wrote are put back.
TEST_F(ChangesTest, RecordsExactlyWhatAChangeAlteredAndNothingElse) {
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
    hive.setValue(HKLM, "Card\\Old\\Sub", "Gone", REG_BINARY, Bytes{1, 2});
    {
        Change unchanged(hive, "same again");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
        hive.deleteValue(HKLM, "Card", "never there");
        EXPECT_TRUE(unchanged.commit());
        Change dropped(hive, "dropped", &files);
        files.writeIn(dropped, "tunexa.bat", "dropped");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("dropped"));
    }
    EXPECT_TRUE(files.files.empty());
    {
        Change change(hive, "Riva TNT: Apply", &files);
        hive.setValue(HKLM, "card\\d3d", "CLOCK", REG_DWORD, Bytes{100, 0, 0, 0});
        hive.setValue(HKLM, "Card\\New\\Deep", "Fresh", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, Bytes{110, 0, 0, 0});
        hive.deleteKeyTree(HKLM, "Card\\Old");
        files.writeIn(change, "tunexa.bat", "SET X=1\r\n");
        ASSERT_TRUE(change.commit());
    }
    EXPECT_EQ(hive.subkeys(HKLM, "card"), (std::vector<std::string>{"D3D", "New"}));
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, "Riva TNT: Apply");
    const auto record = hive.changeRecord(list[0].id);
    ASSERT_TRUE(record && record->info.damage.empty());
    std::map<std::string, std::pair<std::optional<RawValue>, std::optional<RawValue>>> items;
    for (const ChangeItem& item : record->items) {
        items[describeItem(item)] = {item.before, item.after};
    }
    // A value keeps its first before-image and its spelling; keys created and deleted count.
    const RawValue key{0, {}};
    EXPECT_EQ(items, (decltype(items){
                         {"HKEY_LOCAL_MACHINE\\Card\\D3D\\Clock",
                          {sz("90"), RawValue{REG_DWORD, {110, 0, 0, 0}}}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh", {std::nullopt, sz("1")}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New", {std::nullopt, key}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep", {std::nullopt, key}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old\\Sub\\Gone",
                          {RawValue{REG_BINARY, {1, 2}}, std::nullopt}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old", {key, std::nullopt}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old\\Sub", {key, std::nullopt}},
                         {"C:\\tunexa.bat", {std::nullopt, RawValue{0, bytes("SET X=1\r\n")}}},
                     }));
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
// What changed since is named before anything is undone; undo-to-here undoes the change and
// every later one as one change, and nothing older.
TEST_F(ChangesTest, UndoRestoresExactlyRedoesAndUndoesToHere) {
    {
        Change setup(hive, "Setup", &files);
        hive.setValue(HKLM, "Card", "Text", REG_SZ, Bytes{'9', '0', 0});  // with its NUL
        hive.setValue(HKLM, "Card", "Odd", 0x1234, Bytes{0xFF, 0x00});
        files.writeIn(setup, "tunexa.bat", "SET A=0\r\n");
        ASSERT_TRUE(setup.commit());
    }
    const auto snapshot = [&] {
        return std::tuple(listed(hive, HKLM, "Card"), listed(hive, HKLM, "Card\\Sub"),
                          hive.subkeys(HKLM, "Card"), files.files);
    };
    const auto before = snapshot();
    {
        Change change(hive, "Apply", &files);
        hive.setValue(HKLM, "Card", "Text", REG_DWORD, Bytes{1, 0, 0, 0});
        hive.deleteValue(HKLM, "Card", "Odd");
        hive.setValue(HKLM, "Card", "Added", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\Sub", "New", REG_BINARY, Bytes{7});
        files.writeIn(change, "tunexa.bat", "SET A=1\r\n");
        files.writeIn(change, "tx106hl.bat", "C:\r\n");
        ASSERT_TRUE(change.commit());
    }
    const auto after = snapshot();
    for (const auto* expected : {&before, &after}) {
        const auto undo = planUndoLast(hive, &files);
        EXPECT_EQ(undo.title, expected == &before ? "Undo Apply" : "Redo Apply");
        EXPECT_TRUE(undo.differences.empty());
        ASSERT_TRUE(applyUndo(hive, &files, undo));
        EXPECT_EQ(snapshot(), *expected);
    }
    EXPECT_EQ(planUndoLast(hive, &files).title, "Undo Apply");

    hive.setValue(HKLM, "Card", "Added", REG_SZ, bytes("edited"));  // another program
    files.files["tunexa.bat"] = bytes("edited by hand");
    const auto undo = planUndoTo(hive, &files, hive.changes()[2].id);  // Apply and later
    std::map<std::string, std::string> differences;
    for (const auto& difference : undo.differences) {
        differences[describeItem(difference.item)] = describeImage(difference.item, difference.now);
    }
    EXPECT_EQ(differences, (std::map<std::string, std::string>{
                               {"HKEY_LOCAL_MACHINE\\Card\\Added", "REG_SZ edited"},
                               {"C:\\tunexa.bat", "14 bytes"}}));
    EXPECT_EQ(value("Card", "Added"), sz("edited"));
    ASSERT_TRUE(applyUndo(hive, &files, undo));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(hive.changes().front().title, "Undo 3 changes, back to before \"Apply\"");
}

// A hand-edited record is reported and never undone; nothing else is undone in its place.
TEST_F(ChangesTest, ADamagedRecordIsReportedAndNeverUndone) {
    for (const char* damage :
         {"UPDATE change_items SET kind = 7", "UPDATE change_items SET before_data = NULL",
          "UPDATE change_items SET root = 5", "DELETE FROM change_items",
          "UPDATE changes SET time = 'noon'"}) {
        SCOPED_TRACE(damage);
        {
            Change change(hive, "Apply");
            hive.setValue(HKLM, "K", "v", REG_SZ, bytes(damage));
            ASSERT_TRUE(change.commit());
        }
        ASSERT_EQ(sql(file_, damage), SQLITE_OK);
        const auto undo = planUndoLast(hive, &files);
        EXPECT_NE(undo.problem.find("damaged"), std::string::npos) << undo.problem;
        EXPECT_FALSE(applyUndo(hive, &files, undo));
        EXPECT_EQ(value("K", "v"), sz(damage));
    }
}

TEST_F(ChangesTest, ProfilesPutBackExactlyWhatTheyHoldUnderAnAcceptedName) {
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
    EXPECT_EQ(listed(hive, HKLM, "Card\\D3D"), (Listed{{"Clock", REG_SZ, bytes("90")}}));
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
    const std::string longest(kMaxProfileNameLength, 'x');
    for (const std::string& name : {longest, "Benchmark \xe9t\xe9"s}) {
        EXPECT_FALSE(profileNameProblem(name)) << name;
    }
    for (const std::string& name : {longest + "x", ""s, "a\\b"s, "tab\there"s, "\x81"s}) {
        EXPECT_TRUE(profileNameProblem(name)) << name;
    }
}

}  // namespace
}  // namespace tunexa::store
