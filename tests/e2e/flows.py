# The user journeys, one per test: python3 flows.py JOURNEY TUNEXA TUNEXA-REG.
#
# first_run  an empty data root: the first-run window, its OK, the restart notice, the end
# daily_use  started minimised: the icon restores the window; a tray clock item is stored; a
#            panel's Apply, confirmed, stores the driver's values (read with tunexa-reg); the tray
#            menu's Exit ends the program and takes its icon out of the tray

import sys

import tunexa_e2e as e2e

TNT_D3D = r"HKLM\Software\NVIDIA Corporation\Riva TNT\Direct3D"


def answer(program, text, title, button):
    # The message box saying text, checked for its title and answered with button.
    box = program.message_box(text)
    e2e.check(box.name == title, f"the box saying '{text}' is titled '{box.name}'")
    e2e.press(e2e.find(box, program.pyatspi.ROLE_PUSH_BUTTON, button))


def first_run(session):
    program = session.start_program()
    window = program.window(e2e.FIRST_RUN_TITLE)
    boxes = {box.name: box for box in e2e.find_all(window, session.pyatspi.ROLE_CHECK_BOX)}
    e2e.check(sorted(boxes) == ["3Dfx Banshee", "3Dfx Voodoo", "3Dfx Voodoo2", "NVidia Riva TNT"],
              f"first-run check boxes: {sorted(boxes)}")
    e2e.check(not session.visible_windows(e2e.MAIN_TITLE), "the main window is showing too")
    e2e.check(not session.query(e2e.TUNEXA_KEY), "settings stored before the first run's OK")
    for name in ("NVidia Riva TNT", "3Dfx Banshee"):
        e2e.press(boxes[name])
        e2e.wait_for(lambda: e2e.state(boxes[name], "CHECKED"), f"'{name}' checked")
    e2e.press(e2e.find(window, session.pyatspi.ROLE_PUSH_BUTTON, "OK"))
    answer(program, "Please restart Tunexa.", "Restart Tunexa", "OK")
    e2e.check(program.wait_ended() == 0, "the program did not end cleanly")
    e2e.wait_for(lambda: not session.tray_icons(), "the tray icon to go")
    stored = {name: data for name, (_, data) in session.query(e2e.TUNEXA_KEY).items()}
    e2e.check(stored == {"Configure": "0", "Start Minimised": "0", "TNT Available": "1",
                         "Voodoo Available": "0", "Voodoo2 Available": "0",
                         "Banshee Available": "1"}, f"stored: {stored}")


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

    items = session.choose_menu_path(["Riva TNT", "Core Clock", "105 Mhz"])
    program.message_box("Are you sure?")
    e2e.check(not session.query(TNT_D3D).get("NVCLK"), "NVCLK stored before Yes")
    answer(program, "Are you sure?", "Are you sure?", "Yes")
    e2e.wait_for(lambda: session.query(TNT_D3D).get("NVCLK") == ("REG_SZ", "105"), "NVCLK 105")
    clocks = e2e.descendants(items[-1].parent, only_showing=False)
    checked = [item.name for item in clocks if e2e.state(item, "CHECKED")]
    e2e.check(checked == ["105 Mhz"], f"checked core clock items: {checked}")
    page = e2e.select_tab(window, "   Riva TNT")
    slider = e2e.find(page, roles.ROLE_SLIDER, "Core clock")
    e2e.check(slider.queryValue().currentValue == 15, "the core clock slider did not follow")
    e2e.check(program.no_message_box(), "a message followed the confirmed clock item")

    slider.queryValue().currentValue = 10
    e2e.wait_for(lambda: slider.queryValue().currentValue == 10, "the core clock slider at 10")
    e2e.press(e2e.find(page, roles.ROLE_PUSH_BUTTON, "Apply all settings"))
    program.message_box("Are you sure?")
    e2e.check(session.query(TNT_D3D).get("NVCLK") == ("REG_SZ", "105"), "NVCLK stored before Yes")
    answer(program, "Are you sure?", "Applying Settings", "Yes")
    program.message_box("A reboot is needed to force changes")
    stored = session.query(TNT_D3D)
    e2e.check(stored.get("NVCLK") == ("REG_SZ", "100"), f"NVCLK stored as {stored.get('NVCLK')}")
    e2e.check(stored.get("FOGTABLEENABLE", ("",))[0] == "REG_BINARY", f"stored: {stored}")
    answer(program, "A reboot is needed to force changes", "TNT Settings Applied", "OK")
    e2e.wait_for(program.no_message_box, "the result box to close")

    session.choose_menu_path(["Exit"])
    e2e.check(program.wait_ended() == 0, "Exit did not end the program cleanly")
    e2e.wait_for(lambda: not session.tray_icons(), "the tray icon to leave the tray host")
    e2e.check(session.trayer.poll() is None, "the tray host ended with the program")


if __name__ == "__main__":
    journey = {flow.__name__: flow for flow in (first_run, daily_use)}
    sys.exit(e2e.run(journey[sys.argv.pop(1)]))
