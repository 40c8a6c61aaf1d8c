"""The I/O configuration wizard: on a blank unit at start-up, offline from the Config menu, walked
against the unit with low-level and with high-level inputs, and its input-level setup on a silent
unit, on an input too low and on a unit pulled out."""

import filecmp
import fnmatch
import struct
import time

from darvix_e2e import files, layout
from darvix_e2e.layout import Exit, Update, Wizard
from darvix_e2e.names import cmd, command_name, menu, node, wizard_menu
from darvix_e2e.session import EXIT_OFFLINE, EXIT_ONLINE, LOST, MINUS_45_DB, READ_ALL, STORE_END, UPDATED, Case
from darvix_e2e.trace import CLOSE, GONE, RECEIVED, SENT, received, sent
from darvix_e2e.win32 import VK_ESCAPE, WM_COMMAND

# The messages of a wizard's run, in the order the unit sees them.
WIZARD_COMMANDS = {
    cmd.MasterLevel, cmd.WizardBegin, cmd.InputConfig, cmd.InputDetect, cmd.InputDetectStatus,
    cmd.OutputDetect, cmd.OutputDetectStatus, cmd.Routing, cmd.OutputMap, cmd.WizardEnd,
}  # fmt: skip
INPUT_SETUP = sent(cmd.InputDetect, whole=True)
DE_EQUALIZATION = sent(cmd.OutputDetect, whole=True)


class WizardCase(Case):
    def open_wizard(self, tabs, failure="no wizard"):
        """Config > I/O Configuration Wizard."""
        self.choose(tabs, layout.TabBar.CONFIG, menu.kCmdIoWizard)
        return self.need_wizard(failure)

    def order(self, since):
        """The wizard's messages, each run of one command as one, up to its end; the end with its
        first byte: "WizardEnd(00)"."""
        out = []
        for e in self.trace.frames(since):
            if e.command not in WIZARD_COMMANDS:
                continue
            name = command_name(e.command)
            if e.command == cmd.WizardEnd:
                name += f"({e.data[5]:02X})"
            if not out or out[-1] != name:
                out.append(name)
            if e.command == cmd.WizardEnd:
                break
        return " ".join(out)

    def buttons(self, d):
        next_button = self.need_child(d, "MYBTNWND", Wizard.NEXT, "Next")
        back = self.need_child(d, "MYBTNWND", Wizard.BACK, "Back")
        return next_button, back

    def to_input_setup(self, d):
        for _ in range(4):  # low-level inputs as the unit has them, to step 5
            self.wizard_next(d)


class Blank(WizardCase):
    def test_blank_unit(self):
        self.launch(1, "[device]", "blank = yes")
        # The wizard comes first; abandoned on a blank unit, it ends the program.
        d = self.need_wizard("no wizard for the blank unit")
        self.press(d, Wizard.CANCEL, settle=False)  # Cancel on step 0
        self.expect_exit(0)
        self.assert_not_sent(READ_ALL, "a blank unit was read back")

    def test_wizard_blank_finish(self):
        self.launch(1, "[device]", "blank = yes")
        d = self.need_wizard("no wizard for the blank unit")
        self.wizard_walk(d)
        main = self.main_window()
        self.wizard_written()
        self.idle(main)
        # Set up now: a later wizard cancelled from the Config menu keeps the program.
        d = self.open_wizard(self.tab_bar(main), "no second wizard")
        self.press(d, Wizard.CANCEL)  # Cancel on step 0
        self.idle(main)
        if not self.still_running():
            self.fail("the program ended")
        self.close_answering(main, EXIT_ONLINE, Exit.NO)


    def test_wizard_blank_write(self):
        # A blank unit: the I/O wizard walked to Finish with a two-way front (woofer and tweeter on
        # each side) and the subwoofer, then the program writes the whole tuning by itself, without
        # a question. After the wizard's completed message the unit gets a write whose crossovers
        # are the defaults of the wizard's speakers, as the table of defaults gives them for a front
        # of two ways without a midrange: woofers Low Pass 5000 Hz (HPFreq kept at 80), tweeters
        # High Pass 5000 Hz (LPFreq kept at 16000), the subwoofer Low Pass 150 Hz (HPFreq 6000),
        # all Linkwitz 12 dB per octave, in all four presets. The OUTPUT LEVELS page then shows
        # those speakers' icons.
        self.launch(1, "[device]", "blank = yes")
        d = self.need_wizard("no wizard for the blank unit")
        for _ in range(5):  # to the speakers (low-level inputs)
            self.wizard_next(d)
        car = self.need_child(d, "MYFRAMEWND", Wizard.CAR_VIEW, "car view in the wizard")
        self.click(car, 123, 215)  # Front Left Woofer (the right one follows)
        self.click(car, 123, 155)  # Front Left Tweeter (the right one follows)
        self.click(car, 223, 370)  # the Subwoofer
        for _ in range(4):
            self.wizard_car_next(d)
        self.press(d, Wizard.FINISH, what="wizard Finish")
        main = self.main_window()
        # The write's dialog ends in its success with no YES to press.
        w = self.need_dialog(UPDATED, "no write to the device after the wizard", 60000)
        self.wait_frame(STORE_END, 10)
        self.shot(w, "e2e-wizard-write.bmp")
        self.press(w, Update.OK)
        self.idle(main)
        problem = self.default_tuning_problem()
        if problem:
            self.fail(f"the write after the wizard is not the wizard's default tuning: {problem}")
        # OUTPUT LEVELS: an icon under each output the wizard gave a speaker.
        tabs = self.tab_bar(main)
        self.click(tabs, *layout.TabBar.LEVELS_TAB)
        time.sleep(1)
        self.shot(main, "e2e-levels-after-wizard.bmp")
        self.close_changed(main)

    def default_tuning_problem(self):
        """What is wrong with the write after the completed wizard (None: nothing): the wizard's
        routing names each output's speaker; the write must carry a crossover for every speaker
        in every preset, with its default filter."""
        frames = [e.data for e in self.trace.frames() if e.kind == SENT and len(e.data) >= 6 and e.node == node.kNodeDsp]

        def first(command, after, byte5=None):
            for i in range(after, len(frames)):
                if frames[i][4] == command and (byte5 is None or frames[i][5] == byte5):
                    return i
            return None

        finished = first(cmd.WizardEnd, 0, 0x00)
        if finished is None:
            return "no completed-wizard message"
        routings = [i for i in range(finished) if frames[i][4] == cmd.Routing]
        if not routings:
            return "no routing before the completed wizard"
        r = frames[routings[-1]]
        speakers = {o: (r[13 + o], r[21 + o]) for o in range(8) if r[13 + o] != 0xFF}
        begin = first(cmd.StoreBegin, finished)
        end = first(cmd.StoreEnd, begin) if begin is not None else None
        if end is None:
            return "no write after the completed wizard"
        # Positions 0 Front Left, 2 Front Right, 4 the subwoofer spot; kinds 1 Woofer, 3 Tweeter,
        # 5 Subwoofer. Filter types 1 Low Pass, 2 High Pass; model 0 Linkwitz.
        expected = {1: (1, 5000.0, 80.0), 3: (2, 16000.0, 5000.0), 5: (1, 150.0, 6000.0)}
        if set(speakers.values()) != {(0, 1), (0, 3), (2, 1), (2, 3), (4, 5)}:
            return f"the wizard routed {speakers}"
        seen = set()
        for f in frames[begin + 1 : end]:
            if f[4] != cmd.Crossover:
                continue
            preset, channel, n = f[5], f[6], f[7]
            t = 8 + 20 * n
            ftype, fmodel = f[t], f[t + 1]
            lp, hp = struct.unpack("<ff", bytes(f[t + 2 : t + 10]))
            slopes = (f[t + 10], f[t + 11])
            if channel not in speakers:
                return f"a crossover for output {channel}, which has no speaker"
            kind = speakers[channel][1]
            got = (ftype, lp, hp)
            print(f"preset {preset} output {channel} kind {kind}: type {ftype} model {fmodel} LP {lp:g} HP {hp:g} "
                  f"slopes {slopes[0]} {slopes[1]}")
            if got != expected[kind] or fmodel != 0 or slopes != (12, 12):
                return f"output {channel} (kind {kind}) has {got}, model {fmodel}, slopes {slopes[0]} {slopes[1]}"
            seen.add((preset, channel))
        if seen != {(p, o) for p in range(4) for o in speakers}:
            return f"crossovers written for {sorted(seen)}"
        return None


    def test_wizard_blank_cancel(self):
        # A blank unit's wizard cancelled on step 3 (the low-level input assignment) ends the
        # program, but only once the unit has been told: the master level back as the output-level
        # page holds it (-45 dB) and the wizard aborted, both before the program's goodbye (to the
        # level node and the accessory) and the close. Before, the program ended before its poll
        # thread served the cancel, and the unit stayed in wizard mode at its lowered level.
        self.launch(1, "[device]", "blank = yes")
        d = self.need_wizard("no wizard for the blank unit")
        began = sent(cmd.WizardBegin, 0x00, whole=True)
        self.wizard_next(d)  # step 0: the unit enters wizard mode at -45 dB
        self.wait_frame(began)
        self.wizard_next(d)  # step 1, low-level inputs: on to step 3
        # Step 3's six input buttons stand in one column.
        six = lambda: len([c for c in self.children(d, "MYBTNWND", visible=1) if c["x"] == Wizard.ASSIGN_X]) == 6
        if not self.until(six, 10, "step 3", fail=False):
            self.fail("the wizard is not on the low-level input assignment")
        self.shot(d, "e2e-wizard-blank-cancel-03.bmp")
        self.press(d, Wizard.CANCEL, settle=False)
        self.expect_exit(0)
        time.sleep(1)  # the simulated driver's trace of the close
        entries = self.trace.entries()
        start = next(i for i, e in enumerate(entries) if began.matches(e)) + 1
        after = []
        for e in entries[start:]:
            if e.kind == SENT:
                after.append((command_name(e.command), e.node, bytes(e.payload)))
            elif e.kind == CLOSE:
                after.append("closed")
        want = [
            (command_name(cmd.MasterLevel), node.kNodeLevel, bytes([0x1E])),
            (command_name(cmd.WizardEnd), node.kNodeDsp, bytes([0x01])),
            (command_name(cmd.Disconnect), node.kNodeLevel, b""),
            (command_name(cmd.Disconnect), node.kNodeAccessory, b""),
            "closed",
        ]
        self.assertEqual(after, want, "after the wizard began the unit got")
        bad = [e for e in entries[start:] if e.kind == SENT and not e.sound]
        self.assertFalse(bad, f"unsound frames after the wizard began: {[str(e) for e in bad]}")


class Offline(WizardCase):
    def test_wizard_offline(self):
        main = self.offline()
        tabs = self.tab_bar(main)
        d = self.open_wizard(tabs)
        if self.flags(main)[0] != 0:
            self.fail("the main window shows under the wizard")
        self.wizard_walk(d, "e2e-wizard")
        self.idle(main)
        self.shot(main, "e2e-wizard-main.bmp")
        self.save_setup(main, self.work / "wizard.bit")
        got = files.layout_of(self.work / "wizard.bit")
        want = [(0, 0, 1), (1, 2, 1)] + [(-1, -1, -1)] * 5 + [(7, 4, 5)]
        self.assertEqual(got, want, "the setup holds another layout")
        # A cancelled wizard changes nothing.
        d = self.open_wizard(tabs, "no second wizard")
        self.wizard_next(d)
        self.press(d, Wizard.CANCEL)  # Cancel on step 1
        self.idle(main)
        self.save_setup(main, self.work / "again.bit")
        if not filecmp.cmp(self.work / "wizard.bit", self.work / "again.bit", shallow=False):
            self.fail("a cancelled wizard changed the setup")
        self.close_answering(main, EXIT_OFFLINE, Exit.NO)


class Walks(WizardCase):
    def test_wizard_output_step(self):
        # The I/O wizard's output step after a passive step that showed its toggles (a woofer and a
        # tweeter on each front side): on step 12 no toggle stays on screen over the tweeters'
        # channel buttons.
        main = self.online()
        d = self.open_wizard(self.tabs)
        for _ in range(4):  # steps 0, 1, 3, 4
            self.wizard_next(d)
        self.wizard_next(d)  # when the setup ends
        car = self.need_child(d, "MYFRAMEWND", Wizard.CAR_VIEW, "car view in the wizard")
        self.click(car, 123, 215)  # Front Left Woofer (the right one follows)
        self.click(car, 123, 155)  # Front Left Tweeter
        self.click(car, 223, 380)  # the Subwoofer
        self.wizard_car_next(d)  # step 11: the passive toggles

        def toggles():
            places = (Wizard.FRONT_LEFT_PASSIVE, Wizard.FRONT_RIGHT_PASSIVE)
            return len([c for c in self.children(car, "MYBTNWND", visible=1) if any(p.holds(c) for p in places)])

        self.until(lambda: toggles() == 2, 5, "the passive toggles", fail=False)
        self.assertEqual(toggles(), 2, "step 11's passive toggles")
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-output-11.bmp")
        self.wizard_car_next(d)  # step 12: the output channels
        time.sleep(0.5)
        self.shot(d, "e2e-wizard-output-12.bmp")
        self.assertEqual(toggles(), 0, "step 12 still shows passive toggles")
        arrows = len(self.children(car, "MYBTNWND", visible=1))
        self.assertGreaterEqual(arrows, 10, "step 12 lacks the labels' up and down pairs")
        self.press(d, Wizard.CAR_CANCEL, what="wizard Cancel")
        self.idle(main)
        self.close_dropping(main)

    def test_wizard_low_walk(self):
        # The I/O wizard against the unit with low-level inputs: the input-level setup runs, the
        # de-equalization (a step of high-level inputs only) does not, and Finish sends the input
        # configuration, the routing and the output map, then ends the wizard as completed.
        main = self.online()
        mark = self.trace.mark()
        d = self.open_wizard(self.tabs)
        self.wizard_walk(d)
        self.wizard_written()
        self.idle(main)
        self.assert_settles(
            lambda: self.order(mark),
            "MasterLevel WizardBegin InputConfig InputDetect InputDetectStatus Routing OutputMap WizardEnd(00)",
            "the wizard's messages came in another order",
        )
        self.assert_not_sent(DE_EQUALIZATION, "a de-equalization was asked with low-level inputs")
        # The statuses of the unit's two inputs, then its end.
        statuses = [
            f"{e.data[5]:02X}" for e in self.trace.frames(mark) if e.kind == RECEIVED and e.command == cmd.InputDetectStatus
        ]
        self.assertEqual(statuses, ["80", "81", "00"], "the input setup reported other statuses")
        self.assert_sent(sent(cmd.WizardEnd, 0x00, whole=True), "no completed-wizard message")
        self.close_dropping(main)

    def test_wizard_high_walk(self):
        # A high-level walk (the two front inputs, a passive woofer and tweeter pair on each front
        # side, the subwoofer with an amplifier) to Finish. The unit sees the wizard's messages in
        # their order; the routing it keeps is the layout of File > Save Setup, also after File >
        # Synchronize > "Pc <- Darvix" reads it back; the wizard opened again shows it.
        # A unit slow enough in its set-ups that their running faces show before they end.
        main = self.online("[device]", "wizard_delay = 1500", "wizard_interval = 700")
        tabs = self.tabs
        mark = self.trace.mark()
        d = self.open_wizard(tabs)
        self.wizard_next(d)
        self.press(d, Wizard.HIGH_LEVEL, what="High Level check")
        self.wizard_next(d)

        # The inputs as the unit reported them (its low-level configuration leaves none of the
        # high level): the first two boxes get the front left and right full-range inputs. A box
        # opens its menu, closed here unchosen; the choice then comes as the menu's command.
        def choose_input(y, command):
            self.press(d, layout.Place(Wizard.INPUT_BOX_X, y), what="input box")
            popup = self.wait_window("#32768", "", 10000)
            if popup is None:
                self.fail("no input menu")
            self.key(popup, VK_ESCAPE)
            if not self.wait_gone(popup):
                self.fail("the input menu stayed open")
            self.post(d, WM_COMMAND, command, 0)

        choose_input(82, wizard_menu.kMenuHighFirst)  # Front Left Full
        choose_input(106, wizard_menu.kMenuHighFirst + 1)  # Front Right Full
        next_button = self.need_child(d, "MYBTNWND", Wizard.NEXT, "Next")

        def next_usable(what):
            # A choice or a setup's end may land a moment later.
            self.until(lambda: self.usable(next_button), 30, what, fail=f"Next never became usable ({what})")

        def run_setup(frame, step, name):
            # Next into a step whose set-up runs on the unit: the frame that starts it, Next held
            # while it runs and usable once it ended, a screenshot of each.
            n = self.count(frame)
            self.wizard_next(d)
            self.until(lambda: self.count(frame) > n, 10, str(frame), fail=False)
            time.sleep(0.5)
            self.shot(d, f"e2e-wizard-{step}-running.bmp")
            if self.flags(next_button) != (1, 0):
                self.fail(f"Next usable while the {name} runs")
            next_usable(f"the {name} ended")
            time.sleep(0.3)
            self.shot(d, f"e2e-wizard-{step}-ended.bmp")

        next_usable("the two front inputs chosen")
        self.wizard_next(d)
        run_setup(INPUT_SETUP, "05", "input-level setup")
        self.wizard_next(d)
        self.wizard_next(d)
        run_setup(DE_EQUALIZATION, "08", "de-equalization")
        self.wizard_next(d)
        car = self.need_child(d, "MYFRAMEWND", Wizard.CAR_VIEW, "car view in the wizard")
        self.click(car, 123, 215)  # Front Left Woofer (the right one follows)
        self.click(car, 123, 155)  # Front Left Tweeter
        self.click(car, 223, 380)  # the Subwoofer
        self.wizard_car_next(d)
        self.press(car, Wizard.FRONT_LEFT_PASSIVE, what="passive toggle of the front left")  # one passive crossover
        self.wizard_car_next(d)
        self.wizard_car_next(d)
        self.press(car, Wizard.SUBWOOFER_AMPLIFIER, what="amplifier box of the subwoofer")
        self.wizard_car_next(d)
        self.press(d, Wizard.FINISH, what="wizard Finish")
        self.wizard_written()
        self.idle(main)

        self.assert_settles(
            lambda: self.order(mark),
            "MasterLevel WizardBegin InputConfig InputDetect InputDetectStatus OutputDetect OutputDetectStatus "
            "Routing OutputMap WizardEnd(00)",
            "the wizard's messages came in another order",
        )
        self.assert_sent(MINUS_45_DB, "no -45 dB on leaving the first step")

        # The routing the unit keeps: (output, position, kind) of each output with a speaker.
        routings = [e for e in self.trace.frames(mark) if e.kind == SENT and e.command == cmd.Routing]
        self.assertTrue(routings, "no routing sent")
        r = routings[-1].data
        unit = [(o, r[13 + o], r[21 + o]) for o in range(8) if r[13 + o] != 0xFF]
        self.assertEqual(unit, [(0, 0, 0), (1, 2, 0), (7, 4, 5)], "the unit keeps another routing")

        def saved_layout(name):
            self.save_file(tabs, layout.TabBar.FILE, menu.kCmdSaveSetup, self.work / name)
            self.idle(main)
            return [row for row in files.layout_of(self.work / name) if row[1] != -1]

        self.assertEqual(saved_layout("wizard.bit"), unit, "the saved layout is not the unit's")

        # File > Synchronize > "Pc <- Darvix": the unit's routing comes back as the same layout.
        n = self.count(READ_ALL)
        self.choose(tabs, layout.TabBar.FILE, menu.kCmdDeviceToPc)
        self.until(lambda: self.count(READ_ALL) > n, 10, "a read-back", fail=False)
        self.sync_ok()
        self.idle(main)
        self.assert_sent(received(cmd.Routing, length=0x2E), "the read-back brought no routing")
        self.assertEqual(saved_layout("back.bit"), unit, "the layout read back is another")

        # The wizard opened again: the High Level inputs and the car as the unit reported them.
        d = self.open_wizard(tabs, "no second wizard")
        self.wizard_next(d)
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-reopened-01.bmp")
        for _ in range(4):  # to step 6, the input setup run again
            self.wizard_next(d)
        self.wizard_next(d)  # into the de-equalization
        self.wizard_next(d)
        self.wizard_next(d)  # once ended: the speakers
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-reopened-10.bmp")
        self.press(d, Wizard.CAR_CANCEL)
        self.idle(main)
        self.close_dropping(main)


class InputSetup(WizardCase):
    def test_wizard_silent_cancel(self):
        # A unit that never answers the input-level setup: the step waits (its Next and Back
        # disabled) until the user cancels. Cancel ends the wizard and tells the unit the wizard
        # was abandoned (WizardEnd with 1); the master level it had before is not sent back during
        # a detection.
        main = self.online("[device]", "no_reply_to = 0x85")
        mark = self.trace.mark()
        d = self.open_wizard(self.tabs)
        self.to_input_setup(d)
        self.until(lambda: self.has(INPUT_SETUP, mark), 10, "the input setup", fail="no input-level setup asked")
        time.sleep(2)  # well past the time a unit answers in
        self.shot(d, "e2e-wizard-silent-05.bmp")
        next_button, back = self.buttons(d)
        self.assertEqual(self.flags(next_button), (1, 0), "Next usable while the unit is silent")
        self.assertEqual(self.flags(back), (1, 0), "Back usable while the unit is silent")
        self.press(d, Wizard.CANCEL)
        if not self.wizard_closed(d):
            self.fail("the wizard stayed after Cancel")
        self.idle(main)
        # From the setup's request on: the abandon message, then no level and no status.
        after = self.trace.find(INPUT_SETUP, mark)[0].index + 1
        self.assert_sent(sent(cmd.WizardEnd, 0x01, whole=True), "no abandon message after the silent setup", after)
        self.assert_not_sent(sent(cmd.WizardEnd, 0x00), "the abandoned wizard was reported completed", after)
        self.assert_not_sent(
            sent(cmd.MasterLevel, node=node.kNodeLevel, length=7), "a master level was sent after the cancelled setup", after
        )
        self.assert_not_sent(received(cmd.InputDetectStatus), "the silent unit sent a status", after)
        self.close_dropping(main)

    def test_wizard_too_low(self):
        # An input too low for the input-level setup: the unit ends the setup on it (0x40 | input),
        # the step stays with Next disabled and Back usable; Back to the step before, Next runs
        # the setup again, which now finishes, and Next is enabled.
        main = self.online("[device]", "wizard_too_low = 1", "wizard_delay = 300", "wizard_interval = 200")
        mark = self.trace.mark()
        d = self.open_wizard(self.tabs)
        self.to_input_setup(d)
        self.wait_frame(received(cmd.InputDetectStatus, 0x41, whole=True))
        next_button, back = self.buttons(d)
        self.until(lambda: self.usable(back), 10, "Back usable", fail=False)
        self.assertEqual(self.flags(back), (1, 1), "Back not usable after the too-low end")
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-too-low-05.bmp")
        self.assertEqual(self.flags(next_button), (1, 0), "Next usable after an input was too low")
        self.press(d, Wizard.BACK)
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-too-low-04.bmp")
        self.assertEqual(self.flags(next_button), (1, 1), "no usable Next on the step before")
        self.wizard_next(d)  # the setup again
        self.until(lambda: self.usable(next_button), 10, "Next usable", fail=False)
        self.assertEqual(self.flags(next_button), (1, 1), "Next not usable after the repeated setup")
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-too-low-05-again.bmp")
        # Both setups as the unit ran them: the first ended on input 1 (second input), the second finished.
        def setups():
            runs = ""
            for e in self.trace.frames(mark):
                if e.kind == SENT and e.command == cmd.InputDetect:
                    runs += "| "
                elif e.kind == RECEIVED and e.command == cmd.InputDetectStatus:
                    runs += f"{e.data[5]:02X} "
            return runs

        self.until(lambda: fnmatch.fnmatchcase(setups(), "| 80 41 | * 00 "), 5, "the setups' ends", fail=False)
        time.sleep(self.TRACE_LAG)
        runs = setups()
        print(f"the setups: {runs}")
        if not fnmatch.fnmatchcase(runs, "| 80 41 | * 00 "):
            self.fail(f"the setups ran as: {runs}")
        if fnmatch.fnmatchcase(runs, "*41 |*41*"):
            self.fail(f"the repeated setup was too low again: {runs}")
        self.press(d, Wizard.CANCEL)
        if not self.wizard_closed(d):
            self.fail("the wizard stayed after Cancel")
        self.idle(main)
        self.close_dropping(main)

    def test_wizard_unplug_detect(self):
        # The unit vanishes in the middle of the input-level setup, after its first status: the
        # step ends at once as timed out ("TimeOut: Repeat the Procedure.", Back usable, Next not),
        # without waiting for a status that cannot come. Cancel ends the wizard; only then the
        # link question comes; Cancel there leaves the program offline, and it closes with exit code 0.
        main = self.online("[device]", "wizard_unplug_after_status = 0", "wizard_delay = 500", "wizard_interval = 1000")
        d = self.open_wizard(self.tabs)
        self.to_input_setup(d)
        self.wait_event(GONE, note="unplugged")
        gone = time.monotonic()
        back = self.need_child(d, "MYBTNWND", Wizard.BACK, "Back")
        self.until(lambda: self.usable(back), 20, "Back usable", fail=False)
        ms = int((time.monotonic() - gone) * 1000)
        if not self.usable(back):
            self.fail(f"the setup still runs {ms} ms after the unit went")
        time.sleep(0.3)
        self.shot(d, "e2e-wizard-unplug-05.bmp")
        next_button = self.need_child(d, "MYBTNWND", Wizard.NEXT, "Next")
        self.assertEqual(self.flags(next_button), (1, 0), "Next usable after the setup timed out")
        self.assert_sent(received(cmd.InputDetectStatus, 0x80, length=7), "no first status before the unit went")
        if self.wait_window("#32770", LOST, 2000) is not None:
            self.fail("the link question came over the wizard")
        self.press(d, Wizard.CANCEL)
        if not self.wizard_closed(d):
            self.fail("the wizard stayed after Cancel")
        self.answer_box(LOST, 1)  # Cancel: offline
        self.idle(main)
        self.close_dropping(main)
        print(f"the setup ended {ms} ms after the unit went")
