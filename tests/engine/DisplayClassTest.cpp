#include "engine/DisplayClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineTestSupport.h"

namespace tunexa::engine::test {
namespace {

std::string classKey(const char* number) {
    return std::string("System\\CurrentControlSet\\Services\\Class\\Display\\") + number;
}

std::string defaultKey(const char* number) {
    return classKey(number) + "\\DEFAULT";
}

class DisplayClassScan : public HiveTest {
  protected:
    static void installDriver(const char* number, std::string_view minivdd) {
        putText(defaultKey(number), "minivdd", minivdd);
    }

    static void installBansheeClocks(const char* number, const char* grx, const char* mem) {
        putText(defaultKey(number), "grxclock", grx);
        putText(defaultKey(number), "memclock", mem);
    }
};

TEST_F(DisplayClassScan, VisitsMatchesFromTheHighestClassDownAndPassByPass) {
    installDriver("0000", "b.vxd");
    installDriver("0001", "a.vxd");
    installDriver("0003", "a.vxd");
    installDriver("0005", "b.vxd");
    std::vector<std::string> visited;
    const auto last = ScanDisplayClasses({"a.vxd", "b.vxd"}, [&](const DisplayClassMatch& m) {
        visited.push_back(m.driverFile + " " + m.classKey);
        EXPECT_EQ(m.defaultKey, m.classKey + "\\DEFAULT");
    });
    EXPECT_EQ(visited,
              (std::vector<std::string>{"a.vxd " + classKey("0003"), "a.vxd " + classKey("0001"),
                                        "b.vxd " + classKey("0005"), "b.vxd " + classKey("0000")}));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->classKey, classKey("0000"));
    EXPECT_EQ(last->driverFile, "b.vxd");
}

TEST_F(DisplayClassScan, FindsNothingInAnEmptyStoreAndCreatesNoKey) {
    EXPECT_FALSE(ScanDisplayClasses({"nv4.vxd"}).has_value());
    EXPECT_FALSE(hive().keyExists(store::HKEY_LOCAL_MACHINE, "System"));
}

TEST_F(DisplayClassScan, BansheeTakesTheLowestMatchingClassAndItsClocks) {
    installDriver("0001", "3dfxvb.vxd");
    installDriver("0003", "3dfxvb.vxd");
    installBansheeClocks("0001", "105", "108");
    installBansheeClocks("0003", "110", "110");
    DriverSettings record;
    EXPECT_TRUE(FindBansheeClassKey(record));
    EXPECT_EQ(record.BanClock.ClassKey, defaultKey("0001"));
    EXPECT_EQ(record.BanClock.grxclock, SettingValue("105"));
    EXPECT_EQ(record.BanClock.memclock, SettingValue("108"));
}

TEST_F(DisplayClassScan, BansheeFusionDriverBeatsEveryOlderDriverMatch) {
    installDriver("0000", "3dfxvb.vxd");
    installDriver("0004", "fusionv.vxd");
    installBansheeClocks("0000", "100", "100");
    installBansheeClocks("0004", "103", "104");
    DriverSettings record;
    EXPECT_TRUE(FindBansheeClassKey(record));
    EXPECT_EQ(record.BanClock.ClassKey, defaultKey("0004"));
    EXPECT_EQ(record.BanClock.grxclock, SettingValue("103"));
    EXPECT_EQ(record.BanClock.memclock, SettingValue("104"));
}

TEST_F(DisplayClassScan, BansheeMatchWithoutClocksMakesThemAbsent) {
    installDriver("0002", "3dfxvb.vxd");
    DriverSettings record;
    record.BanClock.grxclock = "105";
    record.BanClock.memclock = "105";
    EXPECT_TRUE(FindBansheeClassKey(record));
    EXPECT_EQ(record.BanClock.ClassKey, defaultKey("0002"));
    EXPECT_EQ(record.BanClock.grxclock, SettingValue());
    EXPECT_EQ(record.BanClock.memclock, SettingValue());
}

TEST_F(DisplayClassScan, OnlyExactNamesInClassesZeroToFiveMatch) {
    installDriver("0001", "3DFXVB.VXD");
    installDriver("0002", "fusionv.vxd ");
    installDriver("0006", "fusionv.vxd");
    installBansheeClocks("0006", "110", "110");
    putText(classKey("0003"), "minivdd", "3dfxvb.vxd");  // in the class key, not its "DEFAULT"
    DriverSettings record;
    record.BanClock.ClassKey = defaultKey("0000");
    record.BanClock.grxclock = "101";
    EXPECT_FALSE(FindBansheeClassKey(record));
    EXPECT_EQ(record.BanClock.ClassKey, defaultKey("0000"));
    EXPECT_EQ(record.BanClock.grxclock, SettingValue("101"));
    EXPECT_EQ(record.BanClock.memclock, SettingValue());
}

TEST_F(DisplayClassScan, TNTReadsDescriptionAndDateFromTheClassKeyItself) {
    installDriver("0002", "nv4.vxd");
    putText(classKey("0002"), "DriverDesc", "NVIDIA RIVA TNT");
    putText(classKey("0002"), "DriverDate", "11-3-1999");
    putText(defaultKey("0002"), "DriverDesc", "wrong key");
    DriverSettings record;
    EXPECT_TRUE(ReadTNTDriverInfo(record));
    EXPECT_EQ(record.TNT.DriverDesc, SettingValue("NVIDIA RIVA TNT"));
    EXPECT_EQ(record.TNT.DriverDate, SettingValue("11-3-1999"));
    EXPECT_EQ(record.BanClock.ClassKey, "");
}

TEST_F(DisplayClassScan, TNTLowestClassWinsAndUpperCaseNamesDoNotMatch) {
    installDriver("0004", "nv4.vxd");
    putText(classKey("0004"), "DriverDesc", "second adapter");
    installDriver("0001", "nv4.vxd");
    putText(classKey("0001"), "DriverDesc", "first adapter");
    installDriver("0000", "NV4.VXD");
    putText(classKey("0000"), "DriverDesc", "not a match");
    DriverSettings record;
    record.TNT.DriverDate = "kept?";
    EXPECT_TRUE(ReadTNTDriverInfo(record));
    EXPECT_EQ(record.TNT.DriverDesc, SettingValue("first adapter"));
    EXPECT_EQ(record.TNT.DriverDate, SettingValue());
}

TEST_F(DisplayClassScan, TNTWithoutAMatchKeepsTheFields) {
    installDriver("0000", "NV4.VXD");
    DriverSettings record;
    record.TNT.DriverDesc = "before";
    EXPECT_FALSE(ReadTNTDriverInfo(record));
    EXPECT_EQ(record.TNT.DriverDesc, SettingValue("before"));
}

TEST_F(DisplayClassScan, TheSharedRecordIsUsedWithoutOne) {
    installDriver("0003", "fusionv.vxd");
    EXPECT_TRUE(FindBansheeClassKey());
    EXPECT_EQ(driverSettings().BanClock.ClassKey, defaultKey("0003"));
    driverSettings() = DriverSettings();
}

}  // namespace
}  // namespace tunexa::engine::test
