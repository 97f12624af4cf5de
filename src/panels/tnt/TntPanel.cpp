#include "panels/tnt/TntPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <string>
#include <string_view>

#include "engine/DisplayClass.h"
#include "engine/FieldRef.h"
#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/SettingRows.h"
#include "panels/common/TrayChoices.h"
#include "panels/common/TrayItems.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

namespace {

using W = ::Ui::TntTab;
using T = engine::TNTSettings;
using engine::detail::field;
using engine::detail::groupTNT;

constexpr const char* kMemoryItems = "mPopRivaMemSpeed";
constexpr const char* kCoreItems = "mPopRivaCoreSpeed";
constexpr const char* kVSyncItems = "mPopTNTV";

// lblTNTD3DaaVal for each anti-aliasing position, which is also the stored AAMETHOD.
constexpr std::string_view kAntiAliasingLabels[] = {"2x1", "2x2", "3x2", "3x3",
                                                    "4x2", "4x3", "4x4"};
constexpr int kAntiAliasingPositions = static_cast<int>(std::size(kAntiAliasingLabels));

std::string antiAliasingText(int position) {
    if (position < 0 || position >= kAntiAliasingPositions) {
        return {};
    }
    return std::string(kAntiAliasingLabels[static_cast<std::size_t>(position)]);
}

// The method is a number: the text "4" counts as 4.
std::optional<int> antiAliasingPosition(const engine::SettingValue& stored) {
    const auto method = stored.asInt32();
    if (!method || *method < 0 || *method >= kAntiAliasingPositions) {
        return std::nullopt;
    }
    return *method;
}

constexpr common::Scale kAntiAliasingScale{&antiAliasingText, &antiAliasingPosition,
                                           kAntiAliasingPositions};

// Check boxes in the order the load sets them. VSync shows NOVSYNC inverted (0 is VSync on) and
// moves the "Off" / "On" marks of its tray group. Anti-aliasing is loaded with its group.
constexpr common::CheckRow<W> kChecks[] = {
    {&W::chkTNTSetVsync, field<groupTNT, &T::NOVSYNC>, "1", "0", kVSyncItems},
    {&W::chkTNTDX6, field<groupTNT, &T::DX6ENABLE>, "0", "1"},
    {&W::chkTNTCpuOpt, field<groupTNT, &T::CPUOPTDISABLE>, "0", "1"},
    {&W::chkTNTNV4, field<groupTNT, &T::PowerUser>, "0", "1"},
    {&W::chkTNTFogTable, field<groupTNT, &T::FOGTABLEENABLE>, "0", "1"},
    {&W::chkTNTD3Ddither, field<groupTNT, &T::MIPMAPDITHERENABLE>, "0", "1"},
};

// The clocks' places in the table below.
enum SliderId { kMemorySlider, kCoreSlider };

// The clocks check their tray items; the anti-aliasing method is looked at only while
// anti-aliasing is on.
constexpr common::SliderRow<W> kSliders[] = {
    {&W::sldTNTMemClk, &W::lblTNTMemVal, field<groupTNT, &T::MCLK>,
     common::clockScale<engine::kTNTMemoryClock>, kMemoryItems, "Riva TNT memory clock"},
    {&W::sldTNTCoreClk, &W::lblTNTCoreVal, field<groupTNT, &T::NVCLK>,
     common::clockScale<engine::kTNTCoreClock>, kCoreItems, "Riva TNT core clock"},
    {.slider = &W::sldTNTD3Daa,
     .label = &W::lblTNTD3DaaVal,
     .field = field<groupTNT, &T::AAMETHOD>,
     .scale = kAntiAliasingScale,
     .onlyWhenOn = field<groupTNT, &T::ANTIALIASENABLE>},
};
static_assert(kSliders[kMemorySlider].trayGroup == kMemoryItems &&
              kSliders[kCoreSlider].trayGroup == kCoreItems);

// Written last by the load, each with its stored text unchanged, also a clock off the scale.
constexpr common::LabelRow<W> kLabels[] = {
    {&W::lblTNTdriverVal, field<groupTNT, &T::DriverDesc>},
    {&W::lblTNTMemVal, field<groupTNT, &T::MCLK>},
    {&W::lblTNTCoreVal, field<groupTNT, &T::NVCLK>},
};

using common::ListItem;

constexpr ListItem kMipmapLevels[] = {
    {"1", 1}, {"2", 2}, {"3", 3}, {"4", 4},   {"5", 5},   {"6", 6},
    {"7", 7}, {"8", 8}, {"9", 9}, {"10", 10}, {"11", 11}, {"12", 12},
};

constexpr ListItem kMipmapMethods[] = {
    {"Bilinear", 0},
    {"Trilinear", 1},
};

constexpr ListItem kMipmapDetailLevels[] = {
    {"Best image quality", 0}, {"High image quality", 2}, {"Blend", 4},
    {"High performance", 8},   {"Best performance", 10},
};

constexpr ListItem kTextureQualities[] = {
    {"Optimise for best image quality", 1},
    {"Blend", 2},
    {"Optimise for best performance", 3},
};

// In the order the lists are filled and loaded.
constexpr common::ListRow<W> kLists[] = {
    {&W::lstTNTD3Dmip, field<groupTNT, &T::MIPMAPLEVELS>, "MIPMAPLEVELS", kMipmapLevels},
    {&W::lstTNTD3Dmipm, field<groupTNT, &T::AUTOMIPMAPMETHOD>, "AUTOMIPMAPMETHOD", kMipmapMethods},
    {&W::lstTNTD3Dmipd, field<groupTNT, &T::LODBIASADJUST>, "LODBIASADJUST", kMipmapDetailLevels},
    {&W::lstTNTGLtexq, field<groupTNT, &T::TextureQuality>, "TextureQuality", kTextureQualities},
};

constexpr common::SettingRows<W> kRows{kChecks, kSliders, kLabels, kLists};

// Factory values, in the order Reset Defaults sets them. Fog Table Emulation, Power User and
// the Pentium III box have none.
using SetSlider = common::SetSlider<W>;
using SetLabel = common::SetLabel<W>;
using SetCheck = common::SetCheck<W>;
using SetListItem = common::SetListItem<W>;
using DefaultStep = common::DefaultStep<W>;

const DefaultStep kDefaults[] = {
    SetSlider{&W::sldTNTMemClk, 0},    SetLabel{&W::lblTNTMemVal, "110"},
    SetSlider{&W::sldTNTCoreClk, 0},   SetLabel{&W::lblTNTCoreVal, "90"},
    SetCheck{&W::chkTNTSetVsync, 1},   SetListItem{&W::lstTNTD3Dmip, 11},
    SetListItem{&W::lstTNTD3Dmipm, 0}, SetListItem{&W::lstTNTD3Dmipd, 0},
    SetCheck{&W::chkTNTD3Ddither, 0},  SetCheck{&W::chkTNTD3Daa, 1},
    SetSlider{&W::sldTNTD3Daa, 1},     SetLabel{&W::lblTNTD3DaaVal, "2x2"},
    SetListItem{&W::lstTNTGLtexq, 0},  SetCheck{&W::chkTNTDX6, 1},
};

}  // namespace

TntPanel::TntPanel(TntTab& widgets, const ui::PanelEnvironment& env, QObject* parent)
    : QObject(parent), ui_(widgets.ui), env_(env) {
    common::followSliders(this, ui_, kRows);
    ui::onCheckClick(ui_.chkTNTD3Daa, this, [this] { chkTNTD3Daa_Click(); });
    connect(ui_.cmdTNTapply, &QPushButton::clicked, this, &TntPanel::cmdTNTapply_Click);
    connect(ui_.cmdTNTdefaults, &QPushButton::clicked, this, &TntPanel::cmdTNTdefaults_Click);

    common::onGroupItem(env_.menu, kMemoryItems, this, &TntPanel::mPopRivaMemSpeed_Click);
    common::onGroupItem(env_.menu, kCoreItems, this, &TntPanel::mPopRivaCoreSpeed_Click);
    common::onGroupItem(env_.menu, kVSyncItems, this, &TntPanel::mPopTNTV_Click);
    common::onItem(env_.menu, "mPopRivaMemDefaults", this, &TntPanel::mPopRivaMemDefaults_Click);
    common::onItem(env_.menu, "mPopRivaCoreDefaults", this, &TntPanel::mPopRivaCoreDefaults_Click);
}

void TntPanel::FillTNTLists() {
    common::fillLists(ui_, kRows);
}

void TntPanel::LoadTNTPanel() {
    ui_.cmdTNTdefaults->setEnabled(true);
    ui_.cmdTNTapply->setEnabled(true);
    // Without a matching display class the driver fields keep what they held.
    engine::ReadTNTDriverInfo(env_.settings);
    common::loadRows(ui_, kRows, env_.settings, env_.menu);
    // The box's click switches the group only when its value changes; a load sets it either way.
    if (const auto on =
            common::checkValueOf("0", "1", env_.settings.TNT.ANTIALIASENABLE.asText())) {
        ui::setCheckValue(ui_.chkTNTD3Daa, *on);
        setAntiAliasingGroupEnabled(*on == 1);
    }
}

void TntPanel::deselectListsAtTopIndex() {
    common::selectItemsInView(ui_, kRows, false);
}

void TntPanel::setAntiAliasingGroupEnabled(bool enabled) {
    for (QWidget* widget :
         {static_cast<QWidget*>(ui_.lblTNTD3DaaI), static_cast<QWidget*>(ui_.lblTNTD3DaaP),
          static_cast<QWidget*>(ui_.sldTNTD3Daa), static_cast<QWidget*>(ui_.lblTNTD3DaaVal)}) {
        widget->setEnabled(enabled);
    }
}

void TntPanel::chkTNTD3Daa_Click() {
    setAntiAliasingGroupEnabled(ui::checkValue(ui_.chkTNTD3Daa) == 1);
}

bool TntPanel::applyQuietly(const std::optional<QString>& title) {
    return common::applyQuietly(env_, engine::kCardTNT, kRows, title, [this] { LoadTNTPanel(); })
        .has_value();
}

void TntPanel::cmdTNTapply_Click() {
    if (!common::confirmApply(env_.messages, QStringLiteral("Applying Settings"))) {
        return;
    }
    // One-row lists: the item the user stepped to counts, clicked or not.
    common::selectItemsInView(ui_, kRows, true);
    if (applyQuietly(QStringLiteral("Riva TNT: Apply"))) {
        const QString applied = QStringLiteral("TNT Settings Applied");
        env_.messages.show(applied + QStringLiteral("\r\nA reboot is needed to force changes"),
                           applied, platform::MessageButtons::Ok);
    }
}

void TntPanel::cmdTNTdefaults_Click() {
    common::restoreDefaults<W>(env_.messages, ui_, kDefaults);
}

void TntPanel::mPopRivaMemSpeed_Click(int index) {
    applyQuietly(common::chooseClockItem(env_, ui_, kSliders[kMemorySlider], index));
}

void TntPanel::mPopRivaCoreSpeed_Click(int index) {
    applyQuietly(common::chooseClockItem(env_, ui_, kSliders[kCoreSlider], index));
}

void TntPanel::mPopTNTV_Click(int index) {
    applyQuietly(common::chooseVSyncItem(env_, kVSyncItems, QStringLiteral("Riva TNT"),
                                         ui_.chkTNTSetVsync, index));
}

void TntPanel::mPopRivaMemDefaults_Click() {
    common::chooseClockDefault(env_.messages, [this] { return SetTNTMemDefault(); });
}

void TntPanel::mPopRivaCoreDefaults_Click() {
    common::chooseClockDefault(env_.messages, [this] { return SetTNTCoreDefault(); });
}

engine::WriteResult TntPanel::SetTNTMemDefault() {
    return common::storeClockDefault(env_.settings, engine::kCardTNT, ui_, kSliders[kMemorySlider]);
}

engine::WriteResult TntPanel::SetTNTCoreDefault() {
    return common::storeClockDefault(env_.settings, engine::kCardTNT, ui_, kSliders[kCoreSlider]);
}

}  // namespace tunexa::panels
