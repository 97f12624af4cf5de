// The tray's popup menu: every item in order with its caption, and the indexed item groups.
#include <gtest/gtest.h>

#include <QMenu>

#include "app/Form1.h"

namespace tunexa::app {
namespace {

// One line per item, indented by its level: its name and caption ("-" for a separator). An
// indexed group of items "<name>_<index>" is one line: "name = first..last (count)".
constexpr const char* kTree = R"(mPopupSys Tunexa
 mPopRivaMain Riva TNT
  mPopRivaMemClock Memory Clock
   mPopRivaMemDefaults Default
   mPopRivaMemSpeed = 110 Mhz..130 Mhz (21)
  mPopRivaCoreClock Core Clock
   mPopRivaCoreDefaults Default
   mPopRivaCoreSpeed = 90 Mhz..120 Mhz (31)
  mPopTNTVSyncMain VSync On/Off
   mPopTNTV = Off..On (2)
 mPopV2Main Voodoo2
  mPopV2D3DTop D3D
   mPopV2D3DCoreMain D3D Core Clock
    mPopV2D3DCoreDefault Default
    mPopV2D3DCoreClock = 90 Mhz..100 Mhz (11)
   mPopV2D3DVTop VSync On/Off
    mPopV2D3DV = Off..On (2)
  mPopV2GlideTop Glide
   mPopV2GlideCoreMain Glide Core Clock
    mPopV2GCoreDefault Default
    mPopV2GCoreClock = 90 Mhz..100 Mhz (11)
   mPopV2GlideVTop VSync On/Off
    mPopV2GV = Off..On (2)
 mPopBansheeMain Banshee
  mPopBansheeMem Memory Clock
   mPopBMemDefault Default
   mPopBMem = 100 Mhz..110 Mhz (11)
  mPopBCoreMain Core Clock
   mPopBCoreDefault Default
   mPopBCore = 100 Mhz..110 Mhz (11)
 mPopProfiles Profiles
 mPopSeperator1 -
 mPopUndo Undo
 mPopSeperatorUndo -
 mPopReboot Reboot
 mPopExitWindows Exit Windows
 mPopSeperator2 -
 mPopRestore Restore
 mPopExit Exit)";

// Writes the menu out as kTree does; clicks the last item of each group on the way, whose one
// handler must receive that item's index.
void walk(const PopupMenu& popup, const QMenu* menu, const QString& indent, QStringList& lines) {
    for (const QAction* action : menu->actions()) {
        const QString name = action->objectName();
        const ui::IndexedActionGroup* group = popup.group(name.section('_', 0, 0));
        if (group != nullptr && name.endsWith(QLatin1String("_0"))) {
            lines << QStringLiteral("%1%2 = %3..%4 (%5)")
                         .arg(indent, name.section('_', 0, 0), action->text(),
                              group->actions().last()->text())
                         .arg(group->count());
            int clicked = -1;
            const auto handler = QObject::connect(group, &ui::IndexedActionGroup::triggered,
                                                  [&clicked](int index) { clicked = index; });
            group->actions().last()->trigger();
            QObject::disconnect(handler);
            EXPECT_EQ(clicked, group->count() - 1) << name.toStdString();
            EXPECT_TRUE(group->actions().last()->isCheckable()) << name.toStdString();
        } else if (group == nullptr) {
            lines << indent + name + ' ' +
                         (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        if (action->menu() != nullptr) {
            walk(popup, action->menu(), indent + ' ', lines);
        }
    }
}

TEST(PopupMenuTest, TreeCaptionsAndIndexedGroups) {
    Form1 form;
    const QMenu* menu = form.popupMenu().menu();
    QStringList lines{menu->objectName() + ' ' + menu->title()};
    walk(form.popupMenu(), menu, QStringLiteral(" "), lines);
    EXPECT_EQ(lines.join('\n').toStdString(), kTree);
}

}  // namespace
}  // namespace tunexa::app
