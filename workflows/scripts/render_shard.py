"""One shard of the cohort: its subjects drawn by one gyrolux-render process,
their thumbnails, and a status file saying for each subject whether its
figure is there or why not.

Figures older than the shared settings are removed first, so that
--skip-existing keeps only figures drawn with the settings of this run.
"""

import argparse
import json
import os
import re
import subprocess
import sys

from PIL import Image

USAGE_ERROR = 2


def options():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--renderer", required=True)
    parser.add_argument("--batch", required=True, help="the batch list, a line per subject")
    parser.add_argument("--subjects", required=True, help="JSON: the identifiers, line order")
    parser.add_argument("--settings", required=True, help="JSON: the shared options")
    parser.add_argument("--shard", required=True, help="K/N")
    parser.add_argument("--thumbnail-width", type=int, default=320)
    parser.add_argument("--status", required=True, help="JSON written for the gallery")
    return parser.parse_args()


def modified(path):
    try:
        return os.stat(path).st_mtime_ns
    except OSError:
        return None


def make_thumbnail(figure, thumbnail, width):
    """The thumbnail's size; it is made again only when older than the figure."""
    if (modified(thumbnail) or 0) <= (modified(figure) or 0):
        with Image.open(figure) as image:
            height = max(1, round(image.height * width / image.width))
            small = image.convert("RGB").resize((width, height), Image.LANCZOS)
            partial = thumbnail + ".part"
            small.save(partial, "PNG", optimize=True)
            os.replace(partial, thumbnail)
    with Image.open(thumbnail) as image:
        return image.size


def main():
    args = options()
    k, n = (int(part) for part in args.shard.split("/"))
    with open(args.subjects) as index:
        identifiers = json.load(index)
    with open(args.settings) as settings:
        shared = json.load(settings)
    mine = {line: identifiers[line - 1]
            for line in range(1, len(identifiers) + 1) if (line - 1) % n == k}

    settings_time = modified(args.settings)
    for identifier in mine.values():
        figure = f"gallery/figures/{identifier}.png"
        if (modified(figure) or settings_time) < settings_time:
            os.remove(figure)
    os.makedirs("gallery/figures", exist_ok=True)
    os.makedirs("gallery/thumbs", exist_ok=True)

    command = [args.renderer, "--batch", args.batch, "--shard", args.shard,
               "--skip-existing", "--timings"] + shared
    print("running:", " ".join(command), file=sys.stderr, flush=True)
    try:
        run = subprocess.run(command, stderr=subprocess.PIPE, text=True, errors="replace")
    except OSError as problem:
        sys.exit(f"render_shard: cannot run {args.renderer}: {problem}")
    sys.stderr.write(run.stderr)
    if run.returncode == USAGE_ERROR:
        sys.exit(f"render_shard: {args.renderer} refused the settings or the list "
                 f"(status {run.returncode}); see above")

    # The renderer names a failed figure by its list line: "LIST:LINE: why".
    reasons = {}
    pattern = re.compile(r"^gyrolux-render: " + re.escape(args.batch) + r":(\d+): (.*)$")
    for line in run.stderr.splitlines():
        match = pattern.match(line)
        if match:
            reasons.setdefault(int(match.group(1)), match.group(2))

    status = []
    for line, identifier in sorted(mine.items()):
        figure = f"gallery/figures/{identifier}.png"
        entry = {"subject": identifier}
        if line in reasons or not os.path.exists(figure):
            entry["failed"] = reasons.get(
                line, f"no figure written (gyrolux-render ended with status {run.returncode})")
        else:
            try:
                entry["size"] = make_thumbnail(figure, f"gallery/thumbs/{identifier}.png",
                                               args.thumbnail_width)
            except OSError as problem:
                entry["failed"] = f"the figure cannot be read back: {problem}"
        status.append(entry)
    partial = args.status + ".part"
    with open(partial, "w") as out:
        json.dump(status, out, indent=0)
    os.replace(partial, args.status)


if __name__ == "__main__":
    main()
