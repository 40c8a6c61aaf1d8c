"""A tour of every page and dialog of the program in its main states, each saved as a screenshot
beside the program."""

import time

from darvix_e2e import layout
from darvix_e2e.layout import DynEq, Scan, TabBar, Update
from darvix_e2e.names import cmd, menu, msg
from darvix_e2e.session import DYN_EQ_OFF_QUESTION, FINALIZE_WARNING, OVERWRITE, RESET_QUESTION, STORE_END, UPDATED

from .dyn_eq import DynEqCase, start


class Tour(DynEqCase):
    def tour_shot(self, hwnd, name):
        time.sleep(0.5)
        self.shot(hwnd, f"e2e-tour-{name}.bmp")

    def test_skin_tour(self):
        # The three pages, the questions and results of the write and FINALIZE, the exit dialog, a
        # message box, the dynamic-equalisation dialog (compact and advanced), the scan, the
        # read-back and every step of the I/O wizard. Each window must come at the size its skin
        # gives.
        main = self.online()
        tabs = self.tabs
        self.tour_shot(main, "dsp")
        self.click(tabs, *TabBar.LEVELS_TAB)
        self.tour_shot(main, "levels")
        self.click(tabs, *TabBar.SOURCES_TAB)
        self.tour_shot(main, "sources")
        self.click(tabs, *TabBar.TUNING_TAB)
        self.tour_shot(main, "dsp-again")
        # The write's question, then its result.
        self.post(main, msg.MsgWriteToDevice, 1, 0)
        d = self.need_dialog(OVERWRITE, "no write question")
        self.tour_shot(d, "write-question")
        self.press(d, Update.YES)
        d = self.need_dialog(UPDATED, "no write result", 120000)
        self.tour_shot(d, "write-done")
        self.press(d, Update.OK)
        self.idle(main)
        self.post(main, msg.MsgWriteToDevice, 1, 1)  # FINALIZE: its warning, NO
        d = self.need_dialog(FINALIZE_WARNING, "no FINALIZE warning")
        self.tour_shot(d, "finalize-warning")
        self.press(d, Update.NO)
        self.idle(main)
        # A message box of the program.
        self.post(main, msg.MsgResetSettings, 0, 0)
        box = self.wait_window("#32770", RESET_QUESTION, 20000)
        if box is None:
            self.fail("no reset question")
        self.tour_shot(box, "message-box")
        self.assertEqual((self.state(box) or (0,) * 6)[4:], (300, 220), "the message box's size")
        self.answer_box(RESET_QUESTION, 1)  # NO
        self.idle(main)
        # The dynamic-equalisation dialog: off, then Advanced; Easy cuts it to its compact face.
        d = self.dyn_eq_open(main, "no dynamic-equalisation dialog")
        self.wait_frame(start(0))
        self.tour_shot(d, "dyneq-compact")
        compact = 261

        def height_is(rows):
            self.until(lambda: (self.state(d) or (0,) * 6)[5] == rows, 5, f"{rows} rows", fail=False)
            got = (self.state(d) or (0,) * 6)[5]
            self.assertEqual(got, rows, "the dynamic-equalisation dialog's height")

        self.press(d, DynEq.ADVANCED)
        height_is(DynEq.ADVANCED_HEIGHT)
        self.tour_shot(d, "dyneq-advanced")
        self.press(d, DynEq.EASY)
        height_is(compact)
        self.tour_shot(d, "dyneq-compact-again")
        self.press(d, DynEq.CLOSE)
        if self.wait_window("#32770", DYN_EQ_OFF_QUESTION, 2000) is not None:
            self.answer_box(DYN_EQ_OFF_QUESTION, 0)
        self.idle(main)
        # The read-back from the menu.
        self.choose(tabs, TabBar.FILE, menu.kCmdDeviceToPc)
        d = self.dialog("SyncDspDlg", 20000)
        if d is not None:
            self.tour_shot(d, "sync-running")
        self.sync_ok()
        self.idle(main)
        # The scan from the menu: the unit found.
        self.post(main, msg.MsgScan, 1, 0)
        d = self.scan_found("Darvix")
        if d is None:
            self.fail("the scan did not find the unit")
        self.tour_shot(d, "scan-found")
        self.press(d, Scan.OK)
        self.sync_ok()
        self.idle(main)
        # The I/O wizard, every step; the new layout goes to the unit at once.
        self.choose(tabs, TabBar.CONFIG, menu.kCmdIoWizard)
        d = self.need_wizard()
        n = self.count(STORE_END)
        self.wizard_walk(d, "e2e-tour-wizard")
        self.write_done(main, n)
        self.tour_shot(main, "dsp-after-wizard")
        self.close_dropping(main)
