"""Shared fixtures of the vornlut tests: the module (the tests skip when it is not built),
the vorn-lut program built beside it and the shared corpus of real LUT files."""

import os
import pathlib
import subprocess

import pytest

vornlut = pytest.importorskip("vornlut")

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]


def corpus_dir():
    """The shared corpus: VORN_CORPUS, else shared/corpus beside the source tree; None when
    it is not there."""
    folder = pathlib.Path(os.environ.get("VORN_CORPUS", SOURCE_DIR.parent / "shared" / "corpus"))
    return folder if folder.is_dir() else None


@pytest.fixture(scope="session")
def corpus():
    folder = corpus_dir()
    if folder is None:
        pytest.skip("the shared corpus is not there")
    return folder


@pytest.fixture(scope="session")
def cli():
    """Runs the built vorn-lut (VORN_CLI): run(*args, check=True) gives the finished process,
    which must have succeeded when check is set."""
    program = os.environ.get("VORN_CLI")
    if not program or not os.access(program, os.X_OK):
        pytest.skip("VORN_CLI does not name the built vorn-lut")

    def run(*args, check=True):
        done = subprocess.run([program, *map(str, args)], capture_output=True, text=True,
                              errors="surrogateescape", check=False)
        assert done.returncode == 0 or not check, done.stderr
        return done

    return run


def grade(r, g, b):
    """A smooth grade inside [0, 1] whose nodes all differ."""
    import numpy
    return numpy.stack([0.02 + 0.9 * r ** 0.8, 0.5 * g + 0.3 * b * b + 0.1 * r,
                        numpy.sqrt(0.6 * b + 0.3 * g + 0.1 * r * r)], axis=-1)


def grade_grid(n):
    import numpy
    axis = numpy.linspace(0.0, 1.0, n)
    r, g, b = numpy.meshgrid(axis, axis, axis, indexing="ij")
    return grade(r, g, b)


def grade_table(n):
    import numpy
    axis = numpy.linspace(0.0, 1.0, n)
    return grade(axis, axis, axis)
