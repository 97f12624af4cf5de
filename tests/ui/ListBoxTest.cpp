#include <gtest/gtest.h>

#include <QListWidget>

#include "ui/ListBox.h"

namespace tunexa::ui {
namespace {

class ListBoxTest : public testing::Test {
  protected:
    ListBoxTest() {
        list.addItems({QStringLiteral("640x480"), QStringLiteral("800x600"),
                       QStringLiteral("1024x768"), QStringLiteral("800x600")});
    }
    QListWidget list;
};

TEST_F(ListBoxTest, NothingSelectedGivesMinusOneAndEmptyText) {
    EXPECT_EQ(selectedIndex(&list), -1);
    EXPECT_TRUE(selectedText(&list).isEmpty());
    QListWidget empty;
    EXPECT_EQ(selectedIndex(&empty), -1);
    EXPECT_TRUE(selectedText(&empty).isEmpty());
}

TEST_F(ListBoxTest, SelectByTextTakesTheFirstExactMatch) {
    EXPECT_TRUE(selectText(&list, QStringLiteral("800x600")));
    EXPECT_EQ(selectedIndex(&list), 1);
    EXPECT_EQ(selectedText(&list), QStringLiteral("800x600"));
}

TEST_F(ListBoxTest, UnknownTextLeavesTheSelection) {
    selectItem(&list, 2);
    for (const auto& text : {QStringLiteral("800X600"), QStringLiteral("800x600 "), QString()}) {
        EXPECT_FALSE(selectText(&list, text));
        EXPECT_EQ(selectedIndex(&list), 2);
    }
}

TEST_F(ListBoxTest, SelectingReplacesAndDeselectingClears) {
    EXPECT_TRUE(selectItem(&list, 0));
    EXPECT_TRUE(selectItem(&list, 3));
    EXPECT_EQ(list.selectedItems().size(), 1);
    EXPECT_EQ(selectedIndex(&list), 3);
    EXPECT_TRUE(deselectItem(&list, 1));
    EXPECT_EQ(selectedIndex(&list), 3);
    EXPECT_TRUE(deselectItem(&list, 3));
    EXPECT_EQ(selectedIndex(&list), -1);
    EXPECT_TRUE(selectedText(&list).isEmpty());
}

TEST_F(ListBoxTest, IndexesOutsideTheListAreRefused) {
    selectItem(&list, 1);
    for (int index : {-1, 4, 100}) {
        EXPECT_FALSE(selectItem(&list, index));
        EXPECT_FALSE(deselectItem(&list, index));
    }
    EXPECT_EQ(selectedIndex(&list), 1);
}

}  // namespace
}  // namespace tunexa::ui
