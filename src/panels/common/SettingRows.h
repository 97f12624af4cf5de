#pragma once

// The tables that tie a card's check boxes, sliders, value labels and option lists to fields of
// the driver settings record, and the routines that load, mark, reset and store them. Each panel
// gives its own Designer class as `Ui` and keeps its tables in the order its routines go through
// them.

#include <QCheckBox>
#include <QLabel>
#include <QObject>
#include <QSlider>
#include <QString>

#include <algorithm>
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
#include "ui/ListBox.h"
#include "ui/MenuItems.h"
#include "ui/OneRowList.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels::common {

// How a slider's positions stand for texts: what its value label shows at a position, and the
// position a stored value stands for.
struct Scale {
    // Empty off the slider.
    std::string (*text)(int position);
    // Looked for among the first `loaded` positions only; nothing for any other value.
    std::optional<int> (*position)(const engine::SettingValue& stored);
    // The positions a load looks at, which are also those a tray group's items cover.
    int loaded;
};

template <const engine::ClockScale& Clock>
std::string clockText(int position) {
    return Clock.text(position);
}

template <const engine::ClockScale& Clock, int Loaded>
std::optional<int> clockPosition(const engine::SettingValue& stored) {
    return Clock.position(stored.asText(), Loaded);
}

// A clock whose stored text counts only when it is one of the first `Loaded` speeds exactly.
template <const engine::ClockScale& Clock, int Loaded = Clock.positions>
inline constexpr Scale clockScale{&clockText<Clock>, &clockPosition<Clock, Loaded>, Loaded};

std::optional<int> gammaPositionOf(const engine::SettingValue& stored);

// "0.00" to "2.00", each text exactly.
inline constexpr Scale kGammaScale{&engine::gammaText, &gammaPositionOf, engine::kGammaPositions};

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

// A slider with its value label and field. A clock may name its tray group, whose item for the
// slider's position is the one marked, and its name in the titles of the tray's changes.
template <typename Ui>
struct SliderRow {
    QSlider* Ui::*slider;
    QLabel* Ui::*label;
    engine::detail::FieldRef field;
    Scale scale;
    const char* trayGroup = nullptr;
    const char* trayName = nullptr;
    // A setting that counts only while switched on: the load leaves the slider unless this field
    // holds 1.
    engine::detail::FieldRef onlyWhenOn = {};
};

// A value label that shows its field's text exactly.
template <typename Ui>
struct LabelRow {
    QLabel* Ui::*label;
    engine::detail::FieldRef field;
};

// An option list one row high: its items in order, each with the number it stands for.
struct ListItem {
    std::string_view text;
    int value;
};

template <typename Ui>
struct ListRow {
    ui::OneRowList* Ui::*list;
    engine::detail::FieldRef field;
    // The store value; a list without a selection gives a text the store leaves alone.
    std::string_view valueName;
    std::span<const ListItem> items;
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
struct SetListItem {
    ui::OneRowList* Ui::*list;
    int index;
};
template <typename Ui>
using DefaultStep = std::variant<SetSlider<Ui>, SetLabel<Ui>, SetCheck<Ui>, SetListItem<Ui>>;

// A panel's tables, each in the order the load goes through it; the labels come last so that each
// shows its stored text exactly.
template <typename Ui>
struct SettingRows {
    std::span<const CheckRow<Ui>> checks;
    std::span<const SliderRow<Ui>> sliders;
    std::span<const LabelRow<Ui>> labels;
    std::span<const ListRow<Ui>> lists = {};
};

// 0 or 1 for the row's two texts; nothing for any other text.
std::optional<int> checkValueOf(const char* uncheckedText, const char* checkedText,
                                const std::string& text);

// A store text as a label shows it.
QString toLabelText(const engine::SettingValue& value);
QString toLabelText(const std::string& text);

// The index of the item the value equals as a number ("1" equals 1); nothing when none does.
std::optional<int> itemIndexOf(std::span<const ListItem> items, const engine::SettingValue& value);

// Every value label follows its slider; a position off the scale leaves the label.
template <typename Ui>
void followSliders(QObject* context, Ui& ui, const SettingRows<Ui>& rows) {
    for (const SliderRow<Ui>& row : rows.sliders) {
        QObject::connect(ui.*row.slider, &QSlider::valueChanged, context,
                         [label = ui.*row.label, text = row.scale.text](int position) {
                             if (const std::string shown = text(position); !shown.empty()) {
                                 label->setText(toLabelText(shown));
                             }
                         });
    }
}

// Start-up, once: the option lists' items, appended.
template <typename Ui>
void fillLists(Ui& ui, const SettingRows<Ui>& rows) {
    for (const ListRow<Ui>& row : rows.lists) {
        for (const ListItem& item : row.items) {
            (ui.*row.list)->addItem(toLabelText(std::string(item.text)));
        }
    }
}

// One-row lists: the item each shows becomes its selection (`select`), or stops being selected
// while it stays in view.
template <typename Ui>
void selectItemsInView(Ui& ui, const SettingRows<Ui>& rows, bool select) {
    for (const ListRow<Ui>& row : rows.lists) {
        ui::OneRowList* list = ui.*row.list;
        select ? ui::selectItem(list, list->topIndex()) : ui::deselectItem(list, list->topIndex());
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
            tray->checkOnly(row.scale.position(row.field.in(settings)).value_or(-1));
        }
    }
}

// The record into the check boxes, sliders with their labels, option lists, value labels and tray
// marks. A text that is neither of a box's texts leaves the box, a value off the scale or the
// list leaves the slider or the list; the slider's tray group is then left unmarked.
template <typename Ui>
void loadRows(Ui& ui, const SettingRows<Ui>& rows, const engine::DriverSettings& settings,
              const ui::MenuItems& menu) {
    for (const CheckRow<Ui>& row : rows.checks) {
        const auto value =
            checkValueOf(row.uncheckedText, row.checkedText, row.field.in(settings).asText());
        if (value) {
            ui::setCheckValue(ui.*row.box, *value);
        }
    }
    for (const SliderRow<Ui>& row : rows.sliders) {
        if (row.onlyWhenOn && row.onlyWhenOn.in(settings).asText() != "1") {
            continue;
        }
        if (const auto position = row.scale.position(row.field.in(settings))) {
            (ui.*row.slider)->setValue(*position);
            (ui.*row.label)->setText(toLabelText(row.scale.text(*position)));
        }
    }
    for (const ListRow<Ui>& row : rows.lists) {
        if (const auto index = itemIndexOf(row.items, row.field.in(settings))) {
            ui::selectItem(ui.*row.list, *index);
        }
    }
    for (const LabelRow<Ui>& row : rows.labels) {
        (ui.*row.label)->setText(toLabelText(row.field.in(settings)));
    }
    markTrayItems(rows, settings, menu);
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
        } else if (const auto* item = std::get_if<SetListItem<Ui>>(&step)) {
            ui::selectItem(ui.*item->list, item->index);
        }
    }
    showDefaultsRestored(messages);
}

// Collects the window's controls into the record and stores the card's values as one recorded
// change titled `title`. When the store does not save, the whole record goes back to what it held
// (which is what the store holds), the tray marks follow it again and the user is told why;
// nothing is returned then. When it saves, a list value the store left alone keeps in the record
// what the store still holds. The caller loads the panel after a save.
template <typename Ui>
std::optional<engine::WriteResult> collectAndWrite(const ui::PanelEnvironment& env,
                                                   std::string_view card,
                                                   const SettingRows<Ui>& rows,
                                                   const QString& title) {
    const engine::DriverSettings before = env.settings;
    engine::CollectDriverSettings(card, env.controls, env.settings);
    engine::WriteResult result =
        engine::WriteDriverSettings(card, env.settings, title.toStdString());
    if (!result.saved) {
        env.settings = before;
        markTrayItems(rows, env.settings, env.menu);
        showNotApplied(env.messages, result.failure);
        return std::nullopt;
    }
    const auto& leftAlone = result.valuesLeftAlone;
    for (const ListRow<Ui>& row : rows.lists) {
        if (std::find(leftAlone.begin(), leftAlone.end(), row.valueName) != leftAlone.end()) {
            row.field.of(env.settings) = row.field.in(before);
        }
    }
    return result;
}

// The path of Apply and of the tray's items: collect and write as one recorded change titled
// `title`, when there is one (a tray item answered Yes), then `load` the panel again when saved.
// On a store that did not save, as collectAndWrite; nothing is returned then.
template <typename Ui, typename Load>
std::optional<engine::WriteResult> applyQuietly(const ui::PanelEnvironment& env,
                                                std::string_view card, const SettingRows<Ui>& rows,
                                                const std::optional<QString>& title, Load load) {
    if (!title) {
        return std::nullopt;
    }
    auto result = collectAndWrite(env, card, rows, *title);
    if (result) {
        load();
    }
    return result;
}

}  // namespace tunexa::panels::common
