#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/DriverSettings.h"
#include "engine/RegMethods.h"

namespace tunexa::engine::test {
namespace {

using Field = SettingValue& (*)(DriverSettings&);
#define FIELD(group, name) \
    [](DriverSettings& s) -> SettingValue& { return s.group.name; }, #group "." #name

// A control whose text or value goes into its field unchanged.
struct PlainRow {
    std::string_view card;
    std::string_view control;
    Field field;
    const char* label;
};

const PlainRow kCaptions[] = {
    {"TNT", "lblTNTMemVal", FIELD(TNT, MCLK)},
    {"TNT", "lblTNTCoreVal", FIELD(TNT, NVCLK)},
    {"Voodoo2", "lblV2D3DCoreVal", FIELD(V2D3D, SSTV2_GRXCLK)},
    {"Voodoo2", "lblV2DRGVal", FIELD(V2D3D, SSTV2_RGAMMA)},
    {"Voodoo2", "lblV2DGGVal", FIELD(V2D3D, SSTV2_GGAMMA)},
    {"Voodoo2", "lblV2DBGVal", FIELD(V2D3D, SSTV2_BGAMMA)},
    {"Voodoo2", "lblV2GCoreVal", FIELD(V2Glide, SSTV2_GRXCLK)},
    {"Voodoo2", "lblV2GRGVal", FIELD(V2Glide, SSTV2_RGAMMA)},
    {"Voodoo2", "lblV2GGGVal", FIELD(V2Glide, SSTV2_GGAMMA)},
    {"Voodoo2", "lblV2GBGVal", FIELD(V2Glide, SSTV2_BGAMMA)},
    {"Banshee", "lbl3DfxBansheeGrxVal", FIELD(BanClock, grxclock)},
    {"Banshee", "lbl3DfxBansheeMemVal", FIELD(BanClock, memclock)},
    {"Banshee", "lblBanDRGval", FIELD(BanD3D, SSTH3_RGAMMA)},
    {"Banshee", "lblBanDGGval", FIELD(BanD3D, SSTH3_GGAMMA)},
    {"Banshee", "lblBanDBGval", FIELD(BanD3D, SSTH3_BGAMMA)},
    {"Banshee", "lblBanGRGval", FIELD(BanGlide, SSTH3_RGAMMA)},
    {"Banshee", "lblBanGGGval", FIELD(BanGlide, SSTH3_GGAMMA)},
    {"Banshee", "lblBanGBGval", FIELD(BanGlide, SSTH3_BGAMMA)},
};

const PlainRow kChecks[] = {
    {"TNT", "chkTNTD3Daa", FIELD(TNT, ANTIALIASENABLE)},
    {"TNT", "chkTNTDX6", FIELD(TNT, DX6ENABLE)},
    {"TNT", "chkTNTD3Ddither", FIELD(TNT, MIPMAPDITHERENABLE)},
    {"TNT", "chkTNTFogTable", FIELD(TNT, FOGTABLEENABLE)},
    {"TNT", "chkTNTNV4", FIELD(TNT, PowerUser)},
    {"TNT", "chkTNTCpuOpt", FIELD(TNT, CPUOPTDISABLE)},
    {"Voodoo2", "chkV2D3Dfa", FIELD(V2D3D, SSTV2_ANTIALIAS)},
    {"Voodoo2", "chkV2D3Dft", FIELD(V2D3D, SSTV2_FORCE_TRILINEAR)},
    {"Voodoo2", "chkV2D3Dam", FIELD(V2D3D, SSTV2_AUTOMIPMAP)},
    {"Voodoo2", "chkV2D3Dvs", FIELD(V2D3D, SSTV2_SWAPINTERVAL)},
    {"Voodoo2", "chkV2GVSync", FIELD(V2Glide, FX_GLIDE_SWAPINTERVAL)},
    {"Voodoo2", "chkV2Gadvance", FIELD(V2Glide, FX_GLIDE_LOD_DITHER)},
    {"Voodoo2", "chkV2sli", FIELD(V2Glide, SSTV2_SLIDETECT)},
    {"Banshee", "chkBanDantialias", FIELD(BanD3D, SSTH3_ANTIALIAS)},
    {"Banshee", "chkBanDauto", FIELD(BanD3D, SSTH3_AUTOMIPMAP)},
    {"Banshee", "chkBanDVSync", FIELD(BanD3D, SSTH3_SWAPINTERVAL)},
    {"Banshee", "chkBanDtri", FIELD(BanD3D, SSTH3_FORCE_TRILINEAR)},
    {"Banshee", "chkBanGrush", FIELD(BanGlide, FX_GLIDE_EMUL_RUSH)},
    {"Banshee", "chkBanGadvance", FIELD(BanGlide, FX_GLIDE_LOD_DITHER)},
    {"Banshee", "chkBanGVSync", FIELD(BanGlide, FX_GLIDE_SWAPINTERVAL)},
};

// A check box whose two states stand for other numbers.
struct MappedCheckRow {
    std::string_view card;
    std::string_view control;
    Field field;
    const char* label;
    int unchecked;
    int checked;
};

const MappedCheckRow kMappedChecks[] = {
    {"TNT", "chkTNTSetVsync", FIELD(TNT, NOVSYNC), 1, 0},
    {"Voodoo2", "chkV2Glimit", FIELD(V2Glide, SSTV2_TMU_MEMSIZE), 4, 2},
    {"Voodoo2", "chkV2Gtriple", FIELD(V2Glide, FX_GLIDE_ALLOC_COLOR), 2, 3},
    {"Banshee", "chkBanGtriple", FIELD(BanGlide, FX_GLIDE_ALLOC_COLOR), 2, 3},
};

// A caption or list text recognised by a table.
struct MappedTextRow {
    std::string_view control;
    bool isList;
    std::string_view text;
    Field field;
    const char* label;
    SettingValue value;
};

const MappedTextRow kMappedTexts[] = {
    {"lblTNTD3DaaVal", false, "2x1", FIELD(TNT, AAMETHOD), 0},
    {"lblTNTD3DaaVal", false, "2x2", FIELD(TNT, AAMETHOD), 1},
    {"lblTNTD3DaaVal", false, "3x2", FIELD(TNT, AAMETHOD), 2},
    {"lblTNTD3DaaVal", false, "3x3", FIELD(TNT, AAMETHOD), 3},
    {"lblTNTD3DaaVal", false, "4x2", FIELD(TNT, AAMETHOD), 4},
    {"lblTNTD3DaaVal", false, "4x3", FIELD(TNT, AAMETHOD), 5},
    {"lblTNTD3DaaVal", false, "4x4", FIELD(TNT, AAMETHOD), 6},
    {"lstTNTD3Dmipm", true, "Bilinear", FIELD(TNT, AUTOMIPMAPMETHOD), 0},
    {"lstTNTD3Dmipm", true, "Trilinear", FIELD(TNT, AUTOMIPMAPMETHOD), 1},
    {"lstTNTD3Dmipd", true, "Best image quality", FIELD(TNT, LODBIASADJUST), 0},
    {"lstTNTD3Dmipd", true, "High image quality", FIELD(TNT, LODBIASADJUST), 2},
    {"lstTNTD3Dmipd", true, "Blend", FIELD(TNT, LODBIASADJUST), 4},
    {"lstTNTD3Dmipd", true, "High performance", FIELD(TNT, LODBIASADJUST), 8},
    {"lstTNTD3Dmipd", true, "Best performance", FIELD(TNT, LODBIASADJUST), 10},
    {"lstTNTGLtexq", true, "Optimise for best image quality", FIELD(TNT, TextureQuality), "01"},
    {"lstTNTGLtexq", true, "Blend", FIELD(TNT, TextureQuality), "02"},
    {"lstTNTGLtexq", true, "Optimise for best performance", FIELD(TNT, TextureQuality), "03"},
};

#undef FIELD

const SettingValue kUntouched("untouched");

void show(FakeControls& controls, const MappedTextRow& row, std::string_view text) {
    if (row.isList) {
        controls.selections[std::string(row.control)] = std::string(text);
    } else {
        controls.captions[std::string(row.control)] = std::string(text);
    }
}

TEST(CollectDriverSettings, TakesCaptionsAsTheyAre) {
    for (const auto& row : kCaptions) {
        DriverSettings record;
        FakeControls controls;
        controls.captions[std::string(row.control)] = "1.35 x";
        CollectDriverSettings(row.card, controls, record);
        EXPECT_EQ(row.field(record), SettingValue("1.35 x")) << row.label;
    }
}

TEST(CollectDriverSettings, TakesCheckBoxValuesAsTheyAre) {
    for (const auto& row : kChecks) {
        for (const int value : {0, 1}) {
            DriverSettings record;
            FakeControls controls;
            controls.checks[std::string(row.control)] = value;
            CollectDriverSettings(row.card, controls, record);
            EXPECT_EQ(row.field(record), SettingValue(value)) << row.label << " " << value;
        }
    }
}

TEST(CollectDriverSettings, MapsTheTwoStatesOfMappedCheckBoxes) {
    for (const auto& row : kMappedChecks) {
        SCOPED_TRACE(row.label);
        DriverSettings record;
        FakeControls controls;
        controls.checks[std::string(row.control)] = 0;
        CollectDriverSettings(row.card, controls, record);
        EXPECT_EQ(row.field(record), SettingValue(row.unchecked));
        controls.checks[std::string(row.control)] = 1;
        CollectDriverSettings(row.card, controls, record);
        EXPECT_EQ(row.field(record), SettingValue(row.checked));

        // A third state (greyed) matches neither row.
        row.field(record) = kUntouched;
        controls.checks[std::string(row.control)] = 2;
        CollectDriverSettings(row.card, controls, record);
        EXPECT_EQ(row.field(record), kUntouched);
    }
}

TEST(CollectDriverSettings, MapsRecognisedCaptionsAndListTexts) {
    for (const auto& row : kMappedTexts) {
        DriverSettings record;
        FakeControls controls;
        show(controls, row, row.text);
        CollectDriverSettings(kCardTNT, controls, record);
        EXPECT_EQ(row.field(record), row.value) << row.label << " " << row.text;
    }
}

TEST(CollectDriverSettings, UnrecognisedOrEmptyTextsKeepTheField) {
    for (const auto& row : kMappedTexts) {
        for (const std::string_view text : {"", "8x8", "blend", "Blend ", "1"}) {
            DriverSettings record;
            row.field(record) = kUntouched;
            FakeControls controls;
            show(controls, row, text);
            CollectDriverSettings(kCardTNT, controls, record);
            EXPECT_EQ(row.field(record), kUntouched) << row.label << " \"" << text << "\"";
        }
    }
}

TEST(CollectDriverSettings, MipmapLevelsTakeTheListTextAndAnEmptySelectionGivesEmptyText) {
    DriverSettings record;
    FakeControls controls;
    controls.selections["lstTNTD3Dmip"] = "12";
    CollectDriverSettings(kCardTNT, controls, record);
    EXPECT_EQ(record.TNT.MIPMAPLEVELS, SettingValue("12"));
    controls.selections.clear();
    CollectDriverSettings(kCardTNT, controls, record);
    EXPECT_EQ(record.TNT.MIPMAPLEVELS, SettingValue(""));
}

TEST(CollectDriverSettings, BansheeKeepsItsClassKey) {
    DriverSettings record;
    record.BanClock.ClassKey = "System\\CurrentControlSet\\Services\\Class\\Display\\0001\\DEFAULT";
    FakeControls controls;
    controls.captions["lbl3DfxBansheeGrxVal"] = "105";
    CollectDriverSettings(kCardBanshee, controls, record);
    EXPECT_EQ(record.BanClock.ClassKey,
              "System\\CurrentControlSet\\Services\\Class\\Display\\0001\\DEFAULT");
    EXPECT_EQ(record.BanClock.grxclock, SettingValue("105"));
}

// A panel with every control set, so that a collection that strays into another card shows.
FakeControls everyControlSet() {
    FakeControls controls;
    for (const auto& row : kCaptions) {
        controls.captions[std::string(row.control)] = "1.00";
    }
    for (const auto& row : kChecks) {
        controls.checks[std::string(row.control)] = 1;
    }
    for (const auto& row : kMappedChecks) {
        controls.checks[std::string(row.control)] = 1;
    }
    for (const auto& row : kMappedTexts) {
        show(controls, row, row.text);
    }
    controls.selections["lstTNTD3Dmip"] = "4";
    return controls;
}

TEST(CollectDriverSettings, EachCardTouchesOnlyItsOwnGroups) {
    const FakeControls controls = everyControlSet();
    {
        DriverSettings record;
        CollectDriverSettings(kCardTNT, controls, record);
        EXPECT_NE(record.TNT, TNTSettings());
        EXPECT_EQ(record.TNT.DriverDesc, SettingValue());
        EXPECT_EQ(record.V2D3D, V2D3DSettings());
        EXPECT_EQ(record.V2Glide, V2GlideSettings());
        EXPECT_EQ(record.BanD3D, BanD3DSettings());
        EXPECT_EQ(record.BanGlide, BanGlideSettings());
        EXPECT_EQ(record.BanClock, BanClockSettings());
    }
    {
        DriverSettings record;
        CollectDriverSettings(kCardVoodoo2, controls, record);
        EXPECT_EQ(record.TNT, TNTSettings());
        EXPECT_NE(record.V2D3D, V2D3DSettings());
        EXPECT_NE(record.V2Glide, V2GlideSettings());
        EXPECT_EQ(record.BanD3D, BanD3DSettings());
        EXPECT_EQ(record.BanGlide, BanGlideSettings());
        EXPECT_EQ(record.BanClock, BanClockSettings());
    }
    {
        DriverSettings record;
        CollectDriverSettings(kCardBanshee, controls, record);
        EXPECT_EQ(record.TNT, TNTSettings());
        EXPECT_EQ(record.V2D3D, V2D3DSettings());
        EXPECT_EQ(record.V2Glide, V2GlideSettings());
        EXPECT_NE(record.BanD3D, BanD3DSettings());
        EXPECT_NE(record.BanGlide, BanGlideSettings());
        EXPECT_NE(record.BanClock, BanClockSettings());
    }
    for (const std::string_view card : {"tnt", "VOODOO2", "banshee", "Voodoo"}) {
        DriverSettings record;
        CollectDriverSettings(card, controls, record);
        EXPECT_EQ(record, DriverSettings()) << card;
    }
}

TEST(CollectDriverSettings, ReadsEachCardsControlsInTheirOrder) {
    const std::vector<std::string> tnt = {
        "lblTNTD3DaaVal", "chkTNTD3Daa",    "lstTNTD3Dmipm", "chkTNTDX6",       "lstTNTD3Dmipd",
        "lstTNTGLtexq",   "lblTNTMemVal",   "lblTNTCoreVal", "chkTNTD3Ddither", "lstTNTD3Dmip",
        "chkTNTSetVsync", "chkTNTFogTable", "chkTNTNV4",     "chkTNTCpuOpt"};
    const std::vector<std::string> voodoo2 = {
        "lblV2D3DCoreVal", "lblV2DRGVal", "lblV2DGGVal", "lblV2DBGVal",   "chkV2D3Dfa",
        "chkV2D3Dft",      "chkV2D3Dam",  "chkV2D3Dvs",  "lblV2GCoreVal", "lblV2GRGVal",
        "lblV2GGGVal",     "lblV2GBGVal", "chkV2GVSync", "chkV2Glimit",   "chkV2Gadvance",
        "chkV2Gtriple",    "chkV2sli"};
    // The clocks are read at the start and once more at the end.
    const std::vector<std::string> banshee = {
        "lbl3DfxBansheeGrxVal", "lbl3DfxBansheeMemVal", "lblBanDRGval",   "lblBanDGGval",
        "lblBanDBGval",         "chkBanDantialias",     "chkBanDauto",    "chkBanDVSync",
        "chkBanDtri",           "lblBanGRGval",         "lblBanGGGval",   "lblBanGBGval",
        "chkBanGtriple",        "chkBanGrush",          "chkBanGadvance", "chkBanGVSync",
        "lbl3DfxBansheeMemVal", "lbl3DfxBansheeGrxVal"};
    for (const auto& [card, expected] : {std::pair{kCardTNT, tnt}, std::pair{kCardVoodoo2, voodoo2},
                                         std::pair{kCardBanshee, banshee}}) {
        DriverSettings record;
        FakeControls controls;
        CollectDriverSettings(card, controls, record);
        EXPECT_EQ(controls.reads, expected) << card;
    }
}

TEST(CollectDriverSettings, TheSharedRecordIsUsedWithoutOne) {
    FakeControls controls;
    controls.captions["lblTNTCoreVal"] = "100";
    CollectDriverSettings(kCardTNT, controls);
    EXPECT_EQ(driverSettings().TNT.NVCLK, SettingValue("100"));
    driverSettings() = DriverSettings();
}

// What the panel's check boxes finally do to the store once the card is written.
struct CheckEffectRow {
    std::string_view card;
    std::string_view control;
    std::string_view key;
    std::string_view name;
    std::string_view whenChecked;
    std::string_view whenUnchecked;
};

constexpr std::string_view kTntD3D = "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D";
constexpr std::string_view kTntTweak = "Software\\NVIDIA Corporation\\Riva TNT\\NV4Tweak";
constexpr std::string_view kV2D3D = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
constexpr std::string_view kV2Glide = "Software\\3Dfx Interactive\\Voodoo2\\Glide";
constexpr std::string_view kBanD3D = "Software\\3Dfx Interactive\\Banshee\\D3D";
constexpr std::string_view kBanGlide = "Software\\3Dfx Interactive\\Banshee\\Glide";

const CheckEffectRow kCheckEffects[] = {
    {"TNT", "chkTNTSetVsync", kTntD3D, "NOVSYNC", "dword:0", "dword:1"},
    {"TNT", "chkTNTD3Daa", kTntD3D, "ANTIALIASENABLE", "dword:1", "dword:0"},
    {"TNT", "chkTNTDX6", kTntD3D, "DX6ENABLE", "dword:1", "dword:0"},
    {"TNT", "chkTNTD3Ddither", kTntD3D, "MIPMAPDITHERENABLE", "dword:1", "dword:0"},
    {"TNT", "chkTNTNV4", kTntTweak, "PowerUser", "dword:1", "dword:0"},
    {"TNT", "chkTNTCpuOpt", kTntD3D, "CPUOPTDISABLE", "dword:1", "dword:0"},
    {"TNT", "chkTNTFogTable", kTntD3D, "FOGTABLEENABLE", "binary:01", "binary:00"},
    {"Voodoo2", "chkV2D3Dfa", kV2D3D, "SSTV2_ANTIALIAS", "text:1", "text:0"},
    {"Voodoo2", "chkV2D3Dft", kV2D3D, "SSTV2_FORCE_TRILINEAR", "text:1", "absent"},
    {"Voodoo2", "chkV2D3Dam", kV2D3D, "SSTV2_AUTOMIPMAP", "text:1", "absent"},
    {"Voodoo2", "chkV2D3Dvs", kV2D3D, "SSTV2_SWAPINTERVAL", "dword:1", "dword:0"},
    {"Voodoo2", "chkV2GVSync", kV2Glide, "FX_GLIDE_SWAPINTERVAL", "dword:1", "dword:0"},
    {"Voodoo2", "chkV2Glimit", kV2Glide, "SSTV2_TMU_MEMSIZE", "dword:2", "absent"},
    {"Voodoo2", "chkV2Gadvance", kV2Glide, "FX_GLIDE_LOD_DITHER", "dword:1", "absent"},
    {"Voodoo2", "chkV2Gtriple", kV2Glide, "FX_GLIDE_ALLOC_COLOR", "dword:3", "absent"},
    {"Voodoo2", "chkV2sli", kV2Glide, "SSTV2_SLIDETECT", "text:0", "absent"},
    {"Voodoo2", "chkV2sli", kV2D3D, "SSTV2_SLIDETECT", "text:0", "absent"},
    {"Banshee", "chkBanDantialias", kBanD3D, "SSTH3_ANTIALIAS", "text:1", "text:0"},
    {"Banshee", "chkBanDauto", kBanD3D, "SSTH3_AUTOMIPMAP", "text:1", "absent"},
    {"Banshee", "chkBanDtri", kBanD3D, "SSTH3_FORCE_TRILINEAR", "text:1", "absent"},
    {"Banshee", "chkBanDVSync", kBanD3D, "SSTH3_SWAPINTERVAL", "dword:1", "dword:0"},
    {"Banshee", "chkBanGtriple", kBanGlide, "FX_GLIDE_ALLOC_COLOR", "dword:3", "absent"},
    {"Banshee", "chkBanGrush", kBanGlide, "FX_GLIDE_EMUL_RUSH", "dword:1", "dword:0"},
    {"Banshee", "chkBanGadvance", kBanGlide, "FX_GLIDE_LOD_DITHER", "dword:1", "absent"},
    {"Banshee", "chkBanGVSync", kBanGlide, "FX_GLIDE_SWAPINTERVAL", "dword:1", "dword:0"},
};

class CollectAndWrite : public HiveTest {};

TEST_F(CollectAndWrite, CheckBoxesReachTheStore) {
    for (const auto& row : kCheckEffects) {
        SCOPED_TRACE(std::string(row.control) + " " + std::string(row.name));
        DriverSettings record;
        record.BanClock.ClassKey =
            "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";
        FakeControls controls = everyControlSet();
        controls.checks[std::string(row.control)] = 1;
        CollectDriverSettings(row.card, controls, record);
        ASSERT_TRUE(WriteDriverSettings(row.card, record).saved);
        EXPECT_EQ(stored(row.key, row.name), row.whenChecked);

        controls.checks[std::string(row.control)] = 0;
        CollectDriverSettings(row.card, controls, record);
        ASSERT_TRUE(WriteDriverSettings(row.card, record).saved);
        EXPECT_EQ(stored(row.key, row.name), row.whenUnchecked);
    }
}

TEST_F(CollectAndWrite, AnEmptyMipmapLevelSelectionLeavesTheStoredValue) {
    putDword(kTntD3D, "MIPMAPLEVELS", 7);
    DriverSettings record;
    FakeControls controls = everyControlSet();
    controls.selections.erase("lstTNTD3Dmip");
    controls.captions["lblTNTCoreVal"] = "100";
    CollectDriverSettings(kCardTNT, controls, record);
    const auto result = WriteDriverSettings(kCardTNT, record);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.valuesLeftAlone, std::vector<std::string>{"MIPMAPLEVELS"});
    EXPECT_EQ(stored(kTntD3D, "MIPMAPLEVELS"), "dword:7");
    EXPECT_EQ(stored(kTntD3D, "NVCLK"), "text:100");
}

TEST_F(CollectAndWrite, TextureQualityBlendIsStoredAsByteTwo) {
    DriverSettings record;
    FakeControls controls = everyControlSet();
    controls.selections["lstTNTGLtexq"] = "Blend";
    CollectDriverSettings(kCardTNT, controls, record);
    WriteDriverSettings(kCardTNT, record);
    EXPECT_EQ(stored("Software\\NVIDIA Corporation\\Riva TNT\\OpenGL", "TextureQuality"),
              "binary:02");
}

}  // namespace
}  // namespace tunexa::engine::test
