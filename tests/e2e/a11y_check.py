# Accessibility check through AT-SPI, the interface screen readers use.
#
# Walks the first-run window, every tab of the main window and the option pages the 3Dfx tab
# switches between, a message box and the tray menu: every showing control must have a role and
# a name of its own (not just its frame's title). Each window and page is then walked with the
# Tab key, which must reach every showing, enabled control. Reports every offender, then fails if
# there was one. Usage: /usr/bin/python3 a11y_check.py TUNEXA TUNEXA-REG

import sys

import tunexa_e2e as e2e

# What a screen reader user operates; the Tab key must reach all but the menu items and tabs.
KEYBOARD_ROLES = ("PUSH_BUTTON", "CHECK_BOX", "RADIO_BUTTON", "TOGGLE_BUTTON", "SLIDER",
                  "SPIN_BUTTON", "LIST", "LIST_BOX", "TEXT", "ENTRY", "PASSWORD_TEXT",
                  "COMBO_BOX", "TABLE", "TREE", "TREE_TABLE")
CONTROL_ROLES = KEYBOARD_ROLES + ("MENU_ITEM", "CHECK_MENU_ITEM", "RADIO_MENU_ITEM", "PAGE_TAB")
# (panel on the 3Dfx tab, its button, a check box only its page shows, panel and button back)
OPTION_PAGES = (("Banshee", "D3D Options", "Force Anti Aliasing", "Banshee - D3D", "Back"),
                ("Banshee", "Glide Options", "Rush Emulation", "Banshee - Glide", "Back"),
                ("Voodoo 2", "Glide Options", "Limit to 2Mb", "Voodoo 2", "D3D Options"))


class Walk:
    def __init__(self, session):
        self.session, self.roles = session, session.pyatspi
        self.keyboard = {getattr(self.roles, "ROLE_" + name) for name in KEYBOARD_ROLES}
        self.controls = {getattr(self.roles, "ROLE_" + name) for name in CONTROL_ROLES}
        self.offenders, self.seen = [], set()

    def names(self, root, where, only_showing=True):
        # Every control below root has a role and a name of its own.
        for node in [root] + e2e.descendants(root, only_showing):
            if e2e.identity(node) in self.seen:
                continue
            self.seen.add(e2e.identity(node))
            role, name = node.getRole(), (node.name or "").strip()
            if role in (self.roles.ROLE_INVALID, self.roles.ROLE_UNKNOWN):
                self.offenders.append(f"{where}: '{node.name}' in '{node.parent.name}' has no role")
            elif role in self.controls and (not name or name == frame_title(node, self.roles)):
                # Qt names a control without a name of its own after its group box.
                self.offenders.append(f"{where}: {node.getRoleName()} #{node.getIndexInParent()}"
                                      f" in '{node.parent.name}' has no name of its own")

    def keyboard_walk(self, page, where):
        # Tabs round page until the focus comes back; every showing, enabled control must have
        # had it on the way.
        expected = {e2e.identity(node): node for node in e2e.descendants(page)
                    if node.getRole() in self.keyboard and e2e.state(node, "ENABLED")}
        reached, start = set(), None
        for _ in range(len(expected) + 20):
            since = self.session.focus.serial
            self.session.xdotool("key", "Tab")
            node = self.session.focus.wait_change(since, f"the focus to move with Tab on {where}")
            if node.getRole() in (self.roles.ROLE_LIST_ITEM, self.roles.ROLE_TABLE_CELL,
                                  self.roles.ROLE_PAGE_TAB):
                node = node.parent  # an item stands for its list, a tab for the tab bar
            if e2e.identity(node) == start:
                break
            if not e2e.showing(node):
                self.offenders.append(f"keyboard, {where}: Tab reaches '{node.name}', hidden")
            start = start or e2e.identity(node)
            reached.add(e2e.identity(node))
        else:
            self.offenders.append(f"keyboard, {where}: the Tab order never comes round")
        self.offenders += [f"keyboard, {where}: {node.getRoleName()} '{node.name}' cannot be "
                           f"reached with Tab" for key, node in expected.items()
                           if key not in reached]

    def focus(self, program, title):
        window = program.window(title)
        window_id = min(e2e.wait_for(lambda: self.session.visible_windows(title), title))
        self.session.xdotool("windowfocus", "--sync", str(window_id))
        return window


def frame_title(node, roles):
    while node.parent is not None and node.parent.getRole() != roles.ROLE_FRAME:
        node = node.parent
        if node.getRole() == roles.ROLE_PANEL and (node.name or "").strip():
            return node.name.strip()
    return None


def test(session):
    roles = session.pyatspi
    walk = Walk(session)
    first_run = session.start_program()
    window = walk.focus(first_run, e2e.FIRST_RUN_TITLE)
    walk.names(window, "first-run window")
    walk.keyboard_walk(window, "first-run window")
    e2e.end_group(first_run.process)

    session.configure(e2e.CARD_FLAGS)
    program = session.start_program()
    window = walk.focus(program, e2e.MAIN_TITLE)
    for tab in e2e.tab_pages(window):
        page = e2e.select_tab(window, tab)
        walk.names(window, f"tab '{tab.strip()}'")
        walk.keyboard_walk(page, f"tab '{tab.strip()}'")
    for panel, button, marker, back_panel, back in OPTION_PAGES:
        where = f"3Dfx, {panel} > {button}"
        page = e2e.select_tab(window, " 3Dfx")
        e2e.press(e2e.find(e2e.find(page, roles.ROLE_PANEL, panel), roles.ROLE_PUSH_BUTTON, button))
        frame = lambda: e2e.find(page, roles.ROLE_PANEL, back_panel)  # noqa: E731
        shown = e2e.wait_for(lambda: e2e.find(frame(), roles.ROLE_CHECK_BOX, marker), where)
        walk.names(window, where)
        walk.keyboard_walk(page, where)
        e2e.press(e2e.find(frame(), roles.ROLE_PUSH_BUTTON, back))
        e2e.wait_for(lambda: not e2e.showing(shown), f"'{marker}' to go after '{back}'")

    e2e.press(e2e.find(e2e.select_tab(window, "   Riva TNT"), roles.ROLE_PUSH_BUTTON,
                       "Apply all settings"))
    question = program.message_box("Are you sure?")
    walk.names(question, "message box 'Applying Settings'")
    e2e.press(e2e.find(question, roles.ROLE_PUSH_BUTTON, "No"))
    e2e.press(e2e.find(program.message_box("Settings Not Applied"), roles.ROLE_PUSH_BUTTON, "OK"))
    e2e.wait_for(program.no_message_box, "the notice to close")
    walk.names(session.tray_menu().parent, "tray menu", only_showing=False)

    for offender in walk.offenders:
        e2e.log(f"OFFENDER {offender}")
    e2e.check(not walk.offenders, f"{len(walk.offenders)} accessibility offenders")


if __name__ == "__main__":
    sys.exit(e2e.run(test))
