#pragma once

// The result of "Check drive C:": how many managed values agree with the machine's SYSTEM.DAT,
// a table of those that differ (the key, the value, Tunexa's and the machine's, as tunexa-reg
// query shows them), and whether a send waits or ran and what of it did not arrive.

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

#include "machine/MachineCheck.h"
#include "ui_CheckWindow.h"

namespace tunexa::app {

// Lines of the machine layer (UTF-8) as one text, joined by `separator`.
QString joinedLines(const std::vector<std::string>& lines, const QString& separator);

class CheckWindow : public QDialog {
    Q_OBJECT

  public:
    explicit CheckWindow(QWidget* parent = nullptr);

    // Fills the window from the report and brings it to the front.
    void showReport(const machine::CheckReport& report);

    ::Ui::CheckWindow ui;
};

}  // namespace tunexa::app
