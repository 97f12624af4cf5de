#include "engine/RegMethods.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/CardTables.h"
#include "engine/FieldRef.h"
#include "engine/StoreKeys.h"
#include "store/Registry.h"

namespace tunexa::engine {

namespace {

using namespace detail;
using store::HKEY_LOCAL_MACHINE;

enum class Key { TntD3D, TntGL, TntTweak, V2D3D, V2Glide, BanD3D, BanGlide, BanClass, DiamondD3D };

// The key's path, or nothing when the Banshee's display-class key is not known: its values
// must not land in the root key instead.
std::optional<std::string> keyPath(Key key, const DriverSettings& settings) {
    switch (key) {
        case Key::TntD3D:
            return std::string(kTntDirect3DKey);
        case Key::TntGL:
            return std::string(kTntOpenGLKey);
        case Key::TntTweak:
            return std::string(kTntTweakKey);
        case Key::V2D3D:
            return std::string(kVoodoo2D3DKey);
        case Key::V2Glide:
            return std::string(kVoodoo2GlideKey);
        case Key::BanD3D:
            return std::string(kBansheeD3DKey);
        case Key::BanGlide:
            return std::string(kBansheeGlideKey);
        case Key::BanClass:
            if (settings.BanClock.ClassKey.empty()) {
                return std::nullopt;
            }
            return settings.BanClock.ClassKey;
        case Key::DiamondD3D:
            return std::string(kDiamondD3DKey);
    }
    return std::nullopt;
}

// DwordOrByte: the value the program itself writes as one byte but the driver's own tools keep
// as a dword; either form reads, so a setting the user applied is not lost at the next start.
// ZeroIsOne: SLI detection, which the program switches off by storing the text "0"; that text
// (or a dword 0) reads as 1, the field's "switched off", and anything else or nothing as 0.
enum class ReadAs { Nothing, Text, Dword, Binary, DwordOrByte, ZeroIsOne };
enum class WriteAs { Text, Dword, Binary };

enum class When {
    Always,
    // Written when the field equals n, deleted when it does not.
    EqualTo,
    // SLI detection: equal to n writes, equal to 0 deletes, anything else changes nothing.
    SliDetect,
};

struct MapEntry {
    FieldRef field;  // none for a value without a field
    Key key;
    std::string_view valueName;
    ReadAs read;
    WriteAs write;
    When when = When::Always;
    std::int32_t n = 0;
    // Written instead of the field's content.
    std::optional<std::string_view> fixedText = std::nullopt;
};

using T = TNTSettings;
using VD = V2D3DSettings;
using VG = V2GlideSettings;
using BD = BanD3DSettings;
using BG = BanGlideSettings;
using BC = BanClockSettings;

// Each card's values in the order they are written; reads run down the same list (they have no
// effect on the store, so their order does not matter) and skip the write-only entries.
constexpr MapEntry kTNTMap[] = {
    {field<groupTNT, &T::AAMETHOD>, Key::TntD3D, "AAMETHOD", ReadAs::Dword, WriteAs::Dword},
    {field<groupTNT, &T::ANTIALIASENABLE>, Key::TntD3D, "ANTIALIASENABLE", ReadAs::Dword,
     WriteAs::Dword},
    {field<groupTNT, &T::AUTOMIPMAPMETHOD>, Key::TntD3D, "AUTOMIPMAPMETHOD", ReadAs::Dword,
     WriteAs::Dword},
    {field<groupTNT, &T::DX6ENABLE>, Key::TntD3D, "DX6ENABLE", ReadAs::Dword, WriteAs::Dword},
    {field<groupTNT, &T::LODBIASADJUST>, Key::TntD3D, "LODBIASADJUST", ReadAs::Dword,
     WriteAs::Dword},
    {field<groupTNT, &T::MCLK>, Key::TntD3D, "MCLK", ReadAs::Text, WriteAs::Text},
    {field<groupTNT, &T::NVCLK>, Key::TntD3D, "NVCLK", ReadAs::Text, WriteAs::Text},
    {field<groupTNT, &T::MIPMAPDITHERENABLE>, Key::TntD3D, "MIPMAPDITHERENABLE", ReadAs::Dword,
     WriteAs::Dword},
    {field<groupTNT, &T::MIPMAPLEVELS>, Key::TntD3D, "MIPMAPLEVELS", ReadAs::Dword, WriteAs::Dword},
    {field<groupTNT, &T::NOVSYNC>, Key::TntD3D, "NOVSYNC", ReadAs::Dword, WriteAs::Dword},
    {field<groupTNT, &T::TextureQuality>, Key::TntGL, "TextureQuality", ReadAs::Binary,
     WriteAs::Binary},
    {field<groupTNT, &T::FOGTABLEENABLE>, Key::TntD3D, "FOGTABLEENABLE", ReadAs::DwordOrByte,
     WriteAs::Binary},
    {field<groupTNT, &T::PowerUser>, Key::TntTweak, "PowerUser", ReadAs::Dword, WriteAs::Dword},
    {field<groupTNT, &T::CPUOPTDISABLE>, Key::TntD3D, "CPUOPTDISABLE", ReadAs::Dword,
     WriteAs::Dword},
};

constexpr MapEntry kVoodoo2Map[] = {
    {field<groupV2D3D, &VD::SSTV2_GRXCLK>, Key::V2D3D, "SSTV2_GRXCLK", ReadAs::Text, WriteAs::Text},
    {field<groupV2D3D, &VD::SSTV2_RGAMMA>, Key::V2D3D, "SSTV2_RGAMMA", ReadAs::Text, WriteAs::Text},
    {field<groupV2D3D, &VD::SSTV2_GGAMMA>, Key::V2D3D, "SSTV2_GGAMMA", ReadAs::Text, WriteAs::Text},
    {field<groupV2D3D, &VD::SSTV2_BGAMMA>, Key::V2D3D, "SSTV2_BGAMMA", ReadAs::Text, WriteAs::Text},
    {field<groupV2D3D, &VD::SSTV2_ANTIALIAS>, Key::V2D3D, "SSTV2_ANTIALIAS", ReadAs::Text,
     WriteAs::Text},
    {field<groupV2D3D, &VD::SSTV2_FORCE_TRILINEAR>, Key::V2D3D, "SSTV2_FORCE_TRILINEAR",
     ReadAs::Text, WriteAs::Text, When::EqualTo, 1},
    {field<groupV2D3D, &VD::SSTV2_AUTOMIPMAP>, Key::V2D3D, "SSTV2_AUTOMIPMAP", ReadAs::Text,
     WriteAs::Text, When::EqualTo, 1},
    {field<groupV2D3D, &VD::SSTV2_SWAPINTERVAL>, Key::V2D3D, "SSTV2_SWAPINTERVAL", ReadAs::Dword,
     WriteAs::Dword},
    {field<groupV2Glide, &VG::SSTV2_GRXCLK>, Key::V2Glide, "SSTV2_GRXCLK", ReadAs::Text,
     WriteAs::Text},
    {field<groupV2Glide, &VG::SSTV2_RGAMMA>, Key::V2Glide, "SSTV2_RGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupV2Glide, &VG::SSTV2_GGAMMA>, Key::V2Glide, "SSTV2_GGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupV2Glide, &VG::SSTV2_BGAMMA>, Key::V2Glide, "SSTV2_BGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupV2Glide, &VG::FX_GLIDE_SWAPINTERVAL>, Key::V2Glide, "FX_GLIDE_SWAPINTERVAL",
     ReadAs::Dword, WriteAs::Dword},
    {field<groupV2Glide, &VG::FX_GLIDE_LOD_DITHER>, Key::V2Glide, "FX_GLIDE_LOD_DITHER",
     ReadAs::Dword, WriteAs::Dword, When::EqualTo, 1},
    {field<groupV2Glide, &VG::FX_GLIDE_ALLOC_COLOR>, Key::V2Glide, "FX_GLIDE_ALLOC_COLOR",
     ReadAs::Dword, WriteAs::Dword, When::EqualTo, 3},
    {field<groupV2Glide, &VG::SSTV2_TMU_MEMSIZE>, Key::V2Glide, "SSTV2_TMU_MEMSIZE", ReadAs::Dword,
     WriteAs::Dword, When::EqualTo, 2},
    // "Disable SLI" ticked stores "0" in both keys, which turns the driver's SLI detection off.
    {field<groupV2Glide, &VG::SSTV2_SLIDETECT>, Key::V2Glide, "SSTV2_SLIDETECT", ReadAs::ZeroIsOne,
     WriteAs::Text, When::SliDetect, 1, "0"},
    {field<groupV2Glide, &VG::SSTV2_SLIDETECT>, Key::V2D3D, "SSTV2_SLIDETECT", ReadAs::Nothing,
     WriteAs::Text, When::SliDetect, 1, "0"},
};

constexpr MapEntry kBansheeMap[] = {
    {field<groupBanD3D, &BD::SSTH3_RGAMMA>, Key::BanD3D, "SSTH3_RGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanD3D, &BD::SSTH3_GGAMMA>, Key::BanD3D, "SSTH3_GGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanD3D, &BD::SSTH3_BGAMMA>, Key::BanD3D, "SSTH3_BGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanD3D, &BD::SSTH3_SWAPINTERVAL>, Key::BanD3D, "SSTH3_SWAPINTERVAL", ReadAs::Dword,
     WriteAs::Dword},
    {field<groupBanD3D, &BD::SSTH3_AUTOMIPMAP>, Key::BanD3D, "SSTH3_AUTOMIPMAP", ReadAs::Text,
     WriteAs::Text, When::EqualTo, 1},
    {field<groupBanD3D, &BD::SSTH3_ANTIALIAS>, Key::BanD3D, "SSTH3_ANTIALIAS", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanGlide, &BG::FX_GLIDE_ALLOC_COLOR>, Key::BanGlide, "FX_GLIDE_ALLOC_COLOR",
     ReadAs::Dword, WriteAs::Dword, When::EqualTo, 3},
    {field<groupBanGlide, &BG::FX_GLIDE_EMUL_RUSH>, Key::BanGlide, "FX_GLIDE_EMUL_RUSH",
     ReadAs::Dword, WriteAs::Dword},
    {field<groupBanGlide, &BG::FX_GLIDE_SWAPINTERVAL>, Key::BanGlide, "FX_GLIDE_SWAPINTERVAL",
     ReadAs::Dword, WriteAs::Dword},
    {field<groupBanGlide, &BG::FX_GLIDE_LOD_DITHER>, Key::BanGlide, "FX_GLIDE_LOD_DITHER",
     ReadAs::Dword, WriteAs::Dword, When::EqualTo, 1},
    {field<groupBanGlide, &BG::SSTH3_RGAMMA>, Key::BanGlide, "SSTH3_RGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanGlide, &BG::SSTH3_GGAMMA>, Key::BanGlide, "SSTH3_GGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanGlide, &BG::SSTH3_BGAMMA>, Key::BanGlide, "SSTH3_BGAMMA", ReadAs::Text,
     WriteAs::Text},
    {field<groupBanD3D, &BD::SSTH3_FORCE_TRILINEAR>, Key::BanD3D, "SSTH3_FORCE_TRILINEAR",
     ReadAs::Text, WriteAs::Text, When::EqualTo, 1},
    // Each clock goes in under the two names that different driver releases read.
    {field<groupBanClock, &BC::grxclock>, Key::BanClass, "grxclock", ReadAs::Text, WriteAs::Text},
    {field<groupBanClock, &BC::memclock>, Key::BanClass, "memclock", ReadAs::Text, WriteAs::Text},
    {field<groupBanClock, &BC::memclock>, Key::BanClass, "MemClocking", ReadAs::Nothing,
     WriteAs::Text},
    {field<groupBanClock, &BC::grxclock>, Key::BanClass, "GraphicsClock", ReadAs::Nothing,
     WriteAs::Text},
    {{}, Key::DiamondD3D, "Retail", ReadAs::Nothing, WriteAs::Text, When::Always, 0, "1"},
};

constexpr detail::CardTables<MapEntry> kMaps{kTNTMap, kVoodoo2Map, kBansheeMap};

void readEntry(const MapEntry& entry, DriverSettings& settings) {
    if (entry.read == ReadAs::Nothing || !entry.field) {
        return;
    }
    const auto path = keyPath(entry.key, settings);
    if (!path) {
        return;
    }
    SettingValue& target = entry.field.of(settings);
    switch (entry.read) {
        case ReadAs::Text:
            target = SettingValue::fromOptionalText(
                store::RegGetString(HKEY_LOCAL_MACHINE, *path, entry.valueName));
            break;
        case ReadAs::Dword:
            target = store::RegGetDword(HKEY_LOCAL_MACHINE, *path, entry.valueName);
            break;
        case ReadAs::Binary:
            target = store::RegGetBinary(HKEY_LOCAL_MACHINE, *path, entry.valueName);
            break;
        case ReadAs::DwordOrByte: {
            const auto raw =
                store::currentHive().getValue(HKEY_LOCAL_MACHINE, *path, entry.valueName);
            const bool oneByte = raw && raw->type == store::REG_BINARY && raw->data.size() == 1;
            target = oneByte ? store::RegGetBinary(HKEY_LOCAL_MACHINE, *path, entry.valueName)
                             : store::RegGetDword(HKEY_LOCAL_MACHINE, *path, entry.valueName);
            break;
        }
        case ReadAs::ZeroIsOne: {
            const auto raw =
                store::currentHive().getValue(HKEY_LOCAL_MACHINE, *path, entry.valueName);
            const bool dwordZero =
                raw && raw->type == store::REG_DWORD &&
                store::RegGetDword(HKEY_LOCAL_MACHINE, *path, entry.valueName) == 0;
            const bool textZero =
                store::RegGetString(HKEY_LOCAL_MACHINE, *path, entry.valueName) == "0";
            target = (dwordZero || textZero) ? 1 : 0;
            break;
        }
        case ReadAs::Nothing:
            break;
    }
}

enum class Action { Write, Delete, Nothing, NotANumber };

Action actionFor(const MapEntry& entry, const SettingValue& fieldValue) {
    if (entry.when == When::Always) {
        return Action::Write;
    }
    const auto equal = fieldValue.equals(entry.n);
    if (!equal) {
        return Action::NotANumber;
    }
    if (*equal) {
        return Action::Write;
    }
    if (entry.when == When::EqualTo) {
        return Action::Delete;
    }
    const auto zero = fieldValue.equals(0);
    return zero.value_or(false) ? Action::Delete : Action::Nothing;
}

// Stores one value; false when the value cannot be converted to the stored type.
bool storeValue(const MapEntry& entry, const std::string& path, const SettingValue& value) {
    switch (entry.write) {
        case WriteAs::Text:
            store::RegSetString(HKEY_LOCAL_MACHINE, path, entry.valueName, value.asText());
            return true;
        case WriteAs::Dword:
            if (const auto number = value.asInt32()) {
                store::RegSetDword(HKEY_LOCAL_MACHINE, path, entry.valueName, *number);
                return true;
            }
            return false;
        case WriteAs::Binary:
            if (const auto byte = value.asByte()) {
                store::RegSetBinary(HKEY_LOCAL_MACHINE, path, entry.valueName, *byte);
                return true;
            }
            return false;
    }
    return false;
}

void noteLeftAlone(WriteResult& result, std::string_view valueName) {
    const auto known =
        std::find(result.valuesLeftAlone.begin(), result.valuesLeftAlone.end(), valueName);
    if (known == result.valuesLeftAlone.end()) {
        result.valuesLeftAlone.emplace_back(valueName);
    }
}

void writeEntry(const MapEntry& entry, const DriverSettings& settings, WriteResult& result) {
    const auto path = keyPath(entry.key, settings);
    if (!path) {
        result.clocksSkipped = true;
        return;
    }
    const SettingValue fieldValue = entry.field ? entry.field.in(settings) : SettingValue();
    const SettingValue written = entry.fixedText ? SettingValue(*entry.fixedText) : fieldValue;
    switch (actionFor(entry, fieldValue)) {
        case Action::Write:
            if (!storeValue(entry, *path, written)) {
                noteLeftAlone(result, entry.valueName);
            }
            break;
        case Action::Delete:
            store::RegDeleteValue(HKEY_LOCAL_MACHINE, *path, entry.valueName);
            break;
        case Action::NotANumber:
            noteLeftAlone(result, entry.valueName);
            break;
        case Action::Nothing:
            break;
    }
}

}  // namespace

void ReadDriverSettings(std::string_view card, DriverSettings& settings) {
    for (const MapEntry& entry : kMaps.of(card)) {
        readEntry(entry, settings);
    }
}

void ReadDriverSettings(std::string_view card) {
    ReadDriverSettings(card, driverSettings());
}

WriteResult WriteDriverSettings(std::string_view card, const DriverSettings& settings,
                                const std::string& changeTitle) {
    WriteResult result;
    const auto map = kMaps.of(card);
    if (map.empty()) {
        return result;
    }
    result.cardRecognised = true;
    const store::FailureWatch watch;
    {
        store::Change change(store::currentHive(), changeTitle);
        for (const MapEntry& entry : map) {
            writeEntry(entry, settings, result);
        }
        result.saved = change.commit();
    }
    if (watch.failed()) {
        result.saved = false;
        result.failure = watch.reason();
    } else if (!result.saved) {
        result.failure = "The settings store did not accept the changes.";
    }
    return result;
}

WriteResult WriteDriverSettings(std::string_view card, const std::string& changeTitle) {
    return WriteDriverSettings(card, driverSettings(), changeTitle);
}

std::vector<ValueName> DriverValueNames(std::string_view card, const DriverSettings& settings) {
    std::vector<ValueName> names;
    for (const MapEntry& entry : kMaps.of(card)) {
        if (const auto path = keyPath(entry.key, settings)) {
            names.push_back(ValueName{*path, std::string(entry.valueName)});
        }
    }
    return names;
}

}  // namespace tunexa::engine
