#include "panels/banshee/BansheePanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <optional>
#include <span>

#include "engine/DisplayClass.h"
#include "engine/FieldRef.h"
#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/SettingRows.h"
#include "panels/common/TrayChoices.h"
#include "panels/common/TrayItems.h"

namespace tunexa::panels {

namespace {

using Ui = ::Ui::BansheeFrame;
using engine::detail::field;
using engine::detail::groupBanClock;
using engine::detail::groupBanD3D;
using engine::detail::groupBanGlide;
using platform::MessageButtons;
using BD = engine::BanD3DSettings;
using BG = engine::BanGlideSettings;
using BC = engine::BanClockSettings;

// The tray's clock groups cover 100 to 110 MHz, the first eleven slider positions.
constexpr int kTrayClockItems = 11;

constexpr const char* kCoreItems = "mPopBCore";
constexpr const char* kMemoryItems = "mPopBMem";
constexpr common::Scale kClockScale = common::clockScale<engine::kBansheeClock, kTrayClockItems>;
using common::kGammaScale;

// A check box and the two field texts it shows, in the order the load sets them.
using CheckRow = common::CheckRow<Ui>;

constexpr CheckRow kChecks[] = {
    {&Ui::chkBanDantialias, field<groupBanD3D, &BD::SSTH3_ANTIALIAS>, "0", "1"},
    {&Ui::chkBanDtri, field<groupBanD3D, &BD::SSTH3_FORCE_TRILINEAR>, "0", "1"},
    {&Ui::chkBanDauto, field<groupBanD3D, &BD::SSTH3_AUTOMIPMAP>, "0", "1"},
    {&Ui::chkBanDVSync, field<groupBanD3D, &BD::SSTH3_SWAPINTERVAL>, "0", "1"},
    {&Ui::chkBanGVSync, field<groupBanGlide, &BG::FX_GLIDE_SWAPINTERVAL>, "0", "1"},
    {&Ui::chkBanGadvance, field<groupBanGlide, &BG::FX_GLIDE_LOD_DITHER>, "0", "1"},
    // Colour buffers: 3 is triple buffering, 2 double.
    {&Ui::chkBanGtriple, field<groupBanGlide, &BG::FX_GLIDE_ALLOC_COLOR>, "2", "3"},
    {&Ui::chkBanGrush, field<groupBanGlide, &BG::FX_GLIDE_EMUL_RUSH>, "0", "1"},
};

// A slider with its value label and field, in the order the load positions them. A clock also
// checks its tray item.
using SliderRow = common::SliderRow<Ui>;

// The clocks' places in the table.
enum SliderId { kCoreSlider, kMemorySlider = 4 };

constexpr SliderRow kSliders[] = {
    {&Ui::sld3DfxBansheeGrx, &Ui::lbl3DfxBansheeGrxVal, field<groupBanClock, &BC::grxclock>,
     kClockScale, kCoreItems, "Banshee core clock"},
    {&Ui::sldBanDRG, &Ui::lblBanDRGval, field<groupBanD3D, &BD::SSTH3_RGAMMA>, kGammaScale},
    {&Ui::sldBanDGG, &Ui::lblBanDGGval, field<groupBanD3D, &BD::SSTH3_GGAMMA>, kGammaScale},
    {&Ui::sldBanDBG, &Ui::lblBanDBGval, field<groupBanD3D, &BD::SSTH3_BGAMMA>, kGammaScale},
    {&Ui::sld3DfxBansheeMem, &Ui::lbl3DfxBansheeMemVal, field<groupBanClock, &BC::memclock>,
     kClockScale, kMemoryItems, "Banshee memory clock"},
    {&Ui::sldBanGRG, &Ui::lblBanGRGval, field<groupBanGlide, &BG::SSTH3_RGAMMA>, kGammaScale},
    {&Ui::sldBanGGG, &Ui::lblBanGGGval, field<groupBanGlide, &BG::SSTH3_GGAMMA>, kGammaScale},
    {&Ui::sldBanGBG, &Ui::lblBanGBGval, field<groupBanGlide, &BG::SSTH3_BGAMMA>, kGammaScale},
};
static_assert(kSliders[kCoreSlider].trayGroup == kCoreItems &&
              kSliders[kMemorySlider].trayGroup == kMemoryItems);

// The value labels, written last by the load so that each shows its stored text exactly.
using LabelRow = common::LabelRow<Ui>;

constexpr LabelRow kLabels[] = {
    {&Ui::lbl3DfxBansheeGrxVal, field<groupBanClock, &BC::grxclock>},
    {&Ui::lblBanGRGval, field<groupBanGlide, &BG::SSTH3_RGAMMA>},
    {&Ui::lblBanGBGval, field<groupBanGlide, &BG::SSTH3_BGAMMA>},
    {&Ui::lblBanGGGval, field<groupBanGlide, &BG::SSTH3_GGAMMA>},
    {&Ui::lbl3DfxBansheeMemVal, field<groupBanClock, &BC::memclock>},
    {&Ui::lblBanDRGval, field<groupBanD3D, &BD::SSTH3_RGAMMA>},
    {&Ui::lblBanDGGval, field<groupBanD3D, &BD::SSTH3_GGAMMA>},
    {&Ui::lblBanDBGval, field<groupBanD3D, &BD::SSTH3_BGAMMA>},
};

// Factory values, in the order the Defaults button sets them.
using SetSlider = common::SetSlider<Ui>;
using SetLabel = common::SetLabel<Ui>;
using SetCheck = common::SetCheck<Ui>;
using DefaultStep = common::DefaultStep<Ui>;

const DefaultStep kDefaults[] = {
    SetSlider{&Ui::sldBanGRG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldBanGGG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldBanGBG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldBanDRG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldBanDGG, engine::kNeutralGammaPosition},
    SetSlider{&Ui::sldBanDBG, engine::kNeutralGammaPosition},
    SetLabel{&Ui::lblBanGRGval, "1.00"},
    SetLabel{&Ui::lblBanGGGval, "1.00"},
    SetLabel{&Ui::lblBanGBGval, "1.00"},
    SetLabel{&Ui::lblBanDRGval, "1.00"},
    SetLabel{&Ui::lblBanDGGval, "1.00"},
    SetLabel{&Ui::lblBanDBGval, "1.00"},
    SetCheck{&Ui::chkBanDantialias, 0},
    SetCheck{&Ui::chkBanDauto, 0},
    SetCheck{&Ui::chkBanDtri, 0},
    SetCheck{&Ui::chkBanDVSync, 1},
    SetCheck{&Ui::chkBanGadvance, 0},
    SetCheck{&Ui::chkBanGrush, 0},
    SetCheck{&Ui::chkBanGtriple, 0},
    SetCheck{&Ui::chkBanGVSync, 1},
    SetSlider{&Ui::sld3DfxBansheeGrx, 0},
    SetSlider{&Ui::sld3DfxBansheeMem, 0},
    SetLabel{&Ui::lbl3DfxBansheeGrxVal, "100"},
    SetLabel{&Ui::lbl3DfxBansheeMemVal, "100"},
};

constexpr common::SettingRows<Ui> kRows{kChecks, kSliders, kLabels};

// The three pages are never shown together; each switch hides first and shows last, so two
// pages are never visible at once.
struct PageStep {
    QGroupBox* Ui::*frame;
    bool visible;
};

constexpr PageStep kShowD3DPage[] = {
    {&Ui::frame3DfxBanshee, false},
    {&Ui::frameBansheeGlide, false},
    {&Ui::frameBansheeD3D, true},
};
constexpr PageStep kShowGlidePage[] = {
    {&Ui::frame3DfxBanshee, false},
    {&Ui::frameBansheeD3D, false},
    {&Ui::frameBansheeGlide, true},
};
constexpr PageStep kShowMainFrame[] = {
    {&Ui::frameBansheeD3D, false},
    {&Ui::frameBansheeGlide, false},
    {&Ui::frame3DfxBanshee, true},
};

}  // namespace

BansheePanel::BansheePanel(BansheeFrame& widgets, const ui::PanelEnvironment& env)
    : QObject(&widgets), ui_(widgets.ui), env_(env) {
    common::followSliders(this, ui_, kRows);
    connect(ui_.cmdShowBanD3D, &QPushButton::clicked, this, &BansheePanel::cmdShowBanD3D_Click);
    connect(ui_.cmdShowBanGlide, &QPushButton::clicked, this, &BansheePanel::cmdShowBanGlide_Click);
    connect(ui_.cmdBanDback, &QPushButton::clicked, this, &BansheePanel::cmdBanDback_Click);
    connect(ui_.cmdBanGback, &QPushButton::clicked, this, &BansheePanel::cmdBanGback_Click);
    connect(ui_.cmd3DfxBansheeapply, &QPushButton::clicked, this,
            &BansheePanel::cmd3DfxBansheeapply_Click);
    connect(ui_.cmd3DfxBansheereset, &QPushButton::clicked, this,
            &BansheePanel::cmd3DfxBansheereset_Click);

    common::onGroupItem(env_.menu, kCoreItems, this, &BansheePanel::mPopBCore_Click);
    common::onGroupItem(env_.menu, kMemoryItems, this, &BansheePanel::mPopBMem_Click);
    common::onItem(env_.menu, "mPopBCoreDefault", this, &BansheePanel::mPopBCoreDefault_Click);
    common::onItem(env_.menu, "mPopBMemDefault", this, &BansheePanel::mPopBMemDefault_Click);
}

void BansheePanel::LoadBansheePanel() {
    engine::FindBansheeClassKey(env_.settings);
    common::loadRows(ui_, kRows, env_.settings, env_.menu);
}

namespace {
void showPage(Ui& ui, std::span<const PageStep> steps) {
    for (const PageStep& step : steps) {
        (ui.*step.frame)->setVisible(step.visible);
    }
}
}  // namespace

void BansheePanel::HideSubPages() {
    showPage(ui_, kShowMainFrame);
}

void BansheePanel::cmdShowBanD3D_Click() {
    showPage(ui_, kShowD3DPage);
}

void BansheePanel::cmdShowBanGlide_Click() {
    showPage(ui_, kShowGlidePage);
}

void BansheePanel::cmdBanDback_Click() {
    showPage(ui_, kShowMainFrame);
}

void BansheePanel::cmdBanGback_Click() {
    showPage(ui_, kShowMainFrame);
}

void BansheePanel::cmd3DfxBansheeapply_Click() {
    if (!common::confirmApply(env_.messages, QStringLiteral("Applying Banshee Settings"))) {
        return;
    }
    const auto result = applyQuietly(QStringLiteral("Banshee: Apply"));
    if (!result) {
        return;
    }
    const QString applied = QStringLiteral("Banshee Settings Applied");
    QString prompt = applied;
    if (result->clocksSkipped) {
        prompt += QStringLiteral(
            "\r\nThe core and memory clocks were not saved because no Banshee driver was found.");
    }
    env_.messages.show(prompt, applied, MessageButtons::Ok);
}

void BansheePanel::cmd3DfxBansheereset_Click() {
    common::restoreDefaults<Ui>(env_.messages, ui_, kDefaults);
}

std::optional<engine::WriteResult> BansheePanel::applyQuietly(const std::optional<QString>& title) {
    return common::applyQuietly(env_, engine::kCardBanshee, kRows, title,
                                [this] { LoadBansheePanel(); });
}

void BansheePanel::clockItemChosen(int slider, int index) {
    const auto result = applyQuietly(common::chooseClockItem(env_, ui_, kSliders[slider], index));
    if (result && result->clocksSkipped) {
        env_.messages.show(
            QStringLiteral("The clock was not saved because no Banshee driver was found."),
            MessageButtons::Ok);
    }
}

void BansheePanel::mPopBCore_Click(int index) {
    clockItemChosen(kCoreSlider, index);
}

void BansheePanel::mPopBMem_Click(int index) {
    clockItemChosen(kMemorySlider, index);
}

engine::WriteResult BansheePanel::SetBansheeCoreDefault() {
    return common::storeClockDefault(env_.settings, engine::kCardBanshee, ui_,
                                     kSliders[kCoreSlider]);
}

engine::WriteResult BansheePanel::SetBansheeMemDefault() {
    return common::storeClockDefault(env_.settings, engine::kCardBanshee, ui_,
                                     kSliders[kMemorySlider]);
}

void BansheePanel::mPopBCoreDefault_Click() {
    common::chooseClockDefault(env_.messages, [this] { return SetBansheeCoreDefault(); });
}

void BansheePanel::mPopBMemDefault_Click() {
    common::chooseClockDefault(env_.messages, [this] { return SetBansheeMemDefault(); });
}

}  // namespace tunexa::panels
