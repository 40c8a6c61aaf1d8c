"""One darvix_driver.exe for the whole of a case, in its serve mode: a command a line, an answer a
line. Unsuccessful answers are kept (the last few) for the failure output, and Wine's diagnostics
of the driver (a display it could not open, a crash) go to a file beside the case's others."""

import collections
import json
import os
import queue
import subprocess
import sys
import threading
import time


class DriverError(Exception):
    """A command the driver could not do; the text is its reason."""


class Driver:
    def __init__(self, exe, stderr_path, env=None):
        self.stderr_path = stderr_path
        self.failures = collections.deque(maxlen=12)
        # DARVIX_E2E_DRIVER_LOG=1: every command, its time and its answer on stderr.
        self._log = bool(os.environ.get("DARVIX_E2E_DRIVER_LOG"))
        self._start = time.monotonic()
        env = dict(os.environ if env is None else env)
        env["WINEDEBUG"] = "-all,err+winediag,err+seh"
        self._args, self._env = ["wine", str(exe), "serve"], env
        self._answered = False
        self._launch()

    def _launch(self):
        self._stderr = open(self.stderr_path, "wb")
        self._proc = subprocess.Popen(
            self._args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._stderr, env=self._env,
        )
        self._answers = queue.Queue()
        threading.Thread(target=self._read, args=(self._proc, self._answers), daemon=True).start()

    def _never_started(self):
        """Under a loaded machine Wine now and then fails to start a process at all: it ends at once
        with a failure status, before any answer and without a word of diagnostics."""
        return (not self._answered and self._proc.poll() not in (None, 0)
                and os.path.getsize(self.stderr_path) == 0)

    @staticmethod
    def _read(proc, answers):
        for line in proc.stdout:
            answers.put(line)
        answers.put(None)

    def __call__(self, *args, reply_within=60.0, record=True):
        """The command's value; DriverError with the driver's reason when it failed (kept for the
        failure output unless `record` is false: a wait whose miss says nothing)."""
        words = [str(a) for a in args]
        begin = time.monotonic()
        for attempt in (1, 2):
            try:
                self._proc.stdin.write((json.dumps(words) + "\n").encode("ascii"))
                self._proc.stdin.flush()
                line = self._answers.get(timeout=reply_within)
            except (BrokenPipeError, OSError):
                line = None
            except queue.Empty:
                return self._failed(words, begin, f"no answer within {reply_within:.0f} s")
            if line is not None:
                break
            try:
                self._proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass
            if attempt == 2 or not self._never_started():
                return self._failed(words, begin, self._ended())
            print(f"driver: Wine ended the driver with status {self._proc.returncode} before it started; "
                  "starting it once more", file=sys.stderr)
            self._stderr.close()
            self._launch()
        self._answered = True
        try:
            answer = json.loads(line)
        except ValueError:
            return self._failed(words, begin, f"an answer that is not JSON: {line!r}")
        if self._log:
            print(f"{time.monotonic() - self._start:8.3f} driver {' '.join(words)}: "
                  f"{int((time.monotonic() - begin) * 1000)} ms {line.strip()[:100]}", file=sys.stderr)
        if not answer.get("ok"):
            return self._failed(words, begin, answer.get("error", "no reason given"), record)
        return answer.get("value")

    def attempt(self, *args, **kwargs):
        """As calling it, None instead of an error (which is still kept)."""
        try:
            return self(*args, **kwargs)
        except DriverError:
            return None

    def succeeds(self, *args, **kwargs):
        """Whether the command succeeded (for the commands whose answer is no value)."""
        try:
            self(*args, **kwargs)
            return True
        except DriverError:
            return False

    def _ended(self):
        code = self._proc.poll()
        return "the driver ended" + ("" if code is None else f" with exit code {code}")

    def _failed(self, words, begin, reason, record=True):
        if not record:
            raise DriverError(reason)
        ms = int((time.monotonic() - begin) * 1000)
        line = " ".join(words)
        # A poll repeats the same miss many times: one entry with a count.
        if self.failures and self.failures[-1][0] == line and self.failures[-1][1] == reason:
            _, _, count, _ = self.failures[-1]
            self.failures[-1] = (line, reason, count + 1, ms)
        else:
            self.failures.append((line, reason, 1, ms))
        raise DriverError(reason)

    def failure_report(self):
        out = []
        for line, reason, count, ms in self.failures:
            times = f" ({count} times)" if count > 1 else ""
            out.append(f"driver {line}: {reason}, after {ms} ms{times}")
        return out

    def close(self):
        if self._proc.poll() is None:
            try:
                self._proc.stdin.write(b'["quit"]\n')
                self._proc.stdin.flush()
                self._proc.stdin.close()
            except OSError:
                pass
            try:
                self._proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._proc.kill()
                self._proc.wait()
        self._stderr.close()
