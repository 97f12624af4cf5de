"""Runs the built Tunexa program as a user meets it: on its own X server (Xvfb), with a tray
host (trayer), a private session bus carrying the AT-SPI accessibility bus, and its own
temporary data root. Scripts drive it through AT-SPI (pyatspi) and xdotool.

Exit codes of the scripts: 0 passed, 1 failed, SKIP (77) when a tool the run needs is missing.
Every process a session starts runs in its own process group and is ended with it; the script
also adopts orphaned grandchildren (the accessibility bus the session bus starts) and reaps them.
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
DEFAULT_TIMEOUT = 30.0
POLL_INTERVAL = 0.05

TUNEXA_KEY = r"HKLM\Software\Tunexa\Tunexa"
MAIN_TITLE = "Tunexa v1.0.7 for Win95/98 - Public Beta"
FIRST_RUN_TITLE = "Configure Tunexa v1.0.6"
CARD_FLAGS = ("TNT Available", "Voodoo Available", "Voodoo2 Available", "Banshee Available")
TAB_NAMES = ("  Main Settings", "   Riva TNT", " 3Dfx", "  Other Stuff")


class Skipped(Exception):
    pass


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print(message, flush=True)


def require_tools(tray_host):
    """Raises Skipped when a tool the run needs is missing; only that is a reason to skip."""
    tools = ["Xvfb", "dbus-daemon", "xdotool", "xwininfo"]
    if tray_host:
        tools.append("trayer")
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        missing.append("at-spi2-core (/usr/libexec/at-spi-bus-launcher)")
    try:
        import pyatspi  # noqa: F401
        from gi.repository import GLib  # noqa: F401
    except ImportError:
        missing.append("python3-pyatspi")
    if missing:
        raise Skipped("missing: " + ", ".join(missing))


def wait_for(condition, what, timeout=DEFAULT_TIMEOUT, pump=None):
    """Polls condition until it gives a true value, which it returns; fails after timeout."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        if pump:
            pump()
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # an object that went away while looking: look again
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(POLL_INTERVAL)


def _become_subreaper():
    pr_set_child_subreaper = 36
    try:
        ctypes.CDLL(None, use_errno=True).prctl(pr_set_child_subreaper, 1, 0, 0, 0)
    except (OSError, AttributeError):
        pass


def _reap_orphans(timeout=5.0):
    """Waits for the adopted grandchildren, all signalled with their group, to be gone."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            if time.monotonic() > deadline:
                return
            time.sleep(POLL_INTERVAL)


def _read_line_from(fd, timeout, what):
    deadline = time.monotonic() + timeout
    data = b""
    os.set_blocking(fd, False)
    while not data.endswith(b"\n"):
        try:
            chunk = os.read(fd, 4096)
            if not chunk:
                break
            data += chunk
        except BlockingIOError:
            if time.monotonic() > deadline:
                raise Failure(f"timed out waiting for {what}")
            time.sleep(POLL_INTERVAL)
    os.close(fd)
    text = data.decode().strip()
    if not text:
        raise Failure(f"{what} gave nothing")
    return text


class Session:
    """One X server, session bus (with the accessibility bus) and optional tray host."""

    def __init__(self, tunexa, tunexa_reg, tray_host=True):
        self.tunexa = os.path.abspath(tunexa)
        self.tunexa_reg = os.path.abspath(tunexa_reg)
        self.tray_host = tray_host
        self.groups = []  # (name, Popen) of every process group started, in start order
        self.base = tempfile.mkdtemp(prefix="tunexa-e2e-")
        self.data_root = os.path.join(self.base, "data")
        self.env = {}
        self.pyatspi = None
        self.focus = None
        self.trayer = None

    def __enter__(self):
        _become_subreaper()
        try:
            self._start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _spawn(self, name, argv, env, **kwargs):
        log_path = os.path.join(self.base, f"{name}.log")
        with open(log_path, "ab") as log_file:
            process = subprocess.Popen(argv, env=env, stdout=log_file, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL, start_new_session=True, **kwargs)
        self.groups.append((name, process))
        return process

    def _start(self):
        runtime = os.path.join(self.base, "runtime")
        for folder in (runtime, self.data_root, os.path.join(self.base, "config"),
                       os.path.join(self.base, "home")):
            os.makedirs(folder, mode=0o700, exist_ok=True)
        base_env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("QT_", "DBUS_", "AT_SPI", "XDG_", "WAYLAND"))}
        base_env.update({
            "XDG_RUNTIME_DIR": runtime,
            "XDG_DATA_HOME": self.data_root,
            "XDG_CONFIG_HOME": os.path.join(self.base, "config"),
            "HOME": os.path.join(self.base, "home"),
            "GSETTINGS_BACKEND": "memory",
            "LC_ALL": "C.UTF-8",
        })
        base_env.pop("DISPLAY", None)

        read_end, write_end = os.pipe()
        self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "1024x768x24", "-nolisten", "tcp", "-noreset"],
                    base_env, pass_fds=[write_end])
        os.close(write_end)
        display = ":" + _read_line_from(read_end, DEFAULT_TIMEOUT, "the X server's display number")
        base_env["DISPLAY"] = display

        read_end, write_end = os.pipe()
        self._spawn("dbus", ["dbus-daemon", "--session", "--nofork",
                             f"--print-address={write_end}"], base_env, pass_fds=[write_end])
        os.close(write_end)
        base_env["DBUS_SESSION_BUS_ADDRESS"] = _read_line_from(read_end, DEFAULT_TIMEOUT,
                                                               "the session bus address")
        self.env = dict(base_env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        log(f"session: display {display}, data root {self.data_root}")

        if self.tray_host:
            self.trayer = self._spawn("trayer", ["trayer", "--edge", "bottom", "--align", "right",
                                                 "--widthtype", "pixel", "--width", "120",
                                                 "--heighttype", "pixel", "--height", "28",
                                                 "--expand", "false"],
                                      dict(base_env, NO_AT_BRIDGE="1"))
            wait_for(lambda: self.tray_panel() is not None, "the tray host's panel")

        # The AT-SPI client of this script must see this session only.
        for key in [key for key in os.environ if key.startswith(("AT_SPI", "DBUS_"))]:
            del os.environ[key]
        os.environ.update({key: base_env[key] for key in
                           ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR",
                            "GSETTINGS_BACKEND")})
        import pyatspi
        self.pyatspi = pyatspi
        self.focus = FocusTracker(pyatspi)

    def close(self):
        if self.focus is not None:
            self.focus.stop()
            self.focus = None
        for name, process in reversed(self.groups):
            _end_group(process)
        self.groups = []
        _reap_orphans()
        if os.environ.get("TUNEXA_E2E_KEEP") != "1":
            shutil.rmtree(self.base, ignore_errors=True)

    def dump_logs(self):
        for name in sorted(os.listdir(self.base)):
            if name.endswith(".log"):
                with open(os.path.join(self.base, name), errors="replace") as log_file:
                    text = log_file.read().strip()
                if text:
                    log(f"--- {name} ---\n{text[-4000:]}")

    # --- the store -------------------------------------------------------------------------

    def reg(self, *args, check_rc=True):
        result = subprocess.run([self.tunexa_reg, *args], env=self.env, capture_output=True,
                                text=True, timeout=DEFAULT_TIMEOUT)
        if check_rc and result.returncode != 0:
            raise Failure(f"tunexa-reg {' '.join(args)} failed: {result.stdout}{result.stderr}")
        return result

    def set_text(self, key, name, data):
        self.reg("add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f")

    def query(self, key):
        """The values of key as {name: (type, data)} read back by tunexa-reg query."""
        result = self.reg("query", key, check_rc=False)
        values = {}
        for line in result.stdout.splitlines():
            match = re.match(r"^ {4}(.*?) {4}(REG_\w+) {4}(.*)$", line)
            if match:
                values[match.group(1)] = (match.group(2), match.group(3))
            else:
                match = re.match(r"^ {4}(.*?) {4}(REG_\w+)$", line)
                if match:
                    values[match.group(1)] = (match.group(2), "")
        return values

    def configure(self, cards=CARD_FLAGS):
        """Stores the state a finished first run leaves: configured, shown, the given cards."""
        self.set_text(TUNEXA_KEY, "Configure", "0")
        self.set_text(TUNEXA_KEY, "Start Minimised", "0")
        for flag in CARD_FLAGS:
            self.set_text(TUNEXA_KEY, flag, "1" if flag in cards else "0")

    # --- the program -------------------------------------------------------------------------

    def start_program(self):
        return Program(self, self._spawn("tunexa", [self.tunexa], self.env))

    # --- X windows -----------------------------------------------------------------------------

    def window_tree(self):
        result = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env,
                                capture_output=True, text=True, timeout=DEFAULT_TIMEOUT)
        return result.stdout

    def tray_panel(self):
        """The tray host's panel as (indent, line) or None."""
        for line in self.window_tree().splitlines():
            if '("panel" "trayer")' in line:
                return line
        return None

    def tray_icons(self):
        """Windows embedded in the tray host's panel that belong to tunexa, with geometry."""
        lines = self.window_tree().splitlines()
        icons = []
        inside, panel_indent = False, 0
        for line in lines:
            indent = len(line) - len(line.lstrip())
            if '("panel" "trayer")' in line:
                inside, panel_indent = True, indent
                continue
            if inside and line.strip() and indent <= panel_indent:
                inside = False
            if inside and '("tunexa"' in line:
                match = re.search(r"(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)", line)
                if match:
                    width, height, x, y = (int(group) for group in match.groups())
                    icons.append((x, y, width, height))
        return icons

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, check=True,
                              timeout=DEFAULT_TIMEOUT, capture_output=True, text=True).stdout

    def visible_windows(self, name):
        """Ids of the mapped windows of tunexa named exactly name."""
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "tunexa"],
                                env=self.env, capture_output=True, text=True,
                                timeout=DEFAULT_TIMEOUT)
        visible = {int(line) for line in result.stdout.split()}
        named = set()
        for line in self.window_tree().splitlines():
            match = re.match(r'^\s+(0x[0-9a-f]+) "(.*)": \(', line)
            if match and match.group(2) == name:
                named.add(int(match.group(1), 16))
        return visible & named

    def tray_icon_ids(self):
        ids = set()
        inside, panel_indent = False, 0
        for line in self.window_tree().splitlines():
            indent = len(line) - len(line.lstrip())
            if '("panel" "trayer")' in line:
                inside, panel_indent = True, indent
                continue
            if inside and line.strip() and indent <= panel_indent:
                inside = False
            if inside and '("tunexa"' in line:
                ids.add(int(line.split()[0], 16))
        return ids

    def open_tray_menu(self, attempts=3):
        """Right-clicks the tray icon and waits until its popup menu is on the screen. The icon
        must be mapped first; a click the icon did not take yet is harmless, so it is repeated
        a few times before giving up."""
        icons = wait_for(self.tray_icons, "the tray icon")
        check(len(icons) == 1, f"expected one tray icon, found {icons}")
        wait_for(lambda: self.tray_icon_ids() & self.visible_windows("Tunexa"),
                 "the tray icon to be mapped")
        x, y, width, height = icons[0]
        for attempt in range(attempts):
            self.click_at(x + width // 2, y + height // 2, 3)
            try:
                wait_for(lambda: self.visible_windows("Tunexa") - self.tray_icon_ids(),
                         "the tray menu to open", timeout=DEFAULT_TIMEOUT / attempts)
                return
            except Failure:
                if attempt + 1 == attempts:
                    raise

    def tray_menu_tree(self):
        """Opens the tray menu and gives its accessible (reached through its first item, which
        Down selects), with every submenu below its item. The menu stays open."""
        self.open_tray_menu()
        since = self.focus.serial
        self.xdotool("key", "Down")
        first = self.focus.wait_change(since, "the tray menu's first item to be selected",
                                       self.pyatspi.ROLE_MENU_ITEM)
        return first.parent

    def close_menus(self):
        """Closes open popup menus with Escape until none of tunexa's is on the screen."""
        def closed():
            if self.visible_windows("Tunexa") - self.tray_icon_ids():
                self.xdotool("key", "Escape")
                return False
            return True
        wait_for(closed, "the tray menu to close")

    def choose_menu_path(self, path):
        """In the open popup menu, walks to each caption of path with the arrow keys (Down
        along a menu, Right into a submenu, which selects its first item) and runs the last
        item with Return; returns the accessible items walked through."""
        since = self.focus.serial
        self.xdotool("key", "Down")
        menu_item = self.pyatspi.ROLE_MENU_ITEM
        item = self.focus.wait_change(since, "the tray menu's first item to be selected",
                                      menu_item)
        items = []
        for depth, caption in enumerate(path):
            first = identity(item)
            while item.name != caption:
                since = self.focus.serial
                self.xdotool("key", "Down")
                item = self.focus.wait_change(since, f"the menu item after '{item.name}'",
                                              menu_item)
                check(identity(item) != first, f"no enabled item '{caption}' in the menu "
                                               f"after {' > '.join(path[:depth]) or 'the icon'}")
            items.append(item)
            since = self.focus.serial
            if depth + 1 < len(path):
                self.xdotool("key", "Right")
                item = self.focus.wait_change(since, f"the submenu of '{caption}' to open",
                                              menu_item)
        self.xdotool("key", "Return")
        return items

    def click_at(self, x, y, button):
        self.xdotool("mousemove", "--sync", str(x), str(y))
        self.xdotool("click", str(button))


def _end_group(process):
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
    try:
        os.killpg(process.pid, signal.SIGKILL)  # what is left of the group
    except ProcessLookupError:
        pass
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        pass


class Program:
    """A running tunexa seen through AT-SPI."""

    def __init__(self, session, process):
        self.session = session
        self.process = process
        self.pyatspi = session.pyatspi
        self._app = None

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def stop(self):
        """Ends the program from outside (SIGTERM to its process group) and waits for it."""
        _end_group(self.process)

    def wait_ended(self, timeout=DEFAULT_TIMEOUT):
        wait_for(lambda: not self.running(), "the program to end", timeout, pump=pump)
        return self.process.returncode

    def app(self):
        """The program's accessible application, found by process id."""
        def find():
            check(self.running(), f"the program ended early (exit code {self.process.poll()})")
            desktop = self.pyatspi.Registry.getDesktop(0)
            for index in range(desktop.childCount):
                app = desktop.getChildAtIndex(index)
                if app is not None and app.get_process_id() == self.pid:
                    return app
            return None
        if self._app is None:
            self._app = wait_for(find, "the program on the accessibility bus", pump=pump)
            self._app.set_cache_mask(0)
        return self._app

    def windows(self):
        app = self.app()
        return [app.getChildAtIndex(i) for i in range(app.childCount)]

    def window(self, name, timeout=DEFAULT_TIMEOUT):
        def find():
            check(self.running(), f"the program ended while waiting for window '{name}'")
            for window in self.windows():
                if window is not None and window.name == name and showing(window):
                    return window
            return None
        return wait_for(find, f"window '{name}'", timeout, pump=pump)

    def message_box(self, text, timeout=DEFAULT_TIMEOUT):
        """A showing message box (role alert or dialog) whose labels contain text."""
        def find():
            check(self.running(), f"the program ended while waiting for a box saying '{text}'")
            for window in self.windows():
                if window is None or not showing(window):
                    continue
                if window.getRole() not in (self.pyatspi.ROLE_ALERT, self.pyatspi.ROLE_DIALOG):
                    continue
                labels = [node.name for node in descendants(window)
                          if node.getRole() == self.pyatspi.ROLE_LABEL]
                if any(text in label for label in labels) or text == window.name:
                    return window
            return None
        return wait_for(find, f"a message box saying '{text}'", timeout, pump=pump)

    def no_message_box(self):
        return not any(window is not None and showing(window)
                       and window.getRole() == self.pyatspi.ROLE_ALERT
                       for window in self.windows())


class FocusTracker:
    """Follows the accessible that has the keyboard focus, from the focus events.

    Popup menus are not children of the application object, so the focus events are the way
    to reach them, as they are for a screen reader."""

    def __init__(self, pyatspi):
        self.pyatspi = pyatspi
        self.current = None
        self.serial = 0
        self.events = []
        pyatspi.Registry.registerEventListener(self._on_event, "object:state-changed:focused")

    def stop(self):
        self.pyatspi.Registry.deregisterEventListener(self._on_event,
                                                      "object:state-changed:focused")

    def _on_event(self, event):
        if event.detail1 == 1:
            self.serial += 1
            self.events.append((self.serial, event.source))
            del self.events[:-50]
            self.current = event.source

    def wait_change(self, since, what, role=None, timeout=DEFAULT_TIMEOUT):
        """Waits for a focus event after the one numbered since (of a node with role, when
        given: a late event of another window does not count); returns its node."""
        def arrived():
            for serial, node in reversed(self.events):
                if serial <= since:
                    return None
                if role is None or node.getRole() == role:
                    return node
            return None
        return wait_for(arrived, what, timeout, pump=pump)


def identity(node):
    """What tells two proxies of one accessible object apart from others."""
    return (node.get_process_id(), node.path)


# --- AT-SPI helpers ----------------------------------------------------------------------------

def pump():
    """Lets the AT-SPI client handle what arrived from the buses (object additions, events)."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def showing(node):
    import pyatspi
    return node.getState().contains(pyatspi.STATE_SHOWING)


def descendants(node, only_showing=False):
    """node's descendants in tree order (depth first, parents before children)."""
    result = []
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is None or (only_showing and not showing(child)):
            continue
        result.append(child)
        result.extend(descendants(child, only_showing))
    return result


def find(root, role, name, only_showing=True):
    """The first descendant of root with the role (pyatspi constant) and exact name."""
    for node in descendants(root, only_showing):
        if node.getRole() == role and node.name == name:
            return node
    return None


def find_all(root, role, only_showing=True):
    return [node for node in descendants(root, only_showing) if node.getRole() == role]


def find_button(root, caption):
    """A showing push button by its caption, with or without its mnemonic marker (&)."""
    import pyatspi
    for node in find_all(root, pyatspi.ROLE_PUSH_BUTTON):
        if node.name.replace("&", "") == caption:
            return node
    raise Failure(f"no button '{caption}' in '{root.name}'")


def press(node):
    """Runs the node's first action (a button's press, a menu item's trigger)."""
    action = node.queryAction()
    check(action.nActions > 0, f"'{node.name}' has no action")
    action.doAction(0)


def enabled(node):
    import pyatspi
    return node.getState().contains(pyatspi.STATE_ENABLED)


def tab_pages(window):
    """{tab caption: (page tab, page)} of the window's tab widget."""
    import pyatspi
    tab_list = find_all(window, pyatspi.ROLE_PAGE_TAB_LIST)
    check(len(tab_list) == 1, f"expected one tab list, found {len(tab_list)}")
    tabs = [node for node in descendants(tab_list[0]) if node.getRole() == pyatspi.ROLE_PAGE_TAB]
    panes = find_all(window, pyatspi.ROLE_LAYERED_PANE, only_showing=False)
    check(len(panes) == 1, f"expected one page stack, found {len(panes)}")
    pages = [panes[0].getChildAtIndex(i) for i in range(panes[0].childCount)]
    check(len(pages) == len(tabs), f"{len(tabs)} tabs but {len(pages)} pages")
    return {tab.name: (tab, page) for tab, page in zip(tabs, pages)}


def tab_on(window, tab_name):
    """Whether a tab is switched on: Qt reports a greyed tab's button as enabled, its page not."""
    return enabled(tab_pages(window)[tab_name][1])


def select_tab(window, tab_name):
    """Makes tab_name the current page through its page tab's action, as a screen reader does."""
    pages = tab_pages(window)
    check(tab_name in pages, f"no tab '{tab_name}' among {list(pages)}")
    tab, page = pages[tab_name]
    press(tab)
    wait_for(lambda: showing(page), f"tab '{tab_name}' to be current", pump=pump)
    return page


def center(node):
    import pyatspi
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


# --- script entry ------------------------------------------------------------------------------

def run(test, tray_host=True):
    """Runs test(session) in a fresh session; argv: tunexa tunexa-reg. Returns the exit code."""
    if len(sys.argv) != 3:
        log(f"usage: {sys.argv[0]} TUNEXA TUNEXA-REG")
        return 2
    started = time.monotonic()
    # A test runner's timeout ends the script with SIGTERM: leave through the clean-up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        require_tools(tray_host)
    except Skipped as reason:
        log(f"SKIP: {reason}")
        return SKIP
    session = None
    try:
        with Session(sys.argv[1], sys.argv[2], tray_host) as session:
            try:
                test(session)
            except BaseException:
                session.dump_logs()
                raise
    except Failure as failure:
        log(f"FAIL: {failure}")
        return 1
    except Exception:
        traceback.print_exc()
        log("FAIL: unexpected error")
        return 1
    log(f"PASS ({time.monotonic() - started:.1f} s)")
    return 0
