"""The read-back of the whole tuning at start-up: a retry, three failures, a unit at the line's own
rate, a unit pulled out as it is asked."""

import shutil
import time

from darvix_e2e import images, layout
from darvix_e2e.names import cmd, command_name, menu, node
from darvix_e2e.session import READ_ALL, Case
from darvix_e2e.trace import SENT, received, sent


class ReadBack(Case):
    def test_readback_retry(self):
        main = self.target("[device]", "readback_failures = 1")
        self.assert_count(READ_ALL, 2, "read-all requests")
        self.close_main(main)
        self.expect_exit(0)

    def failure_advice(self):
        d = self.dialog_showing("Synchronization failed", timeout=120)
        if d is None:
            self.fail("no failure advice")
        return d

    def test_readback_fails(self):
        self.launch(1, "[device]", "readback = incomplete")
        # Three failed read-backs end in the advice; its OK ends the program.
        d = self.failure_advice()
        self.assertEqual((self.state(d) or (0,) * 6)[4:], layout.Sync.FAILED_FACE, "not the larger face")
        self.shot(d, "e2e-sync-failed.bmp")
        self.press(d, layout.Sync.OK_AFTER_FAILURE, settle=False)
        self.expect_exit(0, 30)
        self.assert_count(READ_ALL, 3, "read-all requests")

    def test_readback_line_rate(self):
        self.launch(1, "delivery = line-rate", "[device]")
        main = self.main_window()
        d = self.need_dialog("SyncDspDlg", "read-back dialog")
        self.wait_frame(sent(cmd.ReadAllRequest, whole=True))
        self.shot(d, "e2e-sync-running.bmp")
        self.sync_ok(60000)
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_readback_unplug(self):
        self.launch(1, "[device]", "unplug_on_command = 0x92")
        # Every attempt fails at once (no 30 s waits); the advice, then OK ends the program.
        d = self.failure_advice()
        self.press(d, layout.Sync.OK_AFTER_FAILURE, settle=False)
        self.expect_exit(0, 30)

    def test_readback_preset_mode(self):
        # A unit whose read-all reports preset C and the Expert mode: after the read-back the tab
        # bar lights preset C, the Config menu ticks Expert, and the program queues the preset back
        # to the unit, the preset and then the accessory's notice of it. Expert is the program's
        # own mode too: choosing it again sends nothing, choosing Standard sends it.
        self.set_setting("AskStdSwtLink", 1)
        main = self.online("[device]", "preset = 2", "working_mode = expert")
        tabs = self.tabs
        self.assert_sent(received(cmd.PresetSelect, 0x02, whole=True), "the unit did not report preset C")
        self.assert_sent(received(cmd.WorkingMode, 0x00, whole=True), "the unit did not report the Expert mode")
        self.wait_frame(sent(cmd.PresetNotice, 0x03, whole=True, node=node.kNodeAccessory))
        back = [
            (command_name(e.command), e.node, bytes(e.payload), e.sound)
            for e in self.trace.frames()
            if e.kind == SENT and e.length == 7
            and ((e.command == cmd.PresetSelect and e.node == node.kNodeDsp)
                 or (e.command == cmd.PresetNotice and e.node == node.kNodeAccessory))
        ]  # fmt: skip
        want = [
            (command_name(cmd.PresetSelect), node.kNodeDsp, b"\x02", True),
            (command_name(cmd.PresetNotice), node.kNodeAccessory, b"\x03", True),
        ]
        self.assertEqual(back, want, "the preset went back as")

        # Preset C lit: its tab looks as it does once the user picks C again, and unlike when A is.
        def tab_shot(name):
            time.sleep(0.5)
            return images.region(self.shot(tabs, self.work / f"{name}.bmp"), *layout.TabBar.PRESET_TABS)

        read = tab_shot("after-readback")
        shutil.copy(self.work / "after-readback.bmp", self.bin / "e2e-readback-preset-mode-tabs.bmp")
        self.click(tabs, *layout.TabBar.PRESET_A_TAB)
        self.wait_frame(sent(cmd.PresetSelect, 0x00, whole=True))
        a = tab_shot("preset-a")
        self.click(tabs, *layout.TabBar.PRESET_C_TAB)
        self.until(lambda: self.count(sent(cmd.PresetSelect, 0x02, whole=True)) >= 2, 5, "preset C again", fail=False)
        c = tab_shot("preset-c")
        self.assertTrue(read == c and read != a, "preset C is not lit after the read-back")

        # Expert ticked in the Working Mode submenu.
        ticked = self.mode_ticks(tabs, "e2e-readback-preset-mode-menu.bmp")
        self.assertEqual(ticked, [1], "the Working Mode submenu does not tick Expert (1) alone")

        mark = self.trace.mark()
        self.choose(tabs, layout.TabBar.CONFIG, menu.kCmdExpert)  # the mode it is in already
        time.sleep(1)
        self.assert_not_sent(sent(cmd.WorkingMode, length=7), "choosing Expert again sent the mode", since=mark)
        self.choose(tabs, layout.TabBar.CONFIG, menu.kCmdStandard)  # remembered to go on without asking
        self.wait_frame(sent(cmd.WorkingMode, 0x01, whole=True))
        self.close_dropping(main)
