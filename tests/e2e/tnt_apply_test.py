"""Riva TNT tab: a core clock and a check box changed, "Apply all settings" confirmed, the
driver's values stored and read back with tunexa-reg."""

import sys

import tunexa_e2e as e2e

DIRECT3D_KEY = r"HKLM\Software\NVIDIA Corporation\Riva TNT\Direct3D"


def test(session):
    pyatspi = session.pyatspi
    session.configure(cards=("TNT Available",))
    program = session.start_program()
    window = program.window(e2e.MAIN_TITLE)
    page = e2e.select_tab(window, "   Riva TNT")

    slider = e2e.find(page, pyatspi.ROLE_SLIDER, "Core clock")
    e2e.check(slider is not None, "no 'Core clock' slider on the Riva TNT tab")
    slider.queryValue().currentValue = 10
    e2e.wait_for(lambda: slider.queryValue().currentValue == 10, "the core clock slider at 10",
                 pump=e2e.pump)
    e2e.check(not session.query(DIRECT3D_KEY).get("NVCLK"), "NVCLK stored before Apply")

    e2e.press(e2e.find_button(page, "Apply all settings"))
    question = program.message_box("Are you sure?")
    e2e.check(question.name == "Applying Settings", f"the question is titled '{question.name}'")
    e2e.check(not session.query(DIRECT3D_KEY).get("NVCLK"), "NVCLK stored before Yes")
    e2e.press(e2e.find_button(question, "Yes"))

    done = program.message_box("A reboot is needed to force changes")
    e2e.check(done.name == "TNT Settings Applied", f"the result box is titled '{done.name}'")
    stored = session.query(DIRECT3D_KEY)
    e2e.check(stored.get("NVCLK") == ("REG_SZ", "100"), f"NVCLK stored as {stored.get('NVCLK')}")
    e2e.check(len(stored) >= 10, f"only {len(stored)} Direct3D values stored: {sorted(stored)}")
    e2e.press(e2e.find_button(done, "OK"))
    e2e.wait_for(program.no_message_box, "the result box to close", pump=e2e.pump)

    # The tray menu follows the applied clock.
    session.open_tray_menu()
    items = session.choose_menu_path(["Riva TNT", "Core Clock"])
    core_menu = items[-1].getChildAtIndex(0)
    checked = [core_menu.getChildAtIndex(i).name for i in range(core_menu.childCount)
               if core_menu.getChildAtIndex(i).getState().contains(pyatspi.STATE_CHECKED)]
    e2e.check(checked == ["100 Mhz"], f"checked tray core clock items: {checked}")
    session.xdotool("key", "Escape", "Escape", "Escape")
    e2e.check(program.running(), "the program ended")


if __name__ == "__main__":
    sys.exit(e2e.run(test))
