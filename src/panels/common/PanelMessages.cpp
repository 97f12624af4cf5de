#include "panels/common/PanelMessages.h"

namespace tunexa::panels::common {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;

const QString kAreYouSure = QStringLiteral("Are you sure?");
const QString kNotApplied = QStringLiteral("Settings Not Applied");

bool askYesNo(platform::MessageBoxService& messages, const QString& title) {
    return messages.show(kAreYouSure, title, MessageButtons::YesNo) == MessageAnswer::Yes;
}

}  // namespace

void showTitled(platform::MessageBoxService& messages, const QString& text) {
    messages.show(text, text, MessageButtons::Ok);
}

bool confirmApply(platform::MessageBoxService& messages, const QString& title) {
    if (askYesNo(messages, title)) {
        return true;
    }
    showTitled(messages, kNotApplied);
    return false;
}

bool confirmRestoreDefaults(platform::MessageBoxService& messages) {
    if (askYesNo(messages, QStringLiteral("Restoring Defaults"))) {
        return true;
    }
    showTitled(messages, QStringLiteral("Defaults Not Restored"));
    return false;
}

void showDefaultsRestored(platform::MessageBoxService& messages) {
    showTitled(messages, QStringLiteral("Defaults Restored"));
}

bool confirmQuickItem(platform::MessageBoxService& messages) {
    return askYesNo(messages, kAreYouSure);
}

void showNotApplied(platform::MessageBoxService& messages, const std::string& reason) {
    QString prompt = kNotApplied;
    if (!reason.empty()) {
        prompt += QStringLiteral("\r\n") + QString::fromStdString(reason);
    }
    messages.show(prompt, kNotApplied, MessageButtons::Ok);
}

void showDefaultSet(platform::MessageBoxService& messages, const engine::WriteResult& result) {
    if (!result.saved) {
        showNotApplied(messages, result.failure);
        return;
    }
    showTitled(messages, QStringLiteral("Default set"));
}

}  // namespace tunexa::panels::common
