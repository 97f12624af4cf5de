// The classic control semantics on Qt widgets: check-box clicks, list selection, the one-row
// list's item in view, and indexed menu groups.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <vector>

#include "ui/CheckBox.h"
#include "ui/IndexedActionGroup.h"
#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::ui {
namespace {

TEST(CheckBoxTest, ClickBehaviourRunsOnEveryChangeOfValueWhoeverMakesIt) {
    QCheckBox box(QStringLiteral("VSync"));
    std::vector<int> clicks;  // the value each run of the click behaviour saw
    onCheckClick(&box, &box, [&] { clicks.push_back(checkValue(&box)); });
    EXPECT_TRUE(setCheckValue(&box, 1));
    EXPECT_TRUE(setCheckValue(&box, 1));  // the value it has: no click
    EXPECT_FALSE(setCheckValue(&box, 2));
    EXPECT_TRUE(setCheckValue(&box, 0));
    box.show();
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_EQ(clicks, (std::vector{1, 0, 1, 0}));
}

TEST(ListBoxTest, OneItemOrNoneIsSelectedByIndexOrByTheFirstExactText) {
    QListWidget list;
    list.addItems({"640x480", "800x600", "1024x768", "800x600"});
    EXPECT_EQ(selectedIndex(&list), -1);
    EXPECT_TRUE(selectText(&list, QStringLiteral("800x600")));
    for (const char* text : {"800X600", "800x600 ", ""}) {
        EXPECT_FALSE(selectText(&list, QString::fromLatin1(text)));
    }
    for (int index : {-1, 4}) {
        EXPECT_FALSE(selectItem(&list, index));
        EXPECT_FALSE(deselectItem(&list, index));
    }
    EXPECT_EQ(selectedIndex(&list), 1);
    EXPECT_TRUE(selectItem(&list, 3));
    EXPECT_EQ(list.selectedItems().size(), 1);
    EXPECT_TRUE(deselectItem(&list, 3));
    EXPECT_EQ(selectedIndex(&list), -1);
    EXPECT_TRUE(selectedText(&list).isEmpty());
}

// Stepping (keys, scroll-bar arrows) moves the item in view and leaves the selection; Space or a
// click selects the item in view; code that selects brings the item into view.
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
    const auto rowInView = [&] { return list.indexAt(viewport.center()).row(); };
    EXPECT_EQ(list.indexAt(viewport.topLeft()).row(), list.indexAt(viewport.bottomLeft()).row());
    EXPECT_EQ(rowInView(), 5);

    const struct {
        std::function<void()> step;
        int top;
        int selected;
    } steps[] = {
        {[&] { selectText(&list, QStringLiteral("3")); }, 2, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Down); }, 3, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Up); }, 2, 2},
        {[&] { list.verticalScrollBar()->triggerAction(QScrollBar::SliderSingleStepAdd); }, 3, 2},
        {[&] { QTest::keyClick(&list, Qt::Key_Space); }, 3, 3},
        {[&] {
             QTest::keyClick(&list, Qt::Key_End);
             QTest::keyClick(&list, Qt::Key_Down);
         },
         11, 3},
        {[&] {
             QTest::keyClick(&list, Qt::Key_Home);
             QTest::keyClick(&list, Qt::Key_Up);
         },
         0, 3},
        {[&] { QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, viewport.center()); }, 0, 0},
        {[&] { list.insertItem(0, QStringLiteral("0")); }, 1, 1},
    };
    for (const auto& step : steps) {
        step.step();
        QCoreApplication::processEvents();  // a changed list lays itself out afresh
        EXPECT_EQ(list.topIndex(), step.top);
        EXPECT_EQ(rowInView(), step.top);
        EXPECT_EQ(selectedIndex(&list), step.selected);
    }
    delete list.takeItem(0);
    EXPECT_EQ(list.topIndex(), 0);
    list.clear();
    EXPECT_EQ(list.topIndex(), -1);
}

TEST(IndexedActionGroupTest, ItemsReportTheirIndexAndTheHandlerAloneSetsTheMarks) {
    QMenu menu;
    IndexedActionGroup group(QStringLiteral("mPopBMem"));
    for (int i = 0; i <= 10; ++i) {
        menu.addAction(group.append(QStringLiteral("%1 Mhz").arg(100 + i), &menu));
    }
    EXPECT_EQ(group.at(3)->objectName(), QStringLiteral("mPopBMem_3"));
    EXPECT_EQ(group.at(11), nullptr);
    std::vector<int> chosen;
    group.onChosen(&menu, [&](int index) {
        chosen.push_back(index);
        if (index == 6) {
            group.checkOnly(6);
        }
    });
    group.checkOnly(2);
    group.at(2)->trigger();  // the menu would untick it
    group.at(4)->trigger();  // the menu would tick it
    EXPECT_TRUE(group.at(2)->isChecked());
    EXPECT_FALSE(group.at(4)->isChecked());
    group.at(6)->trigger();
    group.setChecked(8, true);
    for (int i = 0; i < group.count(); ++i) {
        EXPECT_EQ(group.at(i)->isChecked(), i == 6 || i == 8) << i;
    }
    EXPECT_EQ(chosen, (std::vector{2, 4, 6}));
}

}  // namespace
}  // namespace tunexa::ui
