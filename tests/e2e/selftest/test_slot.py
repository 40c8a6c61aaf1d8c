"""The slots the cases run in side by side: which slot a case gets, the prefix copy, the display."""

import os
import shutil
import tempfile
import threading
import time
import unittest
from pathlib import Path
from unittest import mock

from darvix_e2e import slot


class Allocation(unittest.TestCase):
    def test_the_slot_ctest_gave(self):
        # CTest names the resource type in capitals and gives "id:ID,slots:N" per group.
        table = [
            ({}, None),
            ({"CTEST_RESOURCE_GROUP_COUNT": "0"}, None),
            ({"CTEST_RESOURCE_GROUP_COUNT": "1", "CTEST_RESOURCE_GROUP_0_E2E_SLOT": "id:2,slots:1"}, 2),
            ({"CTEST_RESOURCE_GROUP_COUNT": "1", "CTEST_RESOURCE_GROUP_0_E2E_SLOT": "id:0,slots:1"}, 0),
            ({"CTEST_RESOURCE_GROUP_COUNT": "1", "CTEST_RESOURCE_GROUP_0_E2E_SLOT": "slots:1,id:3"}, 3),
        ]
        for env, want in table:
            with self.subTest(env=env), mock.patch.dict(os.environ, env, clear=True):
                self.assertEqual(slot.allocated(), want)

    def test_a_group_without_an_id_is_an_error(self):
        env = {"CTEST_RESOURCE_GROUP_COUNT": "1", "CTEST_RESOURCE_GROUP_0_E2E_SLOT": "slots:1"}
        with mock.patch.dict(os.environ, env, clear=True):
            with self.assertRaises(slot.SlotError):
                slot.allocated()


class Taking(unittest.TestCase):
    def setUp(self):
        self.root = Path(tempfile.mkdtemp(prefix="darvix-slots."))
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        patcher = mock.patch.dict(os.environ, {}, clear=True)
        patcher.start()
        self.addCleanup(patcher.stop)

    def take(self):
        s = slot.take(self.root, 2)
        self.addCleanup(s.release)
        return s

    def test_without_ctest_a_case_takes_the_first_free_slot_and_waits_when_none_is(self):
        first, second = self.take(), self.take()
        self.assertEqual((first.index, second.index), (0, 1))
        got = []
        waiter = threading.Thread(target=lambda: got.append(self.take()))
        waiter.start()
        time.sleep(0.5)
        self.assertEqual(got, [], "a third case ran while both slots were taken")
        second.release()
        waiter.join(5)
        self.assertEqual([s.index for s in got], [1])

    def test_the_slot_ctest_gave_is_taken_even_when_another_is_free(self):
        with mock.patch.dict(os.environ, {"CTEST_RESOURCE_GROUP_COUNT": "1",
                                          "CTEST_RESOURCE_GROUP_0_E2E_SLOT": "id:1,slots:1"}):
            self.assertEqual(self.take().index, 1)


class PrefixCopy(unittest.TestCase):
    def setUp(self):
        self.root = Path(tempfile.mkdtemp(prefix="darvix-slots."))
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.base = self.root / "base"
        system32 = self.base / "drive_c" / "windows" / "system32"
        system32.mkdir(parents=True)
        (system32 / "user32.dll").write_bytes(b"MZ library")
        (self.base / "drive_c" / "windows" / "win.ini").write_text("[windows]\n")
        (self.base / "system.reg").write_text("WINE REGISTRY Version 2\n")
        (self.base / "dosdevices").mkdir()
        os.symlink("/", self.base / "dosdevices" / "z:")
        os.symlink("../drive_c", self.base / "dosdevices" / "c:")
        (self.base / slot.READY).touch()
        self.slot = slot.Slot(self.root / "slots", 0)
        self.slot.dir.mkdir(parents=True)

    def test_libraries_are_linked_and_what_wine_writes_is_a_copy_of_its_own(self):
        self.slot._copy_prefix(self.base)
        p = self.slot.prefix
        same = lambda a, b: os.stat(a).st_ino == os.stat(b).st_ino  # noqa: E731
        self.assertTrue(same(p / "drive_c/windows/system32/user32.dll", self.base / "drive_c/windows/system32/user32.dll"))
        for name in ("drive_c/windows/win.ini", "system.reg"):
            with self.subTest(name=name):
                self.assertFalse(same(p / name, self.base / name))
                self.assertEqual((p / name).read_text(), (self.base / name).read_text())
        self.assertEqual(os.readlink(p / "dosdevices" / "z:"), "/")
        self.assertEqual(os.readlink(p / "dosdevices" / "c:"), "../drive_c")
        self.assertFalse((p / slot.READY).exists(), "a copy is ready only once its wineserver has set it up")

    def test_a_copy_is_current_until_the_session_prefix_is_made_again(self):
        self.assertFalse(self.slot._prefix_current(self.base))
        self.slot._copy_prefix(self.base)
        (self.slot.prefix / slot.READY).write_text(str((self.base / slot.READY).stat().st_mtime_ns))
        self.assertTrue(self.slot._prefix_current(self.base))
        later = (self.base / slot.READY).stat().st_mtime_ns + 10**9
        os.utime(self.base / slot.READY, ns=(later, later))
        self.assertFalse(self.slot._prefix_current(self.base))


@unittest.skipUnless(shutil.which("Xvfb"), "no Xvfb here")
class Display(unittest.TestCase):
    def test_a_display_is_started_found_again_and_ended(self):
        root = Path(tempfile.mkdtemp(prefix="darvix-slots."))
        self.addCleanup(shutil.rmtree, root, ignore_errors=True)
        s = slot.Slot(root, 0)
        s.dir.mkdir(parents=True)
        self.addCleanup(s.stop)
        self.assertIsNone(s._display())
        number = s._start_display()
        self.assertTrue(Path(f"/tmp/.X11-unix/X{number}").exists())
        self.assertEqual(s._display(), number)
        # A second slot gets a display of its own.
        other = slot.Slot(root, 1)
        other.dir.mkdir(parents=True)
        self.addCleanup(other.stop)
        self.assertNotEqual(other._start_display(), number)
        pid = s._recorded_display()[1]
        s.stop()
        deadline = time.monotonic() + 10
        while slot._xvfb_running(pid, number) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertFalse(slot._xvfb_running(pid, number), "the display outlived its slot")
        self.assertIsNone(s._display())


if __name__ == "__main__":
    unittest.main()
