"""The read-back of the whole tuning at start-up: a retry, three failures, a unit at the line's own
rate, a unit pulled out as it is asked."""

from darvix_e2e import layout
from darvix_e2e.names import cmd
from darvix_e2e.session import READ_ALL, Case
from darvix_e2e.trace import sent


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
