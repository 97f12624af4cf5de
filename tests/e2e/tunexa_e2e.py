# Runs the built Tunexa as a user meets it: on its own X server (Xvfb) with a tray host
# (trayer), a private session bus carrying the AT-SPI accessibility bus, and a temporary data
# root. Scripts drive it through AT-SPI (pyatspi, as a screen reader does) and xdotool.
#
# Exit codes: 0 passed, 1 failed, 77 skipped when a tool the run needs is missing. Every process
# runs in a process group of its own and is ended with it; the script adopts the orphans the
# session bus leaves behind (the accessibility bus) and reaps them.

import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

TIMEOUT = 30.0
TUNEXA_KEY = r"HKLM\Software\Tunexa\Tunexa"
MAIN_TITLE = "Tunexa v1.0.7 for Win95/98 - Public Beta"
CARD_FLAGS = ("TNT Available", "Voodoo Available", "Voodoo2 Available", "Banshee Available")
TOOLS = ("Xvfb", "dbus-daemon", "trayer", "xdotool", "xwininfo", "/usr/libexec/at-spi-bus-launcher")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(condition, what, timeout=TIMEOUT, required=True):
    # Polls condition until it gives a true value, which it returns, letting the AT-SPI client
    # handle what arrived from the buses (new objects, events) in between. At the timeout, fails
    # when required, else gives None.
    from gi.repository import GLib
    deadline, last_error = time.monotonic() + timeout, None
    while time.monotonic() < deadline:
        while GLib.MainContext.default().pending():
            GLib.MainContext.default().iteration(False)
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # an object that went away while looking: look again
            last_error = error
        time.sleep(0.05)
    check(not required, f"timed out waiting for {what}" + (f" ({last_error})" if last_error else ""))


class Session:
    # One X server, session bus (with the accessibility bus), tray host and data root. Popup
    # menus are not children of the application object: the focus events reach them, as they
    # do for a screen reader.

    def __init__(self, tunexa, tunexa_reg):
        self.tunexa, self.tunexa_reg = os.path.abspath(tunexa), os.path.abspath(tunexa_reg)
        self.base, self.processes, self.pyatspi = tempfile.mkdtemp(prefix="tunexa-e2e-"), [], None
        self.focus_serial, self.focused = 0, []  # the latest focus events, numbered

    def __enter__(self):
        ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER: adopt the orphans
        try:
            self._start()
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if self.pyatspi is not None:
            self.pyatspi.Registry.deregisterEventListener(self._on_focus, FOCUSED)
        for process in reversed(self.processes):
            for sig in (signal.SIGTERM, signal.SIGKILL):  # the group, then what is left of it
                try:
                    os.killpg(process.pid, sig)
                    process.wait(timeout=5)
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    pass
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:  # the adopted orphans, signalled with their group
            try:
                if os.waitpid(-1, os.WNOHANG)[0] == 0:
                    time.sleep(0.05)
            except ChildProcessError:
                break
        if os.environ.get("TUNEXA_E2E_KEEP") != "1":
            shutil.rmtree(self.base, ignore_errors=True)

    def spawn(self, name, argv, env, **kwargs):
        with open(os.path.join(self.base, f"{name}.log"), "ab") as out:
            process = subprocess.Popen(argv, env=env, stdout=out, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def _line_from(self, name, argv, env):
        # Starts argv with a pipe in place of {fd} and gives the line it writes there.
        read_end, write_end = os.pipe()
        self.spawn(name, [arg.replace("{fd}", str(write_end)) for arg in argv], env,
                   pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            check(select.select([pipe], [], [], TIMEOUT)[0], f"{name} did not start")
            return pipe.readline().strip()

    def _start(self):
        folders = {name: os.path.join(self.base, name) for name in ("runtime", "data", "config")}
        for folder in folders.values():
            os.makedirs(folder, mode=0o700)
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("QT_", "DBUS_", "AT_SPI", "XDG_", "WAYLAND", "DISPLAY"))}
        env.update(XDG_RUNTIME_DIR=folders["runtime"], XDG_DATA_HOME=folders["data"],
                   XDG_CONFIG_HOME=folders["config"], HOME=self.base,
                   GSETTINGS_BACKEND="memory", LC_ALL="C.UTF-8")
        env["DISPLAY"] = ":" + self._line_from("xvfb", [
            "Xvfb", "-displayfd", "{fd}", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
            "-noreset"], env)
        env["DBUS_SESSION_BUS_ADDRESS"] = self._line_from("dbus", [
            "dbus-daemon", "--session", "--nofork", "--print-address={fd}"], env)
        self.env = dict(env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.trayer = self.spawn("trayer", [
            "trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width",
            "120", "--heighttype", "pixel", "--height", "28", "--expand", "false"],
            dict(env, NO_AT_BRIDGE="1"))
        wait_for(lambda: '("panel" "trayer")' in self.window_tree(), "the tray host's panel")
        # This script's own AT-SPI client must see this session only.
        for key in [key for key in os.environ if key.startswith(("AT_SPI", "DBUS_"))]:
            del os.environ[key]
        os.environ.update({key: env[key] for key in (
            "DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "GSETTINGS_BACKEND")})
        import pyatspi
        self.pyatspi = pyatspi
        pyatspi.Registry.registerEventListener(self._on_focus, FOCUSED)

    def _on_focus(self, event):
        if event.detail1 == 1:
            self.focus_serial += 1
            self.focused = self.focused[-49:] + [(self.focus_serial, event.source)]

    def dump_logs(self):
        for name in sorted(name for name in os.listdir(self.base) if name.endswith(".log")):
            with open(os.path.join(self.base, name), errors="replace") as log_file:
                print(f"--- {name} ---\n{log_file.read().strip()[-4000:]}", flush=True)

    # --- the store, through tunexa-reg ---

    def command(self, *argv, check=True):
        # Runs argv in this session and gives what it printed.
        return subprocess.run(argv, env=self.env, check=check, capture_output=True, text=True,
                              timeout=TIMEOUT).stdout

    def query(self, key):
        # The values of key as {name: (type, data)}.
        lines = self.command(self.tunexa_reg, "query", key, check=False).splitlines()
        matches = (re.match(r"^ {4}(.*?) {4}(REG_\w+)(?: {4}(.*))?$", line) for line in lines)
        return {m.group(1): (m.group(2), m.group(3) or "") for m in matches if m}

    def configure(self, cards, minimised=False):
        # What a finished first run leaves in the store.
        flags = {"Configure": "0", "Start Minimised": "1" if minimised else "0"}
        flags.update({flag: "1" if flag in cards else "0" for flag in CARD_FLAGS})
        for name, data in flags.items():
            self.command(self.tunexa_reg, "add", TUNEXA_KEY, "/v", name, "/d", data, "/f")

    def start_program(self):
        return Program(self, self.spawn("tunexa", [self.tunexa], self.env))

    # --- X windows and the tray ---

    def window_tree(self, *window):
        # The X window tree below window ("-id", id), the root's by default.
        return self.command("xwininfo", "-tree", *(window or ["-root"]), check=False)

    def xdotool(self, *args):
        return self.command("xdotool", *args)

    def visible_windows(self, name):
        # Ids of tunexa's mapped windows named exactly name.
        visible = self.xdotool("search", "--onlyvisible", "--classname", "tunexa").split()
        named = re.findall(r'^\s+(0x[0-9a-f]+) "' + re.escape(name) + '": ', self.window_tree(),
                           re.MULTILINE)
        return {int(window) for window in visible} & {int(window, 16) for window in named}

    def tray_icons(self):
        # (id, width, height, x, y) of each of tunexa's windows in the tray host's panel.
        panel = re.search(r'(0x[0-9a-f]+) .*\("panel" "trayer"\)', self.window_tree())
        icon = r'(0x[0-9a-f]+) .*\("tunexa".* (\d+)x(\d+)\S* +\+(-?\d+)\+(-?\d+)'
        return [tuple(int(group, 0) for group in match.groups()) for match in
                re.finditer(icon, self.window_tree("-id", panel.group(1)) if panel else "")]

    def click_tray_icon(self, button):
        def mapped():  # the one tray icon, once it is on the screen
            icons = self.tray_icons()
            check(len(icons) <= 1, f"more than one tray icon: {icons}")
            return icons and icons[0][0] in self.visible_windows("Tunexa") and icons[0]
        _, width, height, x, y = wait_for(mapped, "the tray icon")
        # Moved away afterwards: a synchronous move to where the pointer already is hangs.
        self.xdotool("mousemove", "--sync", str(x + width // 2), str(y + height // 2), "click",
                     str(button), "mousemove", "0", "0")

    def key_to_item(self, key, what):
        # Presses key and gives the menu item of the latest focus event after it (a late event
        # of another window does not count).
        since = self.focus_serial
        self.xdotool("key", key)
        return wait_for(lambda: next((node for serial, node in reversed(self.focused) if serial >
                                      since and node.getRole() == self.pyatspi.ROLE_MENU_ITEM),
                                     None), what)

    def choose_menu_path(self, path):
        # Opens the tray menu (a click the icon did not take yet is harmless: it is clicked again),
        # walks to each caption of path with the arrow keys (Down along a menu, Right into a
        # submenu) and runs the last item with Return.
        icons = {icon[0] for icon in self.tray_icons()}
        for attempt in range(3):
            self.click_tray_icon(3)
            if wait_for(lambda: self.visible_windows("Tunexa") - icons, "the tray menu to open",
                        TIMEOUT / 3, required=attempt == 2):
                break
        item = self.key_to_item("Down", "the tray menu's first item")
        for depth, caption in enumerate(path):
            first = (item.get_process_id(), item.path)
            while item.name != caption:
                item = self.key_to_item("Down", f"the menu item after '{item.name}'")
                check((item.get_process_id(), item.path) != first,
                      f"no item '{caption}' after {path[:depth]}")
            if depth + 1 < len(path):
                item = self.key_to_item("Right", f"the submenu of '{caption}'")
        self.xdotool("key", "Return")


class Program:
    # A running tunexa seen through AT-SPI.

    def __init__(self, session, process):
        self.process, self.pyatspi, self._app = process, session.pyatspi, None

    def wait_ended(self):
        wait_for(lambda: self.process.poll() is not None, "the program to end")
        return self.process.returncode

    def app(self):
        # The program's accessible application, found by its process id.
        def find_app():
            desktop = self.pyatspi.Registry.getDesktop(0)
            apps = (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
            return next((a for a in apps if a and a.get_process_id() == self.process.pid), None)
        check(self.process.poll() is None, f"the program ended ({self.process.poll()})")
        if self._app is None:
            self._app = wait_for(find_app, "the program on the accessibility bus")
            self._app.set_cache_mask(0)
        return self._app

    def windows(self):
        app = self.app()  # checks that the program still runs
        return [w for w in map(app.getChildAtIndex, range(app.childCount))
                if w and state(w, "SHOWING")]

    def message_box(self, text):
        # A showing message box one of whose labels holds text.
        def boxes():
            return next((box for box in self.windows() if box.getRole() == self.pyatspi.ROLE_ALERT
                         and any(text in label.name
                                 for label in find_all(box, self.pyatspi.ROLE_LABEL))), None)
        return wait_for(boxes, f"a message box saying '{text}'")

    def no_message_box(self):
        return all(w.getRole() != self.pyatspi.ROLE_ALERT for w in self.windows())


# --- AT-SPI helpers ---

FOCUSED = "object:state-changed:focused"


def state(node, name):
    import pyatspi
    return node.getState().contains(getattr(pyatspi, "STATE_" + name))


def find_all(root, role):
    # The showing descendants with the role.
    found = []
    for child in map(root.getChildAtIndex, range(root.childCount)):
        if child is not None and state(child, "SHOWING"):
            found += ([child] if child.getRole() == role else []) + find_all(child, role)
    return found


def find(root, role, name):
    # The first showing descendant with the role and name (a button's without its & marker).
    nodes = [node for node in find_all(root, role) if node.name.replace("&", "") == name]
    check(nodes, f"no '{name}' in '{root.name}'")
    return nodes[0]


def press(node):
    node.queryAction().doAction(0)  # a button's press, a check box's toggle, a tab's switch


def run(test):
    # Runs test(session) in a fresh session; argv: tunexa tunexa-reg. Gives the exit code.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # a runner's timeout: clean up
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if subprocess.run([sys.executable, "-c", "import pyatspi"]).returncode != 0:
        missing.append("python3-pyatspi")
    if missing:
        print(f"SKIP: missing {', '.join(missing)}")
        return 77
    started = time.monotonic()
    try:
        with Session(sys.argv[1], sys.argv[2]) as session:
            try:
                test(session)
            except BaseException:
                session.dump_logs()
                raise
    except Exception as error:
        print(f"FAIL: {error}" if isinstance(error, Failure) else traceback.format_exc())
        return 1
    print(f"PASS ({time.monotonic() - started:.1f} s)")
    return 0
