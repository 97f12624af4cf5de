#include "panels/live/UnrealPanel.h"

#include <array>
#include <string_view>

#include "store/Registry.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

namespace {

constexpr std::string_view kUnrealKey = "Software\\Microsoft\\UnrealD3D";

// Each value has the name of its box's caption.
struct UnrealSwitch {
    QCheckBox* Ui::TntTab::*box;
    std::string_view valueName;
};
constexpr std::array kUnrealSwitches{
    UnrealSwitch{&Ui::TntTab::chkUnrealTrueC, "TrueColor"},
    UnrealSwitch{&Ui::TntTab::chkUnrealDoTri, "DoTrilinear"},
    UnrealSwitch{&Ui::TntTab::chkUnrealTB, "TripleBuffering"},
    UnrealSwitch{&Ui::TntTab::chkUnrealDoFlip, "DoFlip"},
};

}  // namespace

UnrealPanel::UnrealPanel(TntTab& widgets) : QObject(&widgets), widgets_(widgets) {
    auto& ui = widgets_.ui;
    ui::onCheckClick(ui.chkUnrealTrueC, this, [this] { chkUnrealTrueC_Click(); });
    ui::onCheckClick(ui.chkUnrealDoTri, this, [this] { chkUnrealDoTri_Click(); });
    ui::onCheckClick(ui.chkUnrealTB, this, [this] { chkUnrealTB_Click(); });
    ui::onCheckClick(ui.chkUnrealDoFlip, this, [this] { chkUnrealDoFlip_Click(); });
}

void UnrealPanel::writeSwitch(QCheckBox* Ui::TntTab::*box) {
    for (const UnrealSwitch& unrealSwitch : kUnrealSwitches) {
        if (unrealSwitch.box == box) {
            store::RegSetDword(store::HKEY_LOCAL_MACHINE, kUnrealKey, unrealSwitch.valueName,
                               ui::checkValue(widgets_.ui.*box));
        }
    }
}

void UnrealPanel::chkUnrealTrueC_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealTrueC);
}

void UnrealPanel::chkUnrealDoTri_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealDoTri);
}

void UnrealPanel::chkUnrealTB_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealTB);
}

void UnrealPanel::chkUnrealDoFlip_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealDoFlip);
}

}  // namespace tunexa::panels
