"""The File, Config and Preset menus by their command ids, as the tab bar takes them after showing
the menu: writes, FINALIZE, the remembered answers, the working mode, dynamic equalisation, the
device list, the external sources' ticks, Credits, Update Firmware and Reset Settings."""

import shutil
import time

from darvix_e2e import images, layout
from darvix_e2e.layout import DynEq, Exit, Scan, TabBar, Update
from darvix_e2e.names import cmd, menu, node
from darvix_e2e.session import (
    DISCONNECT_ANY,
    DYN_EQ_OFF_QUESTION,
    EXIT_OFFLINE,
    EXIT_ONLINE,
    EXPERT,
    FINALIZE_WARNING,
    OVERWRITE,
    READ_ALL,
    RESET_QUESTION,
    RESTART_BOX,
    STORE_END,
    UPDATED,
    Case,
)
from darvix_e2e.trace import OPEN, SENT, received, sent
from darvix_e2e.win32 import VK_DOWN, VK_ESCAPE, VK_RETURN, VK_RIGHT

from .dyn_eq import DynEqCase

ANSWERS = ("AskEqLink", "AskXoLink", "AskStdSwtLink", "AskReset", "AskFineDelay", "AskMinFDS", "AskDelayRif")
ASK = 0xFFFFFFFF  # a remembered answer that asks again


class Menus(DynEqCase):
    def test_menus(self):
        main = self.online()
        tabs = self.tabs
        # File > Synchronize > Pc -> Darvix: the whole tuning between 0xA5 and 0xA6, levels included.
        self.choose(tabs, TabBar.FILE, menu.kCmdPcToDevice)
        d = self.need_dialog(OVERWRITE, "no write question")
        self.press(d, Update.YES)
        self.wait_frame(STORE_END)
        d = self.need_dialog(UPDATED, "no write result", 120000)
        self.press(d, Update.OK)
        self.idle(main)
        levels = (
            sent(cmd.ChannelLevel, length=9),
            sent(cmd.MasterLevel, node=node.kNodeLevel, length=7),
            sent(cmd.ExtraLevel, node=node.kNodeLevel, length=7),
        )
        n = sum(1 for block in self.trace.store_blocks() for e in block for p in levels if p.matches(e, sound=False))
        self.assertEqual(n, 40, f"{n} level frames in the write, not 40")
        # File > Reset Default Answer: the seven answers ask again.
        self.set_setting("AskReset", 1)
        self.choose(tabs, TabBar.FILE, menu.kCmdResetDefaultAnswer)
        self.until(lambda: self.setting("AskReset") == ASK, 5, "AskReset reset", fail=False)
        for name in ANSWERS:
            if self.setting(name) != ASK:
                self.fail(f"{name} not reset")
        # File > FINALIZE to Darvix.
        self.choose(tabs, TabBar.FILE, menu.kCmdFinalize)
        d = self.need_dialog(FINALIZE_WARNING, "no FINALIZE warning")
        self.press(d, Update.YES)
        self.wait_frame(received(cmd.UpdateResult, length=9))
        d = self.need_dialog(UPDATED, "no FINALIZE result", 30000)
        self.press(d, Update.OK)
        self.idle(main)
        # Config > Working Mode > Expert, then Dynamic Equalization > Off.
        self.show_menu(tabs, TabBar.CONFIG)
        self.menu_command(tabs, menu.kCmdExpert)
        self.wait_frame(EXPERT)
        self.menu_command(tabs, menu.kCmdDynEqOff)
        self.wait_frame(sent(cmd.DynEqSwitch, length=7))
        # Preset > Copy Preset From > C into A, then Current Preset Default: each is written at once.
        self.show_menu(tabs, TabBar.PRESET)
        n = self.count(STORE_END)
        self.menu_command(tabs, menu.kCmdCopyFromA + 2)
        # The whole tuning and the levels take about 17 s on the line.
        self.wait_count(STORE_END, n, 40, "write after a copy")
        d = self.need_dialog(UPDATED, "no write result after a copy", 30000)
        self.press(d, Update.OK)
        self.idle(main)
        # File > Synchronize > Pc <- Darvix: a read-back.
        n = self.count(READ_ALL)
        self.choose(tabs, TabBar.FILE, menu.kCmdDeviceToPc)
        self.wait_count(READ_ALL, n, 10, "read-back")
        self.sync_ok()
        self.idle(main)
        # File > Exit: the changes made ask first; NO closes.
        self.choose(tabs, TabBar.FILE, menu.kCmdExit)
        d = self.need_dialog(EXIT_ONLINE, "no exit dialog")
        self.press(d, Exit.NO, settle=False)
        self.expect_exit(0)

    def test_menus_devices(self):
        main = self.online("[device]", "[device]", "description = Darvix B")
        tabs = self.tabs
        # Config > Com Setup lists both units; the second one's item connects to it.
        self.show_menu(tabs, TabBar.CONFIG)
        self.menu_command(tabs, menu.kCmdDeviceBase + 2)  # beyond the two units: nothing
        self.menu_command(tabs, menu.kCmdDeviceBase + 1)
        self.wait_com(2)
        self.sync_ok()
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_menu_config(self):
        # The Config menu's commands by their ids: working mode and dynamic equalisation reach the
        # device; the dynamic-equalisation dialog chosen in the menu closes and gives the main window
        # back; a scan that ends unconnected leaves the program offline.
        self.set_setting("AskStdSwtLink", ASK)
        main = self.online("[device]", "dyn_eq = mode 0")
        tabs, Config = self.tabs, TabBar.CONFIG
        # Working Mode: Expert, then Standard (asked first: OK).
        self.choose(tabs, Config, menu.kCmdExpert)
        self.wait_frame(EXPERT)
        self.choose(tabs, Config, menu.kCmdStandard)
        self.answer_box("", 0)  # OK
        self.wait_frame(sent(cmd.WorkingMode, 0x01, length=7))
        # Dynamic Equalization: Off, then On.
        self.choose(tabs, Config, menu.kCmdDynEqOff)
        self.wait_frame(sent(cmd.DynEqSwitch, 0x00, length=7))
        self.choose(tabs, Config, menu.kCmdDynEqOn)
        self.wait_frame(sent(cmd.DynEqSwitch, 0x01, length=7))
        # Dynamic Equalization Wizard, chosen in the Config menu. The unit's dynamic equalisation is
        # on (Easy), so closing the dialog uncalibrated would switch it off and asks first: Cancel
        # keeps the dialog, the main window and the mode; OK sends the mode off, then the close, and
        # gives the main window back.
        self.choose_menu_item(tabs, Config, 3)  # I/O wizard, External Source, Dynamic Equalization Wizard
        d = self.dyn_eq_dialog("no dynamic-equalisation dialog from the Config menu")
        self.wait_frame(sent(cmd.DynEqStart, 0x00, length=7))
        if self.flags(main) != (0, 0):
            self.fail(f"the main window is usable under the dialog: {self.state(main)}")
        self.press(d, DynEq.CLOSE)
        self.answer_box(DYN_EQ_OFF_QUESTION, 1)  # Cancel
        time.sleep(0.5)
        if self.flags(d) != (1, 1):
            self.fail("Cancel closed the dialog")
        if self.flags(main) != (0, 0):
            self.fail(f"Cancel gave the main window back: {self.state(main)}")
        self.assert_not_sent(sent(cmd.DynEqMode, 0x02, length=8), "Cancel switched dynamic equalisation off")
        since = self.trace.mark()
        self.press(d, DynEq.CLOSE)
        self.answer_box(DYN_EQ_OFF_QUESTION, 0)  # OK
        self.wait_frame(sent(cmd.DynEqStop, 0x00, length=7))
        self.idle(main)
        want = [(cmd.DynEqMode, 0x02), (cmd.DynEqStop, 0x00)]
        self.until(lambda: self.dyn_trace(since) == want, 5, "the closing's messages", fail=False)
        time.sleep(self.TRACE_LAG)
        closing = self.dyn_trace(since)
        if closing != want:
            self.fail(f"closing sent {self.named(closing)}")
        # Scan Port: the scan cancelled; the program goes offline (the poll thread says goodbye).
        n = self.count(DISCONNECT_ANY)
        self.choose(tabs, Config, menu.kCmdScanPort)
        dlg = self.until(self.any_dialog, 30, "the scan dialog", fail="no scan dialog")
        self.press(dlg, Scan.CANCEL)
        main = self.main_window(60000)
        self.idle(main)
        self.wait_count(DISCONNECT_ANY, n, 10, "disconnect after the scan")
        # Offline with changes: closing offers a setup file; NO closes.
        self.close_answering(main, EXIT_OFFLINE, Exit.NO, failure="not offline after the scan")

    def choose_menu_item(self, tabs, left, n):
        """Chooses an item of a menu in its own loop, as the user does with the keyboard: Down n
        times (separators are passed over), then Enter."""
        popup = self.open_popup(tabs, left)
        for _ in range(n):
            self.key(popup, VK_DOWN)
        self.key(popup, VK_RETURN)
        if not self.wait_gone(popup):
            self.fail("the menu stayed open after Enter")

    def shot_source_menu(self, tabs, path):
        """Config > External Source: Down to "I/O Configuration Wizard", Down to "External
        Source", Right to its submenu."""
        self.shot_config_submenu(tabs, path, VK_DOWN, VK_DOWN, VK_RIGHT)

    def test_menu_config_sources(self):
        # Config > External Source by its ids: each source's item is ticked in the next Config
        # menu, a second choice unticks it.
        main = self.online()
        tabs = self.tabs
        # No source ticked after the read-back; each command ticks its item (a second one
        # unticks it), seen in the next menu.
        none = self.work / "sources-none.bmp"
        self.shot_source_menu(tabs, none)
        aux1 = menu.kCmdSourceAux1
        # The item of each source (Aux1, Aux2, S/PDIF, Optical, Phone), S/PDIF again, with the
        # ticks expected after it.
        steps = [(0, [0]), (1, [0, 1]), (2, [0, 1, 2]), (3, [0, 1, 2, 3]), (4, [0, 1, 2, 3, 4]), (2, [0, 1, 3, 4])]
        for k, (source, ticked) in enumerate(steps):
            self.choose(tabs, TabBar.CONFIG, aux1 + source)
            time.sleep(0.3)
            shot = self.work / f"sources-{k}.bmp"
            self.shot_source_menu(tabs, shot)
            got = images.ticks_changed(none, shot, 5)
            self.assertEqual(got, ticked, f"after the item of source {source} the ticked sources differ")
            if source == 4:
                shutil.copy(shot, self.bin / "e2e-config-sources.bmp")
        self.close_answering(main, EXIT_ONLINE, Exit.NO)


class ResetOffline(Case):
    def test_reset_offline_mode(self):
        # Offline, File > Reset Settings puts the working mode back to Standard with the tuning:
        # the Config menu ticks Standard again, and choosing Expert afterwards is a change of mode
        # (the tick moves), where before the reset left Expert ticked and the program's own mode
        # at Expert, so that the choice did nothing.
        self.set_setting("AskReset", ASK)
        main = self.offline()
        tabs = self.tab_bar(main)

        def ticked(name):
            return self.mode_ticks(tabs, f"e2e-reset-offline-mode-{name}.bmp")

        self.choose(tabs, TabBar.CONFIG, menu.kCmdExpert)
        self.idle(main)
        self.assertEqual(ticked("expert"), [1], "Expert is not ticked after choosing it")
        self.choose(tabs, TabBar.FILE, menu.kCmdResetSettings)
        self.answer_box("This action resets all current settings.", 0)  # OK, "ask no more" not ticked
        self.idle(main)
        self.assertEqual(ticked("reset"), [0], "the reset did not leave Standard (0) alone ticked")
        self.choose(tabs, TabBar.CONFIG, menu.kCmdExpert)  # Expert again: a change once more
        self.idle(main)
        self.assertEqual(ticked("expert-again"), [1], "choosing Expert after the reset did not tick it")
        time.sleep(self.TRACE_LAG)
        talked = [e for e in self.trace.entries() if e.kind in (SENT, OPEN)]
        self.assertFalse(talked, f"offline mode talked to the device: {talked[:1]}")
        self.close_dropping(main)


class FileCommands(Case):
    def test_menu_file_commands(self):
        # The File menu's Credits, Update Firmware and Reset Settings by their ids.
        main = self.online()
        tabs, File = self.tabs, TabBar.FILE
        # Credits: the picture without the mode choice; a double click closes it.
        self.choose(tabs, File, menu.kCmdCredits)
        dlg = self.wait_window("#32770", "*", 20000)
        if dlg is None:
            self.fail("no credits")
        combo = self.child(dlg, "ComboBox")
        if combo is None:
            self.fail("no mode choice in the dialog")
        if self.flags(combo)[0] != 0:
            self.fail("the credits show the mode choice")
        time.sleep(0.5)
        self.shot(dlg, "e2e-credits.bmp")
        self.click(dlg, *layout.Startup.CONFIRM_AT, how="dblclick")
        if not self.wait_gone(dlg):
            self.fail("the credits stayed")
        self.idle(main)
        # Update Firmware: the image is chosen first; cancelled, nothing goes to the device.
        self.choose(tabs, File, menu.kCmdUpdateFirmware)
        dlg = self.file_dialog("Open", None, "Update Firmware")
        if not self.wait_gone(dlg):
            self.fail("the open dialog stayed")
        self.idle(main)
        time.sleep(1)
        self.assertEqual(self.firmware_frames(), 0, "firmware frames went out")
        # Reset Settings: NO leaves the unit alone; YES resets it, then the restart box.
        reset = sent(cmd.ResetSettings, whole=True)
        self.choose(tabs, File, menu.kCmdResetSettings)
        self.answer_box(RESET_QUESTION, 1)  # NO
        self.idle(main)
        time.sleep(1)
        self.assert_not_sent(reset, "reset after NO")
        self.choose(tabs, File, menu.kCmdResetSettings)
        self.answer_box(RESET_QUESTION, 0)  # YES
        self.wait_frame(reset)
        self.answer_box(RESTART_BOX, 0)
        self.close_main(main)  # after the restart box it closes at once
        self.expect_exit(0)
