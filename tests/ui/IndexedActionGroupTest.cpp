#include <gtest/gtest.h>

#include <QMenu>

#include "ui/IndexedActionGroup.h"

namespace tunexa::ui {
namespace {

class IndexedActionGroupTest : public testing::Test {
  protected:
    IndexedActionGroupTest() {
        for (int i = 0; i <= 10; ++i) {
            menu.addAction(group.append(QStringLiteral("%1 Mhz").arg(100 + i), &menu));
        }
        QObject::connect(&group, &IndexedActionGroup::triggered,
                         [this](int index) { received.push_back(index); });
    }
    QMenu menu;
    IndexedActionGroup group{QStringLiteral("mPopBMem")};
    std::vector<int> received;
};

TEST_F(IndexedActionGroupTest, ItemsAreNamedByIndexAndCheckable) {
    ASSERT_EQ(group.count(), 11);
    for (int i = 0; i < group.count(); ++i) {
        EXPECT_EQ(group.at(i)->objectName(), QStringLiteral("mPopBMem_%1").arg(i));
        EXPECT_TRUE(group.at(i)->isCheckable());
        EXPECT_EQ(menu.actions().at(i), group.at(i));
    }
    EXPECT_EQ(group.at(-1), nullptr);
    EXPECT_EQ(group.at(11), nullptr);
}

TEST_F(IndexedActionGroupTest, OneSignalCarriesTheIndexOfTheClickedItem) {
    for (int index : {3, 0, 10}) {
        group.at(index)->trigger();
    }
    EXPECT_EQ(received, (std::vector<int>{3, 0, 10}));
}

TEST_F(IndexedActionGroupTest, DisabledItemDoesNotReport) {
    group.setEnabled(4, false);
    group.at(4)->trigger();
    EXPECT_TRUE(received.empty());
    group.setEnabled(4, true);
    group.at(4)->trigger();
    EXPECT_EQ(received, std::vector<int>{4});
}

TEST_F(IndexedActionGroupTest, CheckMarksAreSetByCode) {
    group.checkOnly(5);
    for (int i = 0; i < group.count(); ++i) {
        EXPECT_EQ(group.at(i)->isChecked(), i == 5) << i;
    }
    group.setChecked(7, true);
    EXPECT_TRUE(group.at(5)->isChecked());
    EXPECT_TRUE(group.at(7)->isChecked());
    group.checkOnly(-1);
    for (QAction* action : group.actions()) {
        EXPECT_FALSE(action->isChecked());
    }
}

TEST_F(IndexedActionGroupTest, ChosenHandlerSeesTheMarksAsTheyWereBeforeTheClick) {
    group.checkOnly(2);
    std::vector<bool> seen;
    QObject context;
    group.onChosen(&context, [this, &seen](int index) {
        seen.push_back(group.at(index)->isChecked());
        if (index == 6) {
            group.checkOnly(6);
        }
    });
    group.at(2)->trigger();  // would untick item 2
    group.at(4)->trigger();  // would tick item 4
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_TRUE(group.at(2)->isChecked());
    EXPECT_FALSE(group.at(4)->isChecked());
    group.at(6)->trigger();  // the handler's own mark stays
    EXPECT_TRUE(group.at(6)->isChecked());
    EXPECT_FALSE(group.at(2)->isChecked());
}

TEST_F(IndexedActionGroupTest, ChosenHandlerEndsWithItsContext) {
    int calls = 0;
    {
        QObject context;
        group.onChosen(&context, [&calls](int) { ++calls; });
        group.at(1)->trigger();
    }
    group.at(1)->trigger();
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tunexa::ui
