"""The gallery's key: the colour bar between the limits exactly as the
figures show it, drawn by the renderer from a flat strip whose values run
from the lower limit (left) to the upper (right), cropped to the strip.

    key.py --renderer gyrolux-render --out key.png -- --limits LOW HIGH [colour options]
"""

import argparse
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

STEPS = 256  # columns of the strip: finer than the bar's own steps


def write_strip(surface, statistics, low, high):
    """A 200 x 10 strip in the z = 0 plane facing +z, two rows of points."""
    points = [(-100.0 + 200.0 * i / STEPS, y, 0.0) for y in (-5.0, 5.0) for i in range(STEPS + 1)]
    triangles = []
    for i in range(STEPS):
        a, b, c, d = i, i + 1, i + STEPS + 1, i + STEPS + 2
        triangles += [(a, b, d), (a, d, c)]
    with open(surface, "w") as out:
        out.write(f"P 0.3 0.3 0.4 10 1 {len(points)}\n")
        out.writelines(f"{x} {y} {z}\n" for x, y, z in points)
        out.writelines("0 0 1\n" for _ in points)
        out.write(f"{len(triangles)}\n0 1 1 1 1\n")
        out.write(" ".join(str(3 * (t + 1)) for t in range(len(triangles))) + "\n")
        out.writelines(f"{a} {b} {c}\n" for a, b, c in triangles)
    with open(statistics, "w") as out:
        out.write("<header>\n</header>\nvalue\n")
        for _ in range(2):
            out.writelines(f"{low + (high - low) * i / STEPS}\n" for i in range(STEPS + 1))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--renderer", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("colour", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    colour = args.colour[1:] if args.colour[:1] == ["--"] else args.colour
    try:
        at = colour.index("--limits")
        low, high = float(colour[at + 1]), float(colour[at + 2])
    except (ValueError, IndexError):
        sys.exit("key.py: the colour options need --limits LOW HIGH")

    with tempfile.TemporaryDirectory() as scratch:
        surface = os.path.join(scratch, "strip.obj")
        statistics = os.path.join(scratch, "strip.vertstats")
        drawn = os.path.join(scratch, "key.png")
        write_strip(surface, statistics, low, high)
        command = [args.renderer, surface, "--stats", statistics, "--view", "dorsal",
                   "--projection", "orthographic", "--size", "1200x600"] + colour + ["-o", drawn]
        status = subprocess.run(command).returncode
        if status != 0:
            sys.exit(f"key.py: {args.renderer} could not draw the key (status {status})")
        with Image.open(drawn) as image:
            image = image.convert("RGB")
            # The strip is whatever differs from the background corner.
            background = Image.new("RGB", image.size, image.getpixel((0, 0)))
            box = ImageChops.difference(image, background).getbbox()
            if box is None:
                sys.exit("key.py: the key came out empty")
            # A pixel in from each edge: the strip's rim is blended with the background.
            left, top, right, bottom = box
            image.crop((left + 1, top + 1, right - 1, bottom - 1)).save(args.out, "PNG")


if __name__ == "__main__":
    main()
