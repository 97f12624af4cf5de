// The driver map's rules beyond which control goes to which value (the card panels' tests apply
// every control of each card): mapped texts, stored forms, values left alone, what the write
// result tells; and the display-class keys the Banshee clocks and the TNT's driver details come
// from.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "HiveTest.h"
#include "engine/ControlReader.h"
#include "engine/DisplayClass.h"
#include "engine/DriverSettings.h"
#include "engine/RegMethods.h"
#include "engine/SettingValue.h"
#include "engine/StoreKeys.h"
#include "store/Registry.h"

namespace tunexa::engine::test {
namespace {

using store::HKEY_LOCAL_MACHINE;

// "absent", "text:110", "dword:-1", "byte:3": a number's bytes are taken low byte first.
std::string stored(std::string_view key, std::string_view name) {
    const auto value = store::currentHive().getValue(HKEY_LOCAL_MACHINE, key, name);
    if (!value || value->type == store::REG_SZ) {
        return value ? "text:" + std::string(value->data.begin(), value->data.end()) : "absent";
    }
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < value->data.size() && i < 4; ++i) {
        number |= std::uint32_t{value->data[i]} << 8 * i;
    }
    const bool dword = value->type == store::REG_DWORD && value->data.size() == 4;
    return (dword ? "dword:" : "byte:") + std::to_string(static_cast<std::int32_t>(number));
}

// A panel answering from one table of what each control shows: a label's caption, a list's
// selected text, a check box's value in decimal; anything else is empty or unchecked.
struct FakeControls : ControlReader {
    std::map<std::string, std::string, std::less<>> shown;

    std::string caption(std::string_view name) const override { return text(name); }
    std::string selectedText(std::string_view name) const override { return text(name); }
    int checkValue(std::string_view name) const override { return std::atoi(text(name).c_str()); }
    std::string text(std::string_view name) const {
        return shown.contains(name) ? shown.find(name)->second : std::string();
    }
};

constexpr std::string_view kTntD3D = "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D";
constexpr std::string_view kTntGL = "Software\\NVIDIA Corporation\\Riva TNT\\OpenGL";
constexpr std::string_view kV2D3D = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
constexpr std::string_view kV2Glide = "Software\\3Dfx Interactive\\Voodoo2\\Glide";

class DriverMap : public tunexa::test::HiveTest {
  protected:
    DriverSettings record;
};

// Captions and list texts through their mapping tables; a text no table knows (the tables are
// exact, letter case included) keeps the field as it was.
TEST_F(DriverMap, MappedCaptionsAndListTextsBecomeTheirNumbers) {
    FakeControls panel;
    // The control shows the text; the panel is collected and written, as an Apply does.
    const auto show = [&](const char* control, const char* text, std::string_view name) {
        panel.shown[control] = text;
        CollectDriverSettings(kCardTNT, panel, record);
        WriteDriverSettings(kCardTNT, record);
        return stored(name == "TextureQuality" ? kTntGL : kTntD3D, name);
    };
    EXPECT_EQ(show("lblTNTD3DaaVal", "2x1", "AAMETHOD"), "dword:0");
    EXPECT_EQ(show("lblTNTD3DaaVal", "4x4", "AAMETHOD"), "dword:6");
    EXPECT_EQ(show("lblTNTD3DaaVal", "8x8", "AAMETHOD"), "dword:6");
    EXPECT_EQ(show("lstTNTD3Dmipm", "Trilinear", "AUTOMIPMAPMETHOD"), "dword:1");
    EXPECT_EQ(show("lstTNTD3Dmipd", "Blend", "LODBIASADJUST"), "dword:4");
    EXPECT_EQ(show("lstTNTD3Dmipd", "blend", "LODBIASADJUST"), "dword:4");
    EXPECT_EQ(show("lstTNTGLtexq", "Blend", "TextureQuality"), "byte:2");
}

// A value the store lacks reads as absent (texts) or 0; FOGTABLEENABLE, which the driver's
// tools keep as a dword and the program writes as one byte, reads in either form. "Disable SLI"
// ticked is the text "0" (or a dword 0) in the store; a value neither ticked nor not is left.
TEST_F(DriverMap, ReadsEachStoredFormAndLeavesTheUnknownAlone) {
    record.TNT.NVCLK = "90";
    record.TNT.AAMETHOD = 5;
    ReadDriverSettings(kCardTNT, record);
    EXPECT_EQ(record.TNT.NVCLK, SettingValue());
    EXPECT_EQ(record.TNT.AAMETHOD, SettingValue(0));
    for (const auto& [type, bytes, read] :
         {std::tuple{store::REG_DWORD, store::Bytes{1, 0, 0, 0}, 1},
          {store::REG_BINARY, store::Bytes{1}, 1},
          {store::REG_BINARY, store::Bytes{1, 0}, 0}}) {  // neither
        store::currentHive().setValue(HKEY_LOCAL_MACHINE, kTntD3D, "FOGTABLEENABLE", type, bytes);
        ReadDriverSettings(kCardTNT, record);
        EXPECT_EQ(record.TNT.FOGTABLEENABLE, SettingValue(read)) << bytes.size();
    }

    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_SLIDETECT", "0");
    store::RegSetDword(HKEY_LOCAL_MACHINE, kV2Glide, "SSTV2_SLIDETECT", 0);
    ReadDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(record.V2Glide.SSTV2_SLIDETECT, SettingValue(1));
    store::RegSetString(HKEY_LOCAL_MACHINE, kV2Glide, "SSTV2_SLIDETECT", "1");
    ReadDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(record.V2Glide.SSTV2_SLIDETECT, SettingValue(0));
    record.V2Glide.SSTV2_SLIDETECT = 2;  // neither ticked nor not: nothing written or deleted
    WriteDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT") + stored(kV2D3D, "SSTV2_SLIDETECT"),
              "text:1text:0");
}

// A numeric text counts by its number; a field that cannot be stored as its type (or compared)
// leaves its value in the store as it was, and the caller is told.
TEST_F(DriverMap, TextsCountByNumberAndNonNumbersLeaveTheirValueAlone) {
    store::RegSetDword(HKEY_LOCAL_MACHINE, kTntD3D, "MIPMAPLEVELS", 5);
    record.TNT.MIPMAPLEVELS = "";  // no list item selected
    record.TNT.TextureQuality = 256;
    const auto tnt = WriteDriverSettings(kCardTNT, record);
    EXPECT_TRUE(tnt.saved);
    EXPECT_EQ(tnt.valuesLeftAlone, (std::vector<std::string>{"MIPMAPLEVELS", "TextureQuality"}));
    EXPECT_EQ(stored(kTntD3D, "MIPMAPLEVELS") + stored(kTntGL, "TextureQuality"), "dword:5absent");
    record.V2D3D.SSTV2_FORCE_TRILINEAR = "01";
    WriteDriverSettings(kCardVoodoo2, record);
    record.V2D3D.SSTV2_FORCE_TRILINEAR = "on";
    EXPECT_EQ(WriteDriverSettings(kCardVoodoo2, record).valuesLeftAlone,
              std::vector<std::string>{"SSTV2_FORCE_TRILINEAR"});
    EXPECT_EQ(stored(kV2D3D, "SSTV2_FORCE_TRILINEAR"), "text:01");
}

// Without a display-class key the Banshee clocks are skipped, neither written into the root key
// nor read from it. (A store that refuses the writes is told by every card's Apply.)
TEST_F(DriverMap, WithoutADisplayClassKeyTheBansheeClocksAreSkipped) {
    record.BanClock.ClassKey.clear();
    record.BanClock.grxclock = "105";
    store::RegSetString(HKEY_LOCAL_MACHINE, "", "memclock", "90");
    const auto banshee = WriteDriverSettings(kCardBanshee, record);
    EXPECT_TRUE(banshee.saved && banshee.clocksSkipped);
    EXPECT_EQ(stored("", "grxclock") + stored("", "GraphicsClock") + stored("", "MemClocking"),
              "absentabsentabsent");
    ReadDriverSettings(kCardBanshee, record);
    EXPECT_EQ(record.BanClock.grxclock.asText() + record.BanClock.memclock.asText(), "105");
}

std::string classKey(int number, std::string_view sub = "\\DEFAULT") {
    return "System\\CurrentControlSet\\Services\\Class\\Display\\000" + std::to_string(number) +
           std::string(sub);
}
void install(int number, std::string_view minivdd, const char* clock = "") {
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(number), "minivdd", minivdd);
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(number), "grxclock", clock);
}

using DisplayClassScan = tunexa::test::HiveTest;

// Classes 0005 down to 0000, name by name (3dfxvb.vxd, then fusionv.vxd for the Banshee): the
// last match wins. The TNT's description and date come from the class key itself.
// Without a match (classes beyond 0005 are not looked at) the fields stay and no key is made.
TEST_F(DisplayClassScan, TheLowestClassOfTheLastDriverNameWins) {
    DriverSettings record;
    record.TNT.DriverDesc = "before";
    record.BanClock.ClassKey = "before";
    EXPECT_FALSE(ReadTNTDriverInfo(record));
    EXPECT_FALSE(store::currentHive().keyExists(HKEY_LOCAL_MACHINE, "System"));
    install(6, "nv4.vxd");
    EXPECT_FALSE(ReadTNTDriverInfo(record));
    install(6, "3dfxvb.vxd");
    EXPECT_FALSE(FindBansheeClassKey(record));
    EXPECT_EQ(record.TNT.DriverDesc.asText() + record.BanClock.ClassKey, "beforebefore");
    install(0, "3dfxvb.vxd", "100");
    install(4, "fusionv.vxd", "110");
    install(2, "fusionv.vxd", "103");
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(2), "memclock", "104");
    install(1, "FUSIONV.VXD");  // names match exactly, letter case included
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(1, ""), "minivdd",
                        "fusionv.vxd");  // in the class key, not its "DEFAULT"
    install(5, "nv4.vxd");
    install(3, "nv4.vxd");
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(3, ""), "DriverDesc", "NVIDIA RIVA TNT");
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(3, ""), "DriverDate", "11-3-1999");
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(3), "DriverDesc", "in DEFAULT");
    store::RegSetString(HKEY_LOCAL_MACHINE, classKey(5, ""), "DriverDesc", "second adapter");
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

// A text counts by its decimal value, blanks around it allowed, down to the 32-bit minimum; one
// that is no number in the 32-bit range converts to nothing and equals no number.
TEST(SettingValue, ATextCountsOnlyAsADecimalNumberInThe32BitRange) {
    EXPECT_EQ(SettingValue(" -2147483648 ").asInt32(), INT32_MIN);
    for (const char* notANumber : {"", "abc", "1.5", "12abc", "--1", "+", "0x10", "2147483648"}) {
        EXPECT_EQ(SettingValue(notANumber).asInt32(), std::nullopt) << notANumber;
        EXPECT_EQ(SettingValue(notANumber).equals(0), std::nullopt) << notANumber;
    }
}

// A blank BootDir leaves the boot batch file on C:, not at a path relative to nowhere.
TEST(StoreKeys, TheBootBatchFileIsInTheBootFolderOrOnC) {
    EXPECT_EQ(bootBatchPath("D:\\") + " " + bootBatchPath(""), "D:\\autoexec.bat C:\\autoexec.bat");
}

}  // namespace
}  // namespace tunexa::engine::test
