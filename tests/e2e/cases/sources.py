"""The external-source page against a unit with three sources: the page the unit's source brings,
its switches, Config > External Source, a pick online and the write of the whole tuning."""

import time

from darvix_e2e import layout
from darvix_e2e.layout import Exit, Sources, TabBar, Update
from darvix_e2e.names import cmd, menu, msg
from darvix_e2e.session import EXIT_ONLINE, OVERWRITE, STORE_END, UPDATED, Case
from darvix_e2e.trace import sent


def selection(source):
    return sent(cmd.SourceSelect, source, whole=True)


def source_eq(source):
    return sent(cmd.SourceEq, source, length=136)


def sensitivity(source):
    return sent(cmd.SourceSensitivity, source, length=11)


class ExternalSources(Case):
    def test_sources(self):
        # A unit on Aux2 with Aux1, Aux2 and Phone, low-level main inputs on front left and right.
        main = self.target(
            "[device]", "source = 1", "source_flags = 1 1 0 0 1", "input_type = low", "input_codes = 0x28 0x30 0 0 0 0 0 0"
        )
        # The external-source page: the page at (0, 65) with the master slider at (964, 513).
        page = None
        for p in self.children(main, "MYFRAMEWND"):
            if (p["x"], p["y"]) == (layout.Main.PAGE.x, layout.Main.PAGE.y):
                if self.child(p["hwnd"], "SLIDERFX", Sources.MASTER_SLIDER) is not None:
                    page = p["hwnd"]
        if page is None:
            self.fail("no external-source page")
        if not self.shown(page):
            self.fail("a unit on Aux2 did not bring the external-source page")
        # Aux2 lit on a shown page: the selection goes out again.
        self.wait_frame(selection(0x01))

        def shown_at(slot):
            place = layout.Place(Sources.SWITCH_X, Sources.SWITCH_Y[slot])
            return [c["hwnd"] for c in self.children(page, "MYBTNWND", visible=1) if place.holds(c)]

        if not (shown_at(0) and shown_at(1)):
            self.fail("no Aux1 and Aux2 switches")
        if not shown_at(2):
            self.fail("no Phone switch in the third slot")
        master = shown_at(3)
        if not master:
            self.fail("no Master switch after Phone")
        if shown_at(4):
            self.fail("a switch of a source the unit lacks")
        time.sleep(0.5)
        self.shot(main, "e2e-sources-aux2.bmp")
        # Config > External Source: Phone off, then on again with its equaliser and sensitivity.
        self.post(main, msg.MsgToggleSource, 4, 0)
        self.wait_frame(sent(cmd.SourceFlags, 1, 1, 0, 0, 0, whole=True))
        self.post(main, msg.MsgToggleSource, 4, 0)
        self.wait_frame(sent(cmd.SourceFlags, 1, 1, 0, 0, 1, whole=True))
        self.wait_frame(source_eq(4))
        self.wait_frame(sensitivity(4))
        self.idle(main)
        phone = shown_at(2)
        if not phone:
            self.fail("no Phone switch after it came back")
        # A pick online: the selection, the main window held while the unit switches, then free.
        self.click(phone[0], settle=False)
        held = self.until(lambda: self.flags(main) == (1, 0), 5, "the main window held", fail=False)
        if not held:
            self.fail("the main window was not held during the switch")
        self.wait_frame(selection(0x04))
        self.idle(main)
        time.sleep(0.5)
        self.shot(main, "e2e-sources-phone.bmp")
        # Master.
        self.click(master[0])
        self.wait_frame(selection(0xFF))
        self.idle(main)
        time.sleep(0.5)
        self.shot(main, "e2e-sources-master.bmp")
        # Pc -> Darvix: the selection and each enabled source's equaliser and sensitivity in the write.
        tabs = self.tab_bar(main)
        self.choose(tabs, TabBar.FILE, menu.kCmdPcToDevice)
        d = self.need_dialog(OVERWRITE, "no write question")
        self.press(d, Update.YES)
        self.wait_frame(STORE_END, 120)
        d = self.need_dialog(UPDATED, "no write result", 120000)
        self.press(d, Update.OK)
        self.idle(main)
        write = [e for block in self.trace.store_blocks() for e in block]

        def in_write(pattern):
            return any(pattern.matches(e) for e in write)

        if not in_write(selection(0xFF)):
            self.fail("no selection in the write")
        for s in (0, 1, 4):
            if not in_write(source_eq(s)):
                self.fail(f"no equaliser of source {s} in the write")
            if not in_write(sensitivity(s)):
                self.fail(f"no sensitivity of source {s} in the write")
        if any(source_eq(2).matches(e, sound=False) for e in write):
            self.fail("the equaliser of a source the unit lacks")
        self.close_answering(main, EXIT_ONLINE, Exit.NO)
