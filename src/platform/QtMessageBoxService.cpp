#include "platform/QtMessageBoxService.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QMessageBox>

#include <vector>

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

// Desktop styles put their own icons on standard buttons (a tick on OK), and QMessageBox keeps
// an indent column where its icon would stand even without one; the program's boxes show
// neither. The indent is a spacer in the box's grid: it goes, and what stood beside it takes the
// full width.
void removeIcons(QMessageBox& dialog) {
    for (QAbstractButton* button : dialog.buttons()) {
        button->setIcon(QIcon());
    }
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr) {
        return;
    }
    struct Placed {
        QLayoutItem* item;
        int row;
    };
    std::vector<Placed> beside;
    for (int i = grid->count() - 1; i >= 0; --i) {
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        if (grid->itemAt(i)->spacerItem() != nullptr) {
            delete grid->takeAt(i);
        } else if (column > 0) {
            beside.push_back({grid->takeAt(i), row});
        }
    }
    for (const Placed& placed : beside) {
        grid->addItem(placed.item, placed.row, 0, 1, grid->columnCount());
    }
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
    removeIcons(dialog);

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
