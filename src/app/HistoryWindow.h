#pragma once

// The History window: the recorded changes, newest first, with what the selected one did to each
// value, key and file (before and after, as tunexa-reg query shows a value), and "Undo to here".

#include <QDialog>

#include <cstdint>
#include <functional>

#include "store/Hive.h"
#include "ui_HistoryWindow.h"

namespace tunexa::app {

class HistoryWindow : public QDialog {
    Q_OBJECT

  public:
    // `undoTo` undoes the change of that id and every later one (asking what it must ask).
    HistoryWindow(store::Hive& hive, std::function<void(std::int64_t)> undoTo,
                  QWidget* parent = nullptr);

    // The list again from the record, the newest change selected.
    void refresh();

    ::Ui::HistoryWindow ui;

  private:
    void showSelectedChange();
    void cmdUndoToHere_Click();

    store::Hive& hive_;
    std::function<void(std::int64_t)> undoTo_;
};

}  // namespace tunexa::app
