#include "engine/DisplayClass.h"

#include "EngineTestSupport.h"

namespace tunexa::engine::test {
namespace {

std::string classKey(int number, std::string_view sub = "\\DEFAULT") {
    return std::string(kDisplayClassKey) + "\\000" + std::to_string(number) + std::string(sub);
}
void install(int number, std::string_view minivdd, const char* clock = "") {
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(number), "minivdd", minivdd);
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(number), "grxclock", clock);
}

using DisplayClassScan = HiveTest;

// Classes 0005 down to 0000, name by name (3dfxvb.vxd, then fusionv.vxd for the Banshee): the
// last match wins. The TNT's description and date come from the class key itself.
TEST_F(DisplayClassScan, TheLowestClassOfTheLastDriverNameWins) {
    DriverSettings record;
    install(0, "3dfxvb.vxd", "100");
    install(4, "fusionv.vxd", "110");
    install(2, "fusionv.vxd", "103");
    putText(classKey(2), "memclock", "104");
    install(1, "FUSIONV.VXD");  // names match exactly, letter case included
    putText(classKey(1, ""), "minivdd", "fusionv.vxd");  // in the class key, not its "DEFAULT"
    install(5, "nv4.vxd");
    install(3, "nv4.vxd");
    putText(classKey(3, ""), "DriverDesc", "NVIDIA RIVA TNT");
    putText(classKey(3, ""), "DriverDate", "11-3-1999");
    putText(classKey(3), "DriverDesc", "in DEFAULT");
    putText(classKey(5, ""), "DriverDesc", "second adapter");
    EXPECT_TRUE(FindBansheeClassKey(record) && ReadTNTDriverInfo(record));
    EXPECT_EQ(record.BanClock.ClassKey, classKey(2));
    EXPECT_EQ(record.BanClock.grxclock.asText() + " " + record.BanClock.memclock.asText(),
              "103 104");
    EXPECT_EQ(record.TNT.DriverDesc.asText() + " " + record.TNT.DriverDate.asText(),
              "NVIDIA RIVA TNT 11-3-1999");
    store::RegDeleteValue(HKEY_LOCAL_MACHINE, classKey(2), "grxclock");
    EXPECT_TRUE(FindBansheeClassKey(record));
    EXPECT_EQ(record.BanClock.grxclock, SettingValue());
}

TEST_F(DisplayClassScan, WithoutAMatchTheFieldsStayAndNoKeyIsMade) {
    DriverSettings record;
    record.TNT.DriverDesc = "before";
    record.BanClock.ClassKey = "before";
    EXPECT_FALSE(ReadTNTDriverInfo(record));
    EXPECT_FALSE(store::currentHive().keyExists(HKEY_LOCAL_MACHINE, "System"));
    install(6, "nv4.vxd");  // beyond 0005
    EXPECT_FALSE(ReadTNTDriverInfo(record));
    install(6, "3dfxvb.vxd");
    EXPECT_FALSE(FindBansheeClassKey(record));
    EXPECT_EQ(record.TNT.DriverDesc, SettingValue("before"));
    EXPECT_EQ(record.BanClock.ClassKey, "before");
}

}  // namespace
}  // namespace tunexa::engine::test
