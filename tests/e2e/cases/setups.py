"""Setup and preset files through the system's dialogs: saved and loaded by File and Preset menu
commands and by the main window's own messages, their levels in the write that follows a load,
damaged files and levels out of range refused, copies between presets."""

import filecmp
import time

from darvix_e2e import files
from darvix_e2e.layout import Exit, TabBar, Update
from darvix_e2e.names import cmd, menu
from darvix_e2e.session import (
    EXIT_ONLINE,
    FINALIZE,
    MINUS_45_DB,
    STORE_BEGIN,
    STORE_END,
    UPDATED,
    Case,
)

from darvix_e2e.trace import sent

PRESET_D = sent(cmd.PresetSelect, 0x03, length=7)
PATCHED_BYTES = list(range(1, 33))  # the level bytes files.patch's "levels" writes: 1 + 8 * preset + channel


class SetupFiles(Case):
    def test_setup_files(self):
        main = self.target()
        setup = self.work / "tuning.bit"
        # File > Save Setup through the system's dialog: the name in its file-name field, then OK.
        self.save_setup(main, setup)
        self.assertGreater(setup.stat().st_size, 162000, "no setup file written")
        # File > Load Setup of it: loaded, then the whole tuning is written to the device at once.
        self.load_setup(main, setup)
        self.wait_frame(STORE_END)
        self.assert_sent(STORE_BEGIN, "no write bracket")
        d = self.need_dialog(UPDATED, "no write result")
        self.press(d, Update.OK)
        self.idle(main)
        # A damaged file is refused with its reason and changes nothing.
        (self.work / "broken.bit").write_bytes(setup.read_bytes()[:1000])
        self.load_setup(main, self.work / "broken.bit")
        self.refused("broken.bit")
        self.idle(main)
        # The loaded setup counts as a change: closing asks first; NO closes without FINALIZE.
        self.close_answering(main, EXIT_ONLINE, Exit.NO)
        self.assert_not_sent(FINALIZE, "FINALIZE after NO")

    def test_menu_setup_files(self):
        # File > Save Setup and Load Setup by their menu ids: the levels of a loaded setup reach the
        # device in the write that follows the load; a setup with a level above 0 dB is refused and
        # changes nothing.
        main = self.online()
        tabs, File = self.tabs, TabBar.FILE
        setup = self.work / "tuning.bit"
        self.save_file(tabs, File, menu.kCmdSaveSetup, setup)
        self.idle(main)
        self.assertGreater(setup.stat().st_size, 162000, "the setup file is too small")
        # Levels of its own: every channel's byte in the write that follows the load.
        files.patch(setup, self.work / "levels.bit", "levels")
        n = self.count(STORE_END)
        self.open_file(tabs, File, menu.kCmdLoadSetup, self.work / "levels.bit")
        self.write_done(main, n)
        self.assertEqual(
            self.written_levels(), self.expected_levels(PATCHED_BYTES), "the write did not carry the loaded levels"
        )
        self.save_file(tabs, File, menu.kCmdSaveSetup, self.work / "after-levels.bit")
        self.idle(main)
        self.assertTrue(
            files.same_levels(self.work / "after-levels.bit", self.work / "levels.bit"),
            "the saved levels are not the loaded ones",
        )
        # A level above 0 dB: refused with the file's name, nothing written, nothing changed.
        files.patch(setup, self.work / "loud.bit", "levels", "loud")
        n = self.count(STORE_BEGIN)
        self.open_file(tabs, File, menu.kCmdLoadSetup, self.work / "loud.bit")
        _, text, _ = self.refused("loud.bit")
        self.assertIn("outside -127.5 to 0 dB", text, "no reason given")
        self.idle(main)
        time.sleep(1)
        self.assertEqual(self.count(STORE_BEGIN), n, "a refused file was written to the device")
        self.save_file(tabs, File, menu.kCmdSaveSetup, self.work / "after-loud.bit")
        self.idle(main)
        if not filecmp.cmp(self.work / "after-levels.bit", self.work / "after-loud.bit", shallow=False):
            self.fail("the refused file changed the tuning")
        self.close_dropping(main)

    def test_setup_interim_load(self):
        # A setup saved before the output-level page existed holds all 34 level values as 0: it
        # loads by File > Load Setup, its channels at 0 dB on the device, master and subwoofer as
        # they were.
        main = self.online()
        self.load_patched("zero")
        self.assertEqual(self.written_levels(), self.expected_levels([0] * 32), "the write did not carry 0 dB levels")
        if not any(MINUS_45_DB.matches(e) for e in self.last_write()):
            self.fail("the master level changed (not -45 dB in the last write)")
        self.save_file(self.tabs, TabBar.FILE, menu.kCmdSaveSetup, self.work / "after-zero.bit")
        self.idle(main)
        got = files.level_texts(self.work / "after-zero.bit")
        self.assertEqual(got, ["0"] * 32 + ["-45", "0"], "the saved levels are not those loaded")
        self.close_dropping(main)


class PresetFiles(Case):
    def test_menu_preset_files(self):
        # Preset > Save All Presets, Save Current Preset, Load All Presets and Load Current Preset
        # by their menu ids: the files hold the levels they were saved with, and each load writes
        # them to the device (a single preset into the preset on screen).
        main = self.online()
        tabs, Preset = self.tabs, TabBar.PRESET
        self.load_patched("levels")
        # Both preset files, with preset A on screen.
        every, one = self.work / "all.prs", self.work / "a.pro"
        self.save_file(tabs, Preset, menu.kCmdSaveAllPresets, every)
        self.idle(main)
        self.save_file(tabs, Preset, menu.kCmdSaveCurrentPreset, one)
        self.idle(main)
        for f in (every, one):
            self.assertEqual(f.read_bytes()[:6], b"preset", f"{f.name} is not a preset file")
        self.assertGreater(every.stat().st_size, one.stat().st_size, "the single preset is not the smaller file")
        # Preset D on screen: preset A's file loads into D alone.
        self.click(tabs, *TabBar.PRESET_D_TAB)
        self.wait_frame(PRESET_D)
        self.idle(main)
        n = self.count(STORE_END)
        self.open_file(tabs, Preset, menu.kCmdLoadCurrentPreset, one)
        self.write_done(main, n)
        self.assertEqual(
            self.written_levels(),
            self.expected_levels(list(range(1, 25)) + list(range(1, 9))),
            "Load Current Preset did not write preset A's levels into D alone",
        )
        # All presets from their file: preset D as it was saved.
        n = self.count(STORE_END)
        self.open_file(tabs, Preset, menu.kCmdLoadAllPresets, every)
        self.write_done(main, n)
        self.assertEqual(
            self.written_levels(), self.expected_levels(PATCHED_BYTES), "Load All Presets did not write its levels"
        )
        self.close_dropping(main)

    def test_menu_presets(self):
        # Preset > Copy Preset From by its menu ids, preset A on screen: copying A onto itself does
        # nothing; from B, preset A alone changes and the whole tuning is written at once.
        main = self.online()
        self.load_patched("levels")
        # From A while A is on screen: nothing.
        n = self.count(STORE_BEGIN)
        self.choose(self.tabs, TabBar.PRESET, menu.kCmdCopyFromA)
        time.sleep(2)
        if self.top_windows("MYFRAMEWND"):
            self.fail("copying A onto A opened a dialog")
        self.assertEqual(self.count(STORE_BEGIN), n, "copying A onto A wrote to the device")
        # From B: preset A's levels in the write.
        self.copy_round(menu.kCmdCopyFromA + 1, range(9, 17))
        self.close_dropping(main)

    def test_menu_presets_defaults(self):
        # Preset > Copy Preset From > D and Current Preset Default by their menu ids, preset A on
        # screen: each changes preset A alone and writes the whole tuning at once.
        main = self.online()
        self.load_patched("levels")
        # From D, then the defaults (-3 dB, byte 6): preset A's levels in each write.
        self.copy_round(menu.kCmdCopyFromA + 3, range(25, 33))
        self.copy_round(menu.kCmdPresetDefault, [6] * 8)
        self.close_dropping(main)
