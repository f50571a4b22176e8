"""Errors reach Python as vornlut.Error with the file, the line and the command line's
words."""

import pytest

import vornlut


@pytest.mark.parametrize("text, line, message", [
    ("TITLE \"t\"\nLUT_3D_SIZE abc\n", 2, "'abc' is not a valid integer value"),
    ("TITLE \"t\"\nLUT_3D_SIZE 200\n", 2, "more than 100x100x100"),
    ("LUT_1D_SIZE 3\n0 0 0\n1 1 1\n", None, "Incomplete file."),
])
def test_a_bad_cube_names_its_file_and_line(tmp_path, cli, text, line, message):
    path = tmp_path / "bad.cube"
    path.write_text(text)
    with pytest.raises(vornlut.Error) as raised:
        vornlut.read(path)
    error = raised.value
    assert isinstance(error, Exception)
    assert (error.file, error.line) == (str(path), line)
    assert message in error.message
    # The command line prints the same line (with a carriage return escaped).
    printed = cli("info", path, check=False).stderr.strip()
    assert printed == "vorn-lut: " + str(error).replace("\r", "\\x0d")


def test_skipped_value_lines_are_a_warning(tmp_path, cli):
    path = tmp_path / "skips.cube"
    values = ["0 0 0", "1 0 0", "0 1 0", "1 x 0", "0 0 1", "1 0 1", "0 1 1", "1 1 1", "1 1 1"]
    path.write_text("LUT_3D_SIZE 2\n" + "\n".join(values) + "\n")
    with pytest.warns(UserWarning) as heard:
        lut = vornlut.read(path)
    assert lut.size == 2 and len(heard) == 1
    assert cli("info", path).stderr.strip() == "vorn-lut: warning: " + str(heard[0].message)


def test_missing_file_and_unknown_format(tmp_path):
    with pytest.raises(vornlut.Error, match="No such file or directory") as raised:
        vornlut.read(tmp_path / "missing.cube")
    assert raised.value.file == str(tmp_path / "missing.cube")
    (tmp_path / "notes.txt").write_text("hello\n")
    with pytest.raises(vornlut.Error, match="is not a LUT file of any known format"):
        vornlut.read(tmp_path / "notes.txt")


def test_refused_arguments(tmp_path):
    for call, message in [(lambda: vornlut.read(tmp_path / "x", input_bits=9), "input_bits must be 8, 10"),
                          (lambda: vornlut.read(tmp_path / "x", format="Nope"), "no format is named 'Nope'"),
                          (lambda: vornlut.convert([], "Cube 3D Davinci", tmp_path, jobs=0), "jobs must be at least 1")]:
        with pytest.raises(vornlut.Error, match=message):
            call()


def test_compare_reports_the_difference(tmp_path):
    import numpy
    from conftest import grade_grid
    a = vornlut.Lut(grid=grade_grid(5))
    shifted = vornlut.Lut(grid=grade_grid(5) + [0.0, 0.01, 0.0])
    same = vornlut.compare(a, a)
    report = vornlut.compare(a, shifted)
    assert same["overall"]["max"] == 0.0 and same["delta_e"]["max"] == 0.0
    assert report["channels"][1]["max"] == pytest.approx(0.01) and report["channels"][0]["max"] == 0.0
    assert report["overall_max_channel"] == "G" and report["samples"] > 125
    assert vornlut.compare(a, shifted, lattice_size=3)["samples"] == 27
    with pytest.raises(vornlut.Error, match="lattice_size must be 2 to 129"):
        vornlut.compare(a, a, lattice_size=1)
    assert numpy.isfinite(report["delta_e"]["mean"])
