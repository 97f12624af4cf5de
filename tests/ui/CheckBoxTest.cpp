#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>

#include "ui/CheckBox.h"

namespace tunexa::ui {
namespace {

class CheckBoxTest : public testing::Test {
  protected:
    CheckBoxTest() {
        onCheckClick(&box, &box, [this] { clicks.push_back(checkValue(&box)); });
    }

    QCheckBox box{QStringLiteral("VSync")};
    std::vector<int> clicks;  // the value seen by each run of the click behaviour
};

TEST_F(CheckBoxTest, CodeSettingADifferentValueRunsTheClickBehaviourOnce) {
    struct Step {
        int from;
        int to;
        std::vector<int> expectedClicks;
    };
    const Step steps[] = {
        {0, 1, {1}},
        {1, 0, {0}},
        {0, 0, {}},
        {1, 1, {}},
    };
    for (const auto& step : steps) {
        box.setChecked(step.from == 1);
        clicks.clear();
        EXPECT_TRUE(setCheckValue(&box, step.to));
        EXPECT_EQ(checkValue(&box), step.to);
        EXPECT_EQ(clicks, step.expectedClicks) << step.from << " -> " << step.to;
    }
}

TEST_F(CheckBoxTest, UserClickRunsTheClickBehaviourWithTheNewValue) {
    box.show();
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
    EXPECT_EQ(clicks, std::vector<int>{1});
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
}

TEST_F(CheckBoxTest, ValuesOtherThanZeroAndOneAreRefusedAndChangeNothing) {
    for (int value : {2, -1, 255}) {
        EXPECT_FALSE(setCheckValue(&box, value));
    }
    EXPECT_EQ(checkValue(&box), 0);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(CheckBoxTest, ClickBehaviourEndsWithItsContext) {
    QCheckBox other;
    int runs = 0;
    {
        QObject context;
        onCheckClick(&other, &context, [&runs] { ++runs; });
        setCheckValue(&other, 1);
    }
    setCheckValue(&other, 0);
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace tunexa::ui
