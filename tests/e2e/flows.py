# The everyday journey: python3 flows.py TUNEXA TUNEXA-REG. Started minimised: the icon restores
# the window; a tray clock item is stored; a panel's Apply, confirmed, stores the driver's values
# (read with tunexa-reg); the tray menu's Exit ends the program and takes its icon out of the tray.

import sys

import tunexa_e2e as e2e

TNT_D3D = r"HKLM\Software\NVIDIA Corporation\Riva TNT\Direct3D"


def answer(program, text, title, button):
    # The message box saying text, checked for its title and answered with button.
    box = program.message_box(text)
    e2e.check(box.name == title, f"the box saying '{text}' is titled '{box.name}'")
    e2e.press(e2e.find(box, program.pyatspi.ROLE_PUSH_BUTTON, button))


def daily_use(session):
    roles = session.pyatspi
    session.configure(["TNT Available"], minimised=True)
    program = session.start_program()
    program.app()
    e2e.check(not session.visible_windows(e2e.MAIN_TITLE), "the main window is not minimised")
    session.click_tray_icon(1)
    window = program.window(e2e.MAIN_TITLE)
    e2e.wait_for(lambda: session.visible_windows(e2e.MAIN_TITLE), "the window to be restored")
    on = [name for name, (_, page) in e2e.tab_pages(window).items() if e2e.state(page, "ENABLED")]
    e2e.check(on == ["  Main Settings", "   Riva TNT", "  Other Stuff"], f"tabs on: {on}")

    session.choose_menu_path(["Riva TNT", "Core Clock", "105 Mhz"])
    answer(program, "Are you sure?", "Are you sure?", "Yes")
    e2e.wait_for(lambda: session.query(TNT_D3D).get("NVCLK") == ("REG_SZ", "105"), "NVCLK 105")
    tab, page = e2e.tab_pages(window)["   Riva TNT"]
    e2e.press(tab)
    e2e.wait_for(lambda: e2e.state(page, "SHOWING"), "the Riva TNT tab to be current")
    slider = e2e.find(page, roles.ROLE_SLIDER, "Core clock")
    e2e.check(slider.queryValue().currentValue == 15, "the core clock slider did not follow")

    slider.queryValue().currentValue = 10
    e2e.wait_for(lambda: slider.queryValue().currentValue == 10, "the core clock slider at 10")
    e2e.press(e2e.find(page, roles.ROLE_PUSH_BUTTON, "Apply all settings"))
    answer(program, "Are you sure?", "Applying Settings", "Yes")
    program.message_box("A reboot is needed to force changes")
    stored = session.query(TNT_D3D).get("NVCLK")
    e2e.check(stored == ("REG_SZ", "100"), f"NVCLK stored as {stored}")
    answer(program, "A reboot is needed to force changes", "TNT Settings Applied", "OK")
    e2e.wait_for(program.no_message_box, "the result box to close")

    session.choose_menu_path(["Exit"])
    e2e.check(program.wait_ended() == 0, "Exit did not end the program cleanly")
    e2e.wait_for(lambda: not session.tray_icons(), "the tray icon to leave the tray host")
    e2e.check(session.trayer.poll() is None, "the tray host ended with the program")


if __name__ == "__main__":
    sys.exit(e2e.run(daily_use))
