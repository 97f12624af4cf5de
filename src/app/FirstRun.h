#pragma once

// The first-run window: the card choice shown once before the first normal start.

#include <QWidget>

#include "ui_FirstRun.h"

namespace tunexa::app {

class FirstRun : public QWidget {
    Q_OBJECT

  public:
    explicit FirstRun(QWidget* parent = nullptr);

    ::Ui::FirstRun ui;
};

}  // namespace tunexa::app
