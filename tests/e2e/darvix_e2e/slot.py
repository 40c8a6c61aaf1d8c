"""The place a case runs in when several run at once: each slot has its own Xvfb display and its own
Wine prefix (so its own registry and wineserver), and a case holds its slot's lock for its whole run.

CTest hands the slots out (the tests ask for one `e2e_slot` each; the build writes the resource
file scripts/wine-session.sh gives CTest); without CTest's allocation a case takes the first free
slot and waits when none is. A slot is made on first use and kept: its prefix is the session's
prefix copied once (Wine's own programs and libraries in drive_c linked, not copied: nothing
writes into them; everything else copied), its display and wineserver stay up for the next case, and `stop_all` (run.py
--stop-slots, called when the session ends) ends them."""

import errno
import fcntl
import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

RESOURCE = "e2e_slot"
ENV_COUNT = "DARVIX_E2E_SLOTS"
SCREEN = "1280x1024x24"
READY = ".darvix-ready"
# Wine's programs, libraries and tables in a prefix: read, never written (1.3 GB a prefix, so the
# slots link them); the rest of drive_c (ini files, the user's folders) is copied.
READ_ONLY = {".dll", ".exe", ".drv", ".sys", ".nls", ".vxd", ".ocx", ".cpl", ".acm", ".tlb", ".ax", ".com",
             ".ds", ".ttf", ".fon"}
# The session's registry changes that the program's windows need (see scripts/wine-session.sh).
UNMANAGED = ["reg", "add", r"HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver", "/v", "Managed", "/t",
             "REG_SZ", "/d", "N", "/f"]


class SlotError(RuntimeError):
    pass


def _quiet(args, env, timeout=120):
    """A helper command with nothing of ours inherited: no pipe of CTest's stays open in what it
    leaves running."""
    return subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=timeout).returncode


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def _xvfb_running(pid, number):
    """Whether pid is still the X server of that display."""
    try:
        args = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")
    except OSError:
        return False
    return bool(args) and os.path.basename(args[0]) == b"Xvfb" and Path(f"/tmp/.X11-unix/X{number}").exists()


def allocated():
    """The slot CTest gave this test, or None when it gave none."""
    if int(os.environ.get("CTEST_RESOURCE_GROUP_COUNT", "0") or 0) < 1:
        return None
    spec = os.environ.get(f"CTEST_RESOURCE_GROUP_0_{RESOURCE.upper()}", "")
    for part in spec.split(";")[0].split(","):
        key, _, value = part.partition(":")
        if key == "id":
            return int(value)
    raise SlotError(f"CTest gave no slot id: {spec!r}")


class Slot:
    def __init__(self, root, index):
        self.root = Path(root)
        self.index = index
        self.dir = self.root / f"slot{index}"
        self.prefix = self.dir / "prefix"
        self._lock = None

    # ---- taking it ----------------------------------------------------------------------------

    def try_lock(self, wait):
        self.dir.mkdir(parents=True, exist_ok=True)
        f = open(self.dir / "lock", "a+")
        try:
            fcntl.flock(f, fcntl.LOCK_EX | (0 if wait else fcntl.LOCK_NB))
        except OSError as e:
            f.close()
            if e.errno in (errno.EAGAIN, errno.EACCES):
                return False
            raise
        self._lock = f
        return True

    def release(self):
        if self._lock is not None:
            self._lock.close()
            self._lock = None

    # ---- its prefix ---------------------------------------------------------------------------

    def _prefix_current(self, base):
        stamp = self.prefix / READY
        try:
            return stamp.read_text() == str((base / READY).stat().st_mtime_ns)
        except OSError:
            return False

    def _copy_prefix(self, base):
        if self.prefix.exists():
            self._stop_server()
            shutil.rmtree(self.prefix)
        tmp = self.dir / "prefix.new"
        shutil.rmtree(tmp, ignore_errors=True)

        def link(src, dst):
            if os.path.splitext(src)[1].lower() in READ_ONLY:
                try:
                    os.link(src, dst)
                    return
                except OSError:
                    pass
            shutil.copy2(src, dst)

        tmp.mkdir()
        for entry in base.iterdir():
            target = tmp / entry.name
            if entry.name == READY or entry.name.startswith(".X"):
                continue
            if entry.is_symlink():
                os.symlink(os.readlink(entry), target)
            elif entry.is_dir() and entry.name == "drive_c":
                try:
                    shutil.copytree(entry, target, symlinks=True, copy_function=link)
                except shutil.Error as e:
                    # A temporary file of the session's that went while it was copied is no loss.
                    lost = [err for err in e.args[0] if os.path.exists(err[0])]
                    if lost:
                        raise SlotError(f"could not copy the prefix: {lost[:3]}")
            elif entry.is_dir():
                shutil.copytree(entry, target, symlinks=True)
            else:
                # The registry and the prefix's own records: copies of their own.
                shutil.copy2(entry, target)
        os.rename(tmp, self.prefix)

    # ---- its display and wineserver -----------------------------------------------------------

    def _recorded_display(self):
        """(display number, pid of its X server) as recorded, or None."""
        try:
            number, pid = (int(w) for w in (self.dir / "display").read_text().split())
        except (OSError, ValueError):
            return None
        return number, pid

    def _display(self):
        rec = self._recorded_display()
        return rec[0] if rec and _xvfb_running(rec[1], rec[0]) else None

    def _start_display(self):
        """An X server on the first free display (Xvfb picks it and says which). It is in a session
        of its own and outlives the case that started it."""
        read, write = os.pipe()
        try:
            server = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                pass_fds=(write,), start_new_session=True,
            )
            os.close(write)
            write = None
            out = b""
            while not out.endswith(b"\n"):
                chunk = os.read(read, 16)  # ends when the server writes its number or ends
                if not chunk:
                    break
                out += chunk
        finally:
            if write is not None:
                os.close(write)
            os.close(read)
        try:
            number = int(out.strip())
        except ValueError:
            server.kill()
            raise SlotError(f"Xvfb gave no display number (status {server.poll()})")
        # Not waited for here: the case ends before it does.
        server.returncode = 0
        (self.dir / "display").write_text(f"{number} {server.pid}")
        return number

    def env(self, base_env, display):
        env = dict(base_env)
        env["WINEPREFIX"] = str(self.prefix)
        env["DISPLAY"] = f":{display}"
        return env

    def _stop_server(self):
        if self.prefix.exists():
            env = dict(os.environ, WINEPREFIX=str(self.prefix))
            _quiet(["wineserver", "-k"], env, timeout=30)
            _quiet(["wineserver", "-w"], env, timeout=30)
        (self.dir / "server").unlink(missing_ok=True)

    def _start_server(self, env, display):
        """The slot's wineserver, kept running, with Wine's own processes started on the slot's
        display. An already running one serves on if it was started for this display."""
        record = self.dir / "server"
        started_for = record.read_text() if record.exists() else None
        rc = _quiet(["wineserver", "-p"], env)
        if rc not in (0, 2):
            raise SlotError(f"the slot's wineserver did not start (status {rc})")
        if rc == 2 and started_for == str(display):
            return
        if rc == 2:
            # Running, but for a display that is gone (or started by something else): again.
            self._stop_server()
            if _quiet(["wineserver", "-p"], env) != 0:
                raise SlotError("the slot's wineserver did not start again")
        _quiet(["wine", "cmd", "/c", "exit"], env)
        record.write_text(str(display))

    def prepare(self, base_env):
        """The environment a case runs in on this slot, made ready (prefix, display, wineserver)."""
        base = Path(base_env.get("WINEPREFIX", ""))
        if not (base / READY).exists():
            raise SlotError(f"no ready Wine prefix to copy (WINEPREFIX={base}): run through scripts/wine-ctest.sh")
        fresh = not self._prefix_current(base)
        if fresh:
            self._copy_prefix(base)
        display = self._display()
        if display is None:
            display = self._start_display()
        env = self.env(base_env, display)
        self._start_server(env, display)
        if fresh:
            _quiet(["wine"] + UNMANAGED, env)
            (self.prefix / READY).write_text(str((base / READY).stat().st_mtime_ns))
        return env

    def stop(self):
        """Ends the slot's wineserver and display (the prefix stays for the next session)."""
        self._stop_server()
        rec = self._recorded_display()
        if rec and _xvfb_running(rec[1], rec[0]):
            try:
                os.kill(rec[1], signal.SIGTERM)
            except ProcessLookupError:
                pass
        (self.dir / "display").unlink(missing_ok=True)


def take(root, count, wait_timeout=None):
    """This process's slot, locked: the one CTest gave, otherwise the first free one (or, with
    all taken, the next to come free)."""
    given = allocated()
    if given is not None:
        slot = Slot(root, given)
        slot.try_lock(wait=True)
        return slot
    slots = [Slot(root, i) for i in range(count)]
    while True:
        for slot in slots:
            if slot.try_lock(wait=False):
                return slot
        time.sleep(0.2)


def stop_all(root):
    root = Path(root)
    if not root.is_dir():
        return
    for d in sorted(root.glob("slot*")):
        try:
            index = int(d.name[4:])
        except ValueError:
            continue
        slot = Slot(root, index)
        slot.try_lock(wait=True)
        try:
            slot.stop()
        finally:
            slot.release()
