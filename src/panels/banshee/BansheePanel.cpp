#include "panels/banshee/BansheePanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <optional>
#include <span>
#include <string>
#include <variant>

#include "engine/DisplayClass.h"
#include "engine/FieldRef.h"
#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/TrayItems.h"
#include "store/Ansi.h"
#include "ui/CheckBox.h"
#include "ui/IndexedActionGroup.h"

namespace tunexa::panels {

namespace {

using Ui = ::Ui::BansheeFrame;
using engine::detail::field;
using engine::detail::FieldRef;
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

// A check box and the two field texts it shows, in the order the load sets them.
struct CheckRow {
    QCheckBox* Ui::*box;
    FieldRef field;
    const char* uncheckedText;
    const char* checkedText;
};

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

enum class Scale { Clock, Gamma };

// A slider with its value label and field, in the order the load positions them. A clock also
// checks its tray item.
struct SliderRow {
    QSlider* Ui::*slider;
    QLabel* Ui::*label;
    FieldRef field;
    Scale scale;
    const char* trayGroup = nullptr;
};

constexpr SliderRow kSliders[] = {
    {&Ui::sld3DfxBansheeGrx, &Ui::lbl3DfxBansheeGrxVal, field<groupBanClock, &BC::grxclock>,
     Scale::Clock, kCoreItems},
    {&Ui::sldBanDRG, &Ui::lblBanDRGval, field<groupBanD3D, &BD::SSTH3_RGAMMA>, Scale::Gamma},
    {&Ui::sldBanDGG, &Ui::lblBanDGGval, field<groupBanD3D, &BD::SSTH3_GGAMMA>, Scale::Gamma},
    {&Ui::sldBanDBG, &Ui::lblBanDBGval, field<groupBanD3D, &BD::SSTH3_BGAMMA>, Scale::Gamma},
    {&Ui::sld3DfxBansheeMem, &Ui::lbl3DfxBansheeMemVal, field<groupBanClock, &BC::memclock>,
     Scale::Clock, kMemoryItems},
    {&Ui::sldBanGRG, &Ui::lblBanGRGval, field<groupBanGlide, &BG::SSTH3_RGAMMA>, Scale::Gamma},
    {&Ui::sldBanGGG, &Ui::lblBanGGGval, field<groupBanGlide, &BG::SSTH3_GGAMMA>, Scale::Gamma},
    {&Ui::sldBanGBG, &Ui::lblBanGBGval, field<groupBanGlide, &BG::SSTH3_BGAMMA>, Scale::Gamma},
};

// The value labels, written last by the load so that each shows its stored text exactly.
struct LabelRow {
    QLabel* Ui::*label;
    FieldRef field;
};

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
struct SetSlider {
    QSlider* Ui::*slider;
    int position;
};
struct SetLabel {
    QLabel* Ui::*label;
    const char* text;
};
struct SetCheck {
    QCheckBox* Ui::*box;
    int value;
};
using DefaultStep = std::variant<SetSlider, SetLabel, SetCheck>;

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

QString toLabelText(const engine::SettingValue& value) {
    return QString::fromStdString(ansi::toUtf8(value.asText()));
}

QString scaleText(Scale scale, int position) {
    const std::string text =
        scale == Scale::Clock ? engine::kBansheeClock.text(position) : engine::gammaText(position);
    return QString::fromStdString(text);
}

std::optional<int> scalePosition(Scale scale, const std::string& text) {
    if (scale == Scale::Clock) {
        return engine::kBansheeClock.position(text, kTrayClockItems);
    }
    return engine::gammaPosition(text);
}

}  // namespace

BansheePanel::BansheePanel(BansheeFrame& widgets, const ui::PanelEnvironment& env)
    : QObject(&widgets), ui_(widgets.ui), env_(env) {
    for (const SliderRow& row : kSliders) {
        QLabel* label = ui_.*row.label;
        const Scale scale = row.scale;
        connect(ui_.*row.slider, &QSlider::valueChanged, this,
                [label, scale](int position) { label->setText(scaleText(scale, position)); });
    }
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
    const engine::DriverSettings& settings = env_.settings;
    for (const CheckRow& row : kChecks) {
        const std::string text = row.field.in(settings).asText();
        if (text == row.uncheckedText) {
            ui::setCheckValue(ui_.*row.box, 0);
        } else if (text == row.checkedText) {
            ui::setCheckValue(ui_.*row.box, 1);
        }
    }
    for (const SliderRow& row : kSliders) {
        ui::IndexedActionGroup* tray = row.trayGroup != nullptr
                                           ? env_.menu.group(QString::fromLatin1(row.trayGroup))
                                           : nullptr;
        if (tray != nullptr) {
            tray->checkOnly(-1);
        }
        const auto position = scalePosition(row.scale, row.field.in(settings).asText());
        if (!position) {
            continue;
        }
        (ui_.*row.slider)->setValue(*position);
        if (tray != nullptr) {
            tray->setChecked(*position, true);
        }
    }
    for (const LabelRow& row : kLabels) {
        (ui_.*row.label)->setText(toLabelText(row.field.in(settings)));
    }
}

void BansheePanel::markTrayItems() {
    for (const SliderRow& row : kSliders) {
        if (row.trayGroup == nullptr) {
            continue;
        }
        if (ui::IndexedActionGroup* tray = env_.menu.group(QString::fromLatin1(row.trayGroup))) {
            const auto position = scalePosition(row.scale, row.field.in(env_.settings).asText());
            tray->checkOnly(position.value_or(-1));
        }
    }
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
    const auto result = applyQuietly();
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
    if (!common::confirmRestoreDefaults(env_.messages)) {
        return;
    }
    for (const DefaultStep& step : kDefaults) {
        if (const auto* slider = std::get_if<SetSlider>(&step)) {
            (ui_.*slider->slider)->setValue(slider->position);
        } else if (const auto* label = std::get_if<SetLabel>(&step)) {
            (ui_.*label->label)->setText(QString::fromLatin1(label->text));
        } else if (const auto* check = std::get_if<SetCheck>(&step)) {
            ui::setCheckValue(ui_.*check->box, check->value);
        }
    }
    common::showDefaultsRestored(env_.messages);
}

std::optional<engine::WriteResult> BansheePanel::applyQuietly() {
    const engine::DriverSettings before = env_.settings;
    engine::CollectDriverSettings(engine::kCardBanshee, env_.controls, env_.settings);
    engine::WriteResult result = engine::WriteDriverSettings(engine::kCardBanshee, env_.settings);
    if (!result.saved) {
        env_.settings = before;
        markTrayItems();
        common::showNotApplied(env_.messages, result.failure);
        return std::nullopt;
    }
    LoadBansheePanel();
    return result;
}

void BansheePanel::clockItemChosen(const char* groupName, QSlider* slider, QLabel* label,
                                   int index) {
    if (index < 0 || index >= kTrayClockItems || !common::confirmQuickItem(env_.messages)) {
        return;
    }
    if (ui::IndexedActionGroup* tray = env_.menu.group(QString::fromLatin1(groupName))) {
        tray->checkOnly(index);
    }
    slider->setValue(index);
    label->setText(scaleText(Scale::Clock, index));
    const auto result = applyQuietly();
    if (result && result->clocksSkipped) {
        env_.messages.show(
            QStringLiteral("The clock was not saved because no Banshee driver was found."),
            MessageButtons::Ok);
    }
}

void BansheePanel::mPopBCore_Click(int index) {
    clockItemChosen(kCoreItems, ui_.sld3DfxBansheeGrx, ui_.lbl3DfxBansheeGrxVal, index);
}

void BansheePanel::mPopBMem_Click(int index) {
    clockItemChosen(kMemoryItems, ui_.sld3DfxBansheeMem, ui_.lbl3DfxBansheeMemVal, index);
}

engine::WriteResult BansheePanel::setClockDefault(QSlider* slider, QLabel* label) {
    slider->setValue(0);
    label->setText(scaleText(Scale::Clock, 0));
    engine::ReadDriverSettings(engine::kCardBanshee, env_.settings);
    return engine::WriteDriverSettings(engine::kCardBanshee, env_.settings);
}

engine::WriteResult BansheePanel::SetBansheeCoreDefault() {
    return setClockDefault(ui_.sld3DfxBansheeGrx, ui_.lbl3DfxBansheeGrxVal);
}

engine::WriteResult BansheePanel::SetBansheeMemDefault() {
    return setClockDefault(ui_.sld3DfxBansheeMem, ui_.lbl3DfxBansheeMemVal);
}

void BansheePanel::mPopBCoreDefault_Click() {
    if (common::confirmQuickItem(env_.messages)) {
        common::showDefaultSet(env_.messages, SetBansheeCoreDefault());
    }
}

void BansheePanel::mPopBMemDefault_Click() {
    if (common::confirmQuickItem(env_.messages)) {
        common::showDefaultSet(env_.messages, SetBansheeMemDefault());
    }
}

}  // namespace tunexa::panels
