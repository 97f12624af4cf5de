#include "panels/live/MatroxPanel.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "store/Registry.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr std::string_view kPowerDeskKey = "Software\\Matrox\\PowerDesk\\Current Settings";
constexpr std::string_view kProgramKey = "Software\\Tunexa\\Tunexa";
constexpr std::string_view kEnableValue = "Matrox Enable";

struct MatroxOption {
    QCheckBox* Ui::MatroxFrame::*box;
    std::string_view valueName;
};
// In the order start-up restores them.
constexpr std::array kMatroxOptions{
    MatroxOption{&Ui::MatroxFrame::chkG200V, "Flip on VBlank"},
    MatroxOption{&Ui::MatroxFrame::chkG200aniso, "Anisotropic"},
    MatroxOption{&Ui::MatroxFrame::chkG200sub, "Use Subpixel"},
};

// "0" or "1" as 0 or 1; anything else (another text, another type, nothing) as nothing.
std::optional<int> storedFlag(std::string_view key, std::string_view name) {
    const auto text = store::RegGetString(HKEY_LOCAL_MACHINE, key, name);
    if (text == "0") {
        return 0;
    }
    if (text == "1") {
        return 1;
    }
    return std::nullopt;
}

std::string flagText(const QCheckBox* box) {
    return std::to_string(ui::checkValue(box));
}

}  // namespace

MatroxPanel::MatroxPanel(MatroxFrame& widgets, QCheckBox& matroxOnOff)
    : QObject(&widgets), widgets_(widgets), matroxOnOff_(matroxOnOff) {
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
        if (option.box == box) {
            store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, option.valueName,
                                flagText(widgets_.ui.*box));
        }
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
    widgets_.ui.frameMatrox->setEnabled(ui::checkValue(&matroxOnOff_) == 1);
    store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kEnableValue, flagText(&matroxOnOff_));
}

}  // namespace tunexa::panels
