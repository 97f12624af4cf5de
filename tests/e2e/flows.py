# The everyday journey: python3 flows.py TUNEXA TUNEXA-REG. Started minimised: the icon restores
# the window; a tray clock item, confirmed, is stored (read with tunexa-reg); the tray menu's Exit
# ends the program and takes its icon out of the tray. (The panels' Apply, sliders and tabs are the
# panel and app tests' own, on the real widgets.)

import sys

import tunexa_e2e as e2e

TNT_D3D = r"HKLM\Software\NVIDIA Corporation\Riva TNT\Direct3D"


def answer(program, text, title, button):
    # The message box saying text, checked for its title and answered with button.
    box = program.message_box(text)
    e2e.check(box.name == title, f"the box saying '{text}' is titled '{box.name}'")
    e2e.press(e2e.find(box, program.pyatspi.ROLE_PUSH_BUTTON, button))


def daily_use(session):
    session.configure(["TNT Available"], minimised=True)
    program = session.start_program()
    program.app()
    e2e.check(not session.visible_windows(e2e.MAIN_TITLE), "the main window is not minimised")
    session.click_tray_icon(1)
    e2e.wait_for(lambda: session.visible_windows(e2e.MAIN_TITLE), "the window to be restored")

    session.choose_menu_path(["Riva TNT", "Core Clock", "105 Mhz"])
    answer(program, "Are you sure?", "Are you sure?", "Yes")
    e2e.wait_for(lambda: session.query(TNT_D3D).get("NVCLK") == ("REG_SZ", "105"), "NVCLK 105")
    e2e.wait_for(program.no_message_box, "the question to close")

    session.choose_menu_path(["Exit"])
    e2e.check(program.wait_ended() == 0, "Exit did not end the program cleanly")
    e2e.wait_for(lambda: not session.tray_icons(), "the tray icon to leave the tray host")
    e2e.check(session.trayer.poll() is None, "the tray host ended with the program")


if __name__ == "__main__":
    sys.exit(e2e.run(daily_use))
