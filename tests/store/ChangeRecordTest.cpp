// The change record: a failed change rolled back whole, exactly what a change altered, undo,
// the newest changes kept, damaged records, and profiles.
#include "HiveTestSupport.h"

namespace tunexa::store::hive_test {
namespace {

// However a write of a change fails (another process holds the store, the store refuses the
// third write, the record cannot be written), the commit says so with the reason, every write of
// the change is gone, the files it wrote are put back, nothing is recorded, and the store works
// again once the cause is gone.
TEST_F(StoreTest, AChangeWithAFailedWriteRollsBackWhole) {
    // What makes the change fail, what cures it, and the reason the store keeps.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"BEGIN IMMEDIATE", "ROLLBACK", "database is locked"},
        {"CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.name = CAST('third' AS BLOB) "
         "BEGIN SELECT RAISE(ABORT, 'refused by the disk'); END;",
         "DROP TRIGGER refuse", "refused by the disk"},
        {"CREATE TRIGGER refuse BEFORE INSERT ON changes "
         "BEGIN SELECT RAISE(ABORT, 'no room for the record'); END;",
         "DROP TRIGGER refuse", "no room for the record"},
        // SQLite ends the whole transaction itself, as on a full disk, and nobody else changes
        // the file after it: the key the change made is gone, and a later write makes it again.
        {"CREATE TRIGGER ended BEFORE INSERT ON vals WHEN NEW.name = CAST('third' AS BLOB) "
         "BEGIN SELECT RAISE(ROLLBACK, 'the disk gave up'); END;",
         "", "the disk gave up"},
    };
    hive.setBusyTimeout(50);
    for (const auto& [cause, cured, reason] : cases) {
        SCOPED_TRACE(reason);
        hive.deleteKeyTree(HKLM, "K");
        ASSERT_TRUE(hive.setValue(HKLM, "K", "first", REG_SZ, bytes("old")));
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(file_.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, cause, nullptr, nullptr, nullptr), SQLITE_OK);
        {
            Change change(hive, "Apply", &files);
            files.writeIn(change, "tunexa.bat", "new");
            hive.setValue(HKLM, "K\\Made", "v", REG_SZ, bytes("new"));
            for (const char* name : {"first", "second", "third", "fourth"}) {
                hive.setValue(HKLM, "K", name, REG_SZ, bytes("new"));
            }
            EXPECT_FALSE(change.commit());
        }
        EXPECT_THAT(hive.lastFailure()->message, HasSubstr(reason));
        sqlite3_exec(other, cured, nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(shown(hive, HKLM, "K"), "first=1'old'");
        EXPECT_TRUE(hive.changes().empty() && files.files.empty());
        EXPECT_TRUE(hive.setValue(HKLM, "K", "second", REG_SZ, bytes("new")));
        EXPECT_TRUE(hive.setValue(HKLM, "K\\Made", "v", REG_SZ, bytes("new")));
        EXPECT_EQ(hive.subkeys(HKLM, "K"), std::vector<std::string>{"Made"});
    }
}

// A change is recorded with the exact before- and after-image of every value, key and file it
// touched, spelled as the store holds them; nothing is recorded for one that altered nothing or
// was dropped, whose files are put back. Undo puts back exactly what was before, every type and
// byte, absent values, keys and files; undoing the undo redoes; what changed since is named.
TEST_F(StoreTest, RecordsExactlyWhatAChangeAlteredAndUndoPutsItBack) {
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90\0"s));  // with its NUL
    hive.setValue(HKLM, "Card\\D3D", "Odd", 0x1234, bytes("\xFF\0"s));
    hive.setValue(HKLM, "Card\\Old\\Sub", "Gone", REG_BINARY, bytes("\1\2"));
    files.files["tunexa.bat"] = bytes("SET A=0");
    {
        Change unchanged(hive, "same again");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90\0"s));
        hive.deleteValue(HKLM, "Card", "never there");
        EXPECT_TRUE(unchanged.commit());
        Change dropped(hive, "dropped", &files);
        files.writeIn(dropped, "tunexa.bat", "dropped");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("dropped"));
    }
    const auto snapshot = [&] {
        return std::tuple(shown(hive, HKLM, "Card\\D3D"), shown(hive, HKLM, "Card\\New\\Deep"),
                          shown(hive, HKLM, "Card\\Old\\Sub"), hive.subkeys(HKLM, "Card"),
                          files.files);
    };
    const auto before = snapshot();
    {
        Change change(hive, "Riva TNT: Apply", &files);
        hive.setValue(HKLM, "card\\d3d", "CLOCK", REG_DWORD, bytes("d\0\0\0"s));
        hive.setValue(HKLM, "CARD\\New\\Deep", "Fresh", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, bytes("n\0\0\0"s));
        hive.deleteValue(HKLM, "Card\\D3D", "odd");
        hive.deleteKeyTree(HKLM, "Card\\Old");
        files.writeIn(change, "tunexa.bat", "SET X=1");
        files.writeIn(change, "tx106hl.bat", "C:");
        ASSERT_TRUE(change.commit());
    }
    const auto after = snapshot();
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), 1u);
    const auto record = hive.changeRecord(list[0].id);
    ASSERT_TRUE(record && record->info.damage.empty());
    std::set<std::string> items;
    for (const ChangeItem& item : record->items) {
        items.insert(describeItem(item) + " " + image(item.before) + " > " + image(item.after));
    }
    EXPECT_EQ(record->info.title, "Riva TNT: Apply");
    EXPECT_EQ(
        items,
        (std::set<std::string>{
            "HKEY_LOCAL_MACHINE\\Card\\D3D\\Clock 1:393000 > 4:6e000000",
            "HKEY_LOCAL_MACHINE\\Card\\D3D\\Odd 4660:ff00 > -",
            "HKEY_LOCAL_MACHINE\\Card\\New - > 0''", "HKEY_LOCAL_MACHINE\\Card\\New\\Deep - > 0''",
            "HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh - > 1'1'",
            "HKEY_LOCAL_MACHINE\\Card\\Old 0'' > -", "HKEY_LOCAL_MACHINE\\Card\\Old\\Sub 0'' > -",
            "HKEY_LOCAL_MACHINE\\Card\\Old\\Sub\\Gone 3:0102 > -",
            "C:\\tunexa.bat 0'SET A=0' > 0'SET X=1'", "C:\\tx106hl.bat - > 0'C:'"}));

    for (const auto* expected : {&before, &after}) {
        const auto undo = planUndoLast(hive, &files);
        EXPECT_EQ(undo.title + std::to_string(undo.differences.size()),
                  expected == &before ? "Undo Riva TNT: Apply0" : "Redo Riva TNT: Apply0");
        ASSERT_TRUE(applyUndo(hive, &files, undo));
        EXPECT_EQ(snapshot(), *expected);
    }
    hive.setValue(HKLM, "Card\\New\\Deep", "Fresh", REG_SZ, bytes("edited"));  // another program
    files.files["tunexa.bat"] = bytes("edited by hand");
    std::set<std::string> differences;
    for (const auto& difference : planUndoLast(hive, &files).differences) {
        differences.insert(describeItem(difference.item) + " " + image(difference.now));
    }
    EXPECT_EQ(differences,
              (std::set<std::string>{"C:\\tunexa.bat 0'edited by hand'",
                                     "HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh 1'edited'"}));
}

// The newest 500 are kept, the older ones dropped.
TEST_F(StoreTest, KeepsOnlyTheNewestChanges) {
    for (int i = 0; i < 503; ++i) {
        Change change(hive, "step " + std::to_string(i));
        RegSetDword(HKLM, "K", "v", i);
        ASSERT_TRUE(change.commit());
    }
    const auto list = hive.changes();
    EXPECT_EQ(std::to_string(list.size()) + " " + list.front().title + ".." + list.back().title,
              "500 step 502..step 3");
    EXPECT_FALSE(hive.changeRecord(list.back().id - 1));
}

// A hand-edited record is reported and never undone; nothing else is undone in its place.
TEST_F(StoreTest, ADamagedRecordIsReportedAndNeverUndone) {
    for (const char* damage :
         {"UPDATE changes SET items = x'07' || substr(items, 2)",
          "UPDATE changes SET items = substr(items, 1, length(items) - 1)",
          "UPDATE changes SET items = substr(items, 1, 1) || x'05000000' || substr(items, 6)",
          "UPDATE changes SET items = x''", "UPDATE changes SET time = 'noon'"}) {
        SCOPED_TRACE(damage);
        {
            Change change(hive, "Apply");
            hive.setValue(HKLM, "K", "v", REG_SZ, bytes(damage));
            ASSERT_TRUE(change.commit());
        }
        ASSERT_EQ(sql(file_, damage), SQLITE_OK);
        const auto undo = planUndoLast(hive, &files);
        EXPECT_THAT(undo.problem, HasSubstr("damaged"));
        EXPECT_FALSE(applyUndo(hive, &files, undo));
        EXPECT_EQ(RegGetString(HKLM, "K", "v"), damage);
    }
}

// A profile puts back exactly the values and files it holds; a managed key it does not cover
// (another machine's display class) is left alone. Names are refused as the store cannot keep
// them.
TEST_F(StoreTest, ProfilesPutBackExactlyWhatTheyHoldUnderAnAcceptedName) {
    const ManagedSet set{
        {{"Card\\D3D", "Clock"}, {"Card\\D3D", "Trilinear"}, {"Class\\0001", "mem"}},
        {{"C:\\tunexa.bat", "tunexa.bat"}}};
    RegSetString(HKLM, "Card\\D3D", "Clock", "90");
    RegSetString(HKLM, "Class\\0001", "mem", "100");
    files.files["tunexa.bat"] = bytes("SET A=0");
    ASSERT_TRUE(saveProfile(hive, &files, "Safe", set));

    RegSetDword(HKLM, "Card\\D3D", "Clock", 120);
    RegSetString(HKLM, "Card\\D3D", "Trilinear", "1");
    files.files["tunexa.bat"] = bytes("SET A=1");
    EXPECT_FALSE(profileMatches(hive, &files, "safe", set));
    ManagedSet elsewhere = set;
    elsewhere.values[2].key = "Class\\0002";
    RegSetString(HKLM, "Class\\0002", "mem", "110");
    ASSERT_TRUE(applyProfile(hive, &files, "SAFE", elsewhere));
    EXPECT_EQ(shown(hive, HKLM, "Card\\D3D") + " " + shown(hive, HKLM, "Class\\0002") + " " +
                  std::string(files.files["tunexa.bat"].begin(), files.files["tunexa.bat"].end()),
              "Clock=1'90' mem=1'110' SET A=0");
    EXPECT_TRUE(profileMatches(hive, &files, "Safe", set));
    EXPECT_EQ(hive.changes().front().title, "Apply profile \"Safe\"");

    const std::string longest(64, 'x');
    for (const auto& [name, refused] : {std::pair{longest, false},
                                        {"Benchmark \xe9t\xe9"s, false},
                                        {longest + "x", true},
                                        {""s, true},
                                        {"a\\b"s, true},
                                        {"tab\there"s, true},
                                        {"\x81"s, true}}) {
        EXPECT_EQ(profileNameProblem(name).has_value(), refused) << name;
    }
}

}  // namespace
}  // namespace tunexa::store::hive_test
