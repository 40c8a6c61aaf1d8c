"""A case's world: its own folder with the program and the simulated driver, the unit's scenario
and trace, the registry, one test driver, and the program started in it; and the named steps the
cases are written in. Every case is a method of a Case subclass; its failure output holds the
trace's last lines, the driver's last unsuccessful answers and Wine's diagnostics."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

from . import files, layout
from .driver import Driver, DriverError
from .names import cmd, menu, msg, node
from .trace import Trace, sent
from .win32 import (
    CB_SETCURSEL,
    CBN_SELCHANGE,
    IDCANCEL,
    IDOK,
    VK_ESCAPE,
    VK_RIGHT,
    VK_UP,
    WM_CLOSE,
    WM_COMMAND,
    cmb13,
    make_long,
)

REGISTRY_KEY = r"software\Morvane\Darvix"

# The program's own texts.
OK_TEXT = "Synchronization to 'darvix' completed with success."
UPDATED = "'darvix' successfully updated."
UPDATE_FAILED = "'darvix' update failed."
KEPT = "'darvix' update failed. Your changes were not stored; the program stays open."
OVERWRITE = "This operation will overwrite current 'darvix' settings. Press 'Yes' to proceed."
FINALIZE_WARNING = "FINALIZE stores the current settings in 'darvix' permanently. Press 'Yes' to proceed."
NEWER = "This software is outdated compared with device firmware. Please update 'darvix' PC Software."
OLDER = "Darvix firmware is too old. Please restart this application "
NOT_FOUND = "'darvix' device not found."
LOST = "'darvix' device disconnected. Try to riconnect."
EXIT_ONLINE = "The settings have changed. FINALIZE them in 'darvix' before closing?"
EXIT_OFFLINE = "The settings have changed and are not saved. Save them to a setup file before closing?"
FIRMWARE_DONE = "Firmware update completed. Close this application and restart 'darvix' device."
FIRMWARE_NOT_DONE = "Firmware update not completed."
RESET_QUESTION = "This action resets all current settings.Are you sure?"
RESTART_BOX = "Close this application and restart 'darvix' device."
DYN_EQ_OFF_QUESTION = "This action will disable Dynamic Equalization."


def found_text(description):
    return f"'darvix' found on '{description}'. Press 'Ok' to connect or press 'Next' to continue scanning."


def on_request(method):
    """Marks a case that times the program against the clock, which a loaded machine can upset:
    CTest lists it only when DARVIX_E2E_TIMED=1 is set as the build configures; run.py runs it by
    name at any time."""
    method.on_request = True
    return method


def winpath(path):
    """The Windows name of a file of ours: Wine's drive Z: is the root of the file system."""
    path = Path(path).absolute()
    prefix = Path(os.environ.get("WINEPREFIX", Path.home() / ".wine"))
    if os.path.realpath(prefix / "dosdevices" / "z:") == "/":
        return "Z:" + str(path).replace("/", "\\")
    out = subprocess.run(["winepath", "-w", str(path)], capture_output=True, text=True).stdout.strip()
    if not out:
        raise RuntimeError(f"winepath gave no name for {path}")
    return out


class Case(unittest.TestCase):
    """The base of every case. `bin` is the build's bin folder (set by run.py)."""

    bin = None
    maxDiff = None
    # The failure output of the cases run so far, printed by run.py after unittest's own.
    reports = []
    # How many times a measurement (a bench_ method, run.py --bench) repeats each of its steps.
    rounds = 5

    # ---- the case's world ---------------------------------------------------------------------

    def setUp(self):
        if self.bin is None:
            raise RuntimeError("no bin folder: run the cases through run.py")
        self.work = Path(tempfile.mkdtemp(prefix="darvix-e2e.", dir=os.environ.get("TMPDIR")))
        self.trace = Trace(self.work / "trace.txt")
        self.program = None
        self.drv = Driver(self.bin / "darvix_driver.exe", self.work / "driver-err.txt")

    def tearDown(self):
        # A case that failed may leave the program running: end it, or CTest waits for its output.
        self._stop_program()
        self.drv.close()

    def run(self, result=None):
        result = result if result is not None else self.defaultTestResult()
        before = len(result.failures) + len(result.errors)
        super().run(result)
        if len(result.failures) + len(result.errors) > before:
            self._report()
        work = getattr(self, "work", None)
        if work is not None:
            if os.environ.get("DARVIX_E2E_KEEP"):
                print(f"-- the case's folder is kept: {work}", file=sys.stderr)
            else:
                shutil.rmtree(work, ignore_errors=True)
        return result

    def _report(self):
        out = [f"---- {self.id()}"]
        if getattr(self, "trace", None) is not None:
            lines = self.trace.last_lines(30)
            if lines:
                out.append("-- the trace's last lines:")
                out += lines
        drv = getattr(self, "drv", None)
        if drv is not None and drv.failures:
            # A time-out says so; an answer that came at once without a reason is the driver or
            # Wine failing, not the program being slow.
            out.append("-- the driver's last unsuccessful answers:")
            out += drv.failure_report()
        for name, what in (("driver-err.txt", "Wine's diagnostics of the driver"), ("out.txt", "the program's output")):
            path = getattr(self, "work", Path("/nonexistent")) / name
            if path.exists() and path.stat().st_size:
                out.append(f"-- {what}:")
                out += path.read_text(errors="replace").replace("\r", "").splitlines()[-20:]
        Case.reports.append("\n".join(out))

    def prepare(self, dll="dll"):
        """The program's folder: the program and (unless told otherwise) our simulated driver, the
        scenario naming the trace. dll: "dll", "nodll" (none) or "noreload" (a simulated driver that lacks an entry point)."""
        try:
            shutil.copy(self.bin / "darvix.exe", self.work)
            if dll == "dll":
                shutil.copy(self.bin / "ftd2xx.dll", self.work)
            elif dll == "noreload":
                shutil.copy(self.bin / "sim_dll" / "no_reload" / "ftd2xx.dll", self.work)
        except OSError as e:
            self.fail(f"could not copy the program or the simulated driver: {e}")
        (self.work / "scenario.txt").write_text(f"trace = {winpath(self.work / 'trace.txt')}\n")

    def scenario(self, *lines):
        with open(self.work / "scenario.txt", "a") as f:
            for line in lines:
                f.write(line + "\n")

    def restart_scenario(self, *lines):
        """A new scenario for the next start, with the trace emptied."""
        self.trace.clear()
        (self.work / "scenario.txt").write_text(f"trace = {winpath(self.work / 'trace.txt')}\n")
        self.scenario(*lines)

    def start(self):
        """Starts the program in its folder against the scenario; a scenario that names no unit
        gets one healthy unit."""
        text = (self.work / "scenario.txt").read_text()
        if not any(line.strip() == "[device]" for line in text.splitlines()):
            self.scenario("[device]")
        env = dict(os.environ, DARVIX_SIM_SCENARIO=winpath(self.work / "scenario.txt"))
        self._stop_program()  # a second start: the first run has ended (its output is closed)
        self._out = open(self.work / "out.txt", "ab")
        self.program = subprocess.Popen(
            ["wine", "darvix.exe"], cwd=self.work, env=env, stdin=subprocess.DEVNULL, stdout=self._out,
            stderr=subprocess.STDOUT,
        )

    def _stop_program(self):
        if self.program is not None and self.program.poll() is None:
            self.program.kill()
            try:
                self.program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if getattr(self, "_out", None) is not None:
            self._out.close()
            self._out = None

    def exit_code(self, timeout=30):
        """The program's exit code, waiting up to `timeout` seconds; None when it still runs."""
        try:
            return self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def expect_exit(self, code, timeout=30):
        got = self.exit_code(timeout)
        if got is None:
            self.fail(f"the program still runs after {timeout} s, expected exit code {code}")
        self.assertEqual(got, code, f"exit code {got}, expected {code}")

    def still_running(self):
        return self.program is not None and self.program.poll() is None

    # ---- registry -----------------------------------------------------------------------------

    def set_setting(self, name, value):
        self.drv("reg-set", REGISTRY_KEY, name, value)

    def setting(self, name):
        """A REG_DWORD of the program's key, or None."""
        return self.drv("reg-get", REGISTRY_KEY, name)

    def forget_setting(self, name):
        self.drv("reg-delete", REGISTRY_KEY, name)

    def set_com(self, number):
        self.set_setting("Com", number)

    def com(self):
        return self.setting("Com")

    def wait_com(self, number, timeout=10):
        self.until(lambda: self.com() == number, timeout, f"Com {number}", fail=f"Com is {self.com()}, not {number}")

    # ---- waiting ------------------------------------------------------------------------------

    def until(self, check, timeout, what, fail=None, interval=0.05):
        """check() until it gives something true, which is returned; after `timeout` seconds the
        case fails with `fail` (or says what it waited for), or, with fail=False, None is returned."""
        end = time.monotonic() + timeout
        while True:
            value = check()
            if value:
                return value
            if time.monotonic() >= end:
                if fail is False:
                    return None
                self.fail(fail if fail else f"waited {timeout} s for {what}")
            time.sleep(interval)

    # ---- windows ------------------------------------------------------------------------------

    def settle(self, hwnd):
        """Until the program has handled what it was just sent, and what that posted in turn (see
        the driver's settle), each step for up to 5 s: the pace of a user, who looks before the next
        click."""
        self.drv.attempt("settle", hwnd, 6, 5000, record=False)

    def post(self, hwnd, message, wparam=0, lparam=0, settle=True):
        self.drv("post", hwnd, message, wparam, lparam)
        if settle:
            self.settle(hwnd)

    def send(self, hwnd, message, wparam=0, lparam=0):
        value = self.drv("send", hwnd, message, wparam, lparam)
        self.settle(hwnd)
        return value

    def click(self, hwnd, x=5, y=5, how="click", settle=True):
        """A left click (or "dblclick", "ctrlclick") at a client point of the window."""
        try:
            self.drv(how, hwnd, x, y)
        except DriverError as e:
            self.fail(f"could not click {hwnd} at {x},{y}: {e}")
        if settle:
            self.settle(hwnd)

    def key(self, hwnd, vk):
        self.drv("key", hwnd, vk)
        self.settle(hwnd)

    def wheel(self, hwnd, x, y, delta, keys=0):
        self.drv("wheel", hwnd, x, y, delta, keys)
        self.settle(hwnd)

    def shot(self, hwnd, name):
        """A screenshot into the bin folder (or to a path of ours)."""
        path = Path(name) if os.path.isabs(str(name)) else self.bin / name
        self.drv("shot", hwnd, winpath(path))
        return path

    def state(self, hwnd):
        """visible, enabled, x, y, w, h of a window (screen coordinates); None when it is gone."""
        s = self.drv.attempt("state", hwnd)
        return None if s is None else (s["visible"], s["enabled"], s["x"], s["y"], s["w"], s["h"])

    def flags(self, hwnd):
        """(visible, enabled) of a window, (None, None) when it is gone."""
        s = self.state(hwnd)
        return (None, None) if s is None else s[:2]

    def shown(self, hwnd):
        s = self.state(hwnd)
        return s is not None and s[0] == 1

    def usable(self, hwnd):
        s = self.state(hwnd)
        return s is not None and s[:2] == (1, 1)

    def text(self, hwnd):
        return self.drv("text", hwnd)

    def top_windows(self, cls=None, visible=True):
        return [
            w for w in self.drv("list") if (cls is None or w["class"] == cls) and (not visible or w["visible"])
        ]

    def children(self, parent, cls=None, visible=None):
        return [
            c
            for c in self.drv("children", parent)
            if (cls is None or c["class"] == cls) and (visible is None or c["visible"] == visible)
        ]

    def child(self, parent, cls, place=None):
        """The first child of a class (at a place); None when there is none."""
        for c in self.drv.attempt("children", parent) or []:
            if c["class"] == cls and (place is None or place.holds(c)):
                return c["hwnd"]
        return None

    def need_child(self, parent, cls, place, what, timeout=5):
        """The child a step needs; a window that comes with the step the case just asked for is
        waited for, up to `timeout` seconds, since a loaded machine may show it late."""
        return self.until(lambda: self.child(parent, cls, place), timeout, what, fail=f"no {what}")

    def wait_window(self, cls, title="*", timeout_ms=20000):
        """A visible top-level window by class and exact title ("*": any); None after the time-out."""
        return self.drv.attempt("wait", cls, title, timeout_ms, reply_within=timeout_ms / 1000 + 30)

    def wait_gone(self, hwnd, timeout_ms=10000):
        return self.drv.succeeds("wait-gone", hwnd, timeout_ms, reply_within=timeout_ms / 1000 + 30)

    def press(self, parent, place, at=(5, 5), timeout=60, what=None, settle=True):
        """The one way a case presses one of the program's buttons: the shown MYBTNWND child at its
        place in the dialog's layout, once it is enabled (looked up again while waiting: a dialog
        that has just changed its face may still be placing it)."""
        seen = []

        def usable_button():
            found = [c for c in self.drv.attempt("children", parent) or [] if c["class"] == "MYBTNWND" and place.holds(c)]
            seen[:] = found
            for c in found:
                if c["visible"] and c["enabled"]:
                    return c["hwnd"]
            return None

        name = f"{what or 'button'} at {place}"
        button = self.until(usable_button, timeout, name, fail=False)
        if button is None:
            self.fail(f"no {name}" if not seen else f"{name} never became usable")
        self.click(button, *at, settle=settle)

    def box_button(self, box, index):
        """Button `index` (left to right) of a message box's row; the check box stands apart."""
        row = sorted(
            (
                c
                for c in self.drv.attempt("children", box) or []
                if c["class"] == "MYBTNWND" and c["visible"] and not layout.Box.CHECK.holds(c)
            ),
            key=lambda c: c["x"],
        )
        if index >= len(row):
            return None
        return row[index]["hwnd"]

    def answer_box(self, text, index=0):
        """A message box of the program (the text is its window text), answered with the button at
        `index` of its row."""
        box = self.wait_window("#32770", text, 20000)
        if box is None:
            self.fail(f'no box "{text}"')
        button = self.until(lambda: self.box_button(box, index), 5, "its button", fail=f'no button in "{text}"')
        self.click(button)
        return box

    def warning_text(self):
        """The system's "Warning" box of the firmware check: its text, then OK."""
        box = self.wait_window("#32770", "Warning", 20000)
        if box is None:
            self.fail("no Warning box")
        text = "\n".join(self.drv("statics", box))
        try:
            self.drv("button", box, "OK")
        except DriverError:
            self.fail("could not press OK")
        return text

    def dialog(self, text, timeout_ms=20000):
        """A dialog of the program by the text it shows last (its window text)."""
        return self.wait_window("MYFRAMEWND", text, timeout_ms)

    def need_dialog(self, text, failure, timeout_ms=20000):
        """As dialog(); the case fails with `failure` when none comes."""
        d = self.dialog(text, timeout_ms)
        if d is None:
            self.fail(failure)
        return d

    def dialog_showing(self, words, timeout=60):
        """A shown dialog of the program whose text holds `words`."""

        def find():
            for w in self.top_windows("MYFRAMEWND"):
                if words in w["text"]:
                    return w["hwnd"]
            return None

        return self.until(find, timeout, f'a dialog saying "{words}"', fail=False)

    def any_dialog(self):
        """A shown dialog of the program, if there is one."""
        frames = self.top_windows("MYFRAMEWND")
        return frames[0]["hwnd"] if frames else None

    def box_shown(self):
        return bool(self.top_windows("#32770"))

    # ---- the main window ----------------------------------------------------------------------

    def splash(self, mode=1):
        """The start-up dialog: choose a connection mode (0 Offline, 1 Target, 2 Rescue Mode), confirm."""
        dlg = self.wait_window("#32770", "", 20000)
        if dlg is None:
            self.fail("no start-up dialog")
        if mode != 1:
            combo = self.child(dlg, "ComboBox")
            if combo is None:
                self.fail("no mode choice")
            self.send(combo, CB_SETCURSEL, mode, 0)
            self.post(dlg, WM_COMMAND, make_long(layout.Startup.MODE_COMBO_ID, CBN_SELCHANGE), int(combo, 16))
        self.click(dlg, *layout.Startup.CONFIRM_AT, how="dblclick")

    def main_window(self, timeout_ms=20000):
        main = self.wait_window("DIALOGUIMODULE", "darvix", timeout_ms)
        if main is None:
            self.fail("no main window")
        return main

    def idle(self, main, timeout=60):
        """Until the main window is shown and usable with no dialog of the program over it."""
        self.until(
            lambda: self.usable(main) and not self.top_windows("MYFRAMEWND"),
            timeout,
            "the main window free",
            fail="the main window did not become free",
        )

    def sync_ok(self, timeout_ms=30000):
        """The read-back's dialog after a success: OK."""
        d = self.need_dialog(OK_TEXT, "no read-back success", timeout_ms)
        self.press(d, layout.Sync.OK)

    def close_main(self, main):
        self.post(main, WM_CLOSE, settle=False)

    def launch(self, mode, *scenario_lines, com=1):
        """The program started in a connection mode (0 Offline, 1 Target, 2 Rescue Mode) against
        the units the lines add to the scenario, the stored device number `com`; the start-up
        dialog answered."""
        self.prepare()
        self.set_com(com)
        if scenario_lines:
            self.scenario(*scenario_lines)
        self.start()
        self.splash(mode)

    def target(self, *scenario_lines, com=1):
        """The program in "Target" (see launch), read back and idle: returns and sets self.main."""
        self.launch(1, *scenario_lines, com=com)
        self.main = self.main_window()
        self.sync_ok()
        self.idle(self.main)
        return self.main

    def online(self, *scenario_lines):
        """As target(), with the tab bar in self.tabs."""
        self.target(*scenario_lines)
        self.tabs = self.tab_bar(self.main)
        return self.main

    def offline(self):
        """The program in "Offline", idle: sets self.main."""
        self.launch(0)
        self.main = self.main_window()
        self.idle(self.main)
        return self.main

    def expert(self, main):
        """A change: Config > Working Mode > Expert, as the unit sees it."""
        self.post(main, msg.MsgWorkingMode, 0, 0)
        self.wait_frame(EXPERT)

    def close_answering(self, main, text, button, code=0, failure=None):
        """Closes the program; the exit dialog asking `text` is answered with `button`."""
        self.close_main(main)
        d = self.need_dialog(text, failure or "no exit dialog")
        self.press(d, button)
        self.expect_exit(code)

    def close_changed(self, main):
        """The changes made ask first when closing online; NO closes."""
        self.close_answering(main, EXIT_ONLINE, layout.Exit.NO)

    def close_dropping(self, main):
        """Closes the program; when it asks about changes, NO."""
        self.close_main(main)
        d = self.wait_window("MYFRAMEWND", "*", 3000)
        if d is not None and "changed" in (self.drv.attempt("text", d) or ""):
            self.press(d, layout.Exit.NO)
        self.expect_exit(0)

    # ---- menus --------------------------------------------------------------------------------

    def tab_bar(self, main):
        tabs = self.child(main, "MYFRAMEWND", layout.Main.TAB_BAR)
        if tabs is None:
            self.fail("no tab bar")
        return tabs

    def menu_button(self, tabs, left):
        for c in self.children(tabs, "MYBTNWND"):
            if c["x"] == left:
                return c["hwnd"]
        self.fail(f"no menu button at {left}")

    def open_popup(self, tabs, left):
        """Opens a menu as its button would; returns the menu's window."""
        button = self.menu_button(tabs, left)
        self.post(tabs, msg.MsgButtonClicked, 0, int(button, 16), settle=False)
        popup = self.wait_window("#32768", "", 10000)
        if popup is None:
            self.fail(f"no popup menu from the button at {left}")
        return popup

    def show_menu(self, tabs, left):
        """Shows a menu as its button would and closes it unchosen (Escape in its loop): its
        commands are the ones the tab bar then takes."""
        popup = self.open_popup(tabs, left)
        # Under load Wine's menu loop can end by itself between the menu being found and the key
        # reaching it (the handle is then no longer valid): the menu was shown and is closed.
        if not self.drv.succeeds("key", popup, VK_ESCAPE) and self.state(popup) is not None:
            self.fail("could not close the popup menu")
        self.settle(tabs)
        if not self.wait_gone(popup):
            self.fail("the popup menu stayed open")

    def menu_command(self, tabs, command):
        """The WM_COMMAND of a menu item."""
        self.post(tabs, WM_COMMAND, command, 0)

    def choose(self, tabs, left, command):
        """A menu command, its menu shown first as the user sees it."""
        self.show_menu(tabs, left)
        self.menu_command(tabs, command)

    def shot_config_submenu(self, tabs, path, *keys):
        """A submenu of the Config menu as the Config button shows it: the menu opened by the
        keyboard, the keys pressed in it (the last one opens the submenu, whose first item is then
        highlighted), the submenu saved as a screenshot, then both menus closed unchosen."""
        popup = self.open_popup(tabs, layout.TabBar.CONFIG)
        for k in keys:
            self.key(popup, k)

        def submenu():
            for w in self.top_windows("#32768"):
                if w["hwnd"] != popup:
                    return w["hwnd"]
            return None

        sub = self.until(submenu, 10, "the submenu", fail="the Config submenu did not open")
        time.sleep(0.5)
        self.shot(sub, path)
        self.key(sub, VK_ESCAPE)
        self.key(popup, VK_ESCAPE)
        if not self.wait_gone(popup):
            self.key(popup, VK_ESCAPE)
            if not self.wait_gone(popup):
                self.fail("the Config menu stayed open")

    def mode_ticks(self, tabs, path):
        """The ticked items of Config > Working Mode (the menu's last item: Up, then Right), from a
        screenshot of it at `path`: [0] Standard, [1] Expert."""
        from . import images

        self.shot_config_submenu(tabs, path, VK_UP, VK_RIGHT)
        return images.ticked_items(self.bin / path if not os.path.isabs(str(path)) else path, 2)

    # ---- files through the system's dialogs ---------------------------------------------------

    def file_dialog(self, title, path, after, settle=True):
        dlg = self.wait_window("#32770", title, 20000)
        if dlg is None:
            self.fail(f"no {title} dialog after {after}")
        if path is None:
            self.post(dlg, WM_COMMAND, IDCANCEL, 0, settle=settle)
            return dlg
        try:
            self.drv("item", dlg, cmb13, winpath(path))
        except DriverError:
            self.fail("no file-name field")
        self.post(dlg, WM_COMMAND, IDOK, 0, settle=settle)
        return dlg

    def wait_file(self, path, what, timeout=10):
        self.until(lambda: path.exists() and path.stat().st_size > 0, timeout, what, fail=f"no {what} written")

    def save_setup(self, main, path):
        """File > Save Setup to `path` through the system's dialog."""
        self.post(main, msg.MsgSetupFile, 0, 0)
        self.file_dialog("Save As", path, "Save Setup")
        self.wait_file(path, "setup file")
        self.idle(main)

    def load_setup(self, main, path):
        """File > Load Setup of `path` through the system's dialog."""
        self.post(main, msg.MsgSetupFile, 1, 0)
        self.file_dialog("Open", path, "Load Setup")

    def open_file(self, tabs, left, command, path):
        """A menu command that opens the system's Open dialog, answered with `path`."""
        self.choose(tabs, left, command)
        dlg = self.file_dialog("Open", path, command)
        if not self.wait_gone(dlg):
            self.fail("the open dialog stayed")

    def save_file(self, tabs, left, command, path):
        """A menu command that opens the system's Save As dialog, answered with `path`; waits for
        the file."""
        path.unlink(missing_ok=True)
        self.choose(tabs, left, command)
        self.file_dialog("Save As", path, command)
        self.wait_file(path, f"file by {command}")

    def refused(self, name):
        """A file refused with a message that names it: the program's own box carries it as its
        text, the system's box (for a message too long for the skinned one) in its static text.
        Answered with OK; returns the message."""

        def find():
            for w in self.top_windows("#32770"):
                if name in w["text"]:
                    text = self.text(w["hwnd"])
                    self.answer_box(text, 0)
                    return ("skinned", text, w["hwnd"])
            box = self.wait_window("#32770", "darvix", 50)
            if box is not None:
                statics = self.drv.attempt("statics", box) or []
                if any(name in s for s in statics):
                    self.drv("button", box, "OK")
                    return ("system", "\n".join(statics), box)
            return None

        found = self.until(find, 30, f"a message naming {name}", fail=f"no message naming {name}")
        return found

    # ---- the trace ----------------------------------------------------------------------------

    def wait_frame(self, pattern, timeout=30, since=0):
        """Until the trace shows a frame (from place `since` on); the failure names the frame and
        what came instead."""
        found = self.until(lambda: self.trace.find(pattern, since), timeout, str(pattern), fail=False)
        if found:
            return found[0]
        self.fail(f"the trace never showed {pattern} within {timeout} s; {self.trace.describe_miss(pattern, since)}")

    def wait_count(self, pattern, more_than, timeout, what, since=0):
        """Until more than `more_than` frames of a pattern have come."""
        self.until(lambda: self.trace.count(pattern, since) > more_than, timeout, what, fail=f"no {what}")

    def wait_event(self, kind, timeout=30, unit=None, note=None):
        what = f"a {kind} event" + (f" of unit {unit}" if unit else "") + (f' "{note}"' if note else "")
        found = self.until(lambda: self.trace.events(kind, unit, note=note), timeout, what, fail=False)
        if not found:
            self.fail(f"the trace never showed {what} within {timeout} s")
        return found[0]

    def has(self, pattern, since=0):
        return self.trace.has(pattern, since)

    def count(self, pattern, since=0):
        return self.trace.count(pattern, since)

    # The unit's trace reaches its file a few times a second: what the program has just done may
    # not be in it yet. A check that something came waits for it; a check that something did not
    # come, or came so many times, first gives it this long.
    TRACE_LAG = 0.5

    def assert_sent(self, pattern, what, since=0, timeout=5):
        """That the trace shows a frame (waiting up to `timeout` s for it); the failure names the
        frame and what came instead."""
        if not self.until(lambda: self.trace.has(pattern, since), timeout, str(pattern), fail=False):
            self.fail(f"{what}: no {pattern}; {self.trace.describe_miss(pattern, since)}")

    def assert_not_sent(self, pattern, what, since=0):
        """That no such frame came, sound or not."""
        time.sleep(self.TRACE_LAG)
        found = self.trace.find(pattern, since, sound=False)
        if found:
            self.fail(f"{what}: {found[0]}")

    def assert_count(self, pattern, n, what, since=0, timeout=5):
        """That exactly n such frames came (sound or not)."""
        self.assert_settles(lambda: self.trace.count(pattern, since), n, what, timeout)

    def assert_settles(self, value, want, what, timeout=10):
        """That value() comes to be `want` within `timeout` s and still is a moment later."""
        self.until(lambda: value() == want, timeout, what, fail=False)
        time.sleep(self.TRACE_LAG)
        got = value()
        if got != want:
            self.fail(f"{what}: {got!r}, expected {want!r}")
        return got

    # ---- writes of the whole tuning -----------------------------------------------------------

    def write_done(self, main, ends_before):
        """The end of a write the program started by itself (after a load or a copy): its success, OK."""
        self.wait_count(STORE_END, ends_before, 60, "write to the device")
        d = self.need_dialog(UPDATED, "no write result", 30000)
        self.press(d, layout.Update.OK)
        self.idle(main)

    def load_patched(self, *patches):
        """The setup on screen saved (once), patched (files.patch), loaded by File > Load Setup and
        written to the device; the patched file is work/PATCH.bit, after the first patch's name."""
        setup = self.work / "tuning.bit"
        if not (setup.exists() and setup.stat().st_size):
            self.save_setup(self.main, setup)
        patched = self.work / f"{patches[0]}.bit"
        files.patch(setup, patched, *patches)
        n = self.count(STORE_END)
        self.open_file(self.tabs, layout.TabBar.FILE, menu.kCmdLoadSetup, patched)
        self.write_done(self.main, n)
        return patched

    def last_write(self):
        """The entries of the last complete write (its StoreBegin to its StoreEnd)."""
        blocks = [b for b in self.trace.store_blocks() if STORE_END.matches(b[-1])]
        return blocks[-1] if blocks else []

    def written_levels(self):
        """The channel levels of the last write: (preset, channel, byte) each."""
        return [tuple(e.data[5:8]) for e in self.last_write() if CHANNEL_LEVEL.matches(e, sound=False)]

    @staticmethod
    def expected_levels(level_bytes):
        """The level frames a write must carry for 32 channel bytes given in preset order (the
        byte is twice the attenuation in dB)."""
        return [(k // 8, k % 8, b) for k, b in enumerate(level_bytes)]

    def copy_round(self, command, preset_a_bytes):
        """A Preset menu command that changes preset A (of levels as files.patch writes them) and
        writes the tuning: preset A's level bytes in that write, the other presets' as they were."""
        n = self.count(STORE_END)
        self.choose(self.tabs, layout.TabBar.PRESET, command)
        self.write_done(self.main, n)
        self.assertEqual(
            self.written_levels(), self.expected_levels(list(preset_a_bytes) + list(range(9, 33))),
            f"{command}: not the levels expected",
        )

    # ---- the firmware -------------------------------------------------------------------------

    def choose_image(self, main, path):
        """File > Update Firmware through the system's Open dialog."""
        self.post(main, msg.MsgUpdateFirmware, 1, 0)
        self.file_dialog("Open", path, "Update Firmware")

    def firmware_frames(self):
        """The firmware messages sent: blocks (the begin block included) and the end message."""
        return self.count(sent(cmd.FirmwareBlock)) + self.count(sent(cmd.FirmwareEnd, whole=True))

    # ---- the device scan ----------------------------------------------------------------------

    def scan_found(self, description, timeout_ms=60000):
        return self.dialog(found_text(description), timeout_ms)

    # ---- the I/O wizard -----------------------------------------------------------------------

    def wizard(self, timeout_ms=20000):
        return self.dialog("wizard", timeout_ms)

    def need_wizard(self, failure="no wizard"):
        d = self.wizard()
        if d is None:
            self.fail(failure)
        return d

    def wizard_next(self, d):
        self.press(d, layout.Wizard.NEXT, what="wizard Next")

    def wizard_car_next(self, d):
        self.press(d, layout.Wizard.CAR_NEXT, what="wizard Next")

    def wizard_walk(self, d, shots=None):
        """A low-level walk from step 0 to the last step: Front Left and Right woofers and the mono
        subwoofer on the car (outputs 0, 1 and 7). Screenshots of every step named `shots`-NN.bmp."""

        def shoot(step):
            if shots:
                time.sleep(0.3)
                self.shot(d, f"{shots}-{step}.bmp")

        shoot("00")
        self.wizard_next(d)
        shoot("01")
        self.wizard_next(d)  # low-level inputs: the assignment of six
        shoot("03")
        self.wizard_next(d)
        shoot("04")
        self.wizard_next(d)
        self.wizard_next(d)  # when the setup ends (offline: on its first tick)
        car = self.need_child(d, "MYFRAMEWND", layout.Wizard.CAR_VIEW, "car view in the wizard")
        self.click(car, 123, 215)  # Front Left Woofer (the right one follows)
        self.click(car, 223, 370)  # the Subwoofer
        shoot("10")
        for step in ("11", "12", "13"):
            self.wizard_car_next(d)
            shoot(step)
        self.wizard_car_next(d)
        shoot("14")
        self.press(d, layout.Wizard.FINISH, what="wizard Finish")

    def wizard_written(self):
        """The write the program starts by itself once the wizard has finished online: no
        question, its success, OK."""
        d = self.need_dialog(UPDATED, "no write to the device after the wizard", 60000)
        self.press(d, layout.Update.OK)

    def wizard_closed(self, d, timeout=10):
        """Until the wizard is no longer shown (closed or hidden)."""
        return self.until(lambda: not self.shown(d), timeout, "the wizard closed", fail=False) is not None


# Frames many cases look for.
CHANNEL_LEVEL = sent(cmd.ChannelLevel, length=9)
STORE_BEGIN = sent(cmd.StoreBegin, whole=True)
STORE_END = sent(cmd.StoreEnd, whole=True)
FINALIZE = sent(cmd.Finalize, whole=True)
READ_ALL = sent(cmd.ReadAllRequest, whole=True)
EXPERT = sent(cmd.WorkingMode, 0)
MINUS_45_DB = sent(cmd.MasterLevel, 0x1E, whole=True, node=node.kNodeLevel)  # the master level at -45 dB
DISCONNECT_ANY = sent(cmd.Disconnect, whole=True, node=None)
LEVEL_NODE = node.kNodeLevel
ACCESSORY_NODE = node.kNodeAccessory
