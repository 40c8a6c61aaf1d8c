"""The device scan: at start-up when no unit answers on the stored number, from the menu while
connected, onto a blank unit, a unit of another version, a unit plugged in late, a unit whose
writes fail, and the scan cancelled."""

import time

from darvix_e2e.layout import Exit, Scan
from darvix_e2e.names import cmd, msg, node
from darvix_e2e.session import EXIT_ONLINE, NEWER, NOT_FOUND, Case
from darvix_e2e.trace import CLOSE, OPEN, RECEIVED, sent


class DeviceScan(Case):
    def lines(self, unit, kind):
        """The places in the trace of a unit's opens or closes (units count from 1)."""
        return [e.index for e in self.trace.events(kind, unit)]

    def test_scan_startup(self):
        # No unit answers on the stored number: 1 refuses its open, 2 says hello but never
        # identifies, 3 is healthy. The scan probes them in order and stops at 3; OK stores it and
        # reads it back.
        self.launch(
            1,
            "[device]", "description = Darvix A", "open = fail",
            "[device]", "description = Darvix B", "no_reply_to = 0xCC",
            "[device]", "description = Darvix C", "serial = DX000003",
        )  # fmt: skip
        dlg = self.scan_found("Darvix C")
        if dlg is None:
            self.fail("the scan did not stop at unit 3")
        if self.top_windows("DIALOGUIMODULE"):
            self.fail("the main window shows during the scan")
        # Unit 2 was opened and closed by the scan without identifying itself, before unit 3 opened.
        self.until(lambda: self.lines(2, CLOSE) and self.lines(3, OPEN), 5, "the probes' opens", fail=False)
        closes2, opens3 = self.lines(2, CLOSE), self.lines(3, OPEN)
        if not closes2 or not opens3 or not closes2[-1] < opens3[0]:
            self.fail("unit 2 was not probed before unit 3")
        identified = [e for e in self.trace.frames() if e.unit == 2 and e.kind == RECEIVED and e.command == cmd.IdentifyReply]
        if identified:
            self.fail(f"unit 2 identified itself: {identified[0]}")
        if self.lines(1, OPEN):
            self.fail("unit 1 opened although it refuses")
        self.press(dlg, Scan.OK)
        main = self.main_window()
        self.sync_ok()
        self.idle(main)
        self.assertEqual(self.com(), 3, f"Com is {self.com()}, not 3")
        self.assert_sent(
            sent(cmd.RemoteVersionQuery, whole=True, node=node.kNodeAccessory, unit=3), "no remote version query on unit 3"
        )
        self.assert_sent(sent(cmd.ReadAllRequest, whole=True, unit=3), "no read-back on unit 3")
        self.close_main(main)
        self.expect_exit(0)

    def test_scan_menu(self):
        # A scan asked for while connected says goodbye to the unit (0x35 to the level node, then
        # to the accessory) before the first probe.
        main = self.target()
        before = self.trace.mark()
        self.post(main, msg.MsgScan, 1, 0)
        dlg = self.scan_found("Darvix")
        if dlg is None:
            self.fail("the scan did not find the unit")
        if self.flags(main)[0] != 0:
            self.fail("the main window shows during the scan")

        def first(check):
            return next((e.index for e in self.trace.entries(before) if check(e)), None)

        def places():
            return (
                first(sent(cmd.Disconnect, whole=True, node=node.kNodeLevel).matches),
                first(sent(cmd.Disconnect, whole=True, node=node.kNodeAccessory).matches),
                first(lambda e: e.kind == OPEN and e.unit == 1),
            )

        self.until(lambda: None not in places(), 5, "the disconnects and the probe", fail=False)
        l00, l80, lopen = places()
        if None in (l00, l80, lopen) or not l00 < l80 < lopen:
            self.fail("no disconnect to 0x00 then 0x80 before the first probe")
        self.press(dlg, Scan.OK)
        self.sync_ok()
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_scan_blank(self):
        # OK on a blank unit starts the I/O wizard, not the read-back.
        self.launch(
            1,
            "[device]", "description = Darvix A", "hello = never", "no_reply_to = 0xCC",
            "[device]", "description = Darvix B", "blank = yes",
        )  # fmt: skip
        dlg = self.scan_found("Darvix B")
        if dlg is None:
            self.fail("the scan did not find the blank unit")
        self.press(dlg, Scan.OK)
        self.wait_event(OPEN, 10, unit=2)
        d = self.need_wizard("no wizard for the blank unit")
        self.assert_not_sent(sent(cmd.ReadAllRequest), "a read-back ran for a blank unit")
        self.assertEqual(self.com(), 2, f"Com is {self.com()}, not 2")
        self.wizard_walk(d)
        main = self.main_window()
        self.wizard_written()
        self.idle(main)
        self.close_answering(main, EXIT_ONLINE, Exit.NO)

    def test_scan_mismatch(self):
        # The unit found runs another major.minor: the firmware check's box, then exit code 22.
        self.launch(
            1, "[device]", "description = Darvix A", "open = fail", "[device]", "description = Darvix B", "firmware = 1.7"
        )
        dlg = self.scan_found("Darvix B")
        if dlg is None:
            self.fail("the scan did not find unit 2")
        self.press(dlg, Scan.OK)
        self.assertEqual(self.warning_text(), NEWER, "wrong warning text")
        self.expect_exit(22)

    def test_scan_late(self):
        # A unit plugged in while the program runs is found when the user retries.
        started = time.monotonic()
        self.launch(
            1,
            "[device]", "description = Darvix A", "open = fail",
            "[device]", "description = Darvix Late", "arrive_after = 12000",
        )  # fmt: skip
        dlg = self.need_dialog(NOT_FOUND, "no not-found text", 60000)
        self.shot(dlg, "e2e-scan-not-found.bmp")
        # The unit is plugged in 12 s after the driver started (the driver notices it when asked).
        while time.monotonic() - started < 15:
            time.sleep(0.5)
        # Retry shares Next's place; the shown one of the two.
        self.press(dlg, Scan.RETRY, what="Retry button")
        dlg = self.scan_found("Darvix Late")
        if dlg is None:
            self.fail("Retry did not find the late unit")
        self.press(dlg, Scan.OK)
        main = self.main_window()
        self.sync_ok()
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_scan_write_fails(self):
        # A unit whose writes fail while it is probed: no disconnect question, the scan goes on.
        main = self.target("[device]", "description = Darvix A", "write = fail", "[device]", "description = Darvix B", com=2)
        self.post(main, msg.MsgScan, 1, 0)
        dlg = self.scan_found("Darvix B")
        if dlg is None:
            self.fail("the scan did not go on to unit 2")
        if self.box_shown():
            self.fail("a question over the scan")
        self.press(dlg, Scan.OK)
        self.sync_ok()
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_scan_cancel(self):
        # Cancel: the stored number is opened again, then the program goes offline with its window.
        self.launch(1, "[device]", "description = Darvix A", "hello = never", "no_reply_to = 0xCC")
        # Cancel while the scan probes the unit. Opens: the start-up's probe, the poll thread's
        # link, then the scan's probe.
        self.until(lambda: len(self.lines(1, OPEN)) >= 3, 60, "the scan's probe", fail="the scan never probed the unit")
        dlg = self.any_dialog()
        if dlg is None:
            self.fail("no scan dialog")
        self.press(dlg, Scan.CANCEL)
        main = self.main_window(60000)
        self.idle(main)
        self.until(lambda: len(self.lines(1, OPEN)) >= 4, 5, "the stored unit opened again", fail=False)
        n = len(self.lines(1, OPEN))
        if n < 4:
            self.fail(f"the stored unit was not opened again ({n} opens)")
        self.close_main(main)
        self.expect_exit(0)
