#pragma once

// Message boxes as QMessageBox: no icon, plain-text prompt, exactly the requested buttons.

#include <QPointer>
#include <QWidget>

#include "platform/MessageBoxService.h"

namespace tunexa::platform {

class QtMessageBoxService final : public MessageBoxService {
  public:
    // Boxes are modal to `parent` (may be null: application-modal).
    explicit QtMessageBoxService(QWidget* parent = nullptr) : parent_(parent) {}

  protected:
    MessageAnswer present(const MessageBox& box) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace tunexa::platform
