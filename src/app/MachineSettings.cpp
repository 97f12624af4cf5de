#include "app/MachineSettings.h"

#include <QPushButton>

#include <utility>

#include "app/Cards.h"
#include "app/ChangeCommands.h"
#include "app/Controls.h"
#include "machine/MachineRegistry.h"
#include "store/Ansi.h"
#include "store/Changes.h"
#include "ui/AnsiText.h"

namespace tunexa::app {

namespace {

using machine::PciCard;

// The cards the first run offers, by the PCI device that stands for them.
const std::pair<PciCard, const Card*> kCardsByDevice[] = {
    {PciCard::VoodooGraphics, &kVoodooCard},
    {PciCard::Voodoo2, &kVoodoo2Card},
    {PciCard::Banshee, &kBansheeCard},
    {PciCard::RivaTnt, &kTNTCard},
};

QString cardNames(const std::vector<PciCard>& cards) {
    QStringList names;
    for (const PciCard card : cards) {
        const auto name = machine::pciCardName(card);
        names << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    return names.join(QStringLiteral(", "));
}

QString notRead(const machine::WindowsInstallation& windows, const std::string& reason) {
    return QStringLiteral("The settings of %1 were not read: %2")
        .arg(ui::fromAnsi(windows.windowsPath), QString::fromStdString(reason));
}

}  // namespace

MachineSettings::MachineSettings(Form1& form, platform::MessageBoxService& messages,
                                 store::Hive& hive, ChangeCommands& changes)
    : QObject(&form), messages_(messages), hive_(hive), changes_(changes) {
    connect(form.ui.cmdReadDriveC, &QPushButton::clicked, this,
            &MachineSettings::cmdReadDriveC_Click);
}

void MachineSettings::offer(FirstRun& window) {
    offered_ = machine::findWindowsInstallation();
    if (!offered_) {
        return;
    }
    window.ui.chkReadMachine->setVisible(true);
    window.ui.lblMachineFolder->setVisible(true);
    window.ui.lblMachineFolder->setText(ui::fromAnsi(offered_->windowsPath));
    const auto read = machine::readMachineSettings(*offered_);
    for (const PciCard card : machine::cardsRead(read)) {
        for (const auto& [device, offered] : kCardsByDevice) {
            if (device == card) {
                setControlCheck(&window, offered->firstRunBox, 1);
            }
        }
    }
}

bool MachineSettings::readForFirstRun(const FirstRun& window, QStringList& problems) {
    if (!offered_ || ui::checkValue(window.ui.chkReadMachine) != 1) {
        return false;
    }
    const auto report = machine::importMachineSettings(hive_, *offered_);
    if (!report.saved) {
        problems << notRead(*offered_, report.failure);
    }
    return report.saved;
}

void MachineSettings::cmdReadDriveC_Click() {
    const QString title = QStringLiteral("Read from Drive C:");
    const auto windows = machine::findWindowsInstallation();
    if (!windows) {
        messages_.show(
            QStringLiteral("No Windows 95/98 installation was found on drive C:. Drive C: must "
                           "hold C:\\WINDOWS (or the folder C:\\MSDOS.SYS names) with its "
                           "SYSTEM.DAT."),
            title, platform::MessageButtons::Ok);
        return;
    }
    machine::MachineImportReport report;
    bool saved = false;
    const std::int64_t newestBefore = changes_.newestChangeId();
    {
        store::Change change(hive_, "Read settings from " + ansi::toUtf8(windows->windowsPath));
        report = machine::importMachineSettings(hive_, *windows);
        saved = report.saved && change.commit();
    }
    if (!saved) {
        const std::string reason =
            report.failure.empty() ? hive_.lastFailureMessage() : report.failure;
        messages_.show(notRead(*windows, reason), title, platform::MessageButtons::Ok);
        return;
    }
    changes_.reloadChangeSince(newestBefore);
    QString prompt = QStringLiteral("Read %1 values in %2 keys from %3\\SYSTEM.DAT.")
                         .arg(report.values)
                         .arg(report.keys)
                         .arg(ui::fromAnsi(windows->windowsPath));
    if (!report.cards.empty()) {
        prompt += QStringLiteral("\r\nCards the machine holds: %1.").arg(cardNames(report.cards));
    }
    messages_.show(prompt, title, platform::MessageButtons::Ok);
}

}  // namespace tunexa::app
