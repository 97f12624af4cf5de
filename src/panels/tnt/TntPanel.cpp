#include "panels/tnt/TntPanel.h"

#include "ui/AnsiText.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "engine/DisplayClass.h"
#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/SettingRows.h"
#include "panels/common/TrayItems.h"
#include "ui/CheckBox.h"
#include "ui/IndexedActionGroup.h"
#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::panels {

namespace {

using engine::SettingValue;
using engine::TNTSettings;
using platform::MessageButtons;
using Widgets = Ui::TntTab;

// The slider scales' texts as plain functions, so the slider table can hold them.
std::string coreClockText(int position) {
    return engine::kTNTCoreClock.text(position);
}

std::string memoryClockText(int position) {
    return engine::kTNTMemoryClock.text(position);
}

// lblTNTD3DaaVal for each anti-aliasing position, which is also the stored AAMETHOD.
constexpr std::string_view kAntiAliasingLabels[] = {"2x1", "2x2", "3x2", "3x3",
                                                    "4x2", "4x3", "4x4"};

std::string antiAliasingText(int position) {
    if (position < 0 || position >= static_cast<int>(std::size(kAntiAliasingLabels))) {
        return {};
    }
    return std::string(kAntiAliasingLabels[static_cast<std::size_t>(position)]);
}

// A slider and the value label that shows what Apply stores for its position.
struct SliderControl {
    QSlider* Widgets::*slider;
    QLabel* Widgets::*label;
    // Empty outside the slider's range.
    std::string (*text)(int position);
};

enum SliderId { kMemorySlider, kCoreSlider, kAntiAliasingSlider };

constexpr SliderControl kSliders[] = {
    {&Widgets::sldTNTMemClk, &Widgets::lblTNTMemVal, &memoryClockText},
    {&Widgets::sldTNTCoreClk, &Widgets::lblTNTCoreVal, &coreClockText},
    {&Widgets::sldTNTD3Daa, &Widgets::lblTNTD3DaaVal, &antiAliasingText},
};

// A clock: its slider, its scale, the record field holding its text and its tray items.
struct ClockControl {
    SliderId slider;
    engine::ClockScale scale;
    SettingValue TNTSettings::*field;
    const char* trayGroup;
    const char* name;  // in the titles of the tray's changes
};

enum ClockId { kMemoryClock, kCoreClock };

constexpr ClockControl kClocks[] = {
    {kMemorySlider, engine::kTNTMemoryClock, &TNTSettings::MCLK, "mPopRivaMemSpeed",
     "Riva TNT memory clock"},
    {kCoreSlider, engine::kTNTCoreClock, &TNTSettings::NVCLK, "mPopRivaCoreSpeed",
     "Riva TNT core clock"},
};

constexpr const char* kVSyncGroup = "mPopTNTV";

// Check boxes that show their field as it is (field 1 = checked), in the order they are loaded.
struct DriverCheckBox {
    QCheckBox* Widgets::*box;
    SettingValue TNTSettings::*field;
};

constexpr DriverCheckBox kDriverCheckBoxes[] = {
    {&Widgets::chkTNTDX6, &TNTSettings::DX6ENABLE},
    {&Widgets::chkTNTCpuOpt, &TNTSettings::CPUOPTDISABLE},
    {&Widgets::chkTNTNV4, &TNTSettings::PowerUser},
    {&Widgets::chkTNTFogTable, &TNTSettings::FOGTABLEENABLE},
    {&Widgets::chkTNTD3Ddither, &TNTSettings::MIPMAPDITHERENABLE},
};

struct ListItem {
    std::string_view text;
    int value;
};

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

// An option list, its items and the field (and store value) they stand for.
struct OptionList {
    ui::OneRowList* Widgets::*list;
    SettingValue TNTSettings::*field;
    std::string_view valueName;
    std::span<const ListItem> items;
};

// In the order the lists are filled and loaded.
constexpr OptionList kOptionLists[] = {
    {&Widgets::lstTNTD3Dmip, &TNTSettings::MIPMAPLEVELS, "MIPMAPLEVELS", kMipmapLevels},
    {&Widgets::lstTNTD3Dmipm, &TNTSettings::AUTOMIPMAPMETHOD, "AUTOMIPMAPMETHOD", kMipmapMethods},
    {&Widgets::lstTNTD3Dmipd, &TNTSettings::LODBIASADJUST, "LODBIASADJUST", kMipmapDetailLevels},
    {&Widgets::lstTNTGLtexq, &TNTSettings::TextureQuality, "TextureQuality", kTextureQualities},
};

// In the order start-up clears the item in view and Apply turns it into the selection.
constexpr ui::OneRowList* Widgets::*kListsByItemInView[] = {
    &Widgets::lstTNTD3Dmip,
    &Widgets::lstTNTD3Dmipd,
    &Widgets::lstTNTD3Dmipm,
    &Widgets::lstTNTGLtexq,
};

// Factory values of Reset Defaults, in the order they are set.
struct SliderDefault {
    SliderId slider;
    int position;
};

struct CheckDefault {
    QCheckBox* Widgets::*box;
    int value;
};

struct ListDefault {
    ui::OneRowList* Widgets::*list;
    int index;
};

using FactoryDefault = std::variant<SliderDefault, CheckDefault, ListDefault>;

constexpr FactoryDefault kFactoryDefaults[] = {
    SliderDefault{kMemorySlider, 0},
    SliderDefault{kCoreSlider, 0},
    CheckDefault{&Widgets::chkTNTSetVsync, 1},
    ListDefault{&Widgets::lstTNTD3Dmip, 11},
    ListDefault{&Widgets::lstTNTD3Dmipm, 0},
    ListDefault{&Widgets::lstTNTD3Dmipd, 0},
    CheckDefault{&Widgets::chkTNTD3Ddither, 0},
    CheckDefault{&Widgets::chkTNTD3Daa, 1},
    SliderDefault{kAntiAliasingSlider, 1},
    ListDefault{&Widgets::lstTNTGLtexq, 0},
    CheckDefault{&Widgets::chkTNTDX6, 1},
};

// Texts of the tab's message boxes.
const QString kCrLf = QStringLiteral("\r\n");
const QString kApplyingSettings = QStringLiteral("Applying Settings");
const QString kTntSettingsApplied = QStringLiteral("TNT Settings Applied");
const QString kRebootNeeded = QStringLiteral("A reboot is needed to force changes");

using ui::fromAnsi;

QString fromAscii(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Equality of a record field with a constant as the panel reads it: a number by value, a text
// by its decimal value; a text that is no number equals nothing.
bool fieldEquals(const SettingValue& value, int constant) {
    return value.equals(constant).value_or(false);
}

// A non-empty text goes into the label; an empty one (a position outside the scale) leaves it.
void followSlider(Widgets& widgets, const SliderControl& control) {
    const std::string text = control.text((widgets.*control.slider)->value());
    if (!text.empty()) {
        (widgets.*control.label)->setText(fromAnsi(text));
    }
}

void setSlider(Widgets& widgets, const SliderControl& control, int position) {
    (widgets.*control.slider)->setValue(position);
    (widgets.*control.label)->setText(fromAnsi(control.text(position)));
}

}  // namespace

// The check marks of the tray branch's items, to put back when an action does not happen.
class TntPanel::TrayMarks {
  public:
    explicit TrayMarks(const std::vector<ui::IndexedActionGroup*>& groups) {
        for (const ui::IndexedActionGroup* group : groups) {
            for (QAction* action : group->actions()) {
                marks_.emplace_back(action, action->isChecked());
            }
        }
    }

    void restore() const {
        for (const auto& [action, checked] : marks_) {
            action->setChecked(checked);
        }
    }

  private:
    std::vector<std::pair<QAction*, bool>> marks_;
};

TntPanel::TntPanel(TntTab& widgets, const ui::PanelEnvironment& env, QObject* parent)
    : QObject(parent), ui_(widgets.ui), env_(env) {
    connectControls();
    connectTrayItems();
}

void TntPanel::connectControls() {
    connect(ui_.sldTNTCoreClk, &QSlider::valueChanged, this, [this] { sldTNTCoreClk_Change(); });
    connect(ui_.sldTNTMemClk, &QSlider::valueChanged, this, [this] { sldTNTMemClk_Change(); });
    connect(ui_.sldTNTD3Daa, &QSlider::valueChanged, this, [this] { sldTNTD3Daa_Change(); });
    ui::onCheckClick(ui_.chkTNTD3Daa, this, [this] { chkTNTD3Daa_Click(); });
    connect(ui_.cmdTNTapply, &QPushButton::clicked, this, [this] { cmdTNTapply_Click(); });
    connect(ui_.cmdTNTdefaults, &QPushButton::clicked, this, [this] { cmdTNTdefaults_Click(); });
}

void TntPanel::connectTrayItems() {
    const ui::MenuItems& menu = env_.menu;
    common::onGroupItem(menu, kClocks[kMemoryClock].trayGroup, this,
                        &TntPanel::mPopRivaMemSpeed_Click);
    common::onGroupItem(menu, kClocks[kCoreClock].trayGroup, this,
                        &TntPanel::mPopRivaCoreSpeed_Click);
    common::onGroupItem(menu, kVSyncGroup, this, &TntPanel::mPopTNTV_Click);
    common::onItem(menu, "mPopRivaMemDefaults", this, &TntPanel::mPopRivaMemDefaults_Click);
    common::onItem(menu, "mPopRivaCoreDefaults", this, &TntPanel::mPopRivaCoreDefaults_Click);
}

ui::IndexedActionGroup* TntPanel::trayGroup(const char* name) const {
    return env_.menu.group(QString::fromLatin1(name));
}

void TntPanel::FillTNTLists() {
    for (const OptionList& option : kOptionLists) {
        for (const ListItem& item : option.items) {
            (ui_.*option.list)->addItem(fromAscii(item.text));
        }
    }
}

void TntPanel::LoadTNTPanel() {
    ui_.cmdTNTdefaults->setEnabled(true);
    ui_.cmdTNTapply->setEnabled(true);
    for (const int clock : {kMemoryClock, kCoreClock}) {
        loadClock(clock);
    }
    loadVSync();
    for (const DriverCheckBox& check : kDriverCheckBoxes) {
        const SettingValue& value = env_.settings.TNT.*check.field;
        for (const int state : {0, 1}) {
            if (fieldEquals(value, state)) {
                ui::setCheckValue(ui_.*check.box, state);
            }
        }
    }
    for (std::size_t list = 0; list < std::size(kOptionLists); ++list) {
        loadList(list);
    }
    engine::ReadTNTDriverInfo(env_.settings);
    ui_.lblTNTdriverVal->setText(fromAnsi(env_.settings.TNT.DriverDesc.asText()));
    ui_.lblTNTMemVal->setText(fromAnsi(env_.settings.TNT.MCLK.asText()));
    ui_.lblTNTCoreVal->setText(fromAnsi(env_.settings.TNT.NVCLK.asText()));
    loadAntiAliasing();
}

void TntPanel::loadClock(int clockId) {
    const ClockControl& clock = kClocks[clockId];
    ui::IndexedActionGroup* items = trayGroup(clock.trayGroup);
    if (items != nullptr) {
        items->checkOnly(-1);
    }
    // Only an exact speed text moves the slider ("125.0" or "140" leave it where it is).
    const auto position = clock.scale.position((env_.settings.TNT.*clock.field).asText());
    if (!position) {
        return;
    }
    (ui_.*kSliders[clock.slider].slider)->setValue(*position);
    if (items != nullptr) {
        items->setChecked(*position, true);
    }
}

void TntPanel::loadVSync() {
    const SettingValue& noVSync = env_.settings.TNT.NOVSYNC;
    int shown = -1;
    if (fieldEquals(noVSync, 0)) {
        shown = common::kVSyncOnItem;
    } else if (fieldEquals(noVSync, 1)) {
        shown = common::kVSyncOffItem;
    } else {
        return;
    }
    common::markVSync(trayGroup(kVSyncGroup), shown);
    ui::setCheckValue(ui_.chkTNTSetVsync, shown == common::kVSyncOnItem ? 1 : 0);
}

void TntPanel::loadList(std::size_t listId) {
    const OptionList& option = kOptionLists[listId];
    const SettingValue& value = env_.settings.TNT.*option.field;
    const auto item =
        std::find_if(option.items.begin(), option.items.end(),
                     [&value](const ListItem& i) { return fieldEquals(value, i.value); });
    if (item != option.items.end()) {
        ui::selectItem(ui_.*option.list, static_cast<int>(item - option.items.begin()));
    }
}

void TntPanel::loadAntiAliasing() {
    const TNTSettings& tnt = env_.settings.TNT;
    if (fieldEquals(tnt.ANTIALIASENABLE, 0)) {
        ui::setCheckValue(ui_.chkTNTD3Daa, 0);
        setAntiAliasingGroupEnabled(false);
        return;
    }
    if (!fieldEquals(tnt.ANTIALIASENABLE, 1)) {
        return;
    }
    ui::setCheckValue(ui_.chkTNTD3Daa, 1);
    setAntiAliasingGroupEnabled(true);
    for (int method = 0; method < static_cast<int>(std::size(kAntiAliasingLabels)); ++method) {
        if (fieldEquals(tnt.AAMETHOD, method)) {
            setSlider(ui_, kSliders[kAntiAliasingSlider], method);
            return;
        }
    }
}

void TntPanel::setAntiAliasingGroupEnabled(bool enabled) {
    for (QWidget* widget :
         {static_cast<QWidget*>(ui_.lblTNTD3DaaI), static_cast<QWidget*>(ui_.lblTNTD3DaaP),
          static_cast<QWidget*>(ui_.sldTNTD3Daa), static_cast<QWidget*>(ui_.lblTNTD3DaaVal)}) {
        widget->setEnabled(enabled);
    }
}

void TntPanel::deselectListsAtTopIndex() {
    for (ui::OneRowList* Widgets::*list : kListsByItemInView) {
        ui::deselectItem(ui_.*list, (ui_.*list)->topIndex());
    }
}

void TntPanel::sldTNTCoreClk_Change() {
    followSlider(ui_, kSliders[kCoreSlider]);
}

void TntPanel::sldTNTMemClk_Change() {
    followSlider(ui_, kSliders[kMemorySlider]);
}

void TntPanel::sldTNTD3Daa_Change() {
    followSlider(ui_, kSliders[kAntiAliasingSlider]);
}

void TntPanel::chkTNTD3Daa_Click() {
    setAntiAliasingGroupEnabled(ui::checkValue(ui_.chkTNTD3Daa) == 1);
}

void TntPanel::cmdTNTapply_Click() {
    if (!common::confirmApply(env_.messages, kApplyingSettings)) {
        return;
    }
    // One-row lists: the item the user stepped to counts, clicked or not.
    for (ui::OneRowList* Widgets::*list : kListsByItemInView) {
        ui::selectItem(ui_.*list, (ui_.*list)->topIndex());
    }
    const engine::WriteResult result = storeWholeTab(QStringLiteral("Riva TNT: Apply"));
    if (!result.saved) {
        common::showNotApplied(env_.messages, result.failure);
        return;
    }
    env_.messages.show(kTntSettingsApplied + kCrLf + kRebootNeeded, kTntSettingsApplied,
                       MessageButtons::Ok);
}

void TntPanel::cmdTNTdefaults_Click() {
    if (!common::confirmRestoreDefaults(env_.messages)) {
        return;
    }
    for (const FactoryDefault& factory : kFactoryDefaults) {
        std::visit(
            [this](const auto& setting) {
                using Setting = std::decay_t<decltype(setting)>;
                if constexpr (std::is_same_v<Setting, SliderDefault>) {
                    setSlider(ui_, kSliders[setting.slider], setting.position);
                } else if constexpr (std::is_same_v<Setting, CheckDefault>) {
                    ui::setCheckValue(ui_.*setting.box, setting.value);
                } else {
                    ui::selectItem(ui_.*setting.list, setting.index);
                }
            },
            factory);
    }
    common::showDefaultsRestored(env_.messages);
}

void TntPanel::mPopRivaMemSpeed_Click(int index) {
    setClockFromTray(kMemoryClock, index);
}

void TntPanel::mPopRivaCoreSpeed_Click(int index) {
    setClockFromTray(kCoreClock, index);
}

void TntPanel::setClockFromTray(int clockId, int index) {
    const ClockControl& clock = kClocks[clockId];
    if (index < 0 || index >= clock.scale.positions || !common::confirmQuickItem(env_.messages)) {
        return;
    }
    const TrayMarks marks(trayGroups());
    if (ui::IndexedActionGroup* items = trayGroup(clock.trayGroup)) {
        items->checkOnly(index);
    }
    setSlider(ui_, kSliders[clock.slider], index);
    storeFromTray(marks, common::trayClockTitle(QString::fromLatin1(clock.name),
                                                (ui_.*kSliders[clock.slider].label)->text()));
}

void TntPanel::mPopTNTV_Click(int index) {
    if ((index != common::kVSyncOffItem && index != common::kVSyncOnItem) ||
        !common::confirmQuickItem(env_.messages)) {
        return;
    }
    const TrayMarks marks(trayGroups());
    common::markVSync(trayGroup(kVSyncGroup), index);
    ui::setCheckValue(ui_.chkTNTSetVsync, index == common::kVSyncOnItem ? 1 : 0);
    storeFromTray(marks, common::trayVSyncTitle(QStringLiteral("Riva TNT"), index));
}

void TntPanel::mPopRivaMemDefaults_Click() {
    if (common::confirmQuickItem(env_.messages)) {
        common::showDefaultSet(env_.messages, SetTNTMemDefault());
    }
}

void TntPanel::mPopRivaCoreDefaults_Click() {
    if (common::confirmQuickItem(env_.messages)) {
        common::showDefaultSet(env_.messages, SetTNTCoreDefault());
    }
}

engine::WriteResult TntPanel::SetTNTMemDefault() {
    return setClockDefault(kMemoryClock);
}

engine::WriteResult TntPanel::SetTNTCoreDefault() {
    return setClockDefault(kCoreClock);
}

engine::WriteResult TntPanel::setClockDefault(int clockId) {
    setSlider(ui_, kSliders[kClocks[clockId].slider], 0);
    engine::ReadDriverSettings(engine::kCardTNT, env_.settings);
    const QString title = common::trayClockTitle(QString::fromLatin1(kClocks[clockId].name),
                                                 QStringLiteral("Default"));
    return engine::WriteDriverSettings(engine::kCardTNT, env_.settings, title.toStdString());
}

engine::WriteResult TntPanel::storeWholeTab(const QString& title) {
    const TNTSettings before = env_.settings.TNT;
    engine::CollectDriverSettings(engine::kCardTNT, env_.controls, env_.settings);
    engine::WriteResult result =
        engine::WriteDriverSettings(engine::kCardTNT, env_.settings, title.toStdString());
    if (!result.saved) {
        // The write is all or nothing: the store still holds what the record held before.
        env_.settings.TNT = before;
        return result;
    }
    // A list without a selection gives an empty text, which the store did not take; the record
    // keeps the value the store still has rather than the empty text.
    for (const OptionList& option : kOptionLists) {
        const auto& leftAlone = result.valuesLeftAlone;
        if (std::find(leftAlone.begin(), leftAlone.end(), option.valueName) != leftAlone.end()) {
            env_.settings.TNT.*option.field = before.*option.field;
        }
    }
    LoadTNTPanel();
    return result;
}

void TntPanel::storeFromTray(const TrayMarks& marks, const QString& title) {
    const engine::WriteResult result = storeWholeTab(title);
    if (!result.saved) {
        marks.restore();
        common::showNotApplied(env_.messages, result.failure);
    }
}

std::vector<ui::IndexedActionGroup*> TntPanel::trayGroups() const {
    std::vector<ui::IndexedActionGroup*> groups;
    for (const char* name :
         {kClocks[kMemoryClock].trayGroup, kClocks[kCoreClock].trayGroup, kVSyncGroup}) {
        if (ui::IndexedActionGroup* group = trayGroup(name)) {
            groups.push_back(group);
        }
    }
    return groups;
}

}  // namespace tunexa::panels
