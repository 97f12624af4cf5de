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

#include <functional>

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

struct BoxCase {
    const char* prompt;
    const char* title;  // null: shown without a title of its own
    MessageButtons buttons;
    std::function<void(QMessageBox*)> respond;
    QMessageBox::StandardButtons shownButtons;
    const char* shownText;
    const char* shownTitle;
    MessageAnswer answer;
};

std::function<void(QMessageBox*)> press(QMessageBox::StandardButton button) {
    return [button](QMessageBox* box) { QTest::mouseClick(box->button(button), Qt::LeftButton); };
}
void escape(QMessageBox* box) {
    QTest::keyClick(box, Qt::Key_Escape);
}

const BoxCase kBoxes[] = {
    {"Please restart Tunexa.\r\nDefaults have been set.", "Restart Tunexa", MessageButtons::Ok,
     press(QMessageBox::Ok), QMessageBox::Ok, "Please restart Tunexa.\nDefaults have been set.",
     "Restart Tunexa", MessageAnswer::Ok},
    {"<b>Saved</b>", nullptr, MessageButtons::Ok, escape, QMessageBox::Ok, "<b>Saved</b>", "Tunexa",
     MessageAnswer::Ok},
    {"Do you want to reboot?", "Reboot Windows", MessageButtons::YesNo, press(QMessageBox::Yes),
     QMessageBox::Yes | QMessageBox::No, "Do you want to reboot?", "Reboot Windows",
     MessageAnswer::Yes},
    {"Do you want to reboot?", "Reboot Windows", MessageButtons::YesNo, escape,
     QMessageBox::Yes | QMessageBox::No, "Do you want to reboot?", "Reboot Windows",
     MessageAnswer::No},
    {"You must reboot.", nullptr, MessageButtons::OkCancel, press(QMessageBox::Ok),
     QMessageBox::Ok | QMessageBox::Cancel, "You must reboot.", "Tunexa", MessageAnswer::Ok},
    {"You must reboot.", nullptr, MessageButtons::OkCancel, escape,
     QMessageBox::Ok | QMessageBox::Cancel, "You must reboot.", "Tunexa", MessageAnswer::Cancel},
};

TEST(QtMessageBoxTest, ShowsExactlyWhatItIsAskedAndNoIcon) {
    QApplication::setStyle(new ButtonIconsStyle);
    QtMessageBoxService service;
    for (const BoxCase& c : kBoxes) {
        SCOPED_TRACE(std::string(c.shownTitle) + ": " + c.prompt);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle().toStdString(), c.shownTitle);
            EXPECT_EQ(box->text().toStdString(), c.shownText);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->standardButtons(), c.shownButtons);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            for (QAbstractButton* button : box->buttons()) {
                EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
            }
            for (QLabel* label : box->findChildren<QLabel*>()) {
                if (label->text() == box->text()) {
                    EXPECT_EQ(label->x(), box->layout()->contentsMargins().left());
                }
            }
            c.respond(box);
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
