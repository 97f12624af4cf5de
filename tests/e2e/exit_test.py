"""A program started minimised sits in the tray alone; the tray menu's Exit ends it and takes
the icon out of the tray host."""

import sys

import tunexa_e2e as e2e


def test(session):
    session.configure(cards=("TNT Available", "Banshee Available"))
    session.set_text(e2e.TUNEXA_KEY, "Start Minimised", "1")
    program = session.start_program()
    e2e.wait_for(lambda: len(session.tray_icons()) == 1, "one tray icon")
    program.app()
    e2e.check(not session.visible_windows(e2e.MAIN_TITLE),
              "the main window is on the screen although it starts minimised")

    session.open_tray_menu()
    session.choose_menu_path(["Exit"])
    code = program.wait_ended()
    e2e.check(code == 0, f"Exit ended the program with exit code {code}")
    e2e.wait_for(lambda: not session.tray_icons(), "the tray icon to leave the tray host")
    e2e.check(session.trayer.poll() is None, "the tray host ended with the program")


if __name__ == "__main__":
    sys.exit(e2e.run(test))
