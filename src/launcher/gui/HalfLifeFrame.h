#pragma once

#include <QWidget>

#include "ui_HalfLifeFrame.h"

namespace tunexa::launcher {

// Designer layout only; behaviour classes reach the controls through `ui`.
class HalfLifeFrame : public QWidget {
    Q_OBJECT

  public:
    explicit HalfLifeFrame(QWidget* parent = nullptr);

    ::Ui::HalfLifeFrame ui;
};

}  // namespace tunexa::launcher
