#include "platform/QtTextQuestions.h"

#include <QInputDialog>

namespace tunexa::platform {

std::optional<QString> QtTextQuestions::ask(const QString& prompt, const QString& title) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, {}, &accepted, Qt::Dialog);
    if (!accepted) {
        return std::nullopt;
    }
    return text;
}

}  // namespace tunexa::platform
