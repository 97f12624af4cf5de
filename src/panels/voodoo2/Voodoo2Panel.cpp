#include "panels/voodoo2/Voodoo2Panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "engine/FieldRef.h"
#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/SettingRows.h"
#include "panels/common/TrayChoices.h"
#include "panels/common/TrayItems.h"

namespace tunexa::panels {

namespace {

using Ui = ::Ui::Voodoo2Frame;
using engine::detail::field;
using engine::detail::groupV2D3D;
using engine::detail::groupV2Glide;
using VD = engine::V2D3DSettings;
using VG = engine::V2GlideSettings;

// The tray's clock groups cover 90 to 100 MHz, the first eleven slider positions.
constexpr int kTrayClockItems = 11;

constexpr const char* kD3DClockItems = "mPopV2D3DCoreClock";
constexpr const char* kGlideClockItems = "mPopV2GCoreClock";
constexpr common::Scale kClockScale =
    common::clockScale<engine::kVoodoo2CoreClock, kTrayClockItems>;
using common::kGammaScale;
constexpr const char* kD3DVSyncItems = "mPopV2D3DV";
constexpr const char* kGlideVSyncItems = "mPopV2GV";

// A check box and the two field texts it shows; a VSync box also moves the "Off" / "On" marks of
// its tray group. In the order the load sets them.
using CheckRow = common::CheckRow<Ui>;

constexpr CheckRow kChecks[] = {
    {&Ui::chkV2D3Dfa, field<groupV2D3D, &VD::SSTV2_ANTIALIAS>, "0", "1"},
    {&Ui::chkV2D3Dft, field<groupV2D3D, &VD::SSTV2_FORCE_TRILINEAR>, "0", "1"},
    {&Ui::chkV2D3Dam, field<groupV2D3D, &VD::SSTV2_AUTOMIPMAP>, "0", "1"},
    {&Ui::chkV2D3Dvs, field<groupV2D3D, &VD::SSTV2_SWAPINTERVAL>, "0", "1", kD3DVSyncItems},
    {&Ui::chkV2GVSync, field<groupV2Glide, &VG::FX_GLIDE_SWAPINTERVAL>, "0", "1", kGlideVSyncItems},
    {&Ui::chkV2Gadvance, field<groupV2Glide, &VG::FX_GLIDE_LOD_DITHER>, "0", "1"},
    // Colour buffers: 3 is triple buffering, 2 double.
    {&Ui::chkV2Gtriple, field<groupV2Glide, &VG::FX_GLIDE_ALLOC_COLOR>, "2", "3"},
    // Texture memory per unit in MB: checked limits it to 2.
    {&Ui::chkV2Glimit, field<groupV2Glide, &VG::SSTV2_TMU_MEMSIZE>, "4", "2"},
    {&Ui::chkV2sli, field<groupV2Glide, &VG::SSTV2_SLIDETECT>, "0", "1"},
};

// A slider with its value label and field, in the order the load positions them. A core clock
// also checks its tray item.
using SliderRow = common::SliderRow<Ui>;

// The clocks' places in the table.
enum SliderId { kD3DClockSlider, kGlideClockSlider = 4 };

constexpr SliderRow kSliders[] = {
    {&Ui::sldV2D3DCore, &Ui::lblV2D3DCoreVal, field<groupV2D3D, &VD::SSTV2_GRXCLK>, kClockScale,
     kD3DClockItems, "Voodoo2 D3D core clock"},
    {&Ui::sldV2D3DRG, &Ui::lblV2DRGVal, field<groupV2D3D, &VD::SSTV2_RGAMMA>, kGammaScale},
    {&Ui::sldV2D3DGG, &Ui::lblV2DGGVal, field<groupV2D3D, &VD::SSTV2_GGAMMA>, kGammaScale},
    {&Ui::sldV2D3DBG, &Ui::lblV2DBGVal, field<groupV2D3D, &VD::SSTV2_BGAMMA>, kGammaScale},
    {&Ui::sldV2GCore, &Ui::lblV2GCoreVal, field<groupV2Glide, &VG::SSTV2_GRXCLK>, kClockScale,
     kGlideClockItems, "Voodoo2 Glide core clock"},
    {&Ui::sldV2GRG, &Ui::lblV2GRGVal, field<groupV2Glide, &VG::SSTV2_RGAMMA>, kGammaScale},
    {&Ui::sldV2GGG, &Ui::lblV2GGGVal, field<groupV2Glide, &VG::SSTV2_GGAMMA>, kGammaScale},
    {&Ui::sldV2GBG, &Ui::lblV2GBGVal, field<groupV2Glide, &VG::SSTV2_BGAMMA>, kGammaScale},
};
static_assert(kSliders[kD3DClockSlider].trayGroup == kD3DClockItems &&
              kSliders[kGlideClockSlider].trayGroup == kGlideClockItems);

// The value labels, written last by the load so that each shows its stored text exactly.
using LabelRow = common::LabelRow<Ui>;

constexpr LabelRow kLabels[] = {
    {&Ui::lblV2GCoreVal, field<groupV2Glide, &VG::SSTV2_GRXCLK>},
    {&Ui::lblV2GRGVal, field<groupV2Glide, &VG::SSTV2_RGAMMA>},
    {&Ui::lblV2GBGVal, field<groupV2Glide, &VG::SSTV2_BGAMMA>},
    {&Ui::lblV2GGGVal, field<groupV2Glide, &VG::SSTV2_GGAMMA>},
    {&Ui::lblV2D3DCoreVal, field<groupV2D3D, &VD::SSTV2_GRXCLK>},
    {&Ui::lblV2DRGVal, field<groupV2D3D, &VD::SSTV2_RGAMMA>},
    {&Ui::lblV2DGGVal, field<groupV2D3D, &VD::SSTV2_GGAMMA>},
    {&Ui::lblV2DBGVal, field<groupV2D3D, &VD::SSTV2_BGAMMA>},
};

constexpr common::SettingRows<Ui> kRows{kChecks, kSliders, kLabels};

// Factory values, in the order the Defaults button sets them; each label after its slider.
using SetSlider = common::SetSlider<Ui>;
using SetLabel = common::SetLabel<Ui>;
using SetCheck = common::SetCheck<Ui>;
using DefaultStep = common::DefaultStep<Ui>;

const DefaultStep kDefaults[] = {
    SetSlider{&Ui::sldV2GCore, 0},
    SetSlider{&Ui::sldV2GRG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldV2GGG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldV2GBG, engine::kNeutralGammaPosition},
    SetLabel{&Ui::lblV2GCoreVal, "90"},
    SetLabel{&Ui::lblV2GRGVal, "1.00"},
    SetLabel{&Ui::lblV2GGGVal, "1.00"},
    SetLabel{&Ui::lblV2GBGVal, "1.00"},
    SetCheck{&Ui::chkV2GVSync, 1},
    SetCheck{&Ui::chkV2sli, 0},
    SetSlider{&Ui::sldV2D3DCore, 0},
    SetSlider{&Ui::sldV2D3DRG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldV2D3DGG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldV2D3DBG, engine::kNeutralGammaPosition},
    SetLabel{&Ui::lblV2D3DCoreVal, "90"},
    SetLabel{&Ui::lblV2DRGVal, "1.00"},
    SetLabel{&Ui::lblV2DGGVal, "1.00"},
    SetLabel{&Ui::lblV2DBGVal, "1.00"},
    // Direct3D VSync defaults to off while Glide VSync defaults to on.
    SetCheck{&Ui::chkV2D3Dfa, 0},
    SetCheck{&Ui::chkV2D3Dft, 0},
    SetCheck{&Ui::chkV2D3Dam, 0},
    SetCheck{&Ui::chkV2D3Dvs, 0},
    SetCheck{&Ui::chkV2Gadvance, 0},
    SetCheck{&Ui::chkV2Gtriple, 0},
    SetCheck{&Ui::chkV2Glimit, 0},
};

}  // namespace

Voodoo2Panel::Voodoo2Panel(Voodoo2Frame& widgets, const ui::PanelEnvironment& env)
    : QObject(&widgets), ui_(widgets.ui), env_(env) {
    common::followSliders(this, ui_, kRows);
    connect(ui_.cmd3DfxV2apply, &QPushButton::clicked, this, &Voodoo2Panel::cmd3DfxV2apply_Click);
    connect(ui_.cmd3DfxV2reset, &QPushButton::clicked, this, &Voodoo2Panel::cmd3DfxV2reset_Click);
    connect(ui_.cmdV2SwitchD3D, &QPushButton::clicked, this, &Voodoo2Panel::cmdV2SwitchD3D_Click);
    connect(ui_.cmdV2SwitchGlide, &QPushButton::clicked, this,
            &Voodoo2Panel::cmdV2SwitchGlide_Click);

    common::onGroupItem(env_.menu, kD3DClockItems, this, &Voodoo2Panel::mPopV2D3DCoreClock_Click);
    common::onGroupItem(env_.menu, kGlideClockItems, this, &Voodoo2Panel::mPopV2GCoreClock_Click);
    common::onGroupItem(env_.menu, kD3DVSyncItems, this, &Voodoo2Panel::mPopV2D3DV_Click);
    common::onGroupItem(env_.menu, kGlideVSyncItems, this, &Voodoo2Panel::mPopV2GV_Click);
    common::onItem(env_.menu, "mPopV2D3DCoreDefault", this,
                   &Voodoo2Panel::mPopV2D3DCoreDefault_Click);
    common::onItem(env_.menu, "mPopV2GCoreDefault", this, &Voodoo2Panel::mPopV2GCoreDefault_Click);
}

void Voodoo2Panel::LoadVoodoo2Panel() {
    common::loadRows(ui_, kRows, env_.settings, env_.menu);
}

void Voodoo2Panel::SSTab1_Click() {
    cmdV2SwitchD3D_Click();
}

void Voodoo2Panel::cmdV2SwitchD3D_Click() {
    ui_.frameV2Glide->hide();
    ui_.frameV2D3D->show();
}

void Voodoo2Panel::cmdV2SwitchGlide_Click() {
    ui_.frameV2D3D->hide();
    ui_.frameV2Glide->show();
}

void Voodoo2Panel::cmd3DfxV2apply_Click() {
    if (!common::confirmApply(env_.messages, QStringLiteral("Applying Voodoo2 Settings"))) {
        return;
    }
    if (applyQuietly(QStringLiteral("Voodoo2: Apply"))) {
        common::showTitled(env_.messages, QStringLiteral("Voodoo2 Settings Applied"));
    }
}

void Voodoo2Panel::cmd3DfxV2reset_Click() {
    common::restoreDefaults<Ui>(env_.messages, ui_, kDefaults);
}

bool Voodoo2Panel::applyQuietly(const std::optional<QString>& title) {
    return common::applyQuietly(env_, engine::kCardVoodoo2, kRows, title,
                                [this] { LoadVoodoo2Panel(); })
        .has_value();
}

void Voodoo2Panel::mPopV2D3DCoreClock_Click(int index) {
    applyQuietly(common::chooseClockItem(env_, ui_, kSliders[kD3DClockSlider], index));
}

void Voodoo2Panel::mPopV2GCoreClock_Click(int index) {
    applyQuietly(common::chooseClockItem(env_, ui_, kSliders[kGlideClockSlider], index));
}

void Voodoo2Panel::mPopV2D3DV_Click(int index) {
    applyQuietly(common::chooseVSyncItem(env_, kD3DVSyncItems, QStringLiteral("Voodoo2 D3D"),
                                         ui_.chkV2D3Dvs, index));
}

void Voodoo2Panel::mPopV2GV_Click(int index) {
    applyQuietly(common::chooseVSyncItem(env_, kGlideVSyncItems, QStringLiteral("Voodoo2 Glide"),
                                         ui_.chkV2GVSync, index));
}

engine::WriteResult Voodoo2Panel::SetV2D3DCoreDefault() {
    return common::storeClockDefault(env_.settings, engine::kCardVoodoo2, ui_,
                                     kSliders[kD3DClockSlider]);
}

engine::WriteResult Voodoo2Panel::SetV2GCoreDefault() {
    return common::storeClockDefault(env_.settings, engine::kCardVoodoo2, ui_,
                                     kSliders[kGlideClockSlider]);
}

void Voodoo2Panel::mPopV2D3DCoreDefault_Click() {
    common::chooseClockDefault(env_.messages, [this] { return SetV2D3DCoreDefault(); });
}

void Voodoo2Panel::mPopV2GCoreDefault_Click() {
    common::chooseClockDefault(env_.messages, [this] { return SetV2GCoreDefault(); });
}

}  // namespace tunexa::panels
