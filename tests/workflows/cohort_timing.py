#!/usr/bin/python3
"""Wall times of a synthetic cohort's figures, run by hand (not a test):

    tests/workflows/cohort_timing.py BUILD_DIR [--count 100] [--cores 2]

1. one core: figures of one renderer process pinned to CPU 0 (--batch), per figure;
2. the workflow: snakemake --cores N over COUNT subjects (N shards), whole run;
3. COUNT separate gyrolux-render processes, N at a time, same figures.
Figures use the workflow's default config (two views of 600x450, 4 samples).
The load average is printed beside each, since the machine may be shared.
"""

import argparse
import os
import shlex
import shutil
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
WORKFLOW = os.path.join(HERE, "..", "..", "workflows")


def load():
    return "load average %s" % " ".join(open("/proc/loadavg").read().split()[:3])


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--count", type=int, default=100)
    parser.add_argument("--cores", type=int, default=2)
    parser.add_argument("--one-core-figures", type=int, default=10)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    renderer = os.path.join(build, "tools", "gyrolux-render")
    work = os.path.join(build, "cohort_timing")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    subprocess.run([sys.executable, os.path.join(HERE, "make_cohort.py"),
                    os.path.join(build, "samples"), os.path.join(work, "cohort"),
                    str(args.count)], check=True)
    with open(os.path.join(work, "config.yaml"), "w") as config:
        config.write(f"subjects: cohort/subjects.tsv\nrenderer: {renderer}\ncolumn: effect\n"
                     "limits: [-3, 4]\n")
    shared = ["--column", "effect", "--limits", "-3", "4", "--samples", "4",
              "--view", "lateral", "--view", "medial", "--size", "600x450"]

    # 1. One core, one process.
    subjects = [f"sub-{n:04d}" for n in range(1, args.one_core_figures + 1)]
    os.makedirs(os.path.join(work, "one-core"))
    with open(os.path.join(work, "one-core.list"), "w") as batch:
        for s in subjects:
            batch.write(f"{build}/samples/brain.obj --stats {work}/cohort/{s}.vertstats "
                        f"-o {work}/one-core/{s}.png\n")
    before = load()
    start = time.monotonic()
    subprocess.run(["taskset", "-c", "0", renderer, "--batch", os.path.join(work, "one-core.list")]
                   + shared, check=True)
    per_figure = (time.monotonic() - start) / len(subjects)
    print(f"one core: {per_figure:.2f} s per figure over {len(subjects)} figures "
          f"({before} before, {load()} after)", flush=True)

    # 2. The workflow.
    before = load()
    start = time.monotonic()
    subprocess.run(["snakemake", "-s", os.path.join(WORKFLOW, "Snakefile"), "--configfile",
                    "config.yaml", "--cores", str(args.cores), "--quiet"], cwd=work, check=True,
                   stdout=subprocess.DEVNULL)
    print(f"workflow, {args.count} subjects, --cores {args.cores}: "
          f"{time.monotonic() - start:.1f} s wall ({before} before, {load()} after)", flush=True)

    # 3. One process per figure.
    os.makedirs(os.path.join(work, "separate"))
    commands = [[renderer, os.path.join(build, "samples", "brain.obj"), "--stats",
                 os.path.join(work, "cohort", f"sub-{n:04d}.vertstats")] + shared +
                ["-o", os.path.join(work, "separate", f"sub-{n:04d}.png")]
                for n in range(1, args.count + 1)]
    before = load()
    start = time.monotonic()
    with ThreadPoolExecutor(args.cores) as pool:
        statuses = list(pool.map(lambda c: subprocess.run(c).returncode, commands))
    if any(statuses):
        sys.exit("cohort_timing: a separate process failed: " + shlex.join(commands[0]))
    print(f"{args.count} separate processes, {args.cores} at a time: "
          f"{time.monotonic() - start:.1f} s wall ({before} before, {load()} after)", flush=True)


if __name__ == "__main__":
    main()
