#pragma once

#include <QWidget>

#include "ui_MatroxFrame.h"

namespace tunexa::panels {

// Designer layout only; behaviour classes reach the controls through `ui`.
class MatroxFrame : public QWidget {
    Q_OBJECT

  public:
    explicit MatroxFrame(QWidget* parent = nullptr);

    ::Ui::MatroxFrame ui;
};

}  // namespace tunexa::panels
