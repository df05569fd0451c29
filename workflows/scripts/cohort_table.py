"""The subjects of a cohort: read from a table of identifiers and paths.

The table is tab-separated with a header line naming at least the columns
`subject`, `surface` and `statistics`. A cell of `surface` or `statistics`
may name several files separated by ';' (both hemispheres, say): the i-th
statistics file colours the i-th surface. Relative paths are taken from the
table's folder. Blank lines and lines starting with '#' are skipped.
"""

import os
import re

# Identifiers name files and HTML elements: letters, digits and ._- only.
IDENTIFIER = re.compile(r"^[A-Za-z0-9][A-Za-z0-9._-]{0,127}$")
REQUIRED = ("subject", "surface", "statistics")


class TableError(Exception):
    """A table that cannot be used; the message names the file and line."""


class Subject:
    def __init__(self, identifier, surfaces, statistics, folder=None):
        self.identifier = identifier
        self.surfaces = surfaces
        self.statistics = statistics
        # A FreeSurfer subject folder, drawn with gyrolux-render --subject.
        self.folder = folder


def _paths(cell, folder):
    return [p if os.path.isabs(p) else os.path.normpath(os.path.join(folder, p))
            for p in (part.strip() for part in cell.split(";")) if p]


def read_subject_table(path):
    """The table's subjects in file order; TableError for a table that is
    malformed, not for files it names that are missing (those subjects fail
    one by one when drawn, with the renderer's reason)."""
    try:
        with open(path, encoding="utf-8") as table:
            lines = table.read().splitlines()
    except (OSError, UnicodeDecodeError) as problem:
        raise TableError(f"{path}: cannot read the subject table: {problem}") from None
    folder = os.path.dirname(os.path.abspath(path))
    header = None
    subjects, seen = [], {}
    for number, line in enumerate(lines, 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        cells = [cell.strip() for cell in line.split("\t")]
        if header is None:
            header = cells
            missing = [name for name in REQUIRED if name not in header]
            if missing:
                raise TableError(f"{path}:{number}: the header has no column "
                                 f"{', '.join(missing)} (tab-separated: "
                                 f"{', '.join(REQUIRED)})")
            continue
        if len(cells) != len(header):
            raise TableError(f"{path}:{number}: {len(cells)} cells for "
                             f"{len(header)} columns")
        row = dict(zip(header, cells))
        identifier = row["subject"]
        if not IDENTIFIER.match(identifier):
            raise TableError(f"{path}:{number}: subject \"{identifier}\": an identifier "
                             "is letters, digits, '.', '_' and '-', up to 128")
        if identifier in seen:
            raise TableError(f"{path}:{number}: subject {identifier} is also on "
                             f"line {seen[identifier]}")
        seen[identifier] = number
        surfaces = _paths(row["surface"], folder)
        statistics = _paths(row["statistics"], folder)
        if not surfaces:
            raise TableError(f"{path}:{number}: subject {identifier} has no surface")
        if len(statistics) != len(surfaces):
            raise TableError(f"{path}:{number}: subject {identifier} has "
                             f"{len(surfaces)} surfaces and {len(statistics)} "
                             "statistics files")
        subjects.append(Subject(identifier, surfaces, statistics))
    if header is None:
        raise TableError(f"{path}: the subject table is empty")
    return subjects


def read_subjects_dir(path):
    """The FreeSurfer subject folders under `path` (those with a surf/
    folder), by name; TableError when there is none or a folder's name
    cannot name a figure."""
    try:
        names = sorted(os.listdir(path))
    except OSError as problem:
        raise TableError(f"{path}: cannot list the subjects folder: {problem}") from None
    subjects = []
    for name in names:
        folder = os.path.join(os.path.abspath(path), name)
        if not os.path.isdir(os.path.join(folder, "surf")):
            continue
        if not IDENTIFIER.match(name):
            raise TableError(f"{folder}: subject \"{name}\": an identifier is letters, "
                             "digits, '.', '_' and '-', up to 128")
        subjects.append(Subject(name, [], [], folder))
    if not subjects:
        raise TableError(f"{path}: no subject folder (one with a surf/ folder) in it")
    return subjects
