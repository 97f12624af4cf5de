"""First start on an empty data root: the first-run window, its OK, the restart notice, the end."""

import sys

import tunexa_e2e as e2e


def test(session):
    pyatspi = session.pyatspi
    program = session.start_program()
    window = program.window(e2e.FIRST_RUN_TITLE)
    boxes = {box.name: box for box in e2e.find_all(window, pyatspi.ROLE_CHECK_BOX)}
    e2e.check(sorted(boxes) == sorted(["NVidia Riva TNT", "3Dfx Voodoo", "3Dfx Voodoo2",
                                       "3Dfx Banshee"]), f"first-run check boxes: {sorted(boxes)}")
    e2e.check(session.query(e2e.TUNEXA_KEY).get("Configure") is None,
              "Configure is stored before the first run is done")
    for name in ("NVidia Riva TNT", "3Dfx Banshee"):
        e2e.press(boxes[name])
        e2e.wait_for(lambda: boxes[name].getState().contains(pyatspi.STATE_CHECKED),
                     f"'{name}' to be checked", pump=e2e.pump)
    e2e.wait_for(lambda: len(session.tray_icons()) == 1, "one tray icon")
    e2e.check(not session.visible_windows(e2e.MAIN_TITLE),
              "the main window is on the screen beside the first-run window")
    e2e.press(e2e.find_button(window, "OK"))

    notice = program.message_box("Please restart Tunexa.")
    e2e.check(notice.name == "Restart Tunexa", f"restart notice titled '{notice.name}'")
    e2e.check(program.running(), "the program ended before the notice was answered")
    e2e.press(e2e.find_button(notice, "OK"))
    code = program.wait_ended()
    e2e.check(code == 0, f"the program ended with exit code {code}")
    e2e.wait_for(lambda: not session.tray_icons(), "the tray icon to go")

    stored = session.query(e2e.TUNEXA_KEY)
    expected = {"Configure": "0", "Start Minimised": "0", "TNT Available": "1",
                "Voodoo Available": "0", "Voodoo2 Available": "0", "Banshee Available": "1"}
    for name, data in expected.items():
        e2e.check(stored.get(name) == ("REG_SZ", data),
                  f"{name} stored as {stored.get(name)}, expected {data}")


if __name__ == "__main__":
    sys.exit(e2e.run(test))
