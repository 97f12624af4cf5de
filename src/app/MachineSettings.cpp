// Reading the driver settings of the Windows 95/98 installation on drive C: (a mounted disk, a
// disk image, a copy): offered by the first run, which also ticks the cards the machine's PCI
// devices name, and later by "Read from drive C:" on Main Settings. Each read is one change.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/Application.h"
#include "app/Cards.h"
#include "app/ChangeCommands.h"
#include "app/Controls.h"
#include "machine/MachineRegistry.h"
#include "store/Registry.h"
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

}  // namespace

void Application::offerMachineSettings() {
    machine_ = machine::findWindowsInstallation();
    if (!machine_ || !firstRun_) {
        return;
    }
    auto& ui = firstRun_->ui;
    ui.chkReadMachine->setVisible(true);
    ui.lblMachineFolder->setVisible(true);
    ui.lblMachineFolder->setText(ui::fromAnsi(machine_->windowsPath));
    // The machine's own PCI devices say which cards it holds; the user still decides.
    const auto read = machine::readMachineSettings(*machine_);
    for (const PciCard card : machine::cardsRead(read)) {
        for (const auto& [device, offered] : kCardsByDevice) {
            if (device == card) {
                setControlCheck(firstRun_.data(), offered->firstRunBox, 1);
            }
        }
    }
}

bool Application::readMachineInFirstRun(QStringList& problems) {
    if (!machine_ || !firstRun_ || ui::checkValue(firstRun_->ui.chkReadMachine) != 1) {
        return false;
    }
    const auto report = machine::importMachineSettings(store::currentHive(), *machine_);
    if (!report.saved) {
        problems << QStringLiteral("The settings of %1 were not read: %2")
                        .arg(ui::fromAnsi(machine_->windowsPath),
                             QString::fromStdString(report.failure));
        return false;
    }
    return true;
}

void Application::cmdReadDriveC_Click() {
    const QString title = QStringLiteral("Read from Drive C:");
    const auto machine = machine::findWindowsInstallation();
    if (!machine) {
        services_.messages.show(
            QStringLiteral("No Windows 95/98 installation was found on drive C:. Drive C: must "
                           "hold C:\\WINDOWS (or the folder C:\\MSDOS.SYS names) with its "
                           "SYSTEM.DAT."),
            title, platform::MessageButtons::Ok);
        return;
    }
    const QString folder = ui::fromAnsi(machine->windowsPath);
    machine::MachineImportReport report;
    bool saved = false;
    const std::int64_t newestBefore = changes_->newestChangeId();
    {
        store::Change change(store::currentHive(),
                             "Read settings from " + ansi::toUtf8(machine->windowsPath));
        report = machine::importMachineSettings(store::currentHive(), *machine);
        saved = report.saved && change.commit();
    }
    if (!saved) {
        const auto& failure = store::currentHive().lastFailure();
        const std::string reason = !report.failure.empty() ? report.failure
                                   : failure               ? failure->message
                                                           : std::string();
        services_.messages.show(QStringLiteral("The settings of %1 were not read: %2")
                                    .arg(folder, QString::fromStdString(reason)),
                                title, platform::MessageButtons::Ok);
        return;
    }
    changes_->reloadChangeSince(newestBefore);
    QString prompt = QStringLiteral("Read %1 values in %2 keys from %3\\SYSTEM.DAT.")
                         .arg(report.values)
                         .arg(report.keys)
                         .arg(folder);
    if (!report.cards.empty()) {
        prompt += QStringLiteral("\r\nCards the machine holds: %1.").arg(cardNames(report.cards));
    }
    services_.messages.show(prompt, title, platform::MessageButtons::Ok);
}

}  // namespace tunexa::app
