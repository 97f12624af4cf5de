#include "app/CheckWindow.h"

#include <QPushButton>
#include <QStringList>
#include <QTreeWidgetItem>

#include "ui/AnsiText.h"

namespace tunexa::app {

QString joinedLines(const std::vector<std::string>& lines, const QString& separator) {
    QStringList joined;
    for (const std::string& line : lines) {
        joined << QString::fromStdString(line);
    }
    return joined.join(separator);
}

CheckWindow::CheckWindow(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    connect(ui.cmdCloseCheck, &QPushButton::clicked, this, &QDialog::close);
}

void CheckWindow::showReport(const machine::CheckReport& report) {
    ui.lblCheckSummary->setText(QString::fromStdString(machine::checkSummary(report)));
    ui.lstCheckValues->clear();
    for (const machine::ValueOnBoth& value : report.differing) {
        new QTreeWidgetItem(
            ui.lstCheckValues,
            {QString::fromStdString(machine::shownKey(value.key)),
             value.name.empty() ? QStringLiteral("(Default)") : ui::fromAnsi(value.name),
             QString::fromStdString(machine::shownValue(value.tunexa)),
             QString::fromStdString(machine::shownValue(value.machine))});
    }
    for (int column = 0; column < ui.lstCheckValues->columnCount(); ++column) {
        ui.lstCheckValues->resizeColumnToContents(column);
    }
    ui.lblCheckSend->setText(joinedLines(machine::checkStateLines(report), QStringLiteral("\n")));
    QDialog::show();
    raise();
    activateWindow();
}

}  // namespace tunexa::app
