#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::ui {
namespace {

class OneRowListTest : public testing::Test {
  protected:
    OneRowListTest() {
        for (int level = 1; level <= 12; ++level) {
            list.addItem(QString::number(level));
        }
        list.resize(120, list.sizeHint().height());
    }

    // The row actually drawn in the middle of the list.
    int rowInView() { return list.indexAt(list.viewport()->rect().center()).row(); }

    OneRowList list;
};

TEST_F(OneRowListTest, ShowsExactlyOneRow) {
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect viewport = list.viewport()->rect();
    EXPECT_EQ(list.indexAt(viewport.topLeft()).row(), list.indexAt(viewport.bottomLeft()).row());
    EXPECT_GE(list.viewport()->height(), list.visualItemRect(list.item(0)).height());
}

TEST_F(OneRowListTest, ArrowKeysMoveTheItemInViewNotTheSelection) {
    list.show();
    selectItem(&list, 2);
    ASSERT_EQ(list.topIndex(), 2);

    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.topIndex(), 4);
    EXPECT_EQ(rowInView(), 4);
    EXPECT_EQ(selectedIndex(&list), 2);
    EXPECT_EQ(selectedText(&list), QStringLiteral("3"));

    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.topIndex(), 3);
    EXPECT_EQ(selectedIndex(&list), 2);
}

TEST_F(OneRowListTest, ScrollBarArrowsStepOneItem) {
    list.show();
    list.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(list.topIndex(), 1);
    EXPECT_EQ(rowInView(), 1);
    list.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    list.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(list.topIndex(), 0);
    EXPECT_EQ(selectedIndex(&list), -1);
}

TEST_F(OneRowListTest, StepsStopAtBothEnds) {
    list.show();
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.topIndex(), 0);
    QTest::keyClick(&list, Qt::Key_End);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.topIndex(), 11);
    EXPECT_EQ(rowInView(), 11);
}

TEST_F(OneRowListTest, SpaceOrAClickSelectsTheItemInView) {
    list.show();
    list.setTopIndex(6);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(selectedIndex(&list), 6);

    list.setTopIndex(8);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.viewport()->rect().center());
    EXPECT_EQ(selectedIndex(&list), 8);
    EXPECT_EQ(list.topIndex(), 8);
}

TEST_F(OneRowListTest, SelectingFromCodeBringsTheItemIntoView) {
    list.show();
    EXPECT_TRUE(selectText(&list, QStringLiteral("10")));
    EXPECT_EQ(list.topIndex(), 9);
    EXPECT_EQ(rowInView(), 9);
    deselectItem(&list, 9);
    EXPECT_EQ(selectedIndex(&list), -1);
    EXPECT_TRUE(selectedText(&list).isEmpty());
    EXPECT_EQ(list.topIndex(), 9);
}

TEST_F(OneRowListTest, TopIndexSetWhileHiddenHoldsWhenShown) {
    list.setTopIndex(5);
    EXPECT_EQ(list.topIndex(), 5);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.topIndex(), 5);
    EXPECT_EQ(rowInView(), 5);
}

TEST_F(OneRowListTest, TopIndexFollowsTheItemsWhenTheListChanges) {
    list.setTopIndex(20);
    EXPECT_EQ(list.topIndex(), 11);
    list.setTopIndex(4);
    list.insertItem(0, QStringLiteral("0"));
    EXPECT_EQ(list.topIndex(), 5);
    EXPECT_EQ(list.item(list.topIndex())->text(), QStringLiteral("5"));
    delete list.takeItem(0);
    EXPECT_EQ(list.item(list.topIndex())->text(), QStringLiteral("5"));
    list.clear();
    EXPECT_EQ(list.topIndex(), -1);
    list.addItem(QStringLiteral("Bilinear"));
    EXPECT_EQ(list.topIndex(), 0);
}

TEST_F(OneRowListTest, ReportsTheItemInViewWhenItChanges) {
    std::vector<int> reported;
    QObject receiver;
    QObject::connect(&list, &OneRowList::topIndexChanged, &receiver,
                     [&reported](int i) { reported.push_back(i); });
    list.show();
    QTest::keyClick(&list, Qt::Key_Down);
    list.setTopIndex(1);
    list.setTopIndex(3);
    EXPECT_EQ(reported, (std::vector<int>{1, 3}));
}

}  // namespace
}  // namespace tunexa::ui
