#pragma once

// The tables that tie a card's sliders, value labels and check boxes to fields of the driver
// settings record, and the routines that load, mark, reset and store them. Each panel gives its own
// Designer class as `Ui` and keeps its tables in the order its routines go through them.

#include <QCheckBox>
#include <QLabel>
#include <QObject>
#include <QSlider>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "engine/DriverSettings.h"
#include "engine/FieldRef.h"
#include "engine/RegMethods.h"
#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/TrayItems.h"
#include "ui/CheckBox.h"
#include "ui/IndexedActionGroup.h"
#include "ui/MenuItems.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels::common {

// A check box and the two field texts it shows. A VSync box also names its tray group, whose Off
// and On items follow it.
template <typename Ui>
struct CheckRow {
    QCheckBox* Ui::*box;
    engine::detail::FieldRef field;
    const char* uncheckedText;
    const char* checkedText;
    const char* trayGroup = nullptr;
};

enum class Scale { Clock, Gamma };

// A slider with its value label and field. A clock may name its tray group, whose item for the
// slider's position is the one marked.
template <typename Ui>
struct SliderRow {
    QSlider* Ui::*slider;
    QLabel* Ui::*label;
    engine::detail::FieldRef field;
    Scale scale;
    const char* trayGroup = nullptr;
};

// A value label that shows its field's text exactly.
template <typename Ui>
struct LabelRow {
    QLabel* Ui::*label;
    engine::detail::FieldRef field;
};

// One factory value of Reset Defaults.
template <typename Ui>
struct SetSlider {
    QSlider* Ui::*slider;
    int position;
};
template <typename Ui>
struct SetLabel {
    QLabel* Ui::*label;
    const char* text;
};
template <typename Ui>
struct SetCheck {
    QCheckBox* Ui::*box;
    int value;
};
template <typename Ui>
using DefaultStep = std::variant<SetSlider<Ui>, SetLabel<Ui>, SetCheck<Ui>>;

// A panel's slider scales: its clock, whose first `trayItems` positions the tray covers, and the
// gamma scale.
struct SliderScales {
    engine::ClockScale clock;
    int trayItems;

    QString text(Scale scale, int position) const;
    std::optional<int> position(Scale scale, const std::string& text) const;
};

// A panel's tables, each in the order the load goes through it; the labels come last so that each
// shows its stored text exactly.
template <typename Ui>
struct SettingRows {
    SliderScales scales;
    std::span<const CheckRow<Ui>> checks;
    std::span<const SliderRow<Ui>> sliders;
    std::span<const LabelRow<Ui>> labels;
};

// 0 or 1 for the row's two texts; nothing for any other text.
std::optional<int> checkValueOf(const char* uncheckedText, const char* checkedText,
                                const std::string& text);

// A store text as a label shows it.
QString toLabelText(const engine::SettingValue& value);

// Every value label follows its slider.
template <typename Ui>
void followSliders(QObject* context, Ui& ui, const SettingRows<Ui>& rows) {
    for (const SliderRow<Ui>& row : rows.sliders) {
        QLabel* label = ui.*row.label;
        const Scale scale = row.scale;
        const SliderScales scales = rows.scales;
        QObject::connect(
            ui.*row.slider, &QSlider::valueChanged, context,
            [label, scale, scales](int position) { label->setText(scales.text(scale, position)); });
    }
}

// The record into the check boxes, sliders, value labels and tray marks. A text that is neither of
// a box's texts leaves the box, one off the scale leaves the slider; the slider's tray group is
// then left unmarked.
template <typename Ui>
void loadRows(Ui& ui, const SettingRows<Ui>& rows, const engine::DriverSettings& settings,
              const ui::MenuItems& menu) {
    for (const CheckRow<Ui>& row : rows.checks) {
        const auto value =
            checkValueOf(row.uncheckedText, row.checkedText, row.field.in(settings).asText());
        if (!value) {
            continue;
        }
        if (row.trayGroup != nullptr) {
            markVSync(menu.group(QString::fromLatin1(row.trayGroup)), *value);
        }
        ui::setCheckValue(ui.*row.box, *value);
    }
    for (const SliderRow<Ui>& row : rows.sliders) {
        ui::IndexedActionGroup* tray =
            row.trayGroup != nullptr ? menu.group(QString::fromLatin1(row.trayGroup)) : nullptr;
        if (tray != nullptr) {
            tray->checkOnly(-1);
        }
        const auto position = rows.scales.position(row.scale, row.field.in(settings).asText());
        if (!position) {
            continue;
        }
        (ui.*row.slider)->setValue(*position);
        if (tray != nullptr) {
            tray->setChecked(*position, true);
        }
    }
    for (const LabelRow<Ui>& row : rows.labels) {
        (ui.*row.label)->setText(toLabelText(row.field.in(settings)));
    }
}

// The tray marks follow the record again, the widgets left as they are.
template <typename Ui>
void markTrayItems(const SettingRows<Ui>& rows, const engine::DriverSettings& settings,
                   const ui::MenuItems& menu) {
    for (const CheckRow<Ui>& row : rows.checks) {
        if (row.trayGroup == nullptr) {
            continue;
        }
        const auto value =
            checkValueOf(row.uncheckedText, row.checkedText, row.field.in(settings).asText());
        if (value) {
            markVSync(menu.group(QString::fromLatin1(row.trayGroup)), *value);
        }
    }
    for (const SliderRow<Ui>& row : rows.sliders) {
        if (row.trayGroup == nullptr) {
            continue;
        }
        if (ui::IndexedActionGroup* tray = menu.group(QString::fromLatin1(row.trayGroup))) {
            const auto position = rows.scales.position(row.scale, row.field.in(settings).asText());
            tray->checkOnly(position.value_or(-1));
        }
    }
}

// Reset Defaults: after the user agrees, the factory values in their order.
template <typename Ui>
void restoreDefaults(platform::MessageBoxService& messages, Ui& ui,
                     std::span<const DefaultStep<Ui>> steps) {
    if (!confirmRestoreDefaults(messages)) {
        return;
    }
    for (const DefaultStep<Ui>& step : steps) {
        if (const auto* slider = std::get_if<SetSlider<Ui>>(&step)) {
            (ui.*slider->slider)->setValue(slider->position);
        } else if (const auto* label = std::get_if<SetLabel<Ui>>(&step)) {
            (ui.*label->label)->setText(QString::fromLatin1(label->text));
        } else if (const auto* check = std::get_if<SetCheck<Ui>>(&step)) {
            ui::setCheckValue(ui.*check->box, check->value);
        }
    }
    showDefaultsRestored(messages);
}

// Collects the window's controls into the record and stores the card's values as one recorded
// change titled `title`. When the store does not save, the record goes back to what it held,
// `restoreMarks` puts the tray marks back and the user is told why; nothing is returned then.
std::optional<engine::WriteResult> collectAndWrite(const ui::PanelEnvironment& env,
                                                   std::string_view card, const QString& title,
                                                   const std::function<void()>& restoreMarks);

// A tray clock item: after the user agrees, marks that item alone and moves the slider and its
// label to it. False, with nothing changed, for an index past the tray's items or a No.
bool chooseClockItem(const ui::PanelEnvironment& env, const SliderScales& scales,
                     const char* groupName, QSlider* slider, QLabel* label, int index);

// The clock's first position into the slider and its label, then the card's current values stored
// back unchanged, as one recorded change titled `title`.
engine::WriteResult storeClockDefault(engine::DriverSettings& settings, std::string_view card,
                                      const SliderScales& scales, QSlider* slider, QLabel* label,
                                      const QString& title);

// The titles of the changes the tray's items make: "Tray: Voodoo2 D3D core clock 95 MHz",
// "Tray: Riva TNT VSync On", "Tray: Banshee memory clock Default".
QString trayClockTitle(const QString& clock, const QString& clockText);
QString trayVSyncTitle(const QString& what, int index);

}  // namespace tunexa::panels::common
