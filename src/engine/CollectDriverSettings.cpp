#include <cstdint>
#include <optional>
#include <span>
#include <variant>

#include "engine/CardTables.h"
#include "engine/FieldRef.h"
#include "engine/RegMethods.h"

namespace tunexa::engine {

namespace {

using namespace detail;

enum class Source { Caption, Check, List };

// One recognised caption or list text and the value it stands for.
struct TextRow {
    std::string_view text;
    std::variant<std::int32_t, std::string_view> value;
};

// What an unchecked (0) and a checked (1) box stand for.
struct CheckRow {
    std::int32_t unchecked;
    std::int32_t checked;
};

struct CollectStep {
    FieldRef field;
    Source source;
    std::string_view control;
    // Recognised texts; without any, the text goes into the field as it is.
    std::span<const TextRow> texts = {};
    // Without one, the box's value goes into the field as it is.
    std::optional<CheckRow> check = std::nullopt;
};

constexpr TextRow kAntiAliasingMethods[] = {
    {"2x1", 0}, {"2x2", 1}, {"3x2", 2}, {"3x3", 3}, {"4x2", 4}, {"4x3", 5}, {"4x4", 6},
};

constexpr TextRow kMipmapMethods[] = {
    {"Bilinear", 0},
    {"Trilinear", 1},
};

constexpr TextRow kMipmapDetailLevels[] = {
    {"Best image quality", 0}, {"High image quality", 2}, {"Blend", 4},
    {"High performance", 8},   {"Best performance", 10},
};

// Kept as texts; the write turns them into one byte.
constexpr TextRow kTextureQualities[] = {
    {"Optimise for best image quality", std::string_view("01")},
    {"Blend", std::string_view("02")},
    {"Optimise for best performance", std::string_view("03")},
};

constexpr CheckRow kInverted{1, 0};
constexpr CheckRow kTmuMemorySize{4, 2};
constexpr CheckRow kAllocColour{2, 3};

using T = TNTSettings;
using VD = V2D3DSettings;
using VG = V2GlideSettings;
using BD = BanD3DSettings;
using BG = BanGlideSettings;
using BC = BanClockSettings;

constexpr CollectStep kTNTSteps[] = {
    {field<groupTNT, &T::AAMETHOD>, Source::Caption, "lblTNTD3DaaVal", kAntiAliasingMethods},
    {field<groupTNT, &T::ANTIALIASENABLE>, Source::Check, "chkTNTD3Daa"},
    {field<groupTNT, &T::AUTOMIPMAPMETHOD>, Source::List, "lstTNTD3Dmipm", kMipmapMethods},
    {field<groupTNT, &T::DX6ENABLE>, Source::Check, "chkTNTDX6"},
    {field<groupTNT, &T::LODBIASADJUST>, Source::List, "lstTNTD3Dmipd", kMipmapDetailLevels},
    {field<groupTNT, &T::TextureQuality>, Source::List, "lstTNTGLtexq", kTextureQualities},
    {field<groupTNT, &T::MCLK>, Source::Caption, "lblTNTMemVal"},
    {field<groupTNT, &T::NVCLK>, Source::Caption, "lblTNTCoreVal"},
    {field<groupTNT, &T::MIPMAPDITHERENABLE>, Source::Check, "chkTNTD3Ddither"},
    {field<groupTNT, &T::MIPMAPLEVELS>, Source::List, "lstTNTD3Dmip"},
    {field<groupTNT, &T::NOVSYNC>, Source::Check, "chkTNTSetVsync", {}, kInverted},
    {field<groupTNT, &T::FOGTABLEENABLE>, Source::Check, "chkTNTFogTable"},
    {field<groupTNT, &T::PowerUser>, Source::Check, "chkTNTNV4"},
    {field<groupTNT, &T::CPUOPTDISABLE>, Source::Check, "chkTNTCpuOpt"},
};

constexpr CollectStep kVoodoo2Steps[] = {
    {field<groupV2D3D, &VD::SSTV2_GRXCLK>, Source::Caption, "lblV2D3DCoreVal"},
    {field<groupV2D3D, &VD::SSTV2_RGAMMA>, Source::Caption, "lblV2DRGVal"},
    {field<groupV2D3D, &VD::SSTV2_GGAMMA>, Source::Caption, "lblV2DGGVal"},
    {field<groupV2D3D, &VD::SSTV2_BGAMMA>, Source::Caption, "lblV2DBGVal"},
    {field<groupV2D3D, &VD::SSTV2_ANTIALIAS>, Source::Check, "chkV2D3Dfa"},
    {field<groupV2D3D, &VD::SSTV2_FORCE_TRILINEAR>, Source::Check, "chkV2D3Dft"},
    {field<groupV2D3D, &VD::SSTV2_AUTOMIPMAP>, Source::Check, "chkV2D3Dam"},
    {field<groupV2D3D, &VD::SSTV2_SWAPINTERVAL>, Source::Check, "chkV2D3Dvs"},
    {field<groupV2Glide, &VG::SSTV2_GRXCLK>, Source::Caption, "lblV2GCoreVal"},
    {field<groupV2Glide, &VG::SSTV2_RGAMMA>, Source::Caption, "lblV2GRGVal"},
    {field<groupV2Glide, &VG::SSTV2_GGAMMA>, Source::Caption, "lblV2GGGVal"},
    {field<groupV2Glide, &VG::SSTV2_BGAMMA>, Source::Caption, "lblV2GBGVal"},
    {field<groupV2Glide, &VG::FX_GLIDE_SWAPINTERVAL>, Source::Check, "chkV2GVSync"},
    {field<groupV2Glide, &VG::SSTV2_TMU_MEMSIZE>, Source::Check, "chkV2Glimit", {}, kTmuMemorySize},
    {field<groupV2Glide, &VG::FX_GLIDE_LOD_DITHER>, Source::Check, "chkV2Gadvance"},
    {field<groupV2Glide, &VG::FX_GLIDE_ALLOC_COLOR>,
     Source::Check,
     "chkV2Gtriple",
     {},
     kAllocColour},
    {field<groupV2Glide, &VG::SSTV2_SLIDETECT>, Source::Check, "chkV2sli"},
};

constexpr CollectStep kBansheeSteps[] = {
    {field<groupBanClock, &BC::grxclock>, Source::Caption, "lbl3DfxBansheeGrxVal"},
    {field<groupBanClock, &BC::memclock>, Source::Caption, "lbl3DfxBansheeMemVal"},
    {field<groupBanD3D, &BD::SSTH3_RGAMMA>, Source::Caption, "lblBanDRGval"},
    {field<groupBanD3D, &BD::SSTH3_GGAMMA>, Source::Caption, "lblBanDGGval"},
    {field<groupBanD3D, &BD::SSTH3_BGAMMA>, Source::Caption, "lblBanDBGval"},
    {field<groupBanD3D, &BD::SSTH3_ANTIALIAS>, Source::Check, "chkBanDantialias"},
    {field<groupBanD3D, &BD::SSTH3_AUTOMIPMAP>, Source::Check, "chkBanDauto"},
    {field<groupBanD3D, &BD::SSTH3_SWAPINTERVAL>, Source::Check, "chkBanDVSync"},
    {field<groupBanD3D, &BD::SSTH3_FORCE_TRILINEAR>, Source::Check, "chkBanDtri"},
    {field<groupBanGlide, &BG::SSTH3_RGAMMA>, Source::Caption, "lblBanGRGval"},
    {field<groupBanGlide, &BG::SSTH3_GGAMMA>, Source::Caption, "lblBanGGGval"},
    {field<groupBanGlide, &BG::SSTH3_BGAMMA>, Source::Caption, "lblBanGBGval"},
    {field<groupBanGlide, &BG::FX_GLIDE_ALLOC_COLOR>,
     Source::Check,
     "chkBanGtriple",
     {},
     kAllocColour},
    {field<groupBanGlide, &BG::FX_GLIDE_EMUL_RUSH>, Source::Check, "chkBanGrush"},
    {field<groupBanGlide, &BG::FX_GLIDE_LOD_DITHER>, Source::Check, "chkBanGadvance"},
    {field<groupBanGlide, &BG::FX_GLIDE_SWAPINTERVAL>, Source::Check, "chkBanGVSync"},
    // The clocks are taken once more at the end, as the panel always has done.
    {field<groupBanClock, &BC::memclock>, Source::Caption, "lbl3DfxBansheeMemVal"},
    {field<groupBanClock, &BC::grxclock>, Source::Caption, "lbl3DfxBansheeGrxVal"},
};

constexpr detail::CardTables<CollectStep> kSteps{kTNTSteps, kVoodoo2Steps, kBansheeSteps};

SettingValue valueOf(const TextRow& row) {
    return std::visit([](auto value) { return SettingValue(value); }, row.value);
}

void collectText(const CollectStep& step, const std::string& text, SettingValue& target) {
    if (step.texts.empty()) {
        target = text;
        return;
    }
    for (const TextRow& row : step.texts) {
        if (row.text == text) {
            target = valueOf(row);
            return;
        }
    }
}

void collectCheck(const CollectStep& step, int value, SettingValue& target) {
    if (!step.check) {
        target = value;
    } else if (value == 0) {
        target = step.check->unchecked;
    } else if (value == 1) {
        target = step.check->checked;
    }
}

}  // namespace

void CollectDriverSettings(std::string_view card, const ControlReader& controls,
                           DriverSettings& settings) {
    for (const CollectStep& step : kSteps.of(card)) {
        SettingValue& target = step.field.of(settings);
        switch (step.source) {
            case Source::Caption:
                collectText(step, controls.caption(step.control), target);
                break;
            case Source::List:
                collectText(step, controls.selectedText(step.control), target);
                break;
            case Source::Check:
                collectCheck(step, controls.checkValue(step.control), target);
                break;
        }
    }
}

void CollectDriverSettings(std::string_view card, const ControlReader& controls) {
    CollectDriverSettings(card, controls, driverSettings());
}

}  // namespace tunexa::engine
