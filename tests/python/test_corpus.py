"""Real files of the shared corpus: vornlut reads what "vorn-lut info --values" reads, and
colour-science's cubes hold the numbers their text holds."""

import json
import re
import warnings

import numpy
import pytest

import vornlut
from conftest import corpus_dir

def corpus_files(*folders):
    root = corpus_dir()
    if root is None:
        return []
    return sorted(p for folder in folders for p in (root / folder).rglob("*")
                  if p.is_file() and p.name != "LICENSE")


def cli_info(cli_run, path):
    """vorn-lut info --json --values of one file: its entry, or the error line it prints."""
    done = cli_run("info", "--json", "--values", path, check=False)
    return json.loads(done.stdout)["files"][0], done.stderr.strip()


@pytest.mark.parametrize("path", corpus_files("ocio", "colour-science"), ids=lambda p: p.name)
def test_reads_what_the_command_line_reads(path, cli):
    entry, stderr = cli_info(cli, path)
    if "error" in entry or entry["format"] is None:
        with pytest.raises(vornlut.Error) as raised:
            vornlut.read(path)
        if "error" in entry:
            assert "vorn-lut: " + str(raised.value) == stderr
        return
    with warnings.catch_warnings(record=True) as heard:
        warnings.simplefilter("always")
        lut = vornlut.read(path)
    assert [str(w.message) for w in heard] == ([stderr.removeprefix("vorn-lut: warning: ")] if stderr else [])
    assert (lut.format, lut.kind, lut.comments) == (entry["format"], entry["type"], entry["comments"])
    if entry["size_1d"] is not None:
        numpy.testing.assert_array_equal(lut.table, numpy.array(entry["table"]))
    if entry["size_3d"] is not None:
        n = entry["size_3d"]
        numpy.testing.assert_array_equal(lut.grid, numpy.array(entry["grid"]).reshape(n, n, n, 3))


def parse_cube(text):
    """The numbers of a cube file, read here on their own: sizes, domains, comments, the
    table and the grid (file order: red fastest)."""
    sizes, domain, comments, rows = {}, {}, [], []
    for line in text.splitlines():
        words = line.split()
        if not words:
            continue
        if words[0].startswith("#"):
            comments.append(line.strip().lstrip("#").strip())
        elif words[0] in ("LUT_1D_SIZE", "LUT_3D_SIZE"):
            sizes[words[0]] = int(words[1])
        elif words[0] in ("DOMAIN_MIN", "DOMAIN_MAX", "LUT_1D_INPUT_RANGE", "LUT_3D_INPUT_RANGE"):
            domain[words[0]] = [float(w) for w in words[1:]]
        elif re.fullmatch(r"[-+0-9.eE]+", words[0]):
            rows.append([float(w) for w in words[:3]])
    rows = numpy.array(rows)
    table = grid = None
    entries = sizes.get("LUT_1D_SIZE", 0)
    if entries:
        table = rows[:entries]
    if "LUT_3D_SIZE" in sizes:
        n = sizes["LUT_3D_SIZE"]
        grid = rows[entries:entries + n ** 3].reshape(n, n, n, 3).transpose(2, 1, 0, 3)
    return table, grid, domain


@pytest.mark.parametrize("path", corpus_files("colour-science"), ids=lambda p: p.parent.name + "/" + p.name)
def test_colour_science_cube_holds_its_numbers(path):
    if path.suffix != ".cube":
        pytest.skip("not a cube")
    table, grid, domain = parse_cube(path.read_text())
    lut = vornlut.read(path)
    assert lut.kind == {(True, False): "1D", (False, True): "3D", (True, True): "1D & 3D"}[
        (table is not None, grid is not None)]
    for held, expected in ((lut.table, table), (lut.grid, grid)):
        if expected is not None:
            numpy.testing.assert_allclose(held, expected, rtol=1e-15, atol=1e-15)
    stage = lut.table_domain if table is not None else lut.grid_domain
    if "DOMAIN_MIN" in domain:
        assert stage == (tuple(domain["DOMAIN_MIN"]), tuple(domain["DOMAIN_MAX"]))
    if "LUT_1D_INPUT_RANGE" in domain and table is not None:
        low, high = domain["LUT_1D_INPUT_RANGE"]
        assert lut.table_domain == ((low,) * 3, (high,) * 3)
