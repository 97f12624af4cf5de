"""A first run choosing the Riva TNT alone, then the second start: the main window with the
Riva TNT tab on and the 3Dfx tab greyed, and the tray menu's branches to match."""

import sys

import tunexa_e2e as e2e


def menu_children(menu):
    return [menu.getChildAtIndex(i) for i in range(menu.childCount)]


def submenu(item):
    e2e.check(item.childCount == 1, f"menu item '{item.name}' has no submenu")
    return item.getChildAtIndex(0)


def captions(menu):
    return [item.name for item in menu_children(menu)]


def clock_captions(first, last):
    return ["Default"] + [f"{clock} Mhz" for clock in range(first, last + 1)]


def first_run(session):
    pyatspi = session.pyatspi
    program = session.start_program()
    window = program.window(e2e.FIRST_RUN_TITLE)
    box = e2e.find(window, pyatspi.ROLE_CHECK_BOX, "NVidia Riva TNT")
    e2e.press(box)
    e2e.wait_for(lambda: box.getState().contains(pyatspi.STATE_CHECKED), "the TNT box checked",
                 pump=e2e.pump)
    e2e.press(e2e.find_button(window, "OK"))
    notice = program.message_box("Please restart Tunexa.")
    e2e.press(e2e.find_button(notice, "OK"))
    e2e.check(program.wait_ended() == 0, "the first run did not end cleanly")


def test(session):
    pyatspi = session.pyatspi
    first_run(session)

    program = session.start_program()
    window = program.window(e2e.MAIN_TITLE)
    pages = e2e.tab_pages(window)
    e2e.check(list(pages) == list(e2e.TAB_NAMES), f"tabs: {list(pages)}")
    on = {name: e2e.tab_on(window, name) for name in e2e.TAB_NAMES}
    e2e.check(on == {"  Main Settings": True, "   Riva TNT": True, " 3Dfx": False,
                     "  Other Stuff": True}, f"tabs switched on: {on}")
    e2e.check(e2e.showing(pages["  Main Settings"][1]), "the first tab is not the current one")
    main_page = pages["  Main Settings"][1]
    selection = {box.name: box.getState().contains(pyatspi.STATE_CHECKED)
                 for box in e2e.find_all(e2e.find(main_page, pyatspi.ROLE_PANEL,
                                                  "Choose Available Cards"),
                                         pyatspi.ROLE_CHECK_BOX)}
    e2e.check(selection.get("Riva TNT") and not selection.get("Banshee")
              and not selection.get("Voodoo 2") and not selection.get("Voodoo"),
              f"card selection boxes: {selection}")
    e2e.wait_for(lambda: len(session.tray_icons()) == 1, "one tray icon")

    menu = session.tray_menu_tree()
    items = {item.name: item for item in menu_children(menu)
             if item.getRole() == pyatspi.ROLE_MENU_ITEM}
    e2e.check([name for name in captions(menu) if name] ==
              ["Riva TNT", "Voodoo2", "Banshee", "Reboot", "Exit Windows", "Restore", "Exit"],
              f"tray menu: {captions(menu)}")
    branches = {name: e2e.enabled(items[name]) for name in ("Riva TNT", "Voodoo2", "Banshee")}
    e2e.check(branches == {"Riva TNT": True, "Voodoo2": False, "Banshee": False},
              f"tray branches enabled: {branches}")
    riva = {item.name: item for item in menu_children(submenu(items["Riva TNT"]))}
    e2e.check(list(riva) == ["Memory Clock", "Core Clock", "VSync On/Off"],
              f"Riva TNT branch: {list(riva)}")
    e2e.check(captions(submenu(riva["Core Clock"])) == clock_captions(90, 120),
              f"Riva TNT core clocks: {captions(submenu(riva['Core Clock']))}")
    e2e.check(captions(submenu(riva["Memory Clock"])) == clock_captions(110, 130),
              f"Riva TNT memory clocks: {captions(submenu(riva['Memory Clock']))}")
    e2e.check(captions(submenu(riva["VSync On/Off"])) == ["Off", "On"], "VSync items")
    banshee = {item.name: item for item in menu_children(submenu(items["Banshee"]))}
    e2e.check(captions(submenu(banshee["Core Clock"])) == clock_captions(100, 110),
              f"Banshee core clocks: {captions(submenu(banshee['Core Clock']))}")
    session.close_menus()

    e2e.check(program.running(), "the program ended")

if __name__ == "__main__":
    sys.exit(e2e.run(test))
