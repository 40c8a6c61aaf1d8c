"""The simulated unit's trace, read once into entries: the one place that knows its text.

The simulator writes one line an event, a few times a second, appending to the file:

     1234 ms  unit 1  PC>DEV  46 5A 00 06 CC 72
     1240 ms  unit 1  DEV>PC  5A 46 00 0E CD 01 02 03 04 00 00 00 01 31
     1300 ms  unit 1  PARITY  MARK
     1310 ms  unit 1  BAD     46 5A  (frame cut short)
     1320 ms  unit 1  PACING  10 ms where 25 ms are needed, before the data of 46 5A 00 06 92 38
     1400 ms  unit 1  GONE    unplugged
     1500 ms  unit 1  OPEN    opened

A frame from the PC that the unit found wrong carries notes in parentheses after its bytes.
Cases look at frames through FramePattern (built by sent() and received()) and at the other
events by their kind; none reads the text itself.
"""

import re
from dataclasses import dataclass, field
from pathlib import Path

from .names import command_name, node as nodes

SENT, RECEIVED = "PC>DEV", "DEV>PC"
PARITY, BAD, PACING, GONE, OPEN, CLOSE = "PARITY", "BAD", "PACING", "GONE", "OPEN", "CLOSE"

_LINE = re.compile(r"^\s*(\d+) ms  unit (\d+)  (\S+)\s*(.*)$")
_HEX = re.compile(r"^[0-9A-Fa-f]{2}$")


@dataclass(frozen=True)
class Entry:
    """One line of the trace: a frame (SENT, RECEIVED), bytes the unit could not take (BAD) or an
    event (OPEN, CLOSE, GONE, PARITY, PACING) with its words in `note`."""

    index: int  # its place in the trace, from 0
    time_ms: int
    unit: int
    kind: str
    data: bytes = b""
    note: str = ""
    text: str = field(default="", compare=False)  # the line as written, for failure output

    @property
    def is_frame(self):
        return self.kind in (SENT, RECEIVED)

    @property
    def node(self):
        """The unit's node: where a sent frame goes, which node a received one comes from."""
        if len(self.data) < 2:
            return None
        return self.data[0] if self.kind == SENT else self.data[1]

    @property
    def peer(self):
        """The PC's side: the source of a sent frame, the destination of a received one."""
        if len(self.data) < 2:
            return None
        return self.data[1] if self.kind == SENT else self.data[0]

    @property
    def length(self):
        """The length the frame declares (its bytes 2 and 3, big-endian)."""
        return (self.data[2] << 8) | self.data[3] if len(self.data) >= 4 else None

    @property
    def command(self):
        return self.data[4] if len(self.data) >= 5 else None

    @property
    def payload(self):
        return self.data[5:-1] if len(self.data) >= 6 else b""

    @property
    def sound(self):
        """Whole, as long as it says, with its checksum right, and taken by the unit without a note."""
        return (
            len(self.data) >= 6
            and self.length == len(self.data)
            and sum(self.data[:-1]) & 0xFF == self.data[-1]
            and not self.note
        )

    def __str__(self):
        if not self.is_frame:
            return f"{self.time_ms} ms unit {self.unit} {self.kind} {self.data.hex(' ').upper()} {self.note}".strip()
        name = command_name(self.command) if self.command is not None else "?"
        extra = f"  ({self.note})" if self.note else ""
        return f"{self.time_ms} ms unit {self.unit} {self.kind} {name}: {self.data.hex(' ').upper()}{extra}"


def parse_line(index, line):
    """One line of the trace as an Entry, or None for a line that is none of the trace's."""
    m = _LINE.match(line)
    if not m:
        return None
    time_ms, unit, kind, rest = int(m.group(1)), int(m.group(2)), m.group(3), m.group(4)
    if kind in (SENT, RECEIVED, BAD):
        tokens = rest.split()
        data = []
        for t in tokens:
            if not _HEX.match(t):
                break
            data.append(int(t, 16))
        notes = re.findall(r"\(([^)]*)\)", rest)
        return Entry(index, time_ms, unit, kind, bytes(data), "; ".join(notes), line)
    if kind == PACING:
        # "10 ms where 25 ms are needed, before the data of 46 5A 00 06 92 38": the frame at the end.
        words = rest.split()
        tail = []
        while words and _HEX.match(words[-1]):
            tail.insert(0, int(words.pop(), 16))
        return Entry(index, time_ms, unit, kind, bytes(tail), " ".join(words), line)
    return Entry(index, time_ms, unit, kind, b"", rest.strip(), line)


@dataclass(frozen=True)
class FramePattern:
    """The frames a case looks for: direction, node, command, how the payload begins (or all of it
    with `whole`), optionally the declared length. A match is a sound frame (see Entry.sound)
    between the PC and the node."""

    kind: str
    command: int
    payload: tuple = ()
    node: object = nodes.kNodeDsp  # None: any node
    length: object = None
    whole: bool = False
    unit: object = None

    def matches(self, e, sound=True):
        """Whether an entry is such a frame; with sound=False also a frame the unit found wrong or
        that is cut short (for what must not come at all, and for counts)."""
        if e.kind != self.kind or e.command != self.command or (sound and not e.sound):
            return False
        if e.peer != nodes.kNodePc or (self.node is not None and e.node != self.node):
            return False
        if self.unit is not None and e.unit != self.unit:
            return False
        if self.length is not None and e.length != self.length:
            return False
        p = e.payload
        if self.whole:
            return tuple(p) == self.payload
        return tuple(p[: len(self.payload)]) == self.payload

    def same_command(self, e):
        return e.kind == self.kind and e.command == self.command

    def __str__(self):
        where = "any node" if self.node is None else f"node {self.node:02X}"
        direction = "to" if self.kind == SENT else "from"
        text = f"{self.kind} {command_name(self.command)} (0x{self.command:02X}) {direction} {where}"
        if self.unit is not None:
            text += f" of unit {self.unit}"
        if self.length is not None:
            text += f", length {self.length}"
        if self.payload or self.whole:
            body = " ".join(f"{b:02X}" for b in self.payload)
            text += f", payload {body}" if self.whole else f", payload beginning {body}"
        return text


def sent(command, *payload, node=nodes.kNodeDsp, length=None, whole=False, unit=None):
    """A frame from the PC to `node` (the DSP unit unless said; None: any)."""
    return FramePattern(SENT, command, tuple(payload), node, length, whole, unit)


def received(command, *payload, node=nodes.kNodeDsp, length=None, whole=False, unit=None):
    """A frame from `node` of the unit (the DSP unless said) to the PC."""
    return FramePattern(RECEIVED, command, tuple(payload), node, length, whole, unit)


class Trace:
    """The trace file, read as it grows. Entries keep their places across reads; a file that got
    shorter (emptied by the case) is read again from its start."""

    def __init__(self, path):
        self.path = Path(path)
        self._entries = []
        self._offset = 0
        self._pending = b""

    def clear(self):
        """Empties the file and forgets what was read (the next entries count from 0 again)."""
        self.path.write_bytes(b"")
        self._entries, self._offset, self._pending = [], 0, b""

    def entries(self, since=0):
        """Every entry from place `since` on, the file read up to its last whole line."""
        self._read()
        return self._entries[since:]

    def frames(self, since=0):
        return [e for e in self.entries(since) if e.is_frame]

    def mark(self):
        """The place the next entry will have: entries(mark) are those that come after now."""
        self._read()
        return len(self._entries)

    def find(self, pattern, since=0, sound=True):
        return [e for e in self.entries(since) if pattern.matches(e, sound)]

    def has(self, pattern, since=0):
        return bool(self.find(pattern, since))

    def count(self, pattern, since=0):
        """Every frame of the pattern, sound or not."""
        return len(self.find(pattern, since, sound=False))

    def events(self, kind, unit=None, since=0, note=None):
        return [
            e
            for e in self.entries(since)
            if e.kind == kind and (unit is None or e.unit == unit) and (note is None or e.note == note)
        ]

    def store_blocks(self, since=0):
        """The writes of the whole tuning: each run of entries from a StoreBegin the PC sent to the
        StoreEnd after it (both included); a write not yet ended runs to the last entry."""
        from .names import cmd

        begin, end = sent(cmd.StoreBegin, whole=True), sent(cmd.StoreEnd, whole=True)
        blocks, block = [], None
        for e in self.entries(since):
            if begin.matches(e):  # a new write begins the block again
                block = [e]
                continue
            if block is None:
                continue
            block.append(e)
            if end.matches(e):
                blocks.append(block)
                block = None
        if block is not None:
            blocks.append(block)
        return blocks

    def last_lines(self, n):
        self._read()
        return [e.text for e in self._entries[-n:]]

    def describe_miss(self, pattern, since=0, limit=8):
        """What the trace holds instead of a frame that did not come: the frames of the same
        command (the last few), or else the last frames of all."""
        like = [e for e in self.entries(since) if pattern.same_command(e)]
        if like:
            shown = like[-limit:]
            head = f"{len(like)} frame(s) of that command came instead" + (
                f", the last {len(shown)}:" if len(like) > len(shown) else ":"
            )
            return head + "".join(f"\n    {e}" for e in shown)
        last = self.frames(since)[-limit:]
        if not last:
            return "no frame at all came"
        return "no frame of that command came; the last frames:" + "".join(f"\n    {e}" for e in last)

    def _read(self):
        try:
            size = self.path.stat().st_size
        except FileNotFoundError:
            return
        if size < self._offset:
            self._entries, self._offset, self._pending = [], 0, b""
        if size == self._offset:
            return
        with open(self.path, "rb") as f:
            f.seek(self._offset)
            chunk = f.read(size - self._offset)
        self._offset += len(chunk)
        data = self._pending + chunk
        lines = data.split(b"\n")
        self._pending = lines.pop()
        for raw in lines:
            line = raw.decode("latin-1").rstrip("\r")
            e = parse_line(len(self._entries), line)
            if e is not None:
                self._entries.append(e)
