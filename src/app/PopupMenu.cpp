#include "app/PopupMenu.h"

#include <QList>

#include <array>

namespace tunexa::app {

namespace {

enum class Kind {
    Submenu,     // opens the items of the next level below it
    Item,        // one command
    ClockGroup,  // `count` items "<first + i> Mhz"
    VSyncGroup,  // the two items "Off", "On"
    Separator,
};

struct Entry {
    int level;
    Kind kind;
    const char* name;
    const char* caption = "";
    int first = 0;
    int count = 0;
};

// The menu tree in order; a level-n entry belongs to the nearest submenu above it at level n-1.
constexpr std::array kTree{
    Entry{1, Kind::Submenu, "mPopRivaMain", "Riva TNT"},
    Entry{2, Kind::Submenu, "mPopRivaMemClock", "Memory Clock"},
    Entry{3, Kind::Item, "mPopRivaMemDefaults", "Default"},
    Entry{3, Kind::ClockGroup, "mPopRivaMemSpeed", "", 110, 21},
    Entry{2, Kind::Submenu, "mPopRivaCoreClock", "Core Clock"},
    Entry{3, Kind::Item, "mPopRivaCoreDefaults", "Default"},
    Entry{3, Kind::ClockGroup, "mPopRivaCoreSpeed", "", 90, 31},
    Entry{2, Kind::Submenu, "mPopTNTVSyncMain", "VSync On/Off"},
    Entry{3, Kind::VSyncGroup, "mPopTNTV"},
    Entry{1, Kind::Submenu, "mPopV2Main", "Voodoo2"},
    Entry{2, Kind::Submenu, "mPopV2D3DTop", "D3D"},
    Entry{3, Kind::Submenu, "mPopV2D3DCoreMain", "D3D Core Clock"},
    Entry{4, Kind::Item, "mPopV2D3DCoreDefault", "Default"},
    Entry{4, Kind::ClockGroup, "mPopV2D3DCoreClock", "", 90, 11},
    Entry{3, Kind::Submenu, "mPopV2D3DVTop", "VSync On/Off"},
    Entry{4, Kind::VSyncGroup, "mPopV2D3DV"},
    Entry{2, Kind::Submenu, "mPopV2GlideTop", "Glide"},
    Entry{3, Kind::Submenu, "mPopV2GlideCoreMain", "Glide Core Clock"},
    Entry{4, Kind::Item, "mPopV2GCoreDefault", "Default"},
    Entry{4, Kind::ClockGroup, "mPopV2GCoreClock", "", 90, 11},
    Entry{3, Kind::Submenu, "mPopV2GlideVTop", "VSync On/Off"},
    Entry{4, Kind::VSyncGroup, "mPopV2GV"},
    Entry{1, Kind::Submenu, "mPopBansheeMain", "Banshee"},
    Entry{2, Kind::Submenu, "mPopBansheeMem", "Memory Clock"},
    Entry{3, Kind::Item, "mPopBMemDefault", "Default"},
    Entry{3, Kind::ClockGroup, "mPopBMem", "", 100, 11},
    Entry{2, Kind::Submenu, "mPopBCoreMain", "Core Clock"},
    Entry{3, Kind::Item, "mPopBCoreDefault", "Default"},
    Entry{3, Kind::ClockGroup, "mPopBCore", "", 100, 11},
    // Below the card branches: the saved profiles (filled as the menu opens) and undo.
    Entry{1, Kind::Submenu, "mPopProfiles", "Profiles"},
    Entry{1, Kind::Separator, "mPopSeperator1"},
    Entry{1, Kind::Item, "mPopUndo", "Undo"},
    Entry{1, Kind::Separator, "mPopSeperatorUndo"},
    Entry{1, Kind::Item, "mPopReboot", "Reboot"},
    Entry{1, Kind::Item, "mPopExitWindows", "Exit Windows"},
    Entry{1, Kind::Separator, "mPopSeperator2"},
    Entry{1, Kind::Item, "mPopRestore", "Restore"},
    Entry{1, Kind::Item, "mPopExit", "Exit"},
};

constexpr std::array kVSyncCaptions{"Off", "On"};

QStringList groupCaptions(const Entry& entry) {
    QStringList captions;
    if (entry.kind == Kind::VSyncGroup) {
        for (const char* caption : kVSyncCaptions) {
            captions << QString::fromLatin1(caption);
        }
        return captions;
    }
    for (int i = 0; i < entry.count; ++i) {
        captions << QStringLiteral("%1 Mhz").arg(entry.first + i);
    }
    return captions;
}

}  // namespace

PopupMenu::PopupMenu(QWidget* owner) : menu_(new QMenu(QStringLiteral("Tunexa"), owner)) {
    menu_->setObjectName(QStringLiteral("mPopupSys"));
    // menus[n - 1] receives the entries of level n.
    QList<QMenu*> menus{menu_};
    for (const Entry& entry : kTree) {
        menus.resize(entry.level);
        QMenu* parent = menus.back();
        const QString name = QString::fromLatin1(entry.name);
        const QString caption = QString::fromLatin1(entry.caption);
        switch (entry.kind) {
            case Kind::Submenu: {
                QMenu* sub = parent->addMenu(caption);
                sub->menuAction()->setObjectName(name);
                items_.insert(name, sub->menuAction());
                menus.append(sub);
                break;
            }
            case Kind::Item: {
                QAction* action = parent->addAction(caption);
                action->setObjectName(name);
                items_.insert(name, action);
                break;
            }
            case Kind::ClockGroup:
            case Kind::VSyncGroup: {
                auto* group = new ui::IndexedActionGroup(name, menu_);
                for (const QString& itemCaption : groupCaptions(entry)) {
                    parent->addAction(group->append(itemCaption, parent));
                }
                groups_.insert(name, group);
                break;
            }
            case Kind::Separator: {
                QAction* separator = parent->addSeparator();
                separator->setObjectName(name);
                items_.insert(name, separator);
                break;
            }
        }
    }
}

QAction* PopupMenu::item(const QString& name) const {
    return items_.value(name, nullptr);
}

ui::IndexedActionGroup* PopupMenu::group(const QString& name) const {
    return groups_.value(name, nullptr);
}

void PopupMenu::setEnabled(const QString& name, bool enabled) {
    if (QAction* action = item(name)) {
        action->setEnabled(enabled);
    }
}

}  // namespace tunexa::app
