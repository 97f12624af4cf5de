// The ui layer on the program's own widgets: the one-row list's item in view apart from its
// selection; window state (the tabs on and off and the tab switch are the app tests'); the
// message boxes as the user sees them: the exact title (the program's by default), the prompt as
// plain text with CR LF as a line break, exactly the asked buttons, Escape giving the declining
// one, and no icon at all: none on the box, no empty column where one would stand, none on the
// buttons even under a style that gives dialog buttons icons.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <tuple>

#include "platform/QtMessageBoxService.h"
#include "ui/ListBox.h"
#include "ui/OneRowList.h"
#include "ui/WindowState.h"

namespace tunexa::ui {
namespace {

using namespace platform;

TEST(WindowStateTest, MinimisingAndHidingAreSeparateAndRestoringKeepsAMaximisedWindow) {
    QWidget window;
    showWindow(&window);
    setWindowState(&window, WindowState::Minimised);
    hideWindow(&window);
    EXPECT_EQ(windowState(&window), WindowState::Minimised);
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    setWindowState(&window, WindowState::Normal);
    EXPECT_EQ(window.windowState(), Qt::WindowMaximized);
    EXPECT_FALSE(window.isVisible());
}

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

// The prompt, the title (null: shown without a title of its own), the buttons asked for and shown,
// the one pressed (none: Escape), the text shown, and the answer.
const std::tuple<const char*, const char*, MessageButtons, QMessageBox::StandardButtons,
                 QMessageBox::StandardButton, const char*, MessageAnswer>
    kBoxes[] = {
        {"Please restart Tunexa.\r\nDefaults have been set.", "Restart Tunexa", MessageButtons::Ok,
         QMessageBox::Ok, QMessageBox::Ok, "Please restart Tunexa.\nDefaults have been set.",
         MessageAnswer::Ok},
        {"<b>Saved</b>", nullptr, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::NoButton,
         "<b>Saved</b>", MessageAnswer::Ok},
        {"Reboot?", "Reboot Windows", MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, "Reboot?", MessageAnswer::Yes},
        {"Reboot?", "Reboot Windows", MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::NoButton, "Reboot?", MessageAnswer::No},
        {"You must reboot.", nullptr, MessageButtons::OkCancel,
         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton, "You must reboot.",
         MessageAnswer::Cancel},
};

TEST(QtMessageBoxTest, ShowsExactlyWhatItIsAskedAndNoIcon) {
    QApplication::setStyle(new ButtonIconsStyle);
    QtMessageBoxService service;
    for (const auto& [prompt, title, buttons, shownButtons, pressed, shownText, expected] :
         kBoxes) {
        SCOPED_TRACE(prompt);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), title ? title : "Tunexa");
            EXPECT_EQ(box->text().toStdString(), shownText);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->standardButtons(), shownButtons);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            for (QAbstractButton* button : box->buttons()) {
                EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
            }
            for (QLabel* label : box->findChildren<QLabel*>()) {
                if (label->text() == box->text()) {
                    EXPECT_EQ(label->x(), box->layout()->contentsMargins().left());
                }
            }
            pressed == QMessageBox::NoButton
                ? QTest::keyClick(box, Qt::Key_Escape)
                : QTest::mouseClick(box->button(pressed), Qt::LeftButton);
        });
        const MessageAnswer answer =
            title == nullptr
                ? service.show(QString::fromLatin1(prompt), buttons)
                : service.show(QString::fromLatin1(prompt), QString::fromLatin1(title), buttons);
        EXPECT_TRUE(seen);
        EXPECT_EQ(answer, expected);
    }
}

// Stepping (keys, scroll-bar arrows) moves the item in view and leaves the selection; Space or a
// click selects the item in view; code that selects (by the first exact text) brings it into view.
TEST(OneRowListTest, StepsTheItemInViewApartFromTheSelection) {
    OneRowList list;
    list.addItems(QString("1 2 3 4 5 6 7 8 9 10 11 12").split(' '));
    list.resize(120, list.sizeHint().height());
    list.setTopIndex(5);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect viewport = list.viewport()->rect();
    EXPECT_EQ(list.indexAt(viewport.topLeft()).row(), list.indexAt(viewport.bottomLeft()).row());
    // A step, then the item in view and the one selected.
    const std::tuple<std::function<void()>, int, int> steps[] = {
        {[&] { EXPECT_FALSE(selectText(&list, QStringLiteral("3 "))); }, 5, -1},
        {[&] { selectText(&list, QStringLiteral("3")); }, 2, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Down); }, 3, 2},
        {[&] { list.verticalScrollBar()->triggerAction(QScrollBar::SliderSingleStepAdd); }, 4, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Space); }, 4, 4},
        {[&] { QTest::keyClick(&list, Qt::Key_End); }, 11, 4},
        {[&] { QTest::keyClick(&list, Qt::Key_Down); }, 11, 4},
        {[&] { QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, viewport.center()); }, 11,
         11},
        {[&] { list.insertItem(0, QStringLiteral("0")); }, 12, 12},
    };
    for (const auto& [step, top, selected] : steps) {
        step();
        QCoreApplication::processEvents();  // a changed list lays itself out afresh
        EXPECT_EQ(list.topIndex(), top);
        EXPECT_EQ(list.indexAt(viewport.center()).row(), top);
        EXPECT_EQ(selectedIndex(&list), selected);
    }
    list.clear();
    EXPECT_EQ(list.topIndex(), -1);
}

}  // namespace
}  // namespace tunexa::ui
