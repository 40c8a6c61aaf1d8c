"""From the PC to the unit: the write of the whole tuning, FINALIZE from the menu and on the way
out, the exit dialog's answers online and offline, Reset Settings, and a unit pulled out while
the program writes to it."""

import filecmp
import sys
import time

from darvix_e2e import files, layout
from darvix_e2e.layout import Exit, Update
from darvix_e2e.names import cmd, menu, msg, node
from darvix_e2e.session import (
    EXIT_OFFLINE,
    EXIT_ONLINE,
    FINALIZE,
    FINALIZE_WARNING,
    KEPT,
    LOST,
    OVERWRITE,
    RESET_QUESTION,
    RESTART_BOX,
    STORE_BEGIN,
    STORE_END,
    UPDATE_FAILED,
    UPDATED,
    Case,
)
from darvix_e2e.trace import received, sent

FINALIZE_RESULT = received(cmd.UpdateResult, length=9)


class Write(Case):
    def test_write_menu(self):
        main = self.target()
        # File > Write to device: the question first; NO sends nothing.
        self.post(main, msg.MsgWriteToDevice, 1, 0)
        d = self.need_dialog(OVERWRITE, "no question")
        self.shot(d, "e2e-write-question.bmp")
        time.sleep(1)
        self.assert_not_sent(STORE_BEGIN, "written before YES")
        self.press(d, Update.NO)
        self.idle(main)
        time.sleep(1)
        self.assert_not_sent(STORE_BEGIN, "written after NO")
        # YES: the whole tuning between 0xA5 and 0xA6, then the success.
        self.post(main, msg.MsgWriteToDevice, 1, 0)
        d = self.need_dialog(OVERWRITE, "no question")
        self.press(d, Update.YES)
        self.wait_frame(STORE_BEGIN)
        self.shot(d, "e2e-write-running.bmp")
        d = self.need_dialog(UPDATED, "no success", 120000)
        self.wait_frame(STORE_END, 10)
        self.shot(d, "e2e-write-done.bmp")
        self.press(d, Update.OK)
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_write_unplug(self):
        main = self.target("[device]", "unplug_after_command = 0xA5 20")
        self.save_setup(main, self.work / "before.bit")
        self.post(main, msg.MsgWriteToDevice, 1, 0)
        d = self.need_dialog(OVERWRITE, "no question")
        self.press(d, Update.YES)
        d = self.dialog(UPDATE_FAILED, 60000)
        if d is None:
            shown = [f'{w["hwnd"]} {w["class"]} "{w["text"]}"' for w in self.top_windows()]
            self.fail("no failure; the windows shown: " + "; ".join(shown))
        self.shot(d, "e2e-write-failed.bmp")
        # The disconnect question waits until the dialog has ended.
        if any("riconnect" in w["text"] for w in self.top_windows(visible=False)):
            self.fail("the question came over the dialog")
        self.press(d, Update.OK)
        self.answer_box(LOST, 1)  # Cancel: offline
        self.idle(main)
        # The tuning on the PC is as it was.
        self.save_setup(main, self.work / "after.bit")
        if not filecmp.cmp(self.work / "before.bit", self.work / "after.bit", shallow=False):
            self.fail("the tuning changed")
        self.close_main(main)
        self.expect_exit(0)

    def test_unplug(self):
        main = self.target("[device]", "unplug_on_command = 0x7D")
        self.post(main, msg.MsgSelectPreset, 1, 0)  # select preset B: the device goes as it is told
        self.answer_box(LOST, 1)  # Cancel: offline
        self.idle(main)
        # The preset the user chose is a change: closing (now offline) asks first; NO closes.
        self.close_answering(main, EXIT_OFFLINE, Exit.NO)

    def test_reset_online(self):
        main = self.target()
        self.post(main, msg.MsgResetSettings, 0, 0)  # File > Reset Settings
        self.answer_box(RESET_QUESTION, 0)  # YES
        self.wait_frame(sent(cmd.ResetSettings, whole=True))
        self.answer_box(RESTART_BOX, 0)
        self.close_main(main)  # after the restart box it closes at once
        self.expect_exit(0)


class Finalize(Case):
    def test_finalize_menu(self):
        main = self.target("[device]", "finalize_delay = 3000")
        self.expert(main)
        self.post(main, msg.MsgWriteToDevice, 1, 1)  # File > FINALIZE to Darvix
        d = self.need_dialog(FINALIZE_WARNING, "no FINALIZE warning")
        self.shot(d, "e2e-finalize-warning.bmp")
        time.sleep(1)
        self.assert_not_sent(FINALIZE, "FINALIZE before YES")
        self.press(d, Update.YES)
        self.wait_frame(FINALIZE)
        time.sleep(1)
        self.shot(d, "e2e-finalize-running.bmp")
        d = self.need_dialog(UPDATED, "no success", 30000)
        self.wait_frame(FINALIZE_RESULT, 10)
        self.press(d, Update.OK)
        self.idle(main)
        self.close_main(main)  # finalized: nothing left to ask about
        self.expect_exit(0)

    def test_finalize_fails_menu(self):
        # File > FINALIZE to Darvix on a unit whose FINALIZE fails: the failure is shown, the
        # changes stay marked and closing still asks about them.
        main = self.online("[device]", "finalize_result = 0")
        self.expert(main)
        self.choose(self.tabs, layout.TabBar.FILE, menu.kCmdFinalize)
        d = self.need_dialog(FINALIZE_WARNING, "no FINALIZE warning")
        self.press(d, Update.YES)
        self.wait_frame(FINALIZE)
        # The unit answers with a result word of 0.
        self.wait_frame(received(cmd.UpdateResult, 0x00, 0x00, length=9))
        d = self.need_dialog(UPDATE_FAILED, "no failure text", 30000)
        self.shot(d, "e2e-finalize-menu-failed.bmp")
        self.press(d, Update.OK)
        self.idle(main)
        self.assert_count(FINALIZE, 1, "FINALIZE was sent more than once")
        self.close_main(main)
        d = self.need_dialog(EXIT_ONLINE, "closing did not ask after the failed FINALIZE")
        self.press(d, Exit.NO)
        self.expect_exit(0)


class ExitDialog(Case):
    def test_exit_finalize(self):
        main = self.target()
        self.expert(main)
        self.close_main(main)
        d = self.need_dialog(EXIT_ONLINE, "no exit dialog")
        self.shot(d, "e2e-exit-online.bmp")
        self.press(d, Exit.YES, settle=False)  # YES: FINALIZE, then close
        d = self.need_dialog(UPDATED, "no FINALIZE result")
        self.press(d, Update.OK, settle=False)
        self.expect_exit(0)
        self.assert_sent(FINALIZE, "no FINALIZE")
        self.assert_sent(FINALIZE_RESULT, "no FINALIZE result")

    def test_exit_finalize_fails(self):
        main = self.target("[device]", "finalize_result = 0")
        self.expert(main)
        self.close_main(main)
        d = self.need_dialog(EXIT_ONLINE, "no exit dialog")
        self.press(d, Exit.YES)
        d = self.need_dialog(KEPT, "no kept-changes text")
        self.shot(d, "e2e-finalize-kept.bmp")
        self.press(d, Update.OK)
        self.idle(main)  # the program stays open
        self.close_main(main)
        d = self.need_dialog(EXIT_ONLINE, "closing did not ask again")
        self.press(d, Exit.NO)
        self.expect_exit(0)

    def test_exit_unplug(self):
        main = self.target("[device]", "unplug_on_command = 0xC9")
        self.expert(main)
        self.close_main(main)
        d = self.need_dialog(EXIT_ONLINE, "no exit dialog")
        self.press(d, Exit.YES)
        d = self.need_dialog(KEPT, "no kept-changes text at once", 20000)
        self.press(d, Update.OK)
        self.answer_box(LOST, 1)
        self.idle(main)
        self.close_main(main)
        d = self.need_dialog(EXIT_OFFLINE, "closing offline did not ask")
        self.press(d, Exit.NO)
        self.expect_exit(0)

    def test_exit_cancel(self):
        main = self.target()
        self.expert(main)
        self.close_main(main)
        d = self.need_dialog(EXIT_ONLINE, "no exit dialog")
        self.press(d, Exit.CANCEL)  # Cancel: the window stays
        self.idle(main)
        self.close_answering(main, EXIT_ONLINE, Exit.NO)  # NO: closes without FINALIZE
        self.assert_not_sent(FINALIZE, "FINALIZE without YES")

    def test_exit_offline(self):
        main = self.offline()
        self.post(main, msg.MsgWorkingMode, 0, 0)
        time.sleep(0.5)
        self.close_main(main)
        d = self.need_dialog(EXIT_OFFLINE, "no exit dialog")
        self.shot(d, "e2e-exit-offline.bmp")
        self.press(d, Exit.YES)  # YES: the save dialog, cancelled, still closes
        self.file_dialog("Save As", None, "YES", settle=False)
        self.expect_exit(0)

    def test_exit_offline_save(self):
        # Offline, closing with changes: the exit dialog's YES saves a setup file, and that file
        # loads back in a new session with the same levels and tuning.
        main = self.offline()
        tabs = self.tab_bar(main)
        File = layout.TabBar.FILE
        # A tuning of its own: levels that differ per preset and channel, and an equaliser band raised.
        self.save_file(tabs, File, menu.kCmdSaveSetup, self.work / "defaults.bit")
        self.idle(main)
        files.patch(self.work / "defaults.bit", self.work / "edited.bit", "levels", "eq")
        self.open_file(tabs, File, menu.kCmdLoadSetup, self.work / "edited.bit")
        self.idle(main)
        self.post(main, msg.MsgWorkingMode, 0, 0)  # one more change: Expert mode
        time.sleep(0.5)
        self.close_main(main)
        d = self.need_dialog(EXIT_OFFLINE, "no exit dialog")
        self.press(d, Exit.YES)
        self.file_dialog("Save As", self.work / "closing.bit", "YES", settle=False)
        self.expect_exit(0)
        closing = self.work / "closing.bit"
        if not closing.exists() or closing.stat().st_size == 0:
            self.fail("no setup file written on closing")
        self.assertTrue(files.same_levels(closing, self.work / "edited.bit"), "the saved levels are not the loaded ones")
        self.assertTrue(files.same_tuning(closing, self.work / "edited.bit"), "the saved tuning is not the loaded one")
        # A new session loads it and saves it again unchanged.
        self.start()
        self.splash(0)
        main = self.main_window()
        self.idle(main)
        tabs = self.tab_bar(main)
        self.open_file(tabs, File, menu.kCmdLoadSetup, closing)
        self.idle(main)
        self.save_file(tabs, File, menu.kCmdSaveSetup, self.work / "again.bit")
        self.idle(main)
        # Byte for byte but for the working mode, which a load leaves as it is (Expert at the first closing).
        a, b = files.read(closing), files.read(self.work / "again.bit")
        if a[:8] + a[12:] != b[:8] + b[12:] or int.from_bytes(a[8:12], "little") != 0:
            self.fail("the setup did not load back as it was saved")
        self.close_dropping(main)


VEXA = "Vexa connected (ver. 5.02)"
CONNECTED = "darvix connected."


class StatusLines(Case):
    """The device panel's five status lines (its window text) around writes to the device."""

    def device_lines(self, main):
        page = self.need_child(main, "MYFRAMEWND", layout.Main.PAGE, "tuning page")
        info = self.need_child(page, "MYFRAMEWND", layout.Tuning.DEVICE_INFO, "device panel")
        return self.text(info)

    def write_to_device(self, main, result):
        """File > Synchronize > Pc -> Darvix answered YES; the dialog once it shows `result`."""
        self.post(main, msg.MsgWriteToDevice, 1, 0)
        d = self.need_dialog(OVERWRITE, "no write question")
        self.press(d, Update.YES)
        return self.need_dialog(result, f'no write result "{result}"', 120000)

    def test_write_unplug_status(self):
        # The unit is pulled out during a write to the device: while the failure is shown, the
        # device panel already says "Comunication Error." (the disconnect question waits for the
        # dialog's end), and after OK it does not claim "darvix connected." for a unit that is gone.
        main = self.online("[device]", "unplug_after_command = 0xA5 20")
        lines = self.device_lines(main)
        self.assertIn(CONNECTED, lines, "not connected at first")
        d = self.write_to_device(main, UPDATE_FAILED)
        if any("riconnect" in w["text"] for w in self.top_windows(visible=False)):
            self.fail("the question came over the dialog")
        lines = self.device_lines(main)
        self.assertIn("Comunication Error.", lines, "no error while the failure is shown")
        self.assertNotIn("darvix connected", lines, "connected while the failure is shown")
        self.shot(main, "e2e-write-unplug-status.bmp")
        self.press(d, Update.OK)
        if self.wait_window("#32770", LOST, 20000) is None:
            self.fail("no disconnect question")
        lines = self.device_lines(main)
        self.assertTrue("Comunication Error." in lines and "darvix connected" not in lines, f"after OK the panel says: {lines}")
        self.answer_box(LOST, 1)  # Cancel: offline
        self.idle(main)
        self.assertNotIn("darvix connected", self.device_lines(main), "offline and still connected")
        self.close_dropping(main)

    def test_write_keeps_vexa(self):
        # A unit with its remote control: the read-back shows the Vexa with its version; a write to
        # the device and another read-back leave it so (the end of a write passes no remote state).
        main = self.online("[device]", "accessory = yes", "remote = 5.2")
        self.assertIn(VEXA, self.device_lines(main), "no remote after the read-back")
        d = self.write_to_device(main, UPDATED)
        self.press(d, Update.OK)
        self.idle(main)
        self.assertIn(CONNECTED, self.device_lines(main), "not connected after the write")
        # Any read-all request, to any node.
        read_all = sent(cmd.ReadAllRequest, whole=True, node=None)
        n = self.count(read_all)
        self.choose(self.tabs, layout.TabBar.FILE, menu.kCmdDeviceToPc)
        self.wait_count(read_all, n, 10, "read-all request from the menu")
        self.sync_ok()
        self.idle(main)
        self.assertIn(VEXA, self.device_lines(main), "after a write and a read-back the panel has no remote")
        self.shot(main, "e2e-vexa-after-write.bmp")
        self.close_dropping(main)


class StalledLine(Case):
    def test_exit_stalled_line(self):
        # A unit whose line stalls from some point on: it takes nothing of any write, and each write
        # waits out the port's write time-out (384 ms), as a unit that stopped reading does. The
        # stall begins once the program has sent the read-back's preset back to it (the
        # accessory's notice). Then closing the main window ends the program at once: the goodbye
        # it sends on the way out gives up at its first stalled chunk, where 2048 stalled chunks
        # per write held the exit for many minutes. The time from the close to the end is printed.
        main = self.online("[device]", "write = stall", "write_from_command = 0x0F")
        self.wait_frame(sent(cmd.PresetNotice, 0x01, whole=True, node=node.kNodeAccessory))
        time.sleep(1)
        begin = time.monotonic()
        self.close_main(main)
        code = self.exit_code(120)
        took = int((time.monotonic() - begin) * 1000)
        print(f"closing the main window over a stalled line: the process ended after {took} ms", file=sys.stderr)
        self.assertEqual(code, 0, f"exit code {code} after {took} ms")
        # Nothing of the goodbye reached the unit: the line was stalled.
        self.assert_not_sent(sent(cmd.Disconnect, whole=True, node=node.kNodeLevel), "the disconnect went out over a stalled line")
