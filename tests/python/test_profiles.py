"""Every output profile: a LUT made from numpy arrays, written, read back within the
profile's coding; and the registry's lists."""

import json
import os

import numpy
import pytest

import vornlut
from conftest import grade_grid, grade_table

# Profiles whose files detection does not recognise: they are read back with their
# format named.
NAMED_ON_READ = {"Dolby DD3"}
# Profiles of integer codes whose depth the profile does not give: their top code.
TOP_CODES = {"Panasonic 3D vlt, Varicam": 4095}


def tolerance(profile):
    """Half a code of the profile's integer coding, or the six decimals of a text format
    (five for one that writes thousandths with two decimals)."""
    top = TOP_CODES.get(profile["name"])
    if profile["default_bits"] > 0:
        high = profile["clamped_to"][1] if profile["clamped_to"] else 1.0
        return 0.5 * high / (2 ** profile["default_bits"] - 1) + 1e-12
    if top:
        return 0.5 / top + 1e-12
    if profile["name"] == "Blackmagic HDLink 1D":
        return 5e-6 + 1e-12
    return 5e-7 + 1e-12


def known_lut(profile):
    if profile["type"] == "3D":
        # 9 nodes: a Hald CLUT's level 3 (its sizes are squares).
        size = profile["default_size"] if not profile["size_selectable"] else 9
        return vornlut.Lut(grid=grade_grid(size), comments=["round trip"])
    size = profile["default_size"] if not profile["size_selectable"] else 17
    return vornlut.Lut(table=grade_table(size), comments=["round trip"])


def readable_formats():
    return {f["name"] for f in vornlut.formats() if f["reads"]}


@pytest.mark.parametrize("profile", vornlut.profiles(), ids=lambda p: p["name"])
def test_profile_round_trip(profile, tmp_path):
    lut = known_lut(profile)
    path = tmp_path / ("out." + profile["extension"])
    written = vornlut.write(lut, path, profile["name"])
    assert written[0] == str(path)
    assert all(os.path.getsize(each) > 0 for each in written)
    if profile["format"] not in readable_formats():
        return
    named = profile["format"] if profile["name"] in NAMED_ON_READ else None
    back = vornlut.read(path, format=named)
    if profile["type"] == "3D":
        assert back.grid is not None and back.grid.shape == lut.grid.shape
        difference = numpy.abs(back.grid - lut.grid).max()
    else:
        assert back.kind == "1D" and back.table.shape == lut.table.shape
        difference = numpy.abs(back.table - lut.table).max()
    assert difference <= tolerance(profile), (profile["name"], difference)


def test_profile_by_number_writes_the_same_file(tmp_path):
    lut = vornlut.Lut(grid=grade_grid(5))
    number = next(p["number"] for p in vornlut.profiles() if p["name"] == "Cube 3D Davinci")
    by_name, by_number = tmp_path / "a.cube", tmp_path / "b.cube"
    vornlut.write(lut, by_name, "Cube 3D Davinci")
    vornlut.write(lut, by_number, number)
    assert by_name.read_bytes() == by_number.read_bytes()


def test_write_refuses_an_existing_file_unless_told(tmp_path):
    path = tmp_path / "a.cube"
    path.write_text("keep me")
    lut = vornlut.Lut(grid=grade_grid(3))
    with pytest.raises(vornlut.Error, match="already exists"):
        vornlut.write(lut, path, "Cube 3D Davinci")
    assert path.read_text() == "keep me"
    vornlut.write(lut, path, "Cube 3D Davinci", overwrite=True)
    assert vornlut.read(path).size == 3


def test_write_samples_onto_the_profile_type_and_size(tmp_path):
    grid = grade_grid(9)
    written = vornlut.write(vornlut.Lut(grid=grid), tmp_path / "a.cube", "Cube 3D Davinci", size=5)
    back = vornlut.read(written[0])
    # Every fifth node of nine is a node of the finer grid: sampling keeps it.
    assert back.size == 5 and numpy.abs(back.grid - grid[::2, ::2, ::2]).max() < 1e-6
    table = vornlut.read(vornlut.write(vornlut.Lut(grid=grid), tmp_path / "a.cube1d", "Cube 1D")[0])
    assert table.kind == "1D"


@pytest.mark.parametrize("arguments, message", [
    (dict(profile="No such profile"), "no output profile is named 'No such profile'"),
    (dict(profile=10_000), "no output profile has the number 10000"),
    (dict(profile="Cube 3D Davinci", size=1), "size must be 2 to 99"),
    (dict(profile="Cube 3D Davinci", size=100), "size must be 2 to 99"),
    (dict(profile="Cube 3D Davinci", bits=9), "fixed bit depth"),
])
def test_write_refuses_wrong_arguments(arguments, message, tmp_path):
    with pytest.raises(vornlut.Error, match=message):
        vornlut.write(vornlut.Lut(grid=grade_grid(3)), tmp_path / "x", **arguments)
    assert not (tmp_path / "x").exists()


def test_lists_match_the_command_line(cli):
    assert json.loads(cli("formats", "--json").stdout)["formats"] == [
        {k: f[k] for k in ("number", "name", "type", "reads", "writes")} for f in vornlut.formats()]
    listed = json.loads(cli("profiles", "--json").stdout)["profiles"]
    assert listed == [{k: p[k] for k in listed[0]} for p in vornlut.profiles()]


def test_detect_names_the_format_or_none(tmp_path):
    vornlut.write(vornlut.Lut(grid=grade_grid(3)), tmp_path / "a.3dl", "3DL Scratch, Autodesk, Blackmagic, Cine-tal")
    (tmp_path / "b.txt").write_text("not a LUT\n")
    assert vornlut.detect(tmp_path / "a.3dl") == "3DL"
    assert vornlut.detect(tmp_path / "b.txt") is None
