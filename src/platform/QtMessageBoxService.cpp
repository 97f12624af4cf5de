#include "platform/QtMessageBoxService.h"

#include <QMessageBox>

namespace tunexa::platform {

namespace {

struct ButtonMapping {
    MessageAnswer answer;
    QMessageBox::StandardButton button;
};

constexpr ButtonMapping kButtons[] = {
    {MessageAnswer::Ok, QMessageBox::Ok},
    {MessageAnswer::Cancel, QMessageBox::Cancel},
    {MessageAnswer::Yes, QMessageBox::Yes},
    {MessageAnswer::No, QMessageBox::No},
};

QMessageBox::StandardButton toButton(MessageAnswer answer) {
    for (const auto& mapping : kButtons) {
        if (mapping.answer == answer) {
            return mapping.button;
        }
    }
    return QMessageBox::NoButton;
}

}  // namespace

MessageAnswer QtMessageBoxService::present(const MessageBox& box) {
    QMessageBox dialog(parent_.data());
    dialog.setIcon(QMessageBox::NoIcon);
    dialog.setWindowTitle(box.title);
    dialog.setTextFormat(Qt::PlainText);
    dialog.setText(displayedPrompt(box.prompt));

    QMessageBox::StandardButtons buttons;
    for (const auto& mapping : kButtons) {
        if (answerFits(box.buttons, mapping.answer)) {
            buttons |= mapping.button;
        }
    }
    dialog.setStandardButtons(buttons);
    // Enter takes the first button (OK or Yes); Escape and the close box the declining one.
    dialog.setDefaultButton(box.buttons == MessageButtons::YesNo ? QMessageBox::Yes
                                                                 : QMessageBox::Ok);
    dialog.setEscapeButton(toButton(closingAnswer(box.buttons)));

    dialog.exec();
    const auto pressed = dialog.standardButton(dialog.clickedButton());
    for (const auto& mapping : kButtons) {
        if (mapping.button == pressed && answerFits(box.buttons, mapping.answer)) {
            return mapping.answer;
        }
    }
    return closingAnswer(box.buttons);
}

}  // namespace tunexa::platform
