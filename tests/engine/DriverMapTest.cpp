#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/DriverSettings.h"
#include "engine/RegMethods.h"

namespace tunexa::engine::test {
namespace {

constexpr std::string_view kTntD3D = "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D";
constexpr std::string_view kTntGL = "Software\\NVIDIA Corporation\\Riva TNT\\OpenGL";
constexpr std::string_view kTntTweak = "Software\\NVIDIA Corporation\\Riva TNT\\NV4Tweak";
constexpr std::string_view kV2D3D = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
constexpr std::string_view kV2Glide = "Software\\3Dfx Interactive\\Voodoo2\\Glide";
constexpr std::string_view kBanD3D = "Software\\3Dfx Interactive\\Banshee\\D3D";
constexpr std::string_view kBanGlide = "Software\\3Dfx Interactive\\Banshee\\Glide";
constexpr std::string_view kBanClass =
    "System\\CurrentControlSet\\Services\\Class\\Display\\0001\\DEFAULT";
constexpr std::string_view kDiamond = "Software\\Diamond\\D3D";

using Field = SettingValue& (*)(DriverSettings&);
#define FIELD(group, name) \
    [](DriverSettings& s) -> SettingValue& { return s.group.name; }, #group "." #name

enum class Kind { Text, Dword, Binary };

// Every value written unconditionally: where it goes and how it is read and stored.
struct MapRow {
    Field field;
    const char* label;
    std::string_view card;
    std::string_view key;
    std::string_view name;
    Kind readAs;
    Kind writtenAs;
};

const MapRow kUnconditional[] = {
    {FIELD(TNT, AAMETHOD), "TNT", kTntD3D, "AAMETHOD", Kind::Dword, Kind::Dword},
    {FIELD(TNT, ANTIALIASENABLE), "TNT", kTntD3D, "ANTIALIASENABLE", Kind::Dword, Kind::Dword},
    {FIELD(TNT, AUTOMIPMAPMETHOD), "TNT", kTntD3D, "AUTOMIPMAPMETHOD", Kind::Dword, Kind::Dword},
    {FIELD(TNT, DX6ENABLE), "TNT", kTntD3D, "DX6ENABLE", Kind::Dword, Kind::Dword},
    {FIELD(TNT, LODBIASADJUST), "TNT", kTntD3D, "LODBIASADJUST", Kind::Dword, Kind::Dword},
    {FIELD(TNT, MCLK), "TNT", kTntD3D, "MCLK", Kind::Text, Kind::Text},
    {FIELD(TNT, NVCLK), "TNT", kTntD3D, "NVCLK", Kind::Text, Kind::Text},
    {FIELD(TNT, MIPMAPDITHERENABLE), "TNT", kTntD3D, "MIPMAPDITHERENABLE", Kind::Dword,
     Kind::Dword},
    {FIELD(TNT, MIPMAPLEVELS), "TNT", kTntD3D, "MIPMAPLEVELS", Kind::Dword, Kind::Dword},
    {FIELD(TNT, NOVSYNC), "TNT", kTntD3D, "NOVSYNC", Kind::Dword, Kind::Dword},
    {FIELD(TNT, TextureQuality), "TNT", kTntGL, "TextureQuality", Kind::Binary, Kind::Binary},
    {FIELD(TNT, FOGTABLEENABLE), "TNT", kTntD3D, "FOGTABLEENABLE", Kind::Dword, Kind::Binary},
    {FIELD(TNT, PowerUser), "TNT", kTntTweak, "PowerUser", Kind::Dword, Kind::Dword},
    {FIELD(TNT, CPUOPTDISABLE), "TNT", kTntD3D, "CPUOPTDISABLE", Kind::Dword, Kind::Dword},
    {FIELD(V2D3D, SSTV2_GRXCLK), "Voodoo2", kV2D3D, "SSTV2_GRXCLK", Kind::Text, Kind::Text},
    {FIELD(V2D3D, SSTV2_RGAMMA), "Voodoo2", kV2D3D, "SSTV2_RGAMMA", Kind::Text, Kind::Text},
    {FIELD(V2D3D, SSTV2_GGAMMA), "Voodoo2", kV2D3D, "SSTV2_GGAMMA", Kind::Text, Kind::Text},
    {FIELD(V2D3D, SSTV2_BGAMMA), "Voodoo2", kV2D3D, "SSTV2_BGAMMA", Kind::Text, Kind::Text},
    {FIELD(V2D3D, SSTV2_ANTIALIAS), "Voodoo2", kV2D3D, "SSTV2_ANTIALIAS", Kind::Text, Kind::Text},
    {FIELD(V2D3D, SSTV2_SWAPINTERVAL), "Voodoo2", kV2D3D, "SSTV2_SWAPINTERVAL", Kind::Dword,
     Kind::Dword},
    {FIELD(V2Glide, SSTV2_GRXCLK), "Voodoo2", kV2Glide, "SSTV2_GRXCLK", Kind::Text, Kind::Text},
    {FIELD(V2Glide, SSTV2_RGAMMA), "Voodoo2", kV2Glide, "SSTV2_RGAMMA", Kind::Text, Kind::Text},
    {FIELD(V2Glide, SSTV2_GGAMMA), "Voodoo2", kV2Glide, "SSTV2_GGAMMA", Kind::Text, Kind::Text},
    {FIELD(V2Glide, SSTV2_BGAMMA), "Voodoo2", kV2Glide, "SSTV2_BGAMMA", Kind::Text, Kind::Text},
    {FIELD(V2Glide, FX_GLIDE_SWAPINTERVAL), "Voodoo2", kV2Glide, "FX_GLIDE_SWAPINTERVAL",
     Kind::Dword, Kind::Dword},
    {FIELD(BanD3D, SSTH3_RGAMMA), "Banshee", kBanD3D, "SSTH3_RGAMMA", Kind::Text, Kind::Text},
    {FIELD(BanD3D, SSTH3_GGAMMA), "Banshee", kBanD3D, "SSTH3_GGAMMA", Kind::Text, Kind::Text},
    {FIELD(BanD3D, SSTH3_BGAMMA), "Banshee", kBanD3D, "SSTH3_BGAMMA", Kind::Text, Kind::Text},
    {FIELD(BanD3D, SSTH3_ANTIALIAS), "Banshee", kBanD3D, "SSTH3_ANTIALIAS", Kind::Text, Kind::Text},
    {FIELD(BanD3D, SSTH3_SWAPINTERVAL), "Banshee", kBanD3D, "SSTH3_SWAPINTERVAL", Kind::Dword,
     Kind::Dword},
    {FIELD(BanGlide, SSTH3_RGAMMA), "Banshee", kBanGlide, "SSTH3_RGAMMA", Kind::Text, Kind::Text},
    {FIELD(BanGlide, SSTH3_GGAMMA), "Banshee", kBanGlide, "SSTH3_GGAMMA", Kind::Text, Kind::Text},
    {FIELD(BanGlide, SSTH3_BGAMMA), "Banshee", kBanGlide, "SSTH3_BGAMMA", Kind::Text, Kind::Text},
    {FIELD(BanGlide, FX_GLIDE_SWAPINTERVAL), "Banshee", kBanGlide, "FX_GLIDE_SWAPINTERVAL",
     Kind::Dword, Kind::Dword},
    {FIELD(BanGlide, FX_GLIDE_EMUL_RUSH), "Banshee", kBanGlide, "FX_GLIDE_EMUL_RUSH", Kind::Dword,
     Kind::Dword},
    {FIELD(BanClock, grxclock), "Banshee", kBanClass, "grxclock", Kind::Text, Kind::Text},
    {FIELD(BanClock, memclock), "Banshee", kBanClass, "memclock", Kind::Text, Kind::Text},
};

// Every value written when its field equals N and deleted otherwise.
struct ConditionalRow {
    Field field;
    const char* label;
    std::string_view card;
    std::string_view key;
    std::string_view name;
    Kind kind;  // read and written alike
    std::int32_t n;
};

const ConditionalRow kConditional[] = {
    {FIELD(V2D3D, SSTV2_FORCE_TRILINEAR), "Voodoo2", kV2D3D, "SSTV2_FORCE_TRILINEAR", Kind::Text,
     1},
    {FIELD(V2D3D, SSTV2_AUTOMIPMAP), "Voodoo2", kV2D3D, "SSTV2_AUTOMIPMAP", Kind::Text, 1},
    {FIELD(V2Glide, FX_GLIDE_ALLOC_COLOR), "Voodoo2", kV2Glide, "FX_GLIDE_ALLOC_COLOR", Kind::Dword,
     3},
    {FIELD(V2Glide, FX_GLIDE_LOD_DITHER), "Voodoo2", kV2Glide, "FX_GLIDE_LOD_DITHER", Kind::Dword,
     1},
    {FIELD(V2Glide, SSTV2_TMU_MEMSIZE), "Voodoo2", kV2Glide, "SSTV2_TMU_MEMSIZE", Kind::Dword, 2},
    {FIELD(BanD3D, SSTH3_AUTOMIPMAP), "Banshee", kBanD3D, "SSTH3_AUTOMIPMAP", Kind::Text, 1},
    {FIELD(BanD3D, SSTH3_FORCE_TRILINEAR), "Banshee", kBanD3D, "SSTH3_FORCE_TRILINEAR", Kind::Text,
     1},
    {FIELD(BanGlide, FX_GLIDE_ALLOC_COLOR), "Banshee", kBanGlide, "FX_GLIDE_ALLOC_COLOR",
     Kind::Dword, 3},
    {FIELD(BanGlide, FX_GLIDE_LOD_DITHER), "Banshee", kBanGlide, "FX_GLIDE_LOD_DITHER", Kind::Dword,
     1},
};

#undef FIELD

std::string describeStored(Kind kind, std::int32_t number) {
    switch (kind) {
        case Kind::Text:
            return "text:" + std::to_string(number);
        case Kind::Dword:
            return "dword:" + std::to_string(number);
        case Kind::Binary: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            return std::string("binary:") + kHex[(number >> 4) & 0x0F] + kHex[number & 0x0F];
        }
    }
    return {};
}

class DriverMap : public HiveTest {
  protected:
    DriverSettings record;

    void SetUp() override {
        HiveTest::SetUp();
        record.BanClock.ClassKey = std::string(kBanClass);
    }

    void put(Kind kind, std::string_view key, std::string_view name, std::int32_t number) {
        switch (kind) {
            case Kind::Text:
                putText(key, name, std::to_string(number));
                break;
            case Kind::Dword:
                putDword(key, name, number);
                break;
            case Kind::Binary:
                putBinary(key, name, number);
                break;
        }
    }
};

TEST_F(DriverMap, WritesEveryFieldUnderItsKeyNameAndType) {
    std::int32_t next = 10;
    std::vector<std::int32_t> given;
    for (const auto& row : kUnconditional) {
        // Numbers for the number values, decimal texts for the text values.
        row.field(record) =
            row.writtenAs == Kind::Text ? SettingValue(std::to_string(next)) : SettingValue(next);
        given.push_back(next++);
    }
    for (const auto card : {kCardTNT, kCardVoodoo2, kCardBanshee}) {
        EXPECT_TRUE(WriteDriverSettings(card, record).saved) << card;
    }
    for (std::size_t i = 0; i < std::size(kUnconditional); ++i) {
        const auto& row = kUnconditional[i];
        EXPECT_EQ(stored(row.key, row.name), describeStored(row.writtenAs, given[i])) << row.label;
    }
    // The clocks go in a second time under the names other driver releases read.
    EXPECT_EQ(stored(kBanClass, "GraphicsClock"), stored(kBanClass, "grxclock"));
    EXPECT_EQ(stored(kBanClass, "MemClocking"), stored(kBanClass, "memclock"));
}

TEST_F(DriverMap, ReadsEveryFieldFromItsKeyNameAndType) {
    std::int32_t next = 10;
    for (const auto& row : kUnconditional) {
        put(row.readAs, row.key, row.name, next++);
    }
    for (const auto card : {kCardTNT, kCardVoodoo2, kCardBanshee}) {
        ReadDriverSettings(card, record);
    }
    next = 10;
    for (const auto& row : kUnconditional) {
        const SettingValue expected =
            row.readAs == Kind::Text ? SettingValue(std::to_string(next)) : SettingValue(next);
        EXPECT_EQ(row.field(record), expected) << row.label;
        ++next;
    }
}

TEST_F(DriverMap, ReadsWithTheWrongTypeGiveZeroOrAbsent) {
    // A reader finds only its own type: a text clock stored as a dword reads as absent, a dword
    // stored as text as 0; a two-byte FOGTABLEENABLE is neither a dword nor its own one byte.
    putBinary2(kTntD3D, "FOGTABLEENABLE");
    putDword(kTntD3D, "NVCLK", 100);
    putText(kTntD3D, "AAMETHOD", "3");
    record.TNT.NVCLK = "90";
    ReadDriverSettings(kCardTNT, record);
    EXPECT_EQ(record.TNT.FOGTABLEENABLE, SettingValue(0));
    EXPECT_EQ(record.TNT.NVCLK, SettingValue());
    EXPECT_EQ(record.TNT.AAMETHOD, SettingValue(0));
}

TEST_F(DriverMap, ConditionalValuesAreWrittenOnlyWhenEqualToTheirNumber) {
    for (const auto& row : kConditional) {
        SCOPED_TRACE(row.label);
        row.field(record) = row.n;
        WriteDriverSettings(row.card, record);
        EXPECT_EQ(stored(row.key, row.name), describeStored(row.kind, row.n));

        // A numeric text equal to N counts as equal; a text value keeps its spelling.
        row.field(record) = "0" + std::to_string(row.n);
        WriteDriverSettings(row.card, record);
        EXPECT_EQ(stored(row.key, row.name), row.kind == Kind::Text
                                                 ? "text:0" + std::to_string(row.n)
                                                 : describeStored(row.kind, row.n));

        row.field(record) = row.n + 1;
        WriteDriverSettings(row.card, record);
        EXPECT_EQ(stored(row.key, row.name), "absent");

        put(row.kind, row.key, row.name, row.n);
        row.field(record) = SettingValue();
        WriteDriverSettings(row.card, record);
        EXPECT_EQ(stored(row.key, row.name), "absent");
    }
}

TEST_F(DriverMap, AllocColourTwoIsDeletedAndThreeIsStoredAsDword) {
    record.V2Glide.FX_GLIDE_ALLOC_COLOR = 3;
    WriteDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(stored(kV2Glide, "FX_GLIDE_ALLOC_COLOR"), "dword:3");
    record.V2Glide.FX_GLIDE_ALLOC_COLOR = 2;
    WriteDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(stored(kV2Glide, "FX_GLIDE_ALLOC_COLOR"), "absent");
}

TEST_F(DriverMap, SliDetectionGoesIntoBothVoodoo2Keys) {
    record.V2Glide.SSTV2_SLIDETECT = 1;
    WriteDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT"), "text:0");
    EXPECT_EQ(stored(kV2D3D, "SSTV2_SLIDETECT"), "text:0");

    // "Disable SLI" stays ticked after a restart: the text "0", or a dword 0, reads back as 1.
    DriverSettings restarted;
    ReadDriverSettings(kCardVoodoo2, restarted);
    EXPECT_EQ(restarted.V2Glide.SSTV2_SLIDETECT, SettingValue(1));
    putDword(kV2Glide, "SSTV2_SLIDETECT", 0);
    ReadDriverSettings(kCardVoodoo2, restarted);
    EXPECT_EQ(restarted.V2Glide.SSTV2_SLIDETECT, SettingValue(1));
    WriteDriverSettings(kCardVoodoo2, restarted);
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT"), "text:0");
    EXPECT_EQ(stored(kV2D3D, "SSTV2_SLIDETECT"), "text:0");

    record.V2Glide.SSTV2_SLIDETECT = 2;
    putText(kV2Glide, "SSTV2_SLIDETECT", "0");
    putText(kV2D3D, "SSTV2_SLIDETECT", "0");
    WriteDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT"), "text:0");
    EXPECT_EQ(stored(kV2D3D, "SSTV2_SLIDETECT"), "text:0");

    record.V2Glide.SSTV2_SLIDETECT = 0;
    WriteDriverSettings(kCardVoodoo2, record);
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT"), "absent");
    EXPECT_EQ(stored(kV2D3D, "SSTV2_SLIDETECT"), "absent");
    ReadDriverSettings(kCardVoodoo2, restarted);
    EXPECT_EQ(restarted.V2Glide.SSTV2_SLIDETECT, SettingValue(0));
}

TEST_F(DriverMap, ReadThenWriteOnAnEmptyStoreNormalisesTheTNTValues) {
    ReadDriverSettings(kCardTNT, record);
    EXPECT_EQ(record.TNT.MCLK, SettingValue());
    EXPECT_EQ(record.TNT.NVCLK, SettingValue());
    EXPECT_EQ(record.TNT.TextureQuality, SettingValue(0));
    EXPECT_EQ(record.TNT.AAMETHOD, SettingValue(0));

    const auto result = WriteDriverSettings(kCardTNT, record);
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(result.valuesLeftAlone.empty());
    for (const auto& row : kUnconditional) {
        if (row.card != kCardTNT) {
            continue;
        }
        const std::string expected =
            row.writtenAs == Kind::Text ? "text:" : describeStored(row.writtenAs, 0);
        EXPECT_EQ(stored(row.key, row.name), expected) << row.label;
    }
    EXPECT_EQ(hive().values(store::HKEY_LOCAL_MACHINE, kTntD3D).size(), 12u);
    EXPECT_EQ(hive().values(store::HKEY_LOCAL_MACHINE, kTntGL).size(), 1u);
    EXPECT_EQ(hive().values(store::HKEY_LOCAL_MACHINE, kTntTweak).size(), 1u);
}

TEST_F(DriverMap, ReadThenWriteOnAnEmptyStoreNormalisesTheVoodoo2AndBansheeValues) {
    for (const auto card : {kCardVoodoo2, kCardBanshee}) {
        ReadDriverSettings(card, record);
        EXPECT_TRUE(WriteDriverSettings(card, record).saved);
    }
    for (const auto& row : kUnconditional) {
        if (row.card == kCardTNT) {
            continue;
        }
        const std::string expected =
            row.writtenAs == Kind::Text ? "text:" : describeStored(row.writtenAs, 0);
        EXPECT_EQ(stored(row.key, row.name), expected) << row.label;
    }
    for (const auto& row : kConditional) {
        EXPECT_EQ(stored(row.key, row.name), "absent") << row.label;
    }
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT"), "absent");
    EXPECT_EQ(stored(kBanClass, "MemClocking"), "text:");
    EXPECT_EQ(stored(kBanClass, "GraphicsClock"), "text:");
    EXPECT_EQ(stored(kDiamond, "Retail"), "text:1");
}

TEST_F(DriverMap, ReadThenWriteKeepsConditionalValuesEqualToTheirNumber) {
    for (const auto& row : kConditional) {
        put(row.kind, row.key, row.name, row.n);
    }
    for (const auto card : {kCardVoodoo2, kCardBanshee}) {
        ReadDriverSettings(card, record);
        WriteDriverSettings(card, record);
    }
    for (const auto& row : kConditional) {
        EXPECT_EQ(stored(row.key, row.name), describeStored(row.kind, row.n)) << row.label;
    }
}

TEST_F(DriverMap, FogTableIsStoredAsOneByteAndReadsBackInEitherForm) {
    putDword(kTntD3D, "FOGTABLEENABLE", 1);
    ReadDriverSettings(kCardTNT, record);
    EXPECT_EQ(record.TNT.FOGTABLEENABLE, SettingValue(1));
    WriteDriverSettings(kCardTNT, record);
    EXPECT_EQ(stored(kTntD3D, "FOGTABLEENABLE"), "binary:01");
    // The byte the program wrote reads back as the setting, so the next start keeps it.
    ReadDriverSettings(kCardTNT, record);
    EXPECT_EQ(record.TNT.FOGTABLEENABLE, SettingValue(1));
    WriteDriverSettings(kCardTNT, record);
    EXPECT_EQ(stored(kTntD3D, "FOGTABLEENABLE"), "binary:01");
}

TEST_F(DriverMap, TextureQualityTextBecomesOneByte) {
    record.TNT.TextureQuality = "03";
    WriteDriverSettings(kCardTNT, record);
    EXPECT_EQ(stored(kTntGL, "TextureQuality"), "binary:03");
}

TEST_F(DriverMap, CardTextsMatchExactly) {
    putDword(kTntD3D, "AAMETHOD", 5);
    const DriverSettings before = record;
    for (const std::string_view card : {"tnt", "Tnt", "TNT ", "voodoo2", "BANSHEE", "Voodoo", ""}) {
        SCOPED_TRACE(std::string(card));
        ReadDriverSettings(card, record);
        EXPECT_EQ(record, before);
        const auto result = WriteDriverSettings(card, record);
        EXPECT_FALSE(result.cardRecognised);
        EXPECT_FALSE(result.saved);
    }
    EXPECT_FALSE(hive().keyExists(store::HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive"));
    EXPECT_FALSE(hive().keyExists(store::HKEY_LOCAL_MACHINE, "Software\\Diamond"));
    EXPECT_EQ(hive().values(store::HKEY_LOCAL_MACHINE, kTntD3D).size(), 1u);
}

TEST_F(DriverMap, BansheeAlwaysStoresRetail) {
    putText(kDiamond, "Retail", "0");
    record.BanD3D.SSTH3_ANTIALIAS = "1";
    WriteDriverSettings(kCardBanshee, record);
    EXPECT_EQ(stored(kDiamond, "Retail"), "text:1");
}

TEST_F(DriverMap, ReadingOneCardLeavesTheOtherGroupsAndTheFoundKeysAlone) {
    record.TNT.DriverDesc = "RIVA TNT";
    record.TNT.DriverDate = "1-1-1999";
    record.V2D3D.SSTV2_GRXCLK = "95";
    record.BanD3D.SSTH3_RGAMMA = "1.00";
    ReadDriverSettings(kCardTNT, record);
    EXPECT_EQ(record.TNT.DriverDesc, SettingValue("RIVA TNT"));
    EXPECT_EQ(record.TNT.DriverDate, SettingValue("1-1-1999"));
    EXPECT_EQ(record.V2D3D.SSTV2_GRXCLK, SettingValue("95"));
    EXPECT_EQ(record.BanD3D.SSTH3_RGAMMA, SettingValue("1.00"));

    ReadDriverSettings(kCardBanshee, record);
    EXPECT_EQ(record.BanClock.ClassKey, kBanClass);
    EXPECT_EQ(record.BanD3D.SSTH3_RGAMMA, SettingValue());
    EXPECT_EQ(record.V2D3D.SSTV2_GRXCLK, SettingValue("95"));
}

// A value that cannot be converted to the stored type is left as the store holds it; the rest
// of the card is still written.
TEST_F(DriverMap, ANonNumberWhereANumberIsNeededLeavesThatValueAlone) {
    putDword(kTntD3D, "MIPMAPLEVELS", 5);
    putDword(kTntD3D, "AAMETHOD", 5);
    putBinary(kTntGL, "TextureQuality", 2);
    putBinary(kTntD3D, "FOGTABLEENABLE", 1);
    record.TNT.MIPMAPLEVELS = "";
    record.TNT.AAMETHOD = "4x4";
    record.TNT.TextureQuality = 256;
    record.TNT.FOGTABLEENABLE = -1;
    record.TNT.NVCLK = "100";
    record.TNT.DX6ENABLE = 1;

    const auto result = WriteDriverSettings(kCardTNT, record);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(
        result.valuesLeftAlone,
        (std::vector<std::string>{"AAMETHOD", "MIPMAPLEVELS", "TextureQuality", "FOGTABLEENABLE"}));
    EXPECT_EQ(stored(kTntD3D, "MIPMAPLEVELS"), "dword:5");
    EXPECT_EQ(stored(kTntD3D, "AAMETHOD"), "dword:5");
    EXPECT_EQ(stored(kTntGL, "TextureQuality"), "binary:02");
    EXPECT_EQ(stored(kTntD3D, "FOGTABLEENABLE"), "binary:01");
    EXPECT_EQ(stored(kTntD3D, "NVCLK"), "text:100");
    EXPECT_EQ(stored(kTntD3D, "DX6ENABLE"), "dword:1");
    EXPECT_EQ(stored(kTntTweak, "PowerUser"), "dword:0");
}

TEST_F(DriverMap, ANonNumberInAConditionalValueNeitherWritesNorDeletes) {
    for (const auto& row : kConditional) {
        put(row.kind, row.key, row.name, row.n);
        row.field(record) = "on";
    }
    putText(kV2Glide, "SSTV2_SLIDETECT", "0");
    putText(kV2D3D, "SSTV2_SLIDETECT", "0");
    record.V2Glide.SSTV2_SLIDETECT = "x";
    record.V2D3D.SSTV2_GRXCLK = "95";

    const auto voodoo2 = WriteDriverSettings(kCardVoodoo2, record);
    const auto banshee = WriteDriverSettings(kCardBanshee, record);
    EXPECT_TRUE(voodoo2.saved);
    EXPECT_TRUE(banshee.saved);
    EXPECT_EQ(voodoo2.valuesLeftAlone.size(), 6u);
    EXPECT_EQ(banshee.valuesLeftAlone.size(), 4u);
    for (const auto& row : kConditional) {
        EXPECT_EQ(stored(row.key, row.name), describeStored(row.kind, row.n)) << row.label;
    }
    EXPECT_EQ(stored(kV2Glide, "SSTV2_SLIDETECT"), "text:0");
    EXPECT_EQ(stored(kV2D3D, "SSTV2_SLIDETECT"), "text:0");
    EXPECT_EQ(stored(kV2D3D, "SSTV2_GRXCLK"), "text:95");
}

TEST_F(DriverMap, WithoutAClassKeyTheBansheeClocksStayOutOfTheRootKey) {
    record.BanClock.ClassKey.clear();
    record.BanClock.grxclock = "105";
    record.BanClock.memclock = "110";
    record.BanD3D.SSTH3_RGAMMA = "1.20";

    const auto result = WriteDriverSettings(kCardBanshee, record);
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(result.clocksSkipped);
    for (const auto name : {"grxclock", "memclock", "MemClocking", "GraphicsClock"}) {
        EXPECT_EQ(stored("", name), "absent") << name;
    }
    EXPECT_EQ(stored(kBanD3D, "SSTH3_RGAMMA"), "text:1.20");
    EXPECT_EQ(stored(kDiamond, "Retail"), "text:1");

    // Nor are they read from there: the fields keep what they held.
    putText("", "grxclock", "90");
    ReadDriverSettings(kCardBanshee, record);
    EXPECT_EQ(record.BanClock.grxclock, SettingValue("105"));
    EXPECT_EQ(record.BanClock.memclock, SettingValue("110"));
}

TEST_F(DriverMap, WithAClassKeyTheClocksAreNotSkipped) {
    record.BanClock.grxclock = "105";
    const auto result = WriteDriverSettings(kCardBanshee, record);
    EXPECT_TRUE(result.saved);
    EXPECT_FALSE(result.clocksSkipped);
    EXPECT_EQ(stored(kBanClass, "grxclock"), "text:105");
}

TEST_F(DriverMap, AWriteTheStoreRefusesIsReportedNotSaved) {
    tunexa::test::TempDir dir;
    const auto file = dir / "locked.db";
    store::useHiveFile(file);
    store::useHive(store::Hive::open(file, store::OpenMode::ReadOnly));
    ASSERT_EQ(hive().report().outcome, store::OpenOutcome::ReadOnly);

    record.TNT.NVCLK = "100";
    const auto result = WriteDriverSettings(kCardTNT, record);
    EXPECT_TRUE(result.cardRecognised);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.failure.empty());
    EXPECT_EQ(stored(kTntD3D, "NVCLK"), "absent");
    store::useHive(nullptr);
}

TEST_F(DriverMap, TheSharedRecordIsUsedWithoutOne) {
    DriverSettings& shared = driverSettings();
    EXPECT_EQ(&shared, &driverSettings());
    shared.TNT.NVCLK = "120";
    EXPECT_TRUE(WriteDriverSettings(kCardTNT).saved);
    EXPECT_EQ(stored(kTntD3D, "NVCLK"), "text:120");
    putText(kTntD3D, "MCLK", "125");
    ReadDriverSettings(kCardTNT);
    EXPECT_EQ(shared.TNT.MCLK, SettingValue("125"));
    shared = DriverSettings();
}

}  // namespace
}  // namespace tunexa::engine::test
