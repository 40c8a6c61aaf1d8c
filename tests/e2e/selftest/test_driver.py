"""The driver's process: started once more only when Wine failed to start it at all."""

import os
import shutil
import stat
import tempfile
import unittest
from pathlib import Path
from unittest import mock

from darvix_e2e.driver import Driver, DriverError

# A stand-in for `wine EXE serve`: the first start fails as told (status 1, with or without a
# word on stderr); every later one answers each command with its first word.
FAKE_WINE = """#!/usr/bin/env python3
import json, os, sys
marker = os.path.join(os.path.dirname(sys.argv[0]), "started")
if not os.path.exists(marker):
    open(marker, "w").close()
    if os.environ.get("FAKE_SAYS"):
        print(os.environ["FAKE_SAYS"], file=sys.stderr)
    sys.exit(1)
for line in sys.stdin:
    words = json.loads(line)
    if words == ["quit"]:
        break
    print(json.dumps({"ok": True, "value": words[0]}), flush=True)
"""


class Start(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="darvix-driver."))
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)
        wine = self.dir / "wine"
        wine.write_text(FAKE_WINE)
        wine.chmod(wine.stat().st_mode | stat.S_IEXEC)
        path = f"{self.dir}{os.pathsep}{os.environ.get('PATH', '')}"
        patcher = mock.patch.dict(os.environ, {"PATH": path})
        patcher.start()
        self.addCleanup(patcher.stop)

    def driver(self):
        d = Driver(self.dir / "driver.exe", self.dir / "driver-err.txt")
        self.addCleanup(d.close)
        return d

    def test_a_driver_wine_never_started_is_started_once_more(self):
        with mock.patch("sys.stderr"):
            self.assertEqual(self.driver()("ping"), "ping")

    def test_a_driver_that_ended_with_diagnostics_is_not_started_again(self):
        with mock.patch.dict(os.environ, {"FAKE_SAYS": "err:winediag: no display"}):
            d = self.driver()
            with self.assertRaises(DriverError) as e:
                d("ping")
        self.assertIn("exit code 1", str(e.exception))
        self.assertEqual(len(d.failures), 1)


if __name__ == "__main__":
    unittest.main()
