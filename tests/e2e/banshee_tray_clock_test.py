"""A Banshee core clock chosen from the tray menu, confirmed, stored under the card's display
class key and shown on the panel and in the menu's check marks."""

import sys

import tunexa_e2e as e2e

CLASS_KEY = r"HKLM\System\CurrentControlSet\Services\Class\Display\0000\DEFAULT"


def test(session):
    pyatspi = session.pyatspi
    session.configure(cards=("Banshee Available",))
    session.set_text(CLASS_KEY, "minivdd", "3dfxvb.vxd")
    program = session.start_program()
    window = program.window(e2e.MAIN_TITLE)

    session.open_tray_menu()
    items = session.choose_menu_path(["Banshee", "Core Clock", "105 Mhz"])
    question = program.message_box("Are you sure?")
    e2e.check(question.name == "Are you sure?", f"the question is titled '{question.name}'")
    e2e.check("grxclock" not in session.query(CLASS_KEY), "the clock was stored before Yes")
    e2e.press(e2e.find_button(question, "Yes"))

    e2e.wait_for(lambda: session.query(CLASS_KEY).get("grxclock") == ("REG_SZ", "105"),
                 "grxclock = 105 under the Banshee's class key")
    stored = session.query(CLASS_KEY)
    e2e.check(stored.get("minivdd") == ("REG_SZ", "3dfxvb.vxd"), f"minivdd became {stored}")
    clock_item = items[-1]
    e2e.wait_for(lambda: clock_item.getState().contains(pyatspi.STATE_CHECKED),
                 "the '105 Mhz' item to be checked", pump=e2e.pump)
    siblings = [clock_item.parent.getChildAtIndex(i) for i in range(clock_item.parent.childCount)]
    checked = [item.name for item in siblings if item.getState().contains(pyatspi.STATE_CHECKED)]
    e2e.check(checked == ["105 Mhz"], f"checked core clock items: {checked}")

    e2e.select_tab(window, " 3Dfx")
    banshee = e2e.find(window, pyatspi.ROLE_PANEL, "Banshee")
    e2e.check(banshee is not None, "no Banshee panel on the 3Dfx tab")
    slider = e2e.find(banshee, pyatspi.ROLE_SLIDER, "Graphics core clock")
    e2e.check(slider is not None, "no 'Graphics core clock' slider on the Banshee panel")
    e2e.check(slider.queryValue().currentValue == 5,
              f"core clock slider at {slider.queryValue().currentValue}, expected 5")
    e2e.check(program.no_message_box(), "a message box followed the confirmed clock item")
    e2e.check(program.running(), "the program ended")


if __name__ == "__main__":
    sys.exit(e2e.run(test))
