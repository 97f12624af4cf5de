#include <gtest/gtest.h>

#include <QMenu>

#include "app/Form1.h"

namespace tunexa::app {
namespace {

struct Expected {
    int level;
    QString name;
    QString caption;  // "-" for a separator
};

// The whole tree in order, written out item by item (groups expanded).
std::vector<Expected> expectedTree() {
    std::vector<Expected> tree;
    auto add = [&tree](int level, const char* name, const char* caption) {
        tree.push_back({level, QString::fromLatin1(name), QString::fromLatin1(caption)});
    };
    auto clocks = [&tree](int level, const char* group, int first, int last) {
        for (int mhz = first; mhz <= last; ++mhz) {
            tree.push_back({level,
                            QStringLiteral("%1_%2").arg(QLatin1String(group)).arg(mhz - first),
                            QStringLiteral("%1 Mhz").arg(mhz)});
        }
    };
    auto vsync = [&add](int level, const char* group) {
        add(level, (std::string(group) + "_0").c_str(), "Off");
        add(level, (std::string(group) + "_1").c_str(), "On");
    };
    add(1, "mPopRivaMain", "Riva TNT");
    add(2, "mPopRivaMemClock", "Memory Clock");
    add(3, "mPopRivaMemDefaults", "Default");
    clocks(3, "mPopRivaMemSpeed", 110, 130);
    add(2, "mPopRivaCoreClock", "Core Clock");
    add(3, "mPopRivaCoreDefaults", "Default");
    clocks(3, "mPopRivaCoreSpeed", 90, 120);
    add(2, "mPopTNTVSyncMain", "VSync On/Off");
    vsync(3, "mPopTNTV");
    add(1, "mPopV2Main", "Voodoo2");
    add(2, "mPopV2D3DTop", "D3D");
    add(3, "mPopV2D3DCoreMain", "D3D Core Clock");
    add(4, "mPopV2D3DCoreDefault", "Default");
    clocks(4, "mPopV2D3DCoreClock", 90, 100);
    add(3, "mPopV2D3DVTop", "VSync On/Off");
    vsync(4, "mPopV2D3DV");
    add(2, "mPopV2GlideTop", "Glide");
    add(3, "mPopV2GlideCoreMain", "Glide Core Clock");
    add(4, "mPopV2GCoreDefault", "Default");
    clocks(4, "mPopV2GCoreClock", 90, 100);
    add(3, "mPopV2GlideVTop", "VSync On/Off");
    vsync(4, "mPopV2GV");
    add(1, "mPopBansheeMain", "Banshee");
    add(2, "mPopBansheeMem", "Memory Clock");
    add(3, "mPopBMemDefault", "Default");
    clocks(3, "mPopBMem", 100, 110);
    add(2, "mPopBCoreMain", "Core Clock");
    add(3, "mPopBCoreDefault", "Default");
    clocks(3, "mPopBCore", 100, 110);
    add(1, "mPopProfiles", "Profiles");
    add(1, "mPopSeperator1", "-");
    add(1, "mPopUndo", "Undo");
    add(1, "mPopSeperatorUndo", "-");
    add(1, "mPopReboot", "Reboot");
    add(1, "mPopExitWindows", "Exit Windows");
    add(1, "mPopSeperator2", "-");
    add(1, "mPopRestore", "Restore");
    add(1, "mPopExit", "Exit");
    return tree;
}

void walk(const QMenu* menu, int level, std::vector<Expected>& out) {
    for (const QAction* action : menu->actions()) {
        out.push_back({level, action->objectName(),
                       action->isSeparator() ? QStringLiteral("-") : action->text()});
        if (action->menu() != nullptr) {
            walk(action->menu(), level + 1, out);
        }
    }
}

class PopupMenuTest : public testing::Test {
  protected:
    Form1 form;
    PopupMenu& popup = form.popupMenu();
};

TEST_F(PopupMenuTest, TreeHasEveryItemInOrderWithItsCaption) {
    const QMenu* menu = form.findChild<QMenu*>(QStringLiteral("mPopupSys"));
    ASSERT_EQ(menu, popup.menu());
    EXPECT_EQ(menu->title(), QStringLiteral("Tunexa"));
    std::vector<Expected> actual;
    walk(menu, 1, actual);
    const auto expected = expectedTree();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].level, expected[i].level) << i;
        EXPECT_EQ(actual[i].name.toStdString(), expected[i].name.toStdString()) << i;
        EXPECT_EQ(actual[i].caption.toStdString(), expected[i].caption.toStdString()) << i;
    }
}

TEST_F(PopupMenuTest, IndexedGroupsHaveTheirSizesAndCheckableItems) {
    const std::pair<const char*, int> kGroups[] = {
        {"mPopRivaMemSpeed", 21}, {"mPopRivaCoreSpeed", 31},
        {"mPopTNTV", 2},          {"mPopV2D3DCoreClock", 11},
        {"mPopV2D3DV", 2},        {"mPopV2GCoreClock", 11},
        {"mPopV2GV", 2},          {"mPopBMem", 11},
        {"mPopBCore", 11}};
    for (const auto& [name, size] : kGroups) {
        const auto* group = popup.group(QString::fromLatin1(name));
        ASSERT_NE(group, nullptr) << name;
        EXPECT_EQ(group->count(), size) << name;
        for (const QAction* action : group->actions()) {
            EXPECT_TRUE(action->isCheckable()) << action->objectName().toStdString();
            EXPECT_FALSE(action->isChecked());
        }
    }
    EXPECT_EQ(popup.group(QStringLiteral("mPopReboot")), nullptr);
}

TEST_F(PopupMenuTest, OneHandlerPerGroupReceivesTheIndex) {
    std::vector<std::pair<QString, int>> received;
    for (const char* name : {"mPopRivaCoreSpeed", "mPopBMem", "mPopV2GV"}) {
        QObject::connect(popup.group(QString::fromLatin1(name)), &ui::IndexedActionGroup::triggered,
                         [&received, name](int index) {
                             received.emplace_back(QString::fromLatin1(name), index);
                         });
    }
    form.findChild<QAction*>(QStringLiteral("mPopRivaCoreSpeed_25"))->trigger();
    form.findChild<QAction*>(QStringLiteral("mPopBMem_0"))->trigger();
    form.findChild<QAction*>(QStringLiteral("mPopV2GV_1"))->trigger();
    form.findChild<QAction*>(QStringLiteral("mPopBCore_4"))->trigger();
    const std::vector<std::pair<QString, int>> expected{{QStringLiteral("mPopRivaCoreSpeed"), 25},
                                                        {QStringLiteral("mPopBMem"), 0},
                                                        {QStringLiteral("mPopV2GV"), 1}};
    EXPECT_EQ(received, expected);
}

TEST_F(PopupMenuTest, CardBranchesCanBeSwitchedOff) {
    for (const char* name : {"mPopRivaMain", "mPopV2Main", "mPopBansheeMain"}) {
        const QString branch = QString::fromLatin1(name);
        QAction* item = popup.item(branch);
        ASSERT_NE(item, nullptr) << name;
        ASSERT_NE(item->menu(), nullptr) << name;
        popup.setEnabled(branch, false);
        EXPECT_FALSE(item->isEnabled());
        popup.setEnabled(branch, true);
        EXPECT_TRUE(item->isEnabled());
    }
}

TEST_F(PopupMenuTest, PlainItemsReportTheirClick) {
    int restores = 0;
    QObject::connect(popup.item(QStringLiteral("mPopRestore")), &QAction::triggered,
                     [&restores] { ++restores; });
    popup.item(QStringLiteral("mPopRestore"))->trigger();
    popup.item(QStringLiteral("mPopExit"))->trigger();
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(popup.item(QStringLiteral("mPopNoSuchItem")), nullptr);
}

}  // namespace
}  // namespace tunexa::app
