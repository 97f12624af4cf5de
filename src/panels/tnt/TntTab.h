#pragma once

#include <QWidget>

#include "ui_TntTab.h"

namespace tunexa::panels {

// Designer layout only; behaviour classes reach the controls through `ui`.
class TntTab : public QWidget {
    Q_OBJECT

  public:
    explicit TntTab(QWidget* parent = nullptr);

    ::Ui::TntTab ui;
};

}  // namespace tunexa::panels
