#pragma once

#include <QWidget>

#include "ui_Voodoo2Frame.h"

namespace tunexa::panels {

// Designer layout only; behaviour classes reach the controls through `ui`.
class Voodoo2Frame : public QWidget {
    Q_OBJECT

  public:
    explicit Voodoo2Frame(QWidget* parent = nullptr);

    ::Ui::Voodoo2Frame ui;
};

}  // namespace tunexa::panels
