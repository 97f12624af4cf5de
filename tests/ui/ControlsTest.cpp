// The one-row list's item in view apart from its selection, on the Qt widget. (Check boxes, list
// selection and the tray groups' marks are guarded by the card panels' load and tray cases.)

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include <functional>
#include <vector>

#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::ui {
namespace {

// Stepping (keys, scroll-bar arrows) moves the item in view and leaves the selection; Space or a
// click selects the item in view; code that selects (by the first exact text) brings it into view.
TEST(OneRowListTest, StepsTheItemInViewApartFromTheSelection) {
    OneRowList list;
    for (int level = 1; level <= 12; ++level) {
        list.addItem(QString::number(level));
    }
    list.resize(120, list.sizeHint().height());
    list.setTopIndex(5);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect viewport = list.viewport()->rect();
    EXPECT_EQ(list.indexAt(viewport.topLeft()).row(), list.indexAt(viewport.bottomLeft()).row());
    const struct {
        std::function<void()> step;
        int top;
        int selected;
    } steps[] = {
        {[&] { EXPECT_FALSE(selectText(&list, QStringLiteral("3 "))); }, 5, -1},
        {[&] { selectText(&list, QStringLiteral("3")); }, 2, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Down); }, 3, 2},
        {[&] { list.verticalScrollBar()->triggerAction(QScrollBar::SliderSingleStepAdd); }, 4, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Space); }, 4, 4},
        {[&] {
             QTest::keyClick(&list, Qt::Key_End);
             QTest::keyClick(&list, Qt::Key_Down);
         },
         11, 4},
        {[&] { QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, viewport.center()); }, 11,
         11},
        {[&] { list.insertItem(0, QStringLiteral("0")); }, 12, 12},
    };
    for (const auto& step : steps) {
        step.step();
        QCoreApplication::processEvents();  // a changed list lays itself out afresh
        EXPECT_EQ(list.topIndex(), step.top);
        EXPECT_EQ(list.indexAt(viewport.center()).row(), step.top);
        EXPECT_EQ(selectedIndex(&list), step.selected);
    }
    list.clear();
    EXPECT_EQ(list.topIndex(), -1);
}

}  // namespace
}  // namespace tunexa::ui
