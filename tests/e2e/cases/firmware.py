"""File > Update Firmware: an upload in "Rescue Mode" and in "Target", a block the unit finds
damaged, an image refused before anything is sent, and a unit pulled out in the middle."""

import fnmatch
import re
import time

from darvix_e2e import files
from darvix_e2e.layout import Firmware, Scan
from darvix_e2e.names import cmd
from darvix_e2e.session import FIRMWARE_DONE, FIRMWARE_NOT_DONE, LOST, OLDER, Case, winpath
from darvix_e2e.trace import PACING, received, sent


class Upload(Case):
    def unit_state(self):
        return (self.work / "units.txt").read_text(errors="replace") if (self.work / "units.txt").exists() else ""

    def confirm_upload(self, main, image, shot=None):
        """File > Update Firmware with the image; the question's OK."""
        self.choose_image(main, image)
        if shot:
            box = self.wait_window("#32770", "", 20000)
            if box is None:
                self.fail("no confirmation")
            self.shot(box, shot)
        self.answer_box("", 0)

    def firmware_result(self, text, failure, timeout_ms=60000):
        """The firmware dialog once its window text is that result."""
        return self.need_dialog(text, failure, timeout_ms)

    def test_firmware_rescue(self):
        # An older unit updated in "Rescue Mode"; restarted in "Target" it is accepted.
        files.make_image(self.work / "update.bin", 2000)
        self.launch(2, f"state = {winpath(self.work / 'units.txt')}", "[device]", "firmware = 0.9")
        main = self.main_window()
        self.idle(main)
        self.confirm_upload(main, self.work / "update.bin", shot="e2e-firmware-confirm.bmp")
        if self.wait_window("MYFRAMEWND", "", 20000) is None:
            self.fail("no firmware dialog")
        if self.state(main)[1] != 0:
            self.fail("the main window is enabled during the update")
        dlg = self.firmware_result(FIRMWARE_DONE, "no completed text")
        self.shot(dlg, "e2e-firmware-completed.bmp")
        # The begin block carries the image's size (2000 = 0x7D0); 512-byte blocks, the last of 464.
        self.assert_sent(
            sent(cmd.FirmwareBlock, 0x01, 0, 0, 0, 0xD0, 0x07, 0, 0, whole=True, length=14),
            "no begin with the image's size",
        )
        self.assert_sent(sent(cmd.FirmwareBlock, 0x02, 0, 0, 0, length=512 + 10), "no block 2")
        self.assert_sent(sent(cmd.FirmwareBlock, 0x05, 0, 0, 0, length=464 + 10), "no last block of 464 bytes")
        self.assert_sent(sent(cmd.FirmwareEnd, whole=True), "no end message")
        self.assert_sent(received(cmd.UpdateResult, 0x00, 0x01, 0x00, whole=True, length=9), "the unit did not report success")
        self.assert_settles(self.firmware_frames, 6, "firmware frames")
        time.sleep(self.TRACE_LAG)
        if self.trace.events(PACING):
            self.fail(f"pacing too short: {self.trace.events(PACING)[0]}")
        self.press(dlg, Firmware.OK)
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)
        if not re.search(r"DX000001 .* normal", self.unit_state()):
            self.fail("the unit's new version was not kept")
        self.trace.clear()
        self.start()
        self.splash(1)
        main = self.main_window()
        self.sync_ok()
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_firmware_damaged(self):
        main = self.target("[device]", "damaged_block = 3")
        files.make_image(self.work / "update.bin", 3000)
        self.confirm_upload(main, self.work / "update.bin")
        dlg = self.firmware_result(FIRMWARE_NOT_DONE, "no not-completed text")
        self.shot(dlg, "e2e-firmware-not-completed.bmp")
        self.assert_sent(received(cmd.UpdateResult, 0x00, 0x00, 0x03, length=9), "the unit did not refuse the damaged block")
        self.press(dlg, Firmware.OK)
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_firmware_refused(self):
        # An invalid image is refused with its name and reason; Cancel on the question sends nothing.
        main = self.target()
        files.make_image(self.work / "broken.bin", 1000, bad=True)
        self.choose_image(main, self.work / "broken.bin")

        def refusal():
            # The skinned box's text (its window text) breaks after the first sentence.
            for w in self.top_windows("#32770"):
                if re.search(r"firmware. not valid", w["text"]):
                    text = self.text(w["hwnd"])
                    if not fnmatch.fnmatchcase(text, "*broken.bin*the checksum does not match the payload.*"):
                        self.fail(f'no file or reason in "{text}"')
                    self.shot(w["hwnd"], "e2e-firmware-invalid.bmp")
                    self.answer_box(text, 0)
                    return "skinned"
            box = self.wait_window("#32770", "darvix", 50)
            if box is not None:
                statics = self.drv.attempt("statics", box) or []
                if any("broken.bin" in s for s in statics):
                    if not any("'darvix firmware' not valid." in s for s in statics):
                        self.fail("not the firmware message")
                    if not any("the checksum does not match the payload" in s for s in statics):
                        self.fail("no reason given")
                    self.shot(box, "e2e-firmware-invalid.bmp")
                    self.drv("button", box, "OK")
                    return "system"
            return None

        self.until(refusal, 30, "the refusal", fail="no message naming the invalid image")
        self.idle(main)
        files.make_image(self.work / "update.bin", 1000)
        self.choose_image(main, self.work / "update.bin")
        self.answer_box("", 1)  # Cancel
        self.idle(main)
        time.sleep(1)
        self.assertEqual(self.firmware_frames(), 0, "firmware frames went out")
        if self.top_windows("MYFRAMEWND"):
            self.fail("a dialog opened")
        self.close_main(main)
        self.expect_exit(0)

    def test_firmware_unplug(self):
        # The unit is pulled out mid-upload: the image goes on silently, the end message finds the
        # link gone, and the disconnect question waits until the dialog has shown its result and ended.
        main = self.target("[device]", "unplug_after_block = 3")
        files.make_image(self.work / "update.bin", 3000)
        self.confirm_upload(main, self.work / "update.bin")
        # The wait for the unit's verdict ends as the link is found failed, not after its 120 s.
        dlg = self.firmware_result(FIRMWARE_NOT_DONE, "no not-completed text", 15000)
        if self.box_shown():
            self.fail("a question over the firmware dialog")
        self.press(dlg, Firmware.OK)
        self.answer_box(LOST, 1)  # Cancel: offline
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)

    def test_firmware_unplug_rescue(self):
        # An upload broken off by an unplug; the unit comes back in rescue. The scan finds it, its
        # version is refused (exit 22), and restarted in "Rescue Mode" the upload completes.
        state = f"state = {winpath(self.work / 'units.txt')}"
        main = self.target(state, "[device]", "unplug_after_block = 3", "back_after = 500")
        files.make_image(self.work / "update.bin", 3000)
        self.confirm_upload(main, self.work / "update.bin")
        dlg = self.firmware_result(FIRMWARE_NOT_DONE, "no not-completed text", 30000)
        self.press(dlg, Firmware.OK)
        self.answer_box(LOST, 0)  # OK: scan
        dlg = self.scan_found("Darvix")
        if dlg is None:
            self.fail("the scan did not find the unit again")
        self.press(dlg, Scan.OK)
        text = self.warning_text()
        self.assertTrue(text.startswith(OLDER), f"wrong warning text: {text!r}")
        self.expect_exit(22)
        if not re.search(r"DX000001 .* rescue", self.unit_state()):
            self.fail("the unit's rescue mark was not kept")
        # The same unit, now left plugged in.
        self.restart_scenario(state, "[device]")
        self.start()
        self.splash(2)
        main = self.main_window()
        self.idle(main)
        self.confirm_upload(main, self.work / "update.bin")
        dlg = self.firmware_result(FIRMWARE_DONE, "no completed text")
        self.press(dlg, Firmware.OK)
        self.idle(main)
        self.close_main(main)
        self.expect_exit(0)
