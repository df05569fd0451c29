#!/usr/bin/python3
"""A synthetic cohort for the workflow's tests and timings: N subjects on
make_samples' folded hemisphere, each with statistics of its own (the
sample's blob and smooth pattern, weighted and shifted per subject, plus
noise), and a subject table. The subject named by --broken has a statistics
file that does not exist, so its figure fails.

    make_cohort.py SAMPLES_DIR OUT_DIR COUNT [--broken ID]
"""

import argparse
import os
import random


def read_vertstats(path):
    """Column names and rows of a plain statistics file as make_samples writes it."""
    with open(path) as text:
        lines = text.read().splitlines()
    end = lines.index("</header>")
    names = lines[end + 1].split()
    rows = [[float(v) for v in line.split()] for line in lines[end + 2:] if line.strip()]
    return names, rows


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("samples")
    parser.add_argument("out")
    parser.add_argument("count", type=int)
    parser.add_argument("--broken", default="")
    args = parser.parse_args()

    names, rows = read_vertstats(os.path.join(args.samples, "brain.vertstats"))
    smooth, blob = names.index("smooth"), names.index("blob")
    os.makedirs(args.out, exist_ok=True)
    surface = os.path.abspath(os.path.join(args.samples, "brain.obj"))
    table = ["subject\tsurface\tstatistics"]
    for number in range(1, args.count + 1):
        subject = f"sub-{number:04d}"
        statistics = f"{subject}.vertstats"
        if subject == args.broken:
            table.append(f"{subject}\t{surface}\tmissing-{statistics}")
            continue
        rng = random.Random(number)
        weight, shift, spread = rng.uniform(0.5, 1.5), rng.uniform(-1.0, 1.0), rng.uniform(0.1, 0.6)
        with open(os.path.join(args.out, statistics), "w") as out:
            out.write("<header>\n</header>\neffect\n")
            out.writelines(f"{weight * r[blob] + shift * r[smooth] + rng.gauss(0.0, spread):.4g}\n"
                           for r in rows)
        table.append(f"{subject}\t{surface}\t{statistics}")
    with open(os.path.join(args.out, "subjects.tsv"), "w") as out:
        out.write("\n".join(table) + "\n")


if __name__ == "__main__":
    main()
