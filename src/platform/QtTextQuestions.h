#pragma once

// Text questions as QInputDialog.

#include <QPointer>
#include <QWidget>

#include "platform/TextQuestions.h"

namespace tunexa::platform {

class QtTextQuestions final : public TextQuestions {
  public:
    explicit QtTextQuestions(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<QString> ask(const QString& prompt, const QString& title) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace tunexa::platform
