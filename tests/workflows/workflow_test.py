#!/usr/bin/python3
"""The cohort workflow end to end on a handful of synthetic subjects.

    workflow_test.py local WORK     snakemake --cores 2; then a re-run after one
                                    subject's statistics change redraws that one
    workflow_test.py browser WORK   the gallery of `local` in headless Chromium
    workflow_test.py slurm WORK     the same workflow through a one-node Slurm
                                    cluster (workflows/slurm/run-local-cluster)

Exit status 0 when every check holds, 1 when one fails, 77 when the test
cannot run here (said in one line).
"""

import argparse
import glob
import html.parser
import json
import os
import re
import shutil
import subprocess
import sys
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
SKIP = 77
SUBJECTS = [f"sub-{n:04d}" for n in range(1, 7)]
BROKEN = "sub-0004"
GOOD = [s for s in SUBJECTS if s != BROKEN]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what, flush=True)


def options():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=["local", "browser", "slurm"])
    parser.add_argument("work")
    parser.add_argument("--workflow", required=True, help="the repository's workflows/")
    parser.add_argument("--renderer", required=True)
    parser.add_argument("--samples", required=True, help="make_samples' folder")
    parser.add_argument("--snakemake", default="snakemake")
    parser.add_argument("--chromium", default="chromium")
    return parser.parse_args()


def prepare(args):
    """A fresh folder with the cohort, its table and the workflow's config."""
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    subprocess.run([sys.executable, os.path.join(HERE, "make_cohort.py"), args.samples,
                    os.path.join(args.work, "cohort"), str(len(SUBJECTS)), "--broken", BROKEN],
                   check=True)
    with open(os.path.join(args.work, "config.yaml"), "w") as config:
        config.write(f"""subjects: cohort/subjects.tsv
renderer: {args.renderer}
column: effect
limits: [-3, 4]
views: [lateral, dorsal]
size: 240x180
samples: 0
title: Synthetic cohort
thumbnail_width: 160
shards: 3
""")


def snakemake_arguments(args):
    return ["-s", os.path.join(args.workflow, "Snakefile"), "--configfile", "config.yaml"]


def drawn_since(work, start):
    """The figures the renderer drew in shard jobs since `start` (--timings lines)."""
    drawn = set()
    for log in glob.glob(os.path.join(work, "logs", "shard-*.log")):
        if os.stat(log).st_mtime < start:
            continue
        with open(log) as text:
            drawn.update(re.findall(r"^gallery/figures/(sub-\d+)\.png: \d+ ms", text.read(), re.M))
    return drawn


def check_results(work):
    statuses = {}
    for path in glob.glob(os.path.join(work, "work", "shards", "*-of-3.json")):
        with open(path) as status:
            for entry in json.load(status):
                check(entry["subject"] not in statuses, f"{entry['subject']} in two shards")
                statuses[entry["subject"]] = entry
    check(sorted(statuses) == SUBJECTS, f"the shards report {sorted(statuses)}")
    for subject in GOOD:
        check("failed" not in statuses.get(subject, {"failed": "absent"}),
              f"{subject} drawn: {statuses.get(subject)}")
        for folder in ("figures", "thumbs"):
            check(os.path.getsize(os.path.join(work, "gallery", folder, subject + ".png")) > 0,
                  f"{folder}/{subject}.png written")
    reason = statuses.get(BROKEN, {}).get("failed", "")
    check(f"missing-{BROKEN}.vertstats" in reason, f"the broken subject's reason: {reason!r}")
    check(not os.path.exists(os.path.join(work, "gallery", "figures", BROKEN + ".png")),
          "no figure for the broken subject")
    check(os.path.exists(os.path.join(work, "gallery", "index.html")), "the gallery written")


def run_local(args):
    prepare(args)
    snakemake = [args.snakemake, "--cores", "2"] + snakemake_arguments(args)
    start = time.time() - 1
    subprocess.run(snakemake, cwd=args.work, check=True)
    check_results(args.work)
    check(drawn_since(args.work, start) == set(GOOD), "the first run draws every good subject")

    # One subject's statistics change: its shard runs again and draws it alone.
    changed = os.path.join(args.work, "cohort", "sub-0002.vertstats")
    start = time.time() + 1
    os.utime(changed, (start, start))
    subprocess.run(snakemake, cwd=args.work, check=True)
    drawn = drawn_since(args.work, start)
    check(drawn == {"sub-0002"}, f"the re-run draws only the changed subject, not {sorted(drawn)}")
    check_results(args.work)

    # A shared setting changes: every figure is drawn again, at its new size.
    start = time.time()
    subprocess.run(snakemake + ["--config", "views=[dorsal]"], cwd=args.work, check=True)
    drawn = drawn_since(args.work, start)
    check(drawn == set(GOOD), f"a new setting redraws every figure, not {sorted(drawn)}")
    with Image.open(os.path.join(args.work, "gallery", "figures", "sub-0001.png")) as figure:
        check(figure.size == (240, 180), f"one view now: {figure.size}")
    check_results(args.work)


class FailedRows(html.parser.HTMLParser):
    """The failed table's rows: subject -> reason text."""

    def __init__(self):
        super().__init__()
        self.rows, self.subject, self.in_reason = {}, None, False

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        if tag == "tr" and "data-subject" in attributes:
            self.subject = attributes["data-subject"]
            self.rows[self.subject] = ""
        self.in_reason = tag == "td" and attributes.get("class") == "why"

    def handle_data(self, data):
        if self.in_reason and self.subject:
            self.rows[self.subject] += data

    def handle_endtag(self, tag):
        if tag == "td":
            self.in_reason = False


def run_browser(args):
    page = os.path.join(os.path.abspath(args.work), "gallery", "index.html")
    if not os.path.exists(page):
        sys.exit(f"{page} is missing: the local workflow test did not make it")
    if not shutil.which(args.chromium):
        print(f"workflow_test: skipped: no {args.chromium} (scripts/install-deps installs chromium)")
        sys.exit(SKIP)
    with open(page, encoding="utf-8") as source:
        text = source.read()
    thumbnails = re.findall(r'<img src="thumbs/([^"]+)\.png" loading="lazy"', text)
    check(thumbnails == GOOD, f"a lazily loaded thumbnail per drawn subject: {thumbnails}")
    for subject in GOOD:
        check(f'<a href="figures/{subject}.png">' in text, f"{subject}'s thumbnail links its figure")

    marked = ["sub-0005", BROKEN, "sub-0001"]
    command = [args.chromium, "--headless", "--no-sandbox", "--disable-gpu",
               "--no-first-run", "--user-data-dir=" + os.path.join(args.work, "chromium"),
               "--virtual-time-budget=30000", "--dump-dom",
               "file://" + page + "#selftest=" + ",".join(marked)]
    dom = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                         timeout=180).stdout
    found = re.search(r'<pre id="selftest">(.*?)</pre>', dom, re.S)
    check(found, "the page's self-test reported (chromium printed no report)")
    if found:
        report = json.loads(html.unescape(found.group(1)))
        images = {image["src"]: image["naturalWidth"] for image in report["images"]}
        check(set(images) == {"key.png"} | {f"thumbs/{s}.png" for s in GOOD},
              f"the page's images: {sorted(images)}")
        check(all(width > 0 for width in images.values()),
              f"every image loaded: {images}")
        check(report["count"] == "3", f"three marked, the page counts {report['count']}")
        # In table order, failed subjects among them.
        check(report["saved"] == "sub-0001\nsub-0004\nsub-0005\n",
              f"the saved identifiers: {report['saved']!r}")
    rows = FailedRows()
    rows.feed(dom)
    check(list(rows.rows) == [BROKEN], f"the failed subjects listed: {list(rows.rows)}")
    check("missing-sub-0004.vertstats" in rows.rows.get(BROKEN, ""),
          f"the reason shown: {rows.rows.get(BROKEN)!r}")


def run_slurm(args):
    prepare(args)
    script = os.path.join(args.workflow, "slurm", "run-local-cluster")
    # The profile's own shard count gives way to the command line's.
    status = subprocess.run([script] + snakemake_arguments(args) + ["--config", "shards=3"],
                            cwd=args.work).returncode
    if status == SKIP:
        sys.exit(SKIP)
    check(status == 0, f"snakemake through Slurm ended with status {status}")
    slurm_logs = glob.glob(os.path.join(args.work, "logs", "slurm", "shard-*.log"))
    check(len(slurm_logs) == 3, f"three shard jobs ran under Slurm: {slurm_logs}")
    check_results(args.work)


def main():
    args = options()
    args.work = os.path.abspath(args.work)
    {"local": run_local, "browser": run_browser, "slurm": run_slurm}[args.mode](args)
    if failures:
        print(f"workflow_test {args.mode}: {len(failures)} checks failed")
        sys.exit(1)
    print(f"workflow_test {args.mode}: all checks hold")


if __name__ == "__main__":
    main()
