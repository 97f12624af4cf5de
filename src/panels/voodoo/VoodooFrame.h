#pragma once

#include <QWidget>

#include "ui_VoodooFrame.h"

namespace tunexa::panels {

// Designer layout only; behaviour classes reach the controls through `ui`.
class VoodooFrame : public QWidget {
    Q_OBJECT

  public:
    explicit VoodooFrame(QWidget* parent = nullptr);

    ::Ui::VoodooFrame ui;
};

}  // namespace tunexa::panels
