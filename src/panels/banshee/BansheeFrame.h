#pragma once

#include <QWidget>

#include "ui_BansheeFrame.h"

namespace tunexa::panels {

// Designer layout only; behaviour classes reach the controls through `ui`.
class BansheeFrame : public QWidget {
    Q_OBJECT

  public:
    explicit BansheeFrame(QWidget* parent = nullptr);

    ::Ui::BansheeFrame ui;
};

}  // namespace tunexa::panels
