"""Accessibility check of the built program through AT-SPI, the interface screen readers use.

Walks the first-run window, every tab of the main window (and the option pages the 3Dfx tab
switches between), a message box and, with a tray host, the tray menu; every control that is
showing must have a role and a non-empty accessible name. Then walks each tab with the Tab key
and requires that every showing, enabled control takes the keyboard focus. Reports every
offender, then fails if there was one.

Usage: /usr/bin/python3 a11y_check.py TUNEXA TUNEXA-REG
"""

import shutil
import sys

import tunexa_e2e as e2e

# What a screen reader user operates; each needs a name of its own.
CONTROL_ROLES = ("ROLE_PUSH_BUTTON", "ROLE_CHECK_BOX", "ROLE_RADIO_BUTTON", "ROLE_TOGGLE_BUTTON",
                 "ROLE_SLIDER", "ROLE_SPIN_BUTTON", "ROLE_LIST", "ROLE_LIST_BOX", "ROLE_TEXT",
                 "ROLE_ENTRY", "ROLE_PASSWORD_TEXT", "ROLE_COMBO_BOX", "ROLE_MENU_ITEM",
                 "ROLE_CHECK_MENU_ITEM", "ROLE_RADIO_MENU_ITEM", "ROLE_PAGE_TAB",
                 "ROLE_TABLE", "ROLE_TREE", "ROLE_TREE_TABLE")
NO_ROLE = ("ROLE_INVALID", "ROLE_UNKNOWN")
# Controls the Tab key must reach (a tab bar is reached as a whole, menus by their own keys).
KEYBOARD_ROLES = ("ROLE_PUSH_BUTTON", "ROLE_CHECK_BOX", "ROLE_RADIO_BUTTON", "ROLE_TOGGLE_BUTTON",
                  "ROLE_SLIDER", "ROLE_SPIN_BUTTON", "ROLE_LIST", "ROLE_LIST_BOX", "ROLE_TEXT",
                  "ROLE_ENTRY", "ROLE_PASSWORD_TEXT", "ROLE_COMBO_BOX", "ROLE_TABLE",
                  "ROLE_TREE", "ROLE_TREE_TABLE")

# Option pages a button on a tab brings up: (tab, panel holding the button, button, a control
# that shows only on the page, the panel and button that lead back).
OPTION_PAGES = (
    (" 3Dfx", "Banshee", "D3D Options", ("ROLE_CHECK_BOX", "Force Anti Aliasing"),
     ("Banshee - D3D", "Back")),
    (" 3Dfx", "Banshee", "Glide Options", ("ROLE_CHECK_BOX", "Rush Emulation"),
     ("Banshee - Glide", "Back")),
    (" 3Dfx", "Voodoo 2", "Glide Options", ("ROLE_CHECK_BOX", "Limit to 2Mb"),
     ("Voodoo 2", "D3D Options")),
)


class Report:
    def __init__(self, pyatspi):
        self.pyatspi = pyatspi
        self.control_roles = {getattr(pyatspi, role) for role in CONTROL_ROLES}
        self.no_role = {getattr(pyatspi, role) for role in NO_ROLE}
        self.keyboard_roles = {getattr(pyatspi, role) for role in KEYBOARD_ROLES}
        self.offenders = []
        self.seen = set()
        self.checked = 0

    def place(self, node, stop):
        """The chain of named containers above node, for the report."""
        names = []
        current = node.parent
        while current is not None and e2e.identity(current) != e2e.identity(stop):
            if current.name and current.name.strip():
                names.append(current.name.strip())
            current = current.parent
        return " > ".join(reversed(names)) or stop.name

    def check_node(self, node, where, root):
        key = e2e.identity(node)
        if key in self.seen:
            return
        self.seen.add(key)
        role = node.getRole()
        if role in self.no_role:
            self.offenders.append(f"{where}: '{node.name}' in {self.place(node, root)} has no role")
        elif role in self.control_roles:
            self.checked += 1
            name = (node.name or "").strip()
            if not name:
                self.offenders.append(f"{where}: {node.getRoleName()} without a name in "
                                      f"{self.place(node, root)} (index "
                                      f"{node.getIndexInParent()})")
            elif name == enclosing_frame_title(node, self.pyatspi):
                # Qt names a control without a name of its own after its group box.
                self.offenders.append(f"{where}: {node.getRoleName()} has only its frame's "
                                      f"title '{name}' as name, in {self.place(node, root)} "
                                      f"(index {node.getIndexInParent()})")

    def walk(self, root, where, only_showing=True):
        for node in [root] + e2e.descendants(root, only_showing):
            self.check_node(node, where, root)


def enclosing_frame_title(node, pyatspi):
    current = node.parent
    while current is not None:
        if current.getRole() == pyatspi.ROLE_PANEL and (current.name or "").strip():
            return current.name.strip()
        if current.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT,
                                 pyatspi.ROLE_APPLICATION):
            return None
        current = current.parent
    return None


def focus_target(pyatspi, node):
    """The control a focus event stands for: a list for its item, a tab list for its tab."""
    if node.getRole() in (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL,
                          pyatspi.ROLE_PAGE_TAB):
        return node.parent
    return node


def keyboard_walk(session, page, where, report):
    """Tabs through page (a tab's page or a window) until the focus comes round again; every
    showing, enabled control of the page must have had it. Returns the controls in Tab order."""
    pyatspi = session.pyatspi
    expected = {}
    for node in [n for n in e2e.descendants(page, only_showing=True)
                 if n.getRole() in report.keyboard_roles and e2e.enabled(n)]:
        expected[e2e.identity(node)] = node
    reached, order = set(), []
    start = None
    for _ in range(len(expected) + 20):
        since = session.focus.serial
        session.xdotool("key", "Tab")
        focused = focus_target(pyatspi, session.focus.wait_change(
            since, f"the focus to move with Tab on {where} after "
                   f"{order[-1] if order else 'the start'}"))
        key = e2e.identity(focused)
        if key == start:
            break
        if start is None:
            start = key
        if not e2e.showing(focused):
            report.offenders.append(f"keyboard, {where}: Tab reaches "
                                    f"'{focused.name}', which is not showing")
        reached.add(key)
        order.append(f"{focused.getRoleName()} '{focused.name}'")
    else:
        report.offenders.append(f"keyboard, {where}: the Tab order never comes round")
    for key, node in expected.items():
        if key not in reached:
            report.offenders.append(f"keyboard, {where}: {node.getRoleName()} "
                                    f"'{node.name}' in {report.place(node, page)} cannot be "
                                    f"reached with Tab")
    return order


def focus_window(session, title):
    window_ids = e2e.wait_for(lambda: session.visible_windows(title), f"'{title}' on the screen")
    session.xdotool("windowfocus", "--sync", str(min(window_ids)))


def check_first_run(session, report):
    program = session.start_program()
    window = program.window(e2e.FIRST_RUN_TITLE)
    report.walk(window, "first-run window")
    focus_window(session, e2e.FIRST_RUN_TITLE)
    order = keyboard_walk(session, window, "the first-run window", report)
    program.stop()
    return order


def check_message_box(session, program, window, report):
    """The Riva TNT Apply question, answered No, and the notice that follows."""
    page = e2e.select_tab(window, "   Riva TNT")
    e2e.press(e2e.find_button(page, "Apply all settings"))
    question = program.message_box("Are you sure?")
    report.walk(question, "message box 'Applying Settings'")
    e2e.press(e2e.find_button(question, "No"))
    notice = program.message_box("Settings Not Applied")
    report.walk(notice, "message box 'Settings Not Applied'")
    e2e.press(e2e.find_button(notice, "OK"))
    e2e.wait_for(program.no_message_box, "the notice to close", pump=e2e.pump)


def check_tray_menu(session, report):
    menu = session.tray_menu_tree()
    report.walk(menu, "tray menu", only_showing=False)
    session.close_menus()


def test(session):
    pyatspi = session.pyatspi
    report = Report(pyatspi)
    orders = {"first-run window": check_first_run(session, report)}

    session.configure()
    program = session.start_program()
    window = program.window(e2e.MAIN_TITLE)
    focus_window(session, e2e.MAIN_TITLE)

    for tab_name in e2e.TAB_NAMES:
        page = e2e.select_tab(window, tab_name)
        where = f"tab '{tab_name.strip()}'"
        report.walk(window, where)
        orders[where] = keyboard_walk(session, page, where, report)
    for tab_name, panel_name, button, marker, back in OPTION_PAGES:
        page = e2e.select_tab(window, tab_name)
        panel = e2e.find(page, pyatspi.ROLE_PANEL, panel_name)
        e2e.check(panel is not None, f"no panel '{panel_name}' on tab '{tab_name.strip()}'")
        e2e.press(e2e.find_button(panel, button))
        role, name = marker
        e2e.wait_for(lambda: e2e.find(page, getattr(pyatspi, role), name),
                     f"'{name}' after '{panel_name} > {button}'", pump=e2e.pump)
        report.walk(window, f"tab '{tab_name.strip()}', {panel_name} > {button}")
        keyboard_walk(session, page, f"tab '{tab_name.strip()}', {panel_name} > {button}",
                      report)
        shown = e2e.find(page, getattr(pyatspi, role), name)
        back_panel, back_button = back
        back_panel = e2e.find(page, pyatspi.ROLE_PANEL, back_panel)
        e2e.check(back_panel is not None, f"no panel '{back[0]}' with '{name}' showing")
        e2e.press(e2e.find_button(back_panel, back_button))
        e2e.wait_for(lambda: not e2e.showing(shown), f"'{name}' to go after '{back_button}'",
                     pump=e2e.pump)

    check_message_box(session, program, window, report)
    if session.tray_host:
        check_tray_menu(session, report)
    else:
        e2e.log("note: no tray host (trayer), the tray menu is not checked")

    e2e.log(f"checked {report.checked} controls")
    for where, order in orders.items():
        tab_bars = [index for index, entry in enumerate(order) if entry.startswith("page tab list")]
        if tab_bars:  # shown from the tab bar on, as the user goes round
            order = order[tab_bars[0]:] + order[:tab_bars[0]]
        e2e.log(f"Tab order on {where}: " + ", ".join(order))
    for offender in report.offenders:
        e2e.log(f"OFFENDER {offender}")
    e2e.check(not report.offenders, f"{len(report.offenders)} accessibility offenders")


if __name__ == "__main__":
    sys.exit(e2e.run(test, tray_host=shutil.which("trayer") is not None))
