"""The output-level page: the clip polls while it shows, a preset's levels, a fader's edit, and the
levels' round trip through a setup, the unit and another unit's read-back."""

import time

from darvix_e2e import files, layout
from darvix_e2e.layout import Exit, TabBar
from darvix_e2e.names import cmd, menu, node
from darvix_e2e.session import CHANNEL_LEVEL, EXIT_ONLINE, Case
from darvix_e2e.trace import received, sent
from darvix_e2e.win32 import WHEEL_DELTA, WM_MOUSEWHEEL, make_long

CLIP_POLL = sent(cmd.LevelsRequest, whole=True)


class OutputLevels(Case):
    def test_levels(self):
        main = self.online("[device]", "clip_mask = 0x05")
        tabs = self.tabs
        self.assert_not_sent(CLIP_POLL, "clip polls before the page showed")
        self.click(tabs, *TabBar.LEVELS_TAB)  # the output-level tab
        self.wait_frame(received(cmd.LevelsRequest, 0x05, whole=True))
        self.until(lambda: self.count(CLIP_POLL) >= 3, 6, "three clip polls", fail=False)
        time.sleep(0.5)
        self.shot(main, "e2e-levels.bmp")
        # Preset B: its eight channel levels, then the preset messages.
        self.click(tabs, *TabBar.PRESET_B_TAB)
        self.wait_frame(sent(cmd.PresetSelect, 0x01, length=7))
        # The levels go in the same poll cycle as the preset, or the next when the click fell between.
        preset_b = sent(cmd.ChannelLevel, 0x01, length=9)
        self.until(lambda: self.count(preset_b) >= 8, 3, "eight levels of preset B", fail=False)
        self.assertEqual(self.count(preset_b), 8, "not eight levels of preset B")
        self.wait_frame(sent(cmd.PresetNotice, node=node.kNodeAccessory, length=7))
        # Another page: the polls stop.
        self.click(tabs, *TabBar.TUNING_TAB)
        time.sleep(1)
        n = self.count(CLIP_POLL)
        time.sleep(1.5)
        self.assertEqual(self.count(CLIP_POLL), n, "clip polls while the page is hidden")
        # The preset chosen by the user is a change: closing asks first; NO closes.
        self.close_answering(main, EXIT_ONLINE, Exit.NO)

    def test_levels_icons(self):
        # Offline, right after start-up: the OUTPUT LEVELS page shows under each output the icon
        # of the speaker a new tuning gives it (front left and right woofer, midrange and tweeter,
        # Subwoofer L and Subwoofer R), which the tuning page announced while it was built.
        main = self.offline()
        tabs = self.tab_bar(main)
        self.click(tabs, *TabBar.LEVELS_TAB)  # the output-level tab
        time.sleep(1)
        self.shot(main, "e2e-levels-startup.bmp")
        self.close_main(main)
        self.expect_exit(0)

    def test_levels_round_trip(self):
        # A setup's levels and a fader moved on the output-level page go to the unit (the load's
        # write and the idle send cycle); another unit's read-back replaces them on the PC; the
        # first unit's read-back brings every level back to its 0.5 dB step.
        main = self.online("[device]", "[device]", "description = Darvix B")
        tabs = self.tabs
        self.load_patched("levels")
        self.assertEqual(
            self.written_levels(), self.expected_levels(range(1, 33)), "the write did not carry the loaded levels"
        )
        # The output-level page: channel 1's fader of preset A ten wheel notches down.
        self.click(tabs, *TabBar.LEVELS_TAB)
        w, h = layout.Levels.FADER_SIZE

        def fader():
            for c in self.children(main, "SLIDERFX", visible=1):
                if (c["w"], c["h"], c["id"]) == (w, h, 0):
                    return c["hwnd"]
            return None

        slider = self.until(fader, 5, "the fader of channel 1", fail="no fader of channel 1")
        edits = self.count(CHANNEL_LEVEL)
        for _ in range(10):
            self.post(slider, WM_MOUSEWHEEL, make_long(0, -WHEEL_DELTA), 0)
        self.until(lambda: self.count(CHANNEL_LEVEL) > edits, 10, "a level sent", fail=False)
        time.sleep(2)
        moved = self.trace.find(CHANNEL_LEVEL, sound=False)[edits:]
        if not moved:
            self.fail("the moved fader sent nothing")
        others = [e for e in moved if e.data[5] != 0 or e.data[6] != 0]
        if others:
            self.fail("other levels were sent: " + "; ".join(str(e) for e in others))
        edited = moved[-1].data[7]
        if not edited > 1:
            self.fail(f"the fader did not lower the level (byte {edited})")
        self.shot(main, "e2e-levels-edited.bmp")
        # The second unit: its own (default) levels replace those on the PC.
        self.choose(tabs, TabBar.CONFIG, menu.kCmdDeviceBase + 1)
        self.until(lambda: self.com() == 2, 10, "Com 2", fail=False)
        self.sync_ok()
        self.idle(main)
        self.save_file(tabs, TabBar.FILE, menu.kCmdSaveSetup, self.work / "second.bit")
        self.idle(main)
        if set(files.level_texts(self.work / "second.bit")[:32]) != {"-3"}:
            self.fail("the second unit's levels did not replace them")
        # Back to the first unit: its read-back brings the levels as they were sent.
        self.choose(tabs, TabBar.CONFIG, menu.kCmdDeviceBase)
        self.until(lambda: self.com() == 1, 10, "Com 1", fail=False)
        self.sync_ok()
        self.idle(main)
        self.save_file(tabs, TabBar.FILE, menu.kCmdSaveSetup, self.work / "back.bit")
        self.idle(main)
        expected = ["%g" % (-b / 2) for b in [edited] + list(range(2, 33))]
        got = files.level_texts(self.work / "back.bit")[:32]
        self.assertEqual(got, expected, "the levels read back are not those sent")
        self.close_dropping(main)
