"""The trace reader against trace text written as the simulator writes it (frames worked out by
hand: the checksum is the sum of the bytes before it, modulo 256)."""

import tempfile
import unittest
from pathlib import Path

from darvix_e2e.names import cmd, node
from darvix_e2e.trace import CLOSE, GONE, OPEN, PACING, RECEIVED, SENT, Trace, parse_line, received, sent

# 46+5A+00+07+CF+00 = 0x176 -> 76; 46+5A+00+06+A5 = 0x14B -> 4B; 46+5A+00+06+A6 -> 4C;
# 00+5A+00+07+0A+1E = 0x89; 5A+46+00+09+CB+00+01+00 = 0x175 -> 75.
LINES = [
    "        0 ms  unit 1  OPEN    opened",
    "       12 ms  unit 1  PARITY  MARK",
    "       40 ms  unit 1  PC>DEV  46 5A 00 07 CF 00 76",
    "       90 ms  unit 1  PC>DEV  46 5A 00 06 A5 4B",
    "      100 ms  unit 1  PC>DEV  00 5A 00 07 0A 1E 89",
    "      110 ms  unit 1  PC>DEV  46 5A 00 07 CF 01 00  (checksum wrong)",
    "      120 ms  unit 1  PC>DEV  46 5A 00 06 A6 4C",
    "      130 ms  unit 1  DEV>PC  5A 46 00 09 CB 00 01 00 75",
    "      140 ms  unit 1  BAD     46 5A  (frame cut short)",
    "      150 ms  unit 1  PACING  10 ms where 25 ms are needed, before the data of 46 5A 00 06 92 38",
    "      160 ms  unit 2  GONE    unplugged",
    "      170 ms  unit 2  CLOSE   closed",
]


class Fixture(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.path = Path(self.dir.name) / "trace.txt"
        self.trace = Trace(self.path)

    def tearDown(self):
        self.dir.cleanup()

    def write(self, text, mode="ab"):
        with open(self.path, mode) as f:
            f.write(text.encode("latin-1"))


class Lines(unittest.TestCase):
    def test_frames_and_events(self):
        entries = [parse_line(i, line) for i, line in enumerate(LINES)]
        kinds = [e.kind for e in entries]
        self.assertEqual(kinds, [OPEN, "PARITY", SENT, SENT, SENT, SENT, SENT, RECEIVED, "BAD", PACING, GONE, CLOSE])
        expert = entries[2]
        self.assertEqual((expert.time_ms, expert.unit, expert.node, expert.peer), (40, 1, 0x46, 0x5A))
        self.assertEqual((expert.length, expert.command, bytes(expert.payload)), (7, 0xCF, b"\x00"))
        self.assertTrue(expert.sound)
        reply = entries[7]
        self.assertEqual((reply.node, reply.peer, reply.command, bytes(reply.payload)), (0x46, 0x5A, 0xCB, b"\x00\x01\x00"))
        self.assertTrue(reply.sound)
        self.assertEqual(entries[9].data, bytes([0x46, 0x5A, 0x00, 0x06, 0x92, 0x38]))
        self.assertEqual((entries[10].unit, entries[10].note), (2, "unplugged"))

    def test_a_frame_the_unit_found_wrong_is_not_sound(self):
        wrong = parse_line(0, LINES[5])
        self.assertEqual(wrong.note, "checksum wrong")
        self.assertEqual(wrong.data, bytes([0x46, 0x5A, 0x00, 0x07, 0xCF, 0x01, 0x00]))
        self.assertFalse(wrong.sound)
        # Bytes that disagree with their own checksum or length, though no note says so.
        self.assertFalse(parse_line(0, "1 ms  unit 1  PC>DEV  46 5A 00 07 CF 00 6F").sound)
        self.assertFalse(parse_line(0, "1 ms  unit 1  PC>DEV  46 5A 00 08 CF 00 6F").sound)

    def test_lines_of_no_kind_are_left_out(self):
        self.assertIsNone(parse_line(0, ""))
        self.assertIsNone(parse_line(0, "ftd2xx (simulated Darvix): cannot write the trace file"))


class Patterns(unittest.TestCase):
    def setUp(self):
        self.entries = [parse_line(i, line) for i, line in enumerate(LINES)]

    def matching(self, pattern, sound=True):
        return [e.index for e in self.entries if pattern.matches(e, sound)]

    def test_command_payload_node_and_length(self):
        self.assertEqual(self.matching(sent(cmd.WorkingMode, 0x00)), [2])
        self.assertEqual(self.matching(sent(cmd.WorkingMode)), [2])  # the wrong one is not sound
        self.assertEqual(self.matching(sent(cmd.WorkingMode), sound=False), [2, 5])
        self.assertEqual(self.matching(sent(cmd.WorkingMode, 0x01), sound=False), [5])
        self.assertEqual(self.matching(sent(cmd.MasterLevel, 0x1E)), [])  # not to the DSP node
        self.assertEqual(self.matching(sent(cmd.MasterLevel, 0x1E, node=node.kNodeLevel)), [4])
        self.assertEqual(self.matching(sent(cmd.MasterLevel, node=None)), [4])
        self.assertEqual(self.matching(sent(cmd.MasterLevel, node=None, length=8)), [])
        self.assertEqual(self.matching(received(cmd.UpdateResult, 0x00, 0x01, length=9)), [7])
        self.assertEqual(self.matching(sent(cmd.UpdateResult)), [])  # the other direction

    def test_whole_payload(self):
        self.assertEqual(self.matching(received(cmd.UpdateResult, 0x00, 0x01, whole=True)), [])
        self.assertEqual(self.matching(received(cmd.UpdateResult, 0x00, 0x01, 0x00, whole=True)), [7])
        self.assertEqual(self.matching(sent(cmd.StoreBegin, whole=True)), [3])

    def test_unit(self):
        self.assertEqual(self.matching(sent(cmd.StoreEnd, unit=1)), [6])
        self.assertEqual(self.matching(sent(cmd.StoreEnd, unit=2)), [])

    def test_description_names_the_frame(self):
        text = str(sent(cmd.WorkingMode, 0x00, length=7))
        self.assertIn("WorkingMode (0xCF)", text)
        self.assertIn("node 46", text)
        self.assertIn("length 7", text)
        self.assertIn("payload beginning 00", text)


class Reading(Fixture):
    def test_a_line_still_being_written_waits_for_its_end(self):
        self.write("\r\n".join(LINES[:3]) + "\r\n" + LINES[3][:30])
        self.assertEqual(len(self.trace.entries()), 3)
        self.write(LINES[3][30:] + "\r\n")
        self.assertEqual([e.kind for e in self.trace.entries(3)], [SENT])
        self.assertEqual(self.trace.entries()[3].command, cmd.StoreBegin)

    def test_marks_count_what_came_before(self):
        self.write("\r\n".join(LINES[:4]) + "\r\n")
        mark = self.trace.mark()
        self.write("\r\n".join(LINES[4:]) + "\r\n")
        self.assertEqual(self.trace.count(sent(cmd.WorkingMode)), 2)
        self.assertEqual(self.trace.count(sent(cmd.WorkingMode), since=mark), 1)
        self.assertFalse(self.trace.has(sent(cmd.WorkingMode), since=mark))
        self.assertEqual([e.index for e in self.trace.events(GONE, unit=2, note="unplugged")], [10])

    def test_an_emptied_file_is_read_from_its_start(self):
        self.write("\r\n".join(LINES) + "\r\n")
        self.assertEqual(self.trace.mark(), len(LINES))
        self.write(LINES[7] + "\r\n", mode="wb")
        self.assertEqual([e.kind for e in self.trace.entries()], [RECEIVED])
        self.trace.clear()
        self.assertEqual(self.trace.entries(), [])
        self.assertEqual(self.path.read_bytes(), b"")

    def test_no_file_is_an_empty_trace(self):
        self.assertEqual(self.trace.entries(), [])

    def test_writes_run_from_their_begin_to_their_end(self):
        begin, end = LINES[3], LINES[6]
        self.write("\r\n".join([begin, LINES[4], end, LINES[2], begin, begin, LINES[4]]) + "\r\n")
        blocks = self.trace.store_blocks()
        self.assertEqual([[e.index for e in b] for b in blocks], [[0, 1, 2], [5, 6]])

    def test_a_miss_shows_what_came_instead(self):
        self.write("\r\n".join(LINES) + "\r\n")
        text = self.trace.describe_miss(sent(cmd.WorkingMode, 0x02))
        self.assertIn("2 frame(s) of that command came instead", text)
        self.assertIn("46 5A 00 07 CF 00 76", text)
        self.assertIn("checksum wrong", text)
        text = self.trace.describe_miss(sent(cmd.Finalize))
        self.assertIn("no frame of that command came; the last frames:", text)
        self.assertIn("UpdateResult", text)


if __name__ == "__main__":
    unittest.main()
