#include "app/MachineSettings.h"

#include <QDir>
#include <QPushButton>

#include <utility>

#include "app/Cards.h"
#include "app/ChangeCommands.h"
#include "app/CheckWindow.h"
#include "app/Controls.h"
#include "machine/MachineCheck.h"
#include "machine/MachineRead.h"
#include "machine/MachineRegistry.h"
#include "machine/MachineSend.h"
#include "platform/files/DriveC.h"
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

// Lines of the machine layer (UTF-8) as one prompt.
QString prompt(const std::vector<std::string>& lines) {
    return joinedLines(lines, QStringLiteral("\r\n"));
}

// Where the choice of drive C: starts: what it is now.
QString driveCNow() {
    return QString::fromStdString(files::driveCTarget().string());
}

}  // namespace

MachineSettings::MachineSettings(Form1& form, platform::MessageBoxService& messages,
                                 platform::PathChoices& paths, store::Hive& hive,
                                 ChangeCommands& changes)
    : QObject(&form),
      form_(form),
      messages_(messages),
      paths_(paths),
      hive_(hive),
      changes_(changes) {
    const std::pair<QPushButton*, void (MachineSettings::*)()> buttons[] = {
        {form.ui.cmdReadDriveC, &MachineSettings::cmdReadDriveC_Click},
        {form.ui.cmdSendDriveC, &MachineSettings::cmdSendDriveC_Click},
        {form.ui.cmdCheckDriveC, &MachineSettings::cmdCheckDriveC_Click},
        {form.ui.cmdDriveCFolder, &MachineSettings::cmdDriveCFolder_Click},
        {form.ui.cmdDriveCImage, &MachineSettings::cmdDriveCImage_Click}};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this, handler);
    }
    showDriveC();
}

void MachineSettings::offer(FirstRun& window) {
    offered_ = machine::findWindowsInstallation();
    offeredRead_.reset();
    if (!offered_) {
        return;
    }
    window.ui.chkReadMachine->setVisible(true);
    window.ui.lblMachineFolder->setVisible(true);
    window.ui.lblMachineFolder->setText(ui::fromAnsi(offered_->windowsPath));
    offeredRead_ = machine::readMachineSettings(*offered_);
    for (const PciCard card : machine::cardsRead(*offeredRead_)) {
        for (const auto& [device, offered] : kCardsByDevice) {
            if (device == card) {
                setControlCheck(&window, offered->firstRunBox, 1);
            }
        }
    }
}

bool MachineSettings::readForFirstRun(const FirstRun& window, QStringList& problems) {
    if (!offered_ || !offeredRead_ || ui::checkValue(window.ui.chkReadMachine) != 1) {
        return false;
    }
    // What was read when the window opened: the same file, not read a second time.
    const auto report = machine::importMachineSettings(hive_, *offeredRead_);
    if (!report.saved) {
        problems << QString::fromStdString(machine::notReadMessage(*offered_, report.failure));
    }
    return report.saved;
}

void MachineSettings::cmdReadDriveC_Click() {
    showDriveC();  // tunexa-reg may have chosen another drive C: meanwhile
    const std::int64_t newestBefore = changes_.newestChangeId();
    const auto read = machine::readDriveC(hive_);
    if (read.saved) {
        changes_.reloadChangeSince(newestBefore);
    }
    messages_.show(prompt(machine::describeRead(read)), QStringLiteral("Read from Drive C:"),
                   platform::MessageButtons::Ok);
}

void MachineSettings::cmdSendDriveC_Click() {
    showDriveC();
    const std::int64_t newestBefore = changes_.newestChangeId();
    const auto sent = machine::sendToMachine(hive_);
    changes_.reloadChangeSince(newestBefore);
    messages_.show(prompt(machine::describeSend(sent)), QStringLiteral("Send to Drive C:"),
                   platform::MessageButtons::Ok);
}

void MachineSettings::cmdCheckDriveC_Click() {
    showDriveC();
    const auto report = machine::checkMachine(hive_);
    if (report.outcome == machine::CheckReport::Outcome::CannotRead) {
        messages_.show(QString::fromStdString(report.problem), QStringLiteral("Check Drive C:"),
                       platform::MessageButtons::Ok);
        return;
    }
    if (!check_) {
        check_ = new CheckWindow(&form_);
        check_->setWindowFlag(Qt::Window);
        check_->setAttribute(Qt::WA_DeleteOnClose);
        check_->resize(720, 360);
    }
    check_->showReport(report);
}

void MachineSettings::cmdDriveCFolder_Click() {
    useAsDriveC(paths_.chooseFolder(QStringLiteral("Choose the Folder for Drive C:"), driveCNow()));
}

void MachineSettings::cmdDriveCImage_Click() {
    useAsDriveC(paths_.chooseFile(
        QStringLiteral("Choose the Disk Image for Drive C:"), driveCNow(),
        QStringLiteral("Disk images (*.img *.ima *.hdd *.vhd *.raw);;All files (*)")));
}

void MachineSettings::useAsDriveC(const std::optional<QString>& chosen) {
    if (!chosen) {
        return;
    }
    const files::Status used = files::useAsDriveC(chosen->toStdString());
    showDriveC();
    if (!used) {
        messages_.show(QString::fromStdString(used.error()), QStringLiteral("Drive C:"),
                       platform::MessageButtons::Ok);
    }
}

void MachineSettings::showDriveC() {
    const QString described = QString::fromStdString(files::describeDriveC());
    // The line is short: a path in the user's home folder is shown from "~", as a shell writes
    // it; the tip keeps the whole path.
    QString shown = described;
    const QString home = QDir::homePath() + QLatin1Char('/');
    if (const auto at = shown.indexOf(home); at > 0 && shown[at - 1] == QLatin1Char(' ')) {
        shown.replace(at, home.size() - 1, QStringLiteral("~"));
    }
    form_.ui.txtDriveC->setText(shown);
    form_.ui.txtDriveC->setToolTip(described);
    form_.ui.txtDriveC->setCursorPosition(0);
}

}  // namespace tunexa::app
