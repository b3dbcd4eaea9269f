"""The end-to-end suite's own pieces that a wrong reading would turn into
false passes or false failures: the driver's answers, the ids headers, the
bytes on the line and the polling."""

import tempfile
import threading
import time
import unittest
from pathlib import Path

from phases import PHASES, phase_groups
from vqxe2e.driver import quote, split_answer
from vqxe2e.ids import load_ids, parse_defines
from vqxe2e.wire import Wire, poll

ROOT = Path(__file__).resolve().parent.parent.parent


class AnswerTest(unittest.TestCase):
    def test_words_and_quoted_texts(self):
        cases = [
            ("0x1a2b", ["0x1a2b"]),
            ('2 "Internal" "External"', ["2", "Internal", "External"]),
            ('0x10 "Success"', ["0x10", "Success"]),
            # Blanks inside quotes are part of the item, full-width ones too.
            ('2 "Make " " ON"', ["2", "Make ", " ON"]),
            ('"　　　ＣＨ０１　　　"', ["　　　ＣＨ０１　　　"]),
            ('""', [""]),
            (r'"say \"GO\"\\now"', ['say "GO"\\now']),
            (r'"line\r\nnext"', ["line\r\nnext"]),
            ('"a\tb"  7', ["a\tb", "7"]),
        ]
        for line, words in cases:
            with self.subTest(line=line):
                self.assertEqual(split_answer(line), words)

    def test_quoted_arguments_come_back_whole(self):
        for text in ["", "玄関カメラ", 'a "b" \\c', "C:\\users\\x y.dat"]:
            with self.subTest(text=text):
                self.assertEqual(split_answer(quote(text)), [text])


class IdsTest(unittest.TestCase):
    def test_defines_as_the_resource_compiler_reads_them(self):
        text = "\n".join([
            "/* a comment */",
            "#define IDD_X 133",
            "#  define IDC_X_LIST 1000  /* why */",
            "#define IDC_X_SET 1001 // why",
            "#define IDC_STATIC (-1)",
            "#define VQX_GUARD_H",
            "#define kNotAnId 5",
        ])
        self.assertEqual(parse_defines(text),
                         {"IDD_X": 133, "IDC_X_LIST": 1000, "IDC_X_SET": 1001, "IDC_STATIC": -1})

    def test_a_name_given_two_numbers_is_refused(self):
        with self.assertRaises(ValueError):
            parse_defines("#define IDC_A 1\n#define IDC_A 2\n")
        self.assertEqual(parse_defines("#define IDC_A 1\n#define IDC_A 1\n"), {"IDC_A": 1})

    def test_the_program_headers(self):
        ids = load_ids(ROOT)
        self.assertEqual((ids.IDM_ALARM, ids.IDT_ALARM, ids.IDD_ALARM), (32779, 501, 133))
        self.assertEqual(ids.name(ids.IDC_ALARM_MODE_SET), "IDC_ALARM_MODE_SET")
        with self.assertRaises(AttributeError):
            ids.IDC_NO_SUCH_CONTROL  # noqa: B018

    def test_no_two_controls_of_a_dialog_share_an_id(self):
        common = parse_defines((ROOT / "dialogs/ids/common_ids.h").read_text())
        for header in sorted(ROOT.glob("*/ids/*_ids.h")):
            values = parse_defines(header.read_text())
            if '#include "dialogs/ids/common_ids.h"' in header.read_text():
                values.update(common)
            controls = {k: v for k, v in values.items() if k.startswith("IDC_")}
            seen = {}
            for name, value in controls.items():
                with self.subTest(header=header.name, name=name):
                    self.assertNotIn(value, seen, f"{name} and {seen.get(value)}")
                seen[value] = name


class WireTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.raw = Path(self.folder.name) / "raw.bin"
        self.log = Path(self.folder.name) / "sim.log"
        self.raw.write_bytes(b"")
        self.log.write_bytes(b"12:00:00.000 -- peer opened the line\n")
        self.wire = Wire(self.raw, self.log)

    def tearDown(self):
        self.folder.cleanup()

    def send(self, data, *received):
        with open(self.raw, "ab") as raw:
            raw.write(data)
        with open(self.log, "ab") as log:
            for line in received:
                log.write(b"12:00:01.250 RX " + line + b"\n")

    def test_the_exact_bytes_and_the_device_lines(self):
        self.send(b"AMI\r\n", b"AMI")
        self.assertEqual(self.wire.expect_sent(b"AMI\r\n", 1, 0.2), (True, ""))
        # The next check starts after it.
        self.send(b"ADT030\r\n", b"ADT030")
        self.assertEqual(self.wire.expect_sent(b"ADT030\r\n", 1, 0.2), (True, ""))

    def test_a_difference_shows_both_sides(self):
        self.send(b"AME\r\n", b"AME")
        ok, detail = self.wire.expect_sent(b"AMI\r\n", 1, 0.2)
        self.assertFalse(ok)
        self.assertIn("b'AMI\\r\\n'", detail)
        self.assertIn("b'AME\\r\\n'", detail)

    def test_a_missing_line_end_or_extra_byte_fails(self):
        for sent in (b"AMI", b"AMI\r\nX", b"AMI\n"):
            with self.subTest(sent=sent):
                self.wire.skip()
                self.send(sent, b"AMI")
                self.assertFalse(self.wire.expect_sent(b"AMI\r\n", 1, 0.2)[0])

    def test_bytes_that_come_late_are_waited_for(self):
        def later():
            time.sleep(0.3)
            self.send(b"TSA\r\n", b"TSA")

        thread = threading.Thread(target=later)
        thread.start()
        self.assertEqual(self.wire.expect_sent(b"TSA\r\n", 1, 3), (True, ""))
        thread.join()

    def test_the_device_must_take_each_line_whole(self):
        self.send(b"AMI\r\n", b"AM")
        ok, detail = self.wire.expect_sent(b"AMI\r\n", 1, 0.2)
        self.assertFalse(ok)
        self.assertIn("device received", detail)
        self.send(b"A\r\nB\r\n", b"A")  # the second line never arrives
        self.assertFalse(self.wire.expect_sent(b"A\r\nB\r\n", 2, 0.2)[0])

    def test_nothing_sent_sees_any_byte(self):
        self.assertTrue(self.wire.sent_nothing(0)[0])
        self.send(b"\r")
        ok, detail = self.wire.sent_nothing(0)
        self.assertFalse(ok)
        self.assertIn("\\r", detail)
        self.assertTrue(self.wire.sent_nothing(0)[0])

    def test_receive_times_in_milliseconds(self):
        with open(self.log, "ab") as log:
            log.write(b"23:59:59.900 RX A\n00:00:00.050 -- noise\n23:59:59.999 RX B\n")
        self.assertEqual(self.wire.rx_times(2), [86399900, 86399999])


class PhaseGroupsTest(unittest.TestCase):
    def test_every_phase_runs_once_in_the_suite_order(self):
        everything = [number for number, _, _ in PHASES]
        for count in (1, 2, 3, len(everything), len(everything) + 2):
            with self.subTest(groups=count):
                groups = phase_groups(everything, count)
                self.assertEqual(sorted(n for g in groups for n in g), sorted(everything))
                self.assertLessEqual(len(groups), count)
                for group in groups:
                    self.assertEqual(group, [n for n in everything if n in group])
                    # Phase 7 ends the session of every program in its prefix.
                    if 7 in group:
                        self.assertEqual(group[-1], 7)

    def test_two_groups_hold_about_the_same_time(self):
        from phases import PHASE_SECONDS
        groups = phase_groups([number for number, _, _ in PHASES], 2)
        times = [sum(PHASE_SECONDS[n] for n in group) for group in groups]
        self.assertLess(max(times) - min(times), max(PHASE_SECONDS.values()) / 4, groups)

    def test_only_the_phases_asked_for(self):
        self.assertEqual(phase_groups([2, 4], 2), [[4], [2]])
        self.assertEqual(phase_groups([3], 2), [[3]])


class PollTest(unittest.TestCase):
    def test_returns_as_soon_as_done_and_the_last_value_when_not(self):
        values = iter(range(100))
        started = time.monotonic()
        self.assertEqual(poll(lambda: next(values), lambda v: v == 3, 5, 0.01), (3, True))
        self.assertLess(time.monotonic() - started, 1)
        value, ok = poll(lambda: "x", lambda v: v == "y", 0.1, 0.02)
        self.assertEqual((value, ok), ("x", False))


if __name__ == "__main__":
    unittest.main()
