#pragma once

// Folders and files chosen with QFileDialog.

#include <QPointer>
#include <QWidget>

#include "platform/PathChoices.h"

namespace tunexa::platform {

class QtPathChoices final : public PathChoices {
  public:
    explicit QtPathChoices(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override;
    std::optional<QString> chooseFile(const QString& title, const QString& start,
                                      const QString& filter) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace tunexa::platform
