#!/usr/bin/python3
"""vornlut.read of a 64-node cube beside the same load in C++ and beside "vorn-lut info".

The cube is the graded grid of the C++ load benchmarks (bench/CoreBench.cpp), written
through the same profile, so that BM_LoadCube64IntoNewRecord (LoadLut into a new record,
as vornlut.read does) loads the same bytes. Prints the median of each:
  - vornlut.read(path) inside Python (the binding: arguments, releasing the GIL, the Lut
    object), and with .grid (the values copied into a numpy array);
  - BM_LoadCube64IntoNewRecord of build/bench/vorn_bench, the load alone in C++;
  - "vorn-lut info" of the file, a whole process;
and the binding's share: vornlut.read over the C++ load, minus one.
Usage: bench/python-read.py BUILD_DIR [RUNS]
"""

import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

build = pathlib.Path(sys.argv[1]).resolve()
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
sys.path.insert(0, str(build / "python"))
import numpy  # noqa: E402
import vornlut  # noqa: E402


def graded_grid(n):
    """Grade() of bench/CoreBench.cpp on an n-node lattice."""
    axis = numpy.linspace(0.0, 1.0, n)
    r, g, b = numpy.meshgrid(axis, axis, axis, indexing="ij")
    luma = 0.2126 * r + 0.7152 * g + 0.0722 * b

    def channel(c, gamma, lift):
        return lift + (1.0 - lift) * numpy.abs(luma + 1.3 * (c - luma)) ** gamma

    return numpy.stack([channel(r, 0.85, 0.012), channel(g, 0.95, 0.004), channel(b, 1.1, 0.021)], -1)


def median_seconds(action, count):
    times = []
    for _ in range(count):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def cpp_load_seconds():
    program = build / "bench" / "vorn_bench"
    if not program.exists():
        return None
    done = subprocess.run([str(program), "--benchmark_filter=^BM_LoadCube64IntoNewRecord$",
                           "--benchmark_repetitions=5", "--benchmark_format=json"],
                          capture_output=True, text=True, check=True)
    results = json.loads(done.stdout)["benchmarks"]
    median = next(r for r in results if r.get("aggregate_name") == "median")
    return median["real_time"] / 1000.0  # reported in milliseconds


with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "graded64.cube")
    lut = vornlut.Lut(grid=graded_grid(64), comments=["graded test grid"])
    vornlut.write(lut, path, "Cube 3D Davinci")
    vornlut.read(path)  # the file in the page cache
    read = median_seconds(lambda: vornlut.read(path), runs)
    read_grid = median_seconds(lambda: vornlut.read(path).grid, runs)
    info = median_seconds(lambda: subprocess.run([str(build / "cli" / "vorn-lut"), "info", path],
                                                 stdout=subprocess.DEVNULL, check=True), runs)
    cpp = cpp_load_seconds()

print(f"vornlut.read, 64-node cube:         {read * 1000:8.2f} ms (median of {runs})")
print(f"vornlut.read(...).grid:             {read_grid * 1000:8.2f} ms")
print(f"vorn-lut info, whole process:       {info * 1000:8.2f} ms")
if cpp is None:
    print("LoadLut in C++: build/bench/vorn_bench is not built (VORN_BUILD_BENCH)")
else:
    print(f"LoadLut in C++, into a new record:  {cpp * 1000:8.2f} ms (BM_LoadCube64IntoNewRecord)")
    print(f"the binding adds:                   {(read / cpp - 1) * 100:8.1f} % to the load")
