#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include "ui/WindowState.h"

namespace tunexa::ui {
namespace {

TEST(FrameTest, DisabledFrameDisablesItsControlsAndEnablingRestoresThem) {
    QGroupBox frame(QStringLiteral("Direct3D"));
    auto* layout = new QVBoxLayout(&frame);
    auto* box = new QCheckBox(QStringLiteral("VSync"));
    auto* slider = new QSlider(Qt::Horizontal);
    auto* inner = new QGroupBox(QStringLiteral("Glide"));
    auto* innerBox = new QCheckBox(QStringLiteral("Triple Buffering"), inner);
    auto* keptOff = new QLabel(QStringLiteral("Best Performance"));
    for (QWidget* child : std::initializer_list<QWidget*>{box, slider, inner, keptOff}) {
        layout->addWidget(child);
    }
    keptOff->setEnabled(false);

    frame.setEnabled(false);
    for (QWidget* child : std::initializer_list<QWidget*>{box, slider, inner, innerBox, keptOff}) {
        EXPECT_FALSE(child->isEnabled()) << child->metaObject()->className();
    }
    frame.show();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_FALSE(box->isChecked());

    frame.setEnabled(true);
    for (QWidget* child : std::initializer_list<QWidget*>{box, slider, inner, innerBox}) {
        EXPECT_TRUE(child->isEnabled()) << child->metaObject()->className();
    }
    // A control the code disabled on its own stays disabled.
    EXPECT_FALSE(keptOff->isEnabled());
}

class TabTest : public testing::Test {
  protected:
    TabTest() {
        for (const char* caption : {"  Main Settings", "   Riva TNT", " 3Dfx", "  Other Stuff"}) {
            tabs.addTab(new QWidget, QString::fromLatin1(caption));
        }
        tabs.resize(500, 300);
        tabs.show();
    }
    void clickTab(int index) {
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {},
                          tabs.tabBar()->tabRect(index).center());
    }
    QTabWidget tabs;
};

TEST_F(TabTest, SwitchedOffTabCannotBeChosenAndKeepsItsPlace) {
    setTabOn(&tabs, 1, false);
    EXPECT_FALSE(isTabOn(&tabs, 1));
    EXPECT_EQ(tabs.count(), 4);
    EXPECT_EQ(tabs.tabText(2), QStringLiteral(" 3Dfx"));
    clickTab(1);
    EXPECT_EQ(tabs.currentIndex(), 0);
    clickTab(2);
    EXPECT_EQ(tabs.currentIndex(), 2);
}

TEST_F(TabTest, SwitchedBackOnTabCanBeChosen) {
    setTabOn(&tabs, 2, false);
    setTabOn(&tabs, 2, true);
    EXPECT_TRUE(isTabOn(&tabs, 2));
    clickTab(2);
    EXPECT_EQ(tabs.currentIndex(), 2);
}

}  // namespace
}  // namespace tunexa::ui
