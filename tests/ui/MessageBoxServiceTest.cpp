// The program's message boxes as the user sees them: the exact title (the program's by default),
// the prompt as plain text with CR LF as a line break, exactly the asked buttons, Escape giving
// the declining one, and no icon at all: none on the box, no empty column where one would
// stand, none on the buttons even under a style that gives dialog buttons icons.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/QtMessageBoxService.h"

namespace tunexa::platform {
namespace {

// As desktop styles do: OK with a tick, Cancel with a cross.
class ButtonIconsStyle : public QProxyStyle {
  public:
    ButtonIconsStyle() : QProxyStyle(QStringLiteral("Fusion")) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons
                   ? 1
                   : QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// Each box is answered by pressing `pressed` (none: Escape).
const struct {
    const char* prompt;
    const char* title;  // null: shown without a title of its own
    MessageButtons buttons;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton pressed;
    const char* shownText;
    MessageAnswer answer;
} kBoxes[] = {
    {"Please restart Tunexa.\r\nDefaults have been set.", "Restart Tunexa", MessageButtons::Ok,
     QMessageBox::Ok, QMessageBox::Ok, "Please restart Tunexa.\nDefaults have been set.",
     MessageAnswer::Ok},
    {"<b>Saved</b>", nullptr, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::NoButton,
     "<b>Saved</b>", MessageAnswer::Ok},
    {"Reboot?", "Reboot Windows", MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
     QMessageBox::Yes, "Reboot?", MessageAnswer::Yes},
    {"Reboot?", "Reboot Windows", MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
     QMessageBox::NoButton, "Reboot?", MessageAnswer::No},
    {"You must reboot.", nullptr, MessageButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel,
     QMessageBox::NoButton, "You must reboot.", MessageAnswer::Cancel},
};

TEST(QtMessageBoxTest, ShowsExactlyWhatItIsAskedAndNoIcon) {
    QApplication::setStyle(new ButtonIconsStyle);
    QtMessageBoxService service;
    for (const auto& c : kBoxes) {
        SCOPED_TRACE(c.prompt);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), c.title ? c.title : "Tunexa");
            EXPECT_EQ(box->text().toStdString(), c.shownText);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->standardButtons(), c.shown);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            for (QAbstractButton* button : box->buttons()) {
                EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
            }
            for (QLabel* label : box->findChildren<QLabel*>()) {
                if (label->text() == box->text()) {
                    EXPECT_EQ(label->x(), box->layout()->contentsMargins().left());
                }
            }
            c.pressed == QMessageBox::NoButton
                ? QTest::keyClick(box, Qt::Key_Escape)
                : QTest::mouseClick(box->button(c.pressed), Qt::LeftButton);
        });
        const MessageAnswer answer = c.title == nullptr
                                         ? service.show(QString::fromLatin1(c.prompt), c.buttons)
                                         : service.show(QString::fromLatin1(c.prompt),
                                                        QString::fromLatin1(c.title), c.buttons);
        EXPECT_TRUE(seen);
        EXPECT_EQ(answer, c.answer);
    }
}

}  // namespace
}  // namespace tunexa::platform
