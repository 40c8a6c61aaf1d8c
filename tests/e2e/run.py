#!/usr/bin/env python3
"""The end-to-end cases: darvix.exe under Wine, driven by darvix_driver.exe, against our simulated
ftd2xx.dll. Run by CTest inside the Wine test session (WINEPREFIX and DISPLAY are set).

  run.py --list              the cases' names, one a line (CTest makes a test of each); a case
                             marked on_request only with DARVIX_E2E_TIMED=1
  run.py BIN_DIR [CASE...]   runs the cases (all without names); DARVIX_E2E_KEEP=1 keeps each
                             case's folder
  run.py --stop-slots DIR    ends the displays and wineservers of the slots under DIR
  run.py --bench BIN_DIR NAME [ROUNDS]
                             a measurement, not a case: the method bench_NAME of a Case subclass
                             ("dyn-eq-repaint" is bench_dyn_eq_repaint) run in the same world as
                             the cases, each of its steps ROUNDS times (5 unless given); it prints
                             its figures

With DARVIX_E2E_SLOTS set (CTest sets it), the cases run on a slot of their own (a display and a
Wine prefix, see darvix_e2e/slot.py) under BIN_DIR/../e2e-slots, so that several run at once.

A case is a test method of a Case subclass in a module of cases/: test_scan_late is "scan-late".
"""

import importlib
import os
import subprocess
import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

from darvix_e2e import slot  # noqa: E402
from darvix_e2e.session import Case  # noqa: E402


def _flatten(suite):
    for t in suite:
        if isinstance(t, unittest.TestSuite):
            yield from _flatten(t)
        else:
            yield t


def cases():
    """Every case by its name, in the order of their modules and methods."""
    loader = unittest.TestLoader()
    found = {}
    for path in sorted((HERE / "cases").glob("*.py")):
        if path.name.startswith("_"):
            continue
        module = importlib.import_module(f"cases.{path.stem}")
        for test in _flatten(loader.loadTestsFromModule(module)):
            if isinstance(test, unittest.loader._FailedTest):
                raise RuntimeError(f"cannot load {path.name}: {test._exception}")
            method = test.id().rsplit(".", 1)[-1]
            name = method.removeprefix("test_").replace("_", "-")
            if name in found:
                raise RuntimeError(f"two cases named {name}: {found[name].id()} and {test.id()}")
            found[name] = test
    return found


def bench(name):
    """The Case whose method is bench_NAME, ready to run that method."""
    method = "bench_" + name.replace("-", "_")
    for path in sorted((HERE / "cases").glob("*.py")):
        if path.name.startswith("_"):
            continue
        module = importlib.import_module(f"cases.{path.stem}")
        for value in vars(module).values():
            if isinstance(value, type) and issubclass(value, Case) and hasattr(value, method):
                return value(method)
    return None


def main(argv):
    if len(argv) in (4, 5) and argv[1] == "--bench":
        Case.bin = Path(argv[2]).resolve()
        if len(argv) == 5:
            if not argv[4].isdigit() or int(argv[4]) < 1:
                print(f"rounds must be a whole number above 0, not {argv[4]}", file=sys.stderr)
                return 2
            Case.rounds = int(argv[4])
        measure = bench(argv[3])
        if measure is None:
            print(f"no measurement named {argv[3]}", file=sys.stderr)
            return 2
        result = unittest.TestResult()
        measure.run(result)
        for _, trace in result.errors + result.failures:
            print(trace, file=sys.stderr)
        for report in Case.reports:
            print(report, file=sys.stderr)
        return 0 if result.wasSuccessful() else 1
    if argv[1:] == ["--list"]:
        timed = os.environ.get("DARVIX_E2E_TIMED") == "1"
        listed = [n for n, t in cases().items() if timed or not getattr(getattr(t, t._testMethodName), "on_request", False)]
        print("\n".join(listed))
        return 0
    if len(argv) == 3 and argv[1] == "--stop-slots":
        slot.stop_all(argv[2])
        return 0
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    Case.bin = Path(argv[1]).resolve()
    known = cases()
    names = argv[2:] or list(known)
    unknown = [n for n in names if n not in known]
    if unknown:
        print(f"unknown case(s): {' '.join(unknown)}", file=sys.stderr)
        return 2
    count = int(os.environ.get(slot.ENV_COUNT, "0") or 0)
    if count > 0:
        place = slot.take(Case.bin.parent / "e2e-slots", count)
        try:
            os.environ.update(place.prepare(os.environ))
        except (slot.SlotError, OSError, subprocess.SubprocessError) as e:
            print(f"slot {place.index} could not be made ready: {e}", file=sys.stderr)
            return 1
    result = unittest.TextTestRunner(stream=sys.stderr, verbosity=2).run(unittest.TestSuite(known[n] for n in names))
    for report in Case.reports:
        print(report, file=sys.stderr)
    if result.wasSuccessful():
        print("PASS " + " ".join(names))
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
