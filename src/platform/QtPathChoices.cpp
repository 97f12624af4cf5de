#include "platform/QtPathChoices.h"

#include <QFileDialog>

namespace tunexa::platform {

namespace {

std::optional<QString> chosen(const QString& path) {
    return path.isEmpty() ? std::nullopt : std::optional(path);
}

}  // namespace

std::optional<QString> QtPathChoices::chooseFolder(const QString& title, const QString& start) {
    return chosen(QFileDialog::getExistingDirectory(parent_, title, start));
}

std::optional<QString> QtPathChoices::chooseFile(const QString& title, const QString& start,
                                                 const QString& filter) {
    return chosen(QFileDialog::getOpenFileName(parent_, title, start, filter));
}

}  // namespace tunexa::platform
