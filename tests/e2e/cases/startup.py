"""Start-up in each connection mode, without the simulated driver or with an incomplete one, the
firmware check on the stored unit and on its fallback, and a change of device while connected."""

import os
import shutil
import subprocess
import time

from darvix_e2e import layout
from darvix_e2e.names import msg
from darvix_e2e.session import DISCONNECT_ANY, NEWER, OLDER, READ_ALL, Case, winpath
from darvix_e2e.trace import OPEN, SENT


class StartUp(Case):
    def test_offline(self):
        main = self.offline()
        time.sleep(self.TRACE_LAG)
        talked = [e for e in self.trace.entries() if e.kind in (SENT, OPEN)]
        if talked:
            self.fail(f"offline mode talked to the device: {talked[0]}")
        self.close_main(main)
        self.expect_exit(0)

    def test_target(self):
        main = self.target()
        self.shot(main, "e2e-target.bmp")
        self.close_main(main)
        self.expect_exit(0)
        # The poll thread ended: the disconnect went to both nodes after the last cycle.
        if not any(DISCONNECT_ANY.matches(e) for e in self.trace.entries()[-4:]):
            self.fail("no disconnect at the end")

    def test_rescue(self):
        self.launch(2, "[device]", "firmware = 1.7")
        main = self.main_window()
        time.sleep(2)
        page = self.need_child(main, "MYFRAMEWND", layout.Main.PAGE, "tuning page")
        if (self.state(page) or (None, None))[1] != 0:
            self.fail("the tuning page is enabled in rescue mode")
        self.assert_not_sent(READ_ALL, "a read-back ran in rescue mode")
        self.close_main(main)
        self.expect_exit(0)

    def without_driver(self, dll, text):
        self.prepare(dll)
        self.start()
        self.answer_box(text, 0)
        self.splash(1)
        main = self.main_window()
        self.close_main(main)
        self.expect_exit(0)

    def test_no_dll(self):
        self.without_driver("nodll", "FTD2XX.dll not found. This application will run offline.")

    def test_incomplete_dll(self):
        self.without_driver(
            "noreload",
            "Wrong FTD2XX Version: Tolvar driver may have been overwritten. Please reinstall the driver. "
            "The application will run offline.",
        )

    def refused_firmware(self, com, lines, warning, code, prefix=False):
        """A start in "Target" whose firmware check refuses: the warning's text (or how it begins),
        then the exit code."""
        self.launch(1, *lines, com=com)
        text = self.warning_text()
        if prefix:
            self.assertTrue(text.startswith(warning), f"wrong warning text: {text!r}")
        else:
            self.assertEqual(text, warning, "wrong warning text")
        self.expect_exit(code)

    def test_firmware_newer(self):
        self.refused_firmware(1, ["[device]", "firmware = 1.7"], NEWER, 12)
        self.assert_sent(DISCONNECT_ANY, "no disconnect sent")

    def test_firmware_older(self):
        self.refused_firmware(1, ["[device]", "firmware = 0.9"], OLDER, 12, prefix=True)

    def test_second_attempt(self):
        # Units are opened by their description: the two must differ.
        self.refused_firmware(
            2, ["[device]", "firmware = 1.7", "[device]", "description = Darvix B", "no_reply_to = 0xCC"], NEWER, 14
        )

    def test_poll_open(self):
        self.refused_firmware(1, ["[device]", "later_firmware = 1: 1.7"], NEWER, 16)


    def test_start_no_window(self):
        # The program cannot create its main window (a hook refuses every window of its class): it
        # says so in the system's box and ends at once with an exit code of its own, 30, rather
        # than waiting for messages that no window will ever get.
        self.prepare()
        shutil.copy(self.bin / "darvix_refuse_window.dll", self.work)
        flag = self.work / "refusing"
        flag.write_bytes(b"")
        # A driver of its own, on the one-shot command line: it holds the hook until the flag goes.
        hook_out = open(self.work / "hook.txt", "wb")
        hook = subprocess.Popen(
            ["wine", str(self.bin / "darvix_driver.exe"), "refuse-main-window", winpath(flag)],
            env=dict(os.environ, WINEDEBUG="-all"), stdin=subprocess.DEVNULL, stdout=hook_out,
            stderr=open(self.work / "hook-err.txt", "wb"),
        )
        try:
            hooked = lambda: b"hooked" in (self.work / "hook.txt").read_bytes()
            if not self.until(hooked, 20, "the hook", fail=False):
                self.fail("the hook was not installed: " + (self.work / "hook-err.txt").read_text(errors="replace"))
            self.start()
            box = self.wait_window("#32770", "darvix", 20000)
            if box is None:
                self.fail("no message about the main window")
            text = " ".join(self.drv("statics", box))
            self.assertRegex(text, r"'darvix' cannot start: creating the main window failed.*The program ends\.")
            self.assertTrue(self.shown(box), "the message box is not shown")
            self.shot(box, "e2e-start-no-window.bmp")
            self.drv("button", box, "OK")
            self.expect_exit(30, 20)
        finally:
            flag.unlink(missing_ok=True)
            try:
                hook.wait(timeout=30)
            except subprocess.TimeoutExpired:
                hook.kill()
            hook_out.close()
        # Nothing was started: no start-up dialog, no unit opened.
        time.sleep(self.TRACE_LAG)
        self.assertFalse(self.trace.events(OPEN), "a unit was opened")


class ChangeDevice(Case):
    def change_refused(self, lines, number, code):
        main = self.target(*lines)
        self.post(main, msg.MsgConnectDevice, number, 0)
        self.assertEqual(self.warning_text(), NEWER, "wrong warning text")
        self.expect_exit(code)

    def test_change_device(self):
        self.change_refused(["[device]", "[device]", "description = Darvix B", "firmware = 1.7"], 2, 18)
        self.assertEqual(self.com(), 2, f"Com is {self.com()}, not 2")

    def test_change_device_fallback(self):
        self.change_refused(["[device]", "later_firmware = 2: 1.7"], 5, 20)

    def test_change_device_ok(self):
        main = self.target("[device]", "[device]", "description = Darvix B")
        self.post(main, msg.MsgConnectDevice, 2, 0)
        self.wait_com(2)
        self.sync_ok()
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)
