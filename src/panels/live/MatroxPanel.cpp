#include "panels/live/MatroxPanel.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ManagedValues.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr std::string_view kPowerDeskKey = engine::kMatroxKey;
using engine::kProgramKey;
constexpr std::string_view kEnableValue = "Matrox Enable";

struct MatroxOption {
    QCheckBox* Ui::MatroxFrame::*box;
    std::string_view valueName;
};
// In the order start-up restores them.
constexpr std::array kMatroxOptions{
    MatroxOption{&Ui::MatroxFrame::chkG200V, engine::kMatroxValues[0]},
    MatroxOption{&Ui::MatroxFrame::chkG200aniso, engine::kMatroxValues[1]},
    MatroxOption{&Ui::MatroxFrame::chkG200sub, engine::kMatroxValues[2]},
};

std::string flagText(const QCheckBox* box) {
    return std::to_string(ui::checkValue(box));
}

}  // namespace

MatroxPanel::MatroxPanel(MatroxFrame& widgets, QCheckBox& matroxOnOff,
                         platform::MessageBoxService& messages)
    : QObject(&widgets), widgets_(widgets), matroxOnOff_(matroxOnOff), live_(messages) {
    auto& ui = widgets_.ui;
    ui::onCheckClick(ui.chkG200sub, this, [this] { chkG200sub_Click(); });
    ui::onCheckClick(ui.chkG200aniso, this, [this] { chkG200aniso_Click(); });
    ui::onCheckClick(ui.chkG200V, this, [this] { chkG200V_Click(); });
    ui::onCheckClick(&matroxOnOff_, this, [this] { chkMatroxOnOff_Click(); });
}

void MatroxPanel::RestoreMatroxSettings() {
    auto& ui = widgets_.ui;
    for (const MatroxOption& option : kMatroxOptions) {
        if (const auto flag = storedFlag(kPowerDeskKey, option.valueName)) {
            ui::setCheckValue(ui.*option.box, *flag);
        }
    }
    if (const auto enabled = storedFlag(kProgramKey, kEnableValue)) {
        // The frame first: ticking a box that already agrees runs no click behaviour.
        ui.frameMatrox->setEnabled(*enabled == 1);
        ui::setCheckValue(&matroxOnOff_, *enabled);
    }
}

void MatroxPanel::writeOption(QCheckBox* Ui::MatroxFrame::*box) {
    for (const MatroxOption& option : kMatroxOptions) {
        QCheckBox* widget = widgets_.ui.*box;
        if (option.box != box) {
            continue;
        }
        live_.store(
            liveTitle(QStringLiteral("Matrox"), widget), widget,
            [&](store::Change&) {
                store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, option.valueName,
                                    flagText(widget));
            },
            [&] { return storedFlag(kPowerDeskKey, option.valueName); });
    }
}

void MatroxPanel::chkG200sub_Click() {
    writeOption(&Ui::MatroxFrame::chkG200sub);
}

void MatroxPanel::chkG200aniso_Click() {
    writeOption(&Ui::MatroxFrame::chkG200aniso);
}

void MatroxPanel::chkG200V_Click() {
    writeOption(&Ui::MatroxFrame::chkG200V);
}

void MatroxPanel::chkMatroxOnOff_Click() {
    live_.store(
        liveTitle(QStringLiteral("Card selection"), &matroxOnOff_), &matroxOnOff_,
        [&](store::Change&) {
            store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kEnableValue,
                                flagText(&matroxOnOff_));
        },
        [&] { return storedFlag(kProgramKey, kEnableValue); });
    widgets_.ui.frameMatrox->setEnabled(ui::checkValue(&matroxOnOff_) == 1);
}

}  // namespace tunexa::panels
