#!/usr/bin/python3
"""The workflow's subject table: what it reads, and one clear line naming
the file and line for each way it can be wrong."""

import os
import random
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "..", "workflows", "scripts"))
from cohort_table import TableError, read_subject_table, read_subjects_dir  # noqa: E402


class SubjectTable(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.folder = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def table(self, text):
        path = os.path.join(self.folder, "subjects.tsv")
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
        return path

    def test_rows_with_relative_absolute_and_several_paths(self):
        path = self.table("# study\nsite\tsubject\tstatistics\tsurface\n\n"
                          "a\tsub-01\ts/lh.v ; s/rh.v\ts/lh.obj;s/rh.obj\n"
                          "b\tsub-02\t/data/x.mgz\t/data/x.pial\n")
        subjects = read_subject_table(path)
        self.assertEqual([s.identifier for s in subjects], ["sub-01", "sub-02"])
        self.assertEqual(subjects[0].surfaces, [os.path.join(self.folder, "s/lh.obj"),
                                                os.path.join(self.folder, "s/rh.obj")])
        self.assertEqual(subjects[0].statistics[1], os.path.join(self.folder, "s/rh.v"))
        self.assertEqual(subjects[1].surfaces, ["/data/x.pial"])

    def test_subject_folders_are_those_with_surf(self):
        for name in ("sub-02", "sub-01", "fsaverage", "notes"):
            os.makedirs(os.path.join(self.folder, name, "surf" if name != "notes" else "misc"))
        subjects = read_subjects_dir(self.folder)
        self.assertEqual([s.identifier for s in subjects], ["fsaverage", "sub-01", "sub-02"])
        self.assertEqual(subjects[1].folder, os.path.join(self.folder, "sub-01"))
        os.makedirs(os.path.join(self.folder, "bad name", "surf"))
        with self.assertRaisesRegex(TableError, 'subject "bad name"'):
            read_subjects_dir(self.folder)
        with self.assertRaisesRegex(TableError, "no subject folder"):
            read_subjects_dir(os.path.join(self.folder, "notes"))
        with self.assertRaisesRegex(TableError, "cannot list"):
            read_subjects_dir(os.path.join(self.folder, "missing"))

    def test_each_fault_is_named_with_file_and_line(self):
        header = "subject\tsurface\tstatistics\n"
        cases = {
            "": "is empty",
            "subject\tsurface\n": ":1: the header has no column statistics",
            header + "s1\ta.obj\n": ":2: 2 cells for 3 columns",
            header + "../x\ta.obj\ta.v\n": ":2: subject \"../x\"",
            header + "s 1\ta.obj\ta.v\n": ":2: subject \"s 1\"",
            header + "s1\ta.obj\ta.v\n\ns1\tb.obj\tb.v\n": ":4: subject s1 is also on line 2",
            header + "s1\t\ta.v\n": ":2: subject s1 has no surface",
            header + "s1\ta.obj;b.obj\ta.v\n": ":2: subject s1 has 2 surfaces and 1 statistics",
        }
        for text, expected in cases.items():
            path = self.table(text)
            with self.assertRaises(TableError, msg=repr(text)) as raised:
                read_subject_table(path)
            message = str(raised.exception)
            self.assertTrue(message.startswith(path), message)
            self.assertIn(expected, message)
            self.assertNotIn("\n", message)
        with self.assertRaises(TableError) as raised:
            read_subject_table(os.path.join(self.folder, "absent.tsv"))
        self.assertIn("cannot read the subject table", str(raised.exception))
        with open(os.path.join(self.folder, "binary.tsv"), "wb") as out:
            out.write(b"subject\tsurface\tstatistics\n\xff\xfe\x00\n")
        with self.assertRaises(TableError):
            read_subject_table(os.path.join(self.folder, "binary.tsv"))

    def test_damaged_tables_give_table_errors_only(self):
        # Random damage to a good table (a quick fuzz, seeded): a table
        # either reads or is refused with TableError, never another exception.
        good = ("subject\tsurface\tstatistics\n"
                "sub-01\ta.obj;b.obj\ta.v;b.v\n# note\nsub-02\tc.obj\tc.v\n").encode()
        pieces = [b"\t", b"\n", b";", b"#", b"\xff", b"\x00", b" ", b"subject", b"../", b"\r"]
        rng = random.Random(26)
        path = os.path.join(self.folder, "damaged.tsv")
        for _ in range(500):
            data = bytearray(good)
            for _ in range(rng.randint(1, 6)):
                at = rng.randrange(len(data) + 1)
                if rng.random() < 0.5 and data:
                    del data[at:at + rng.randint(1, 8)]
                else:
                    data[at:at] = rng.choice(pieces)
            with open(path, "wb") as out:
                out.write(bytes(data))
            try:
                for subject in read_subject_table(path):
                    self.assertRegex(subject.identifier, r"^[A-Za-z0-9][A-Za-z0-9._-]*$")
                    self.assertEqual(len(subject.surfaces), len(subject.statistics))
            except TableError:
                pass


if __name__ == "__main__":
    unittest.main()
