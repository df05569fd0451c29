#!/usr/bin/python3
"""gyrolux beside VTK on icospheres of 327,680 / 1,310,720 / 5,242,880 triangles.

gyrolux (bench/app_timing, the real main window) reads the ASCII .obj
and a four-column .vertstats; VTK reads the same surface and columns as
XML PolyData (.vtp, written here with VTK's defaults) and colours by a
point array through a lookup table. Both draw an 830x780 view under the
same Xvfb with Mesa's software GL, VTK without multisampling. First frame:
process start to the first glXSwapBuffers returned (bench/swap_logger.c,
preloaded into both). Turning: 30 camera steps of 12 degrees around the
surface, each timed to the swap that shows it. Runs alternate between the
programs; medians of --runs, with the one-minute load average beside each.

    xvfb-run -a -s '-screen 0 1280x1024x24' bench/vtk_compare.py BUILD_DIR \\
        [--runs 3] [--levels 7,8,9] [--work /tmp/gyrolux-vtk] [--before]

--before adds gyrolux with Coin's own face-set drawing (app_timing
--coin-drawing); --baseline BUILD_DIR adds another build's app_timing (an
older commit), so that before and after are measured in one sitting.
Needs python3-vtk9 (see bench/README.md).
"""
import argparse
import json
import math
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
VIEW = (830, 780)


def vtk_child(vtp, colour):
    """One VTK run: read, first frame, 30 turning frames; prints JSON."""
    from vtkmodules.vtkIOXML import vtkXMLPolyDataReader
    from vtkmodules.vtkCommonCore import vtkLookupTable
    from vtkmodules.vtkRenderingCore import (vtkActor, vtkPolyDataMapper, vtkRenderer,
                                             vtkRenderWindow)
    import vtkmodules.vtkRenderingOpenGL2  # noqa: F401  (the GL back end)

    reader = vtkXMLPolyDataReader()
    reader.SetFileName(vtp)
    mapper = vtkPolyDataMapper()
    mapper.SetInputConnection(reader.GetOutputPort())
    if colour:
        lut = vtkLookupTable()
        lut.SetHueRange(0.667, 0.0)
        lut.Build()
        mapper.SetLookupTable(lut)
        mapper.SetScalarModeToUsePointFieldData()
        mapper.SelectColorArray("height")
        mapper.SetScalarRange(-80.0, 80.0)
        mapper.ScalarVisibilityOn()
    else:
        mapper.ScalarVisibilityOff()
    actor = vtkActor()
    actor.SetMapper(mapper)
    renderer = vtkRenderer()
    renderer.AddActor(actor)
    window = vtkRenderWindow()
    window.SetMultiSamples(0)
    window.SetSize(*VIEW)
    window.AddRenderer(renderer)
    renderer.ResetCamera()
    window.Render()
    camera = renderer.GetActiveCamera()
    frames, cpu = [], []
    for _ in range(30):
        t, c = time.perf_counter(), time.process_time()
        camera.Azimuth(12.0)
        window.Render()
        frames.append((time.perf_counter() - t) * 1e3)
        cpu.append((time.process_time() - c) * 1e3)
    print(json.dumps({"frame": statistics.median(frames), "frame_cpu": statistics.median(cpu)}))


def write_vtp(obj, vtp):
    """The .obj's points, normals and triangles and the four columns of
    app_timing's statistics, as .vtp with the writer's defaults."""
    from vtkmodules.vtkCommonCore import vtkFloatArray, vtkPoints
    from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkPolyData
    from vtkmodules.vtkIOXML import vtkXMLPolyDataWriter

    with open(obj) as f:
        head = f.readline().split()
        n = int(head[6])
        points, normals = vtkPoints(), vtkFloatArray()
        normals.SetNumberOfComponents(3)
        normals.SetName("Normals")
        columns = {name: vtkFloatArray() for name in ("height", "waves", "blob", "noise")}
        for name, array in columns.items():
            array.SetName(name)
        read = 0
        while read < n:
            line = f.readline().split()
            if not line:
                continue
            x, y, z = (float(v) for v in line)
            points.InsertNextPoint(x, y, z)
            # The same formulas as app_timing's writeStatistics.
            columns["height"].InsertNextValue(z)
            columns["waves"].InsertNextValue(math.sin(x * 0.1) * math.cos(y * 0.1))
            columns["blob"].InsertNextValue(math.exp(-(x * x + y * y) / 800.0) - 0.3)
            columns["noise"].InsertNextValue((read * 2654435761 % 1000) / 1000.0)
            read += 1
        read = 0
        while read < n:
            line = f.readline().split()
            if line:
                normals.InsertNextTuple3(*(float(v) for v in line))
                read += 1
        items = 0
        while items == 0:
            line = f.readline().split()
            items = int(line[0]) if line else 0
        f.readline()  # colour flag and colour
        ends = 0
        while ends < items:
            ends += len(f.readline().split())
        cells = vtkCellArray()
        made = 0
        while made < items:
            line = f.readline().split()
            if not line:
                continue
            cells.InsertNextCell(3)
            for v in line:
                cells.InsertCellPoint(int(v))
            made += 1
    data = vtkPolyData()
    data.SetPoints(points)
    data.SetPolys(cells)
    data.GetPointData().SetNormals(normals)
    for array in columns.values():
        data.GetPointData().AddArray(array)
    writer = vtkXMLPolyDataWriter()
    writer.SetFileName(vtp)
    writer.SetInputData(data)
    if not writer.Write():
        sys.exit(f"cannot write {vtp}")


def run(command, env_extra):
    """Runs one program; first swap (ms from start, CPU ms), peak RSS (MB), output."""
    log = "/tmp/gyrolux_vtk_swaps.%d" % os.getpid()
    if os.path.exists(log):
        os.remove(log)
    env = dict(os.environ, SWAP_LOG=log, LD_PRELOAD=os.path.join(WORK, "swap_logger.so"),
               QT_XCB_GL_INTEGRATION="xcb_glx", LIBGL_ALWAYS_SOFTWARE="1", **env_extra)
    load = os.getloadavg()[0]
    start = time.time_ns()
    child = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             text=True)
    out, err = child.communicate()
    if child.returncode != 0:
        sys.exit(f"{command[0]} failed ({child.returncode}):\n{err[-2000:]}")
    with open(log) as f:
        swaps = [line.split() for line in f if line.strip()]
    os.remove(log)
    # Peak resident memory as of the last swap, after turning, both alike.
    return {"first": (int(swaps[0][0]) - start) / 1e6, "first_cpu": float(swaps[0][1]),
            "peak": int(swaps[-1][2]) / 1024.0, "load": load, "text": out + err}


def main():
    global WORK
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--levels", default="7,8,9")
    parser.add_argument("--work", default="/tmp/gyrolux-vtk")
    parser.add_argument("--before", action="store_true")
    parser.add_argument("--baseline", metavar="BUILD_DIR",
                        help="also another build of gyrolux (an older commit), alternated with the rest")
    parser.add_argument("--vtk-child", nargs=2, metavar=("VTP", "COLOUR"), help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.vtk_child:
        vtk_child(args.vtk_child[0], args.vtk_child[1] == "1")
        return
    WORK = args.work
    os.makedirs(WORK, exist_ok=True)
    subprocess.run(["cc", "-O2", "-shared", "-fPIC", "-o", os.path.join(WORK, "swap_logger.so"),
                    os.path.join(HERE, "swap_logger.c"), "-ldl"], check=True)
    timing = os.path.join(os.path.abspath(args.build), "bench/app_timing")
    programs = (["gyrolux", "vtk"] + (["gyrolux-coin"] if args.before else []) +
                (["baseline"] if args.baseline else []))
    builds = {"gyrolux": timing, "gyrolux-coin": timing}
    if args.baseline:
        # Older trees built it among the tests.
        baseline = os.path.abspath(args.baseline)
        builds["baseline"] = next((p for p in (os.path.join(baseline, "bench/app_timing"),
                                               os.path.join(baseline, "tests/app/app_timing"))
                                   if os.path.exists(p)), os.path.join(baseline, "bench/app_timing"))
    print(f"# {os.cpu_count()} cores; load average (1 min) beside each median", flush=True)
    for level in (int(v) for v in args.levels.split(",")):
        triangles = 20 * 4 ** level
        obj = os.path.join(WORK, f"sphere{level}.obj")
        stats = os.path.join(WORK, f"sphere{level}.vertstats")
        vtp = os.path.join(WORK, f"sphere{level}.vtp")
        if not (os.path.exists(obj) and os.path.exists(stats)):
            subprocess.run([timing, "--surface", obj, "--statistics", stats, "--write-sphere",
                            str(level)], check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        if not os.path.exists(vtp):
            write_vtp(obj, vtp)
        results = {}
        for _ in range(args.runs):
            for colour in (False, True):
                for program in programs:
                    if program == "vtk":
                        command = [sys.executable, os.path.abspath(__file__), "--vtk-child", vtp,
                                   "1" if colour else "0"]
                    else:
                        command = [builds[program], "--surface", obj, "--view", str(VIEW[0]), str(VIEW[1]),
                                   "--quick"] + (["--statistics", stats] if colour else [])
                        if program == "gyrolux-coin":
                            command.append("--coin-drawing")
                    r = run(command, {})
                    if program == "vtk":
                        last = json.loads(r["text"].strip().splitlines()[-1])
                        r["frame"], r["frame_cpu"] = last["frame"], last["frame_cpu"]
                    else:
                        m = re.search(r"frame while turning: median ([\d.]+) ms \(CPU ([\d.]+) ms\)",
                                      r["text"])
                        r["frame"], r["frame_cpu"] = float(m.group(1)), float(m.group(2))
                    results.setdefault((program, colour), []).append(r)
        print(f"\n## {triangles:,} triangles ({args.runs} runs each)")
        print("| program | look | first frame ms (CPU) | turning frame ms (CPU) | peak RSS MB | load |")
        print("|---|---|---|---|---|---|")
        for (program, colour), rs in results.items():
            med = lambda key: statistics.median(r[key] for r in rs)
            print(f"| {program} | {'coloured' if colour else 'plain'} | {med('first'):.0f} "
                  f"({med('first_cpu'):.0f}) | {med('frame'):.1f} ({med('frame_cpu'):.1f}) | "
                  f"{med('peak'):.0f} | {med('load'):.2f} |", flush=True)


if __name__ == "__main__":
    main()
