#pragma once

#include <QWidget>

#include "ui_DisplayFrame.h"

namespace tunexa::system {

// Designer layout only; behaviour classes reach the controls through `ui`.
class DisplayFrame : public QWidget {
    Q_OBJECT

  public:
    explicit DisplayFrame(QWidget* parent = nullptr);

    ::Ui::DisplayFrame ui;
};

}  // namespace tunexa::system
