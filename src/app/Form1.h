#pragma once

// The main window: the tab control SSTab1 with the first tab's own controls and the promoted card
// panels, and the popup menu mPopupSys. Every control is reachable by its name
// (findChild<QWidget*>("chkTNTDX6")); the engine reads controls through the ControlReader side.

#include <QLabel>
#include <QWidget>

#include <string>
#include <string_view>

#include "app/PopupMenu.h"
#include "engine/ControlReader.h"
#include "ui_Form1.h"

namespace tunexa::app {

class Form1 : public QWidget, public engine::ControlReader {
    Q_OBJECT

  public:
    static constexpr int kAboutLabelCount = 5;

    explicit Form1(QWidget* parent = nullptr);

    ::Ui::Form1 ui;

    PopupMenu& popupMenu() { return popup_; }
    const PopupMenu& popupMenu() const { return popup_; }

    // The label array lblAboutTX(0..4); null outside that range.
    QLabel* lblAboutTX(int index) const;

    // ControlReader: controls found by name anywhere in the window; a name that is not a control
    // of the asked kind reads as empty text or 0.
    std::string caption(std::string_view labelName) const override;
    int checkValue(std::string_view checkBoxName) const override;
    std::string selectedText(std::string_view listName) const override;

  private:
    template <typename Widget>
    Widget* control(std::string_view name) const;

    PopupMenu popup_;
};

}  // namespace tunexa::app
