"""The tuning page against the unit: the crossover panel's phase, distance and Xover Link, picks
in the channel map and the car view, the equaliser's wheel, the chart of a setup with damaged
sections, and the page held in "Rescue Mode"."""

import struct
import time

from darvix_e2e import files, images, layout
from darvix_e2e.layout import Crossover, Exit, Tuning, Update
from darvix_e2e.driver import DriverError
from darvix_e2e.names import cmd, menu, node
from darvix_e2e.session import EXIT_ONLINE, STORE_END, UPDATED, Case
from darvix_e2e.trace import SENT, received, sent
from darvix_e2e.win32 import (
    MK_SHIFT,
    SCAN_D,
    SCAN_LCONTROL,
    SCAN_LSHIFT,
    SCAN_RSHIFT,
    VK_D,
    VK_LCONTROL,
    VK_LSHIFT,
    VK_RSHIFT,
    WHEEL_DELTA,
)

XO_TEXT = "This action will erase previous 'Front Right Woofer' Crossover Settings. Press 'Ok' to Continue."
LP_TEXT = (
    "You have changed current listening point, and you have to set new distances for current memory. "
    "Reset previous values?"
)


def summary(e):
    """A tuning frame the program sent, as one line:
    t CH phase P link L      crossover of output CH       u CH delay D distance S trim R
    y MASK                   mute mask (hex)              96 PACKED  listening points (hex)
    CMD CH                   any other (command in hex)"""
    b = e.data
    c = b[4]
    try:
        if c == cmd.Crossover and len(b) > 8:
            t = 8 + 20 * b[7]
            return f"t {b[6]} phase {b[t + 12]} link {b[t + 13]}"
        if c == cmd.Delay and len(b) >= 15:
            trim = int.from_bytes(bytes(b[11:15]), "big", signed=True)
            return f"u {b[6]} delay {(b[7] << 8) | b[8]} distance {(b[9] << 8) | b[10]} trim {trim}"
        if c == cmd.MuteMask:
            return f"y {b[5]:02X}"
        if c == cmd.ListeningPoints:
            return f"96 {b[5]:02X}"
        return f"{c:02X} {b[6] if len(b) > 6 else 0}"
    except IndexError:
        return f"{c:02X} cut short"


class TuningPage(Case):
    def tuning_start(self):
        """A started unit, read back, with its tuning page and crossover panel."""
        self.main = self.target()
        self.page = self.need_child(self.main, "MYFRAMEWND", layout.Main.PAGE, "tuning page")
        self.panel = self.need_child(self.page, "MYFRAMEWND", Tuning.CROSSOVER, "crossover panel")

    def sent_since(self, mark):
        """The tuning frames the program sent to the unit after the mark, one line each."""
        return [
            summary(e)
            for e in self.trace.frames(mark)
            if e.kind == SENT and len(e.data) >= 6 and e.node == node.kNodeDsp
        ]

    def wait_sent(self, mark, *lines):
        """Until every given line is among the frames sent since the mark (15 s)."""
        if self.until(lambda: all(l in self.sent_since(mark) for l in lines), 15, "the frames", fail=False):
            return
        got = self.sent_since(mark)
        missing = [l for l in lines if l not in got]
        self.fail("not sent: " + "; ".join(missing) + "\nsent since the mark:\n    " + "\n    ".join(got))

    def count_sent(self, mark, kind):
        """How many frames of a kind ("t", "u" ...) went since the mark, after a moment for stragglers."""
        time.sleep(1)
        return sum(1 for l in self.sent_since(mark) if l.startswith(kind + " "))

    def test_page_phase(self):
        self.tuning_start()
        mark = self.trace.mark()
        self.press(self.panel, Crossover.PHASE, what="phase button")
        # The front-left woofer and, through its Xover Link, the front-right one.
        self.wait_sent(mark, "t 0 phase 1 link 1", "t 3 phase 1 link 1")
        self.assertEqual(self.count_sent(mark, "t"), 2, "crossovers other than outputs 0 and 3 were sent")
        self.close_changed(self.main)

    def test_page_distance(self):
        self.tuning_start()
        mark = self.trace.mark()
        self.press(self.panel, Crossover.DISTANCE_UP, at=(5, 4), what="distance button")
        # The woofer 4 samples farther: it becomes the farthest, every other output waits 4 samples.
        self.wait_sent(
            mark, "u 0 delay 0 distance 4 trim 0", *(f"u {o} delay 4 distance 0 trim 0" for o in range(1, 8))
        )
        self.close_changed(self.main)

    def test_page_xover_link(self):
        self.forget_setting("AskXoLink")
        self.tuning_start()
        link = self.need_child(self.panel, "MYBTNWND", Crossover.XOVER_LINK, "Xover Link button")
        self.click(link)  # off: unlinking asks nothing
        time.sleep(1)
        if self.wait_window("#32770", XO_TEXT, 500) is not None:
            self.fail("a question when unlinking")
        mark = self.trace.mark()
        self.click(link)  # on: the question, ticked, OK
        box = self.wait_window("#32770", XO_TEXT, 20000)
        if box is None:
            self.fail("no question before linking")
        self.shot(box, "e2e-xover-link-question.bmp")
        self.press(box, layout.Box.CHECK, what="check box in the question")
        ok = self.box_button(box, 0)
        if ok is None:
            self.fail("no button 0 in the question")
        self.click(ok)
        self.wait_sent(mark, *(f"t {o} phase 0 link 1" for o in range(6)))
        self.assertEqual(self.setting("AskXoLink"), 1, f"AskXoLink is {self.setting('AskXoLink')}, not 1")
        self.close_changed(self.main)

    def test_page_rescue(self):
        self.launch(2, "[device]", "firmware = 1.7")
        main = self.main_window()
        time.sleep(2)
        page = self.need_child(main, "MYFRAMEWND", layout.Main.PAGE, "tuning page")
        for place in Tuning.PANELS:
            p = self.need_child(page, "MYFRAMEWND", place, f"panel at {place}")
            if self.flags(p)[1] != 0:
                self.fail(f"the panel at {place} is enabled in rescue mode")
        self.close_main(main)
        self.expect_exit(0)

    def test_page_picks(self):
        self.forget_setting("AskDelayRif")
        self.tuning_start()
        channel_map = self.need_child(self.page, "MYFRAMEWND", Tuning.CHANNEL_MAP, "channel map")
        car = self.need_child(self.page, "MYFRAMEWND", Tuning.CAR_VIEW, "car view")
        mark = self.trace.mark()
        self.click(channel_map, 30, 105)  # the mute zone of row 2
        self.wait_sent(mark, "y 04")
        self.click(channel_map, 100, 217, how="ctrlclick")  # row 6, Subwoofer L, joins the front-left woofer
        time.sleep(0.5)
        mark = self.trace.mark()
        self.press(self.panel, Crossover.PHASE, what="phase button")
        # The current row is the one Ctrl-click added: its phase, and its partner's through the link.
        self.wait_sent(mark, "t 6 phase 1 link 1", "t 7 phase 1 link 1")
        mark = self.trace.mark()
        self.press(self.panel, Crossover.TRIM_UP, at=(5, 4), what="trim button")  # trim up: the "fds" mark
        self.wait_sent(mark, "u 6 delay 0 distance 0 trim 1")
        time.sleep(0.5)
        self.shot(self.page, "e2e-page-picks.bmp")

        def pick_seat(place, name):
            """A seat of the car view: the question whether to reset the distances comes."""
            seat = self.need_child(car, "MYBTNWND", place, name)
            mark = self.trace.mark()
            self.click(seat)
            box = self.wait_window("#32770", LP_TEXT, 20000)
            if box is None:
                self.fail("no listening-point question")
            return mark, box

        mark, box = pick_seat(layout.CarView.SEAT_2, "seat 2")
        self.answer_box(LP_TEXT, 0)  # YES: every distance reset
        self.wait_sent(mark, "96 02", *(f"u {o} delay 0 distance 0 trim 0" for o in range(8)))
        mark, box = pick_seat(layout.CarView.SEAT_3, "seat 3")
        self.click(box, 150, 100, how="dblclick")  # closed without a button: nothing reset
        self.wait_sent(mark, "96 03")
        self.assertEqual(self.count_sent(mark, "u"), 0, "distances sent after a double click")
        answer = self.setting("AskDelayRif")
        if answer not in (0xFFFFFFFF, None):
            self.fail(f"AskDelayRif written: {answer}")
        self.close_changed(self.main)


    def test_readback_shows_unit(self):
        # A unit whose read-back carries full-range crossovers on every output and no routing frame
        # (the simulated unit as it leaves the factory): the layout on screen stays, and the
        # crossover panel shows Full Range right after start-up; an edit then sends a 't' built
        # from Full Range (50 Hz, the unit's), not from the panel's defaults (Low Pass at 500 Hz).
        self.tuning_start()
        self.assert_not_sent(received(cmd.Routing), "the unit streamed a routing frame")
        time.sleep(0.5)
        self.shot(self.page, "e2e-readback-crossover.bmp")
        fields = self.text(self.panel).split("\n")
        self.assertEqual(fields[0], "Full Range", f"the crossover panel shows: {'|'.join(fields)}")
        mark = self.trace.mark()
        self.press(self.panel, Crossover.PHASE, what="PHASE")
        self.wait_sent(mark, "t 0 phase 1 link 1")
        # Output 0's 't': its filter type, family and low-pass frequency.
        t = next(e.data for e in self.trace.frames(mark) if sent(cmd.Crossover).matches(e))
        at = 8 + 20 * t[7]
        got = (t[6], t[at], t[at + 1], struct.unpack_from("<f", t, at + 2)[0])
        self.assertEqual(got, (0, 0, 0, 50.0), "output, type, family, low-pass Hz of the 't' sent")
        self.close_changed(self.main)

    def test_setup_load_mutes(self):
        # A setup holds no mutes: output 4 muted on the channel map, then the setup saved and
        # loaded. The load leaves every output unmuted, and the three places that hold the mutes
        # must agree: the unit gets 'y' 00, and a click on output 4's mute switch of the
        # output-level page (or on the map) mutes it again ('y' 08) instead of unmuting what
        # already reads as open.
        self.tuning_start()
        main = self.main
        tabs = self.tab_bar(main)
        channel_map = self.need_child(self.page, "MYFRAMEWND", Tuning.CHANNEL_MAP, "channel map")
        mark = self.trace.mark()
        self.click(channel_map, 30, 35 + 28 * 3 + 14)  # the mute zone of row 4 (output 3)
        self.wait_sent(mark, "y 08")
        self.save_setup(main, self.work / "muted.bit")
        mark = self.trace.mark()
        n = self.count(STORE_END)
        self.open_file(tabs, layout.TabBar.FILE, menu.kCmdLoadSetup, self.work / "muted.bit")
        self.write_done(main, n)
        self.wait_sent(mark, "y 00")
        time.sleep(0.5)
        self.shot(self.page, "e2e-mutes-loaded-map.bmp")
        # The output-level page: its eight mute switches, left to right.
        self.click(tabs, *layout.TabBar.LEVELS_TAB)
        w, h = layout.Levels.MUTE_SIZE

        def fourth_mute():
            mutes = sorted(
                (c for c in self.children(main, "MYBTNWND", visible=1) if (c["w"], c["h"]) == (w, h)),
                key=lambda c: c["x"],
            )
            return mutes[3]["hwnd"] if len(mutes) > 3 else None

        mute = self.until(fourth_mute, 5, "the mute switches", fail="no mute switch of output 4 on the output-level page")
        time.sleep(0.5)
        self.shot(main, "e2e-mutes-loaded-levels.bmp")
        mark = self.trace.mark()
        self.click(mute)
        self.wait_sent(mark, "y 08")
        self.assertEqual(self.count_sent(mark, "y"), 1, f"more than one mute mask went: {self.sent_since(mark)}")
        self.close_dropping(main)


class Equaliser(Case):
    def test_eq_wheel(self):
        # One wheel notch up on band 10 of the tuning page's equaliser (a fresh unit's tuning read
        # back: Standard mode, a 3-way front, links on): +0.1875 dB (one pixel of the band's track)
        # reaches the six front outputs as 's' frames with the band's new linear gain; the
        # subwoofers get none.
        main = self.target()
        band = 10
        slider = self.need_child(main, "SLIDERFX", layout.eq_slider(band), f"slider of band {band} at its place")
        time.sleep(0.5)
        self.trace.clear()
        try:
            self.wheel(slider, 11, 82, WHEEL_DELTA)
        except DriverError as e:
            self.fail(f"the wheel message was not taken: {e}")
        for o in range(6):
            self.wait_frame(sent(cmd.ChannelEq, 0x00, o, length=138), 10)
        time.sleep(1)
        want = struct.pack("<f", 10 ** (0.1875 / 20))
        gains = {}
        for e in self.trace.frames():
            if e.kind == SENT and len(e.data) == 138 and e.command == cmd.ChannelEq:
                gains.setdefault(e.data[6], []).append(e.data[7 + 4 * band : 11 + 4 * band])
        ok = sorted(gains) == [0, 1, 2, 3, 4, 5] and all(g[-1] == want for g in gains.values())
        if not ok:
            self.fail(
                "the 's' frames do not carry the new gain for outputs 0 to 5 only: outputs with 's' frames "
                f"{sorted(gains)}, last gains {dict((o, g[-1].hex()) for o, g in gains.items())}, want {want.hex()}"
            )
        # A group: bands 12 to 16 switched on, three Shift notches on band 14 move all five.
        for b in range(12, 17):
            switch = self.need_child(main, "MYBTNWND", layout.eq_band_switch(b), f"switch of band {b}")
            self.click(switch)
        slider = self.need_child(main, "SLIDERFX", layout.eq_slider(14), "slider of band 14")
        for _ in range(3):
            self.wheel(slider, 11, 82, WHEEL_DELTA, MK_SHIFT)
        time.sleep(1)
        self.shot(main, "e2e-eq-group.bmp")
        self.close_answering(main, EXIT_ONLINE, Exit.NO)

    def test_chart_setup(self):
        main = self.target()
        setup = self.work / "tuning.bit"
        self.save_setup(main, setup)
        # Every preset's first output: band 17 (1 kHz) at +6 dB, and stored sections that are
        # garbage (orders of 200, a0 of 0, NaN coefficients). The chart must show the band as designed.
        files.spoil_band_sections(setup)
        self.load_setup(main, setup)
        self.wait_frame(STORE_END)
        d = self.need_dialog(UPDATED, "no write result")
        self.press(d, Update.OK)
        self.idle(main)
        time.sleep(1)
        shot = self.shot(main, "e2e-chart.bmp")
        # +6 dB lies 6 * 129 / 24 rows above 0 dB. The first output's equaliser curve is green:
        # its highest pixel at 1 kHz must be on the +6 dB row.
        zero, peak = images.chart_peak(shot)
        print("0 dB row", zero, "top of the 1 kHz curve", peak)
        if not (zero and peak and abs((zero - peak) - 6 * 129 / 24) <= 2):
            self.fail(f"the 1 kHz peak is not on the +6 dB row (0 dB row {zero}, top of the curve {peak})")
        self.close_answering(main, EXIT_ONLINE, Exit.NO)

    def test_hotkey_dump(self):
        # The hidden keys work whichever window inside the main window has the keyboard focus:
        # after a click into the tuning page's equaliser (which takes the focus), real key presses
        # of left Ctrl, right Shift and D ask the unit for its state and write "dumpDsp.log" in the
        # program's folder. With the left Shift instead, nothing is asked. The presses carry the
        # keys' scan codes, and the right Shift the extended-key flag, as Wine's own keyboard
        # driver gives it (Wine tells the right Shift from the left one by that flag).
        main = self.target()
        page = self.need_child(main, "MYFRAMEWND", layout.Main.PAGE, "tuning page")
        eq = self.need_child(page, "MYFRAMEWND", Tuning.EQ, "equaliser panel")
        self.click(eq)
        self.until(lambda: self.drv("focus", main) == eq, 5, "the focus", fail=False)
        self.assertEqual(self.drv("focus", main), eq, "the equaliser did not take the focus")
        dump = self.work / "dumpDsp.log"
        dump.unlink(missing_ok=True)
        asked = sent(cmd.DiagnosticsDump, whole=True)
        self.drv("keys", f"{VK_LCONTROL}:{SCAN_LCONTROL}", f"{VK_LSHIFT}:{SCAN_LSHIFT}", f"{VK_D}:{SCAN_D}")
        time.sleep(2)
        self.assert_not_sent(asked, "left Ctrl and left Shift asked for the dump")
        self.assertFalse(dump.exists(), "a dump was written for the left Shift")
        self.assertEqual(self.drv("focus", main), eq, "the equaliser lost the focus")
        self.drv("keys", f"{VK_LCONTROL}:{SCAN_LCONTROL}", f"{VK_RSHIFT}:{SCAN_RSHIFT}:e", f"{VK_D}:{SCAN_D}")
        self.wait_frame(asked)
        self.until(lambda: dump.exists() and dump.stat().st_size > 0, 10, "dumpDsp.log", fail="no dumpDsp.log")
        head = dump.read_bytes()[:40]
        self.assertTrue(head.startswith(b"CFG_diagnostics: 0x0\r\r\nSYS_mode: 0x1\r\r\n"), f"dumpDsp.log begins: {head!r}")
        self.close_dropping(main)
