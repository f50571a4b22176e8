"""No memory is kept: not by a Lut caught in a reference cycle, not by many reads. Python's
objects are counted by tracemalloc, the library's memory by the resident set size."""

import gc
import os
import tracemalloc
import weakref

import vornlut
from conftest import grade_grid

MIB = 1 << 20


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


class Holder:
    def __init__(self, lut):
        self.lut = lut
        self.me = self


def test_a_lut_in_a_reference_cycle_is_freed():
    grid = grade_grid(64)  # 6 MiB of values in each Lut
    gc.collect()
    before = resident_bytes()
    for _ in range(40):
        holder = Holder(vornlut.Lut(grid=grid))
        alive = weakref.ref(holder)
        del holder
        gc.collect()
        assert alive() is None
    # Forty kept Luts would hold 240 MiB.
    assert resident_bytes() - before < 60 * MIB


def test_ten_thousand_reads_keep_nothing(tmp_path):
    path = tmp_path / "small.cube"
    vornlut.write(vornlut.Lut(grid=grade_grid(9), comments=["a comment"]), path, "Cube 3D Davinci")
    for _ in range(200):  # warm-up: caches, interned strings, the allocator's pools
        vornlut.read(path).grid
    gc.collect()
    tracemalloc.start()
    python_before = tracemalloc.get_traced_memory()[0]
    resident_before = resident_bytes()
    for _ in range(10_000):
        lut = vornlut.read(path)
        assert "a comment" in lut.comments
    del lut
    gc.collect()
    python_growth = tracemalloc.get_traced_memory()[0] - python_before
    tracemalloc.stop()
    # A leak of one Python object per read would be over 100 KiB; a leak of the record's
    # grid (729 nodes, 17 KiB) over 160 MiB.
    assert python_growth < 100 * 1024
    assert resident_bytes() - resident_before < 16 * MIB
