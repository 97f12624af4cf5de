#include "panels/live/UnrealPanel.h"

#include <gtest/gtest.h>

#include "ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QTest>

#include <cstdint>
#include <optional>

#include "TempRoot.h"
#include "app/Form1.h"
#include "store/Registry.h"

namespace tunexa::panels {
namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr const char* kUnrealKey = "Software\\Microsoft\\UnrealD3D";

struct UnrealBox {
    const char* valueName;
    QCheckBox* Ui::TntTab::*box;
};
const UnrealBox kBoxes[] = {
    {"TrueColor", &Ui::TntTab::chkUnrealTrueC},
    {"DoTrilinear", &Ui::TntTab::chkUnrealDoTri},
    {"TripleBuffering", &Ui::TntTab::chkUnrealTB},
    {"DoFlip", &Ui::TntTab::chkUnrealDoFlip},
};

// The value's type and number; nothing when it is missing.
std::optional<std::pair<std::uint32_t, std::int32_t>> stored(const char* name) {
    const auto raw = store::currentHive().getValue(HKEY_LOCAL_MACHINE, kUnrealKey, name);
    if (!raw) {
        return std::nullopt;
    }
    return std::pair{raw->type, store::RegGetDword(HKEY_LOCAL_MACHINE, kUnrealKey, name)};
}

class UnrealPanelTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }

    test::TempDir dir_;
    app::Form1 form_;
    TntTab& tab_ = *form_.findChild<TntTab*>();
    test::ScriptedMessageBoxes boxes_;
    UnrealPanel panel_{tab_, boxes_};
};

TEST_F(UnrealPanelTest, EachBoxWritesItsCaptionNamedDoubleWord) {
    for (const UnrealBox& entry : kBoxes) {
        QCheckBox* box = tab_.ui.*entry.box;
        EXPECT_EQ(box->text(), entry.valueName);
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(stored(entry.valueName), std::pair(store::REG_DWORD, 1)) << entry.valueName;
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(stored(entry.valueName), std::pair(store::REG_DWORD, 0)) << entry.valueName;
    }
}

TEST_F(UnrealPanelTest, DoFlipCreatesTheKeyAndWritesOnlyItself) {
    QTest::mouseClick(tab_.ui.chkUnrealDoFlip, Qt::LeftButton);
    EXPECT_EQ(stored("DoFlip"), std::pair(store::REG_DWORD, 1));
    EXPECT_FALSE(stored("TrueColor"));
    EXPECT_FALSE(stored("DoTrilinear"));
    EXPECT_FALSE(stored("TripleBuffering"));
}

TEST_F(UnrealPanelTest, TheStoreIsNeverReadForTheBoxes) {
    // A new window over a store that already holds "DoTrilinear" = 1 starts unticked, and the
    // first click writes the box's new value.
    store::RegSetDword(HKEY_LOCAL_MACHINE, kUnrealKey, "DoTrilinear", 1);
    app::Form1 secondWindow;
    TntTab& tab = *secondWindow.findChild<TntTab*>();
    test::ScriptedMessageBoxes boxes;
    const UnrealPanel panel(tab, boxes);
    for (const UnrealBox& entry : kBoxes) {
        EXPECT_FALSE((tab.ui.*entry.box)->isChecked()) << entry.valueName;
    }
    QTest::mouseClick(tab.ui.chkUnrealDoTri, Qt::LeftButton);
    EXPECT_EQ(stored("DoTrilinear"), std::pair(store::REG_DWORD, 1));
    QTest::mouseClick(tab.ui.chkUnrealDoTri, Qt::LeftButton);
    EXPECT_EQ(stored("DoTrilinear"), std::pair(store::REG_DWORD, 0));
}

}  // namespace
}  // namespace tunexa::panels
