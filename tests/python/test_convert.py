"""convert: ConvertBatch over several files with a progress callback, results per file,
and a callback that raises."""

import threading

import pytest

import vornlut
from conftest import grade_grid


def make_sources(folder, count, broken=()):
    folder.mkdir()
    paths = []
    for i in range(count):
        path = folder / f"lut{i:02d}.cube"
        if i in broken:
            path.write_text("LUT_3D_SIZE abc\n")
        else:
            vornlut.write(vornlut.Lut(grid=grade_grid(3 + i % 3)), path, "Cube 3D Davinci")
        paths.append(path)
    return paths


def test_batch_reports_every_file_in_order(tmp_path):
    sources = make_sources(tmp_path / "in", 7, broken={3})
    out = tmp_path / "out"
    out.mkdir()
    (out / "lut05.3dl").write_text("already here")
    heard = []

    def progress(done, total):
        heard.append((done, total, threading.get_ident()))

    results = vornlut.convert(sources, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", out, jobs=2,
                              progress=progress)
    assert heard == [(i, 7, threading.get_ident()) for i in range(1, 8)]
    assert [r["source"] for r in results] == [str(p) for p in sources]
    assert [r["status"] for r in results] == ["converted"] * 3 + ["failed", "converted", "skipped", "converted"]
    assert results[3]["message"].startswith(f"{sources[3]}:1: ") and results[3]["destination"] is None
    assert (out / "lut05.3dl").read_text() == "already here"
    for result in results[:3]:
        assert result["message"] is None and vornlut.read(result["destination"]).size == 17
    assert sorted(p.name for p in out.iterdir()) == sorted(
        f"lut{i:02d}.3dl" for i in (0, 1, 2, 4, 5, 6))


def test_folders_and_overwrite(tmp_path):
    sources = make_sources(tmp_path / "in", 2)
    (tmp_path / "in" / "notes.txt").write_text("no LUT\n")
    (tmp_path / "lut00.cube").write_text("old")
    results = vornlut.convert(tmp_path / "in", "Cube 1D", tmp_path, overwrite=True)
    assert [(r["source"], r["status"]) for r in results] == [
        (str(sources[0]), "converted"), (str(sources[1]), "converted"),
        (str(tmp_path / "in" / "notes.txt"), "unclaimed")]
    assert vornlut.read(tmp_path / "lut00.cube").size == 4096


def test_a_raising_callback_cancels_the_batch_and_is_raised(tmp_path):
    sources = make_sources(tmp_path / "in", 40)
    out = tmp_path / "out"
    out.mkdir()
    calls = []

    def progress(done, total):
        calls.append(done)
        if done == 2:
            raise KeyError("stop here")

    with pytest.raises(KeyError, match="stop here"):
        vornlut.convert(sources, "Cube 3D Davinci", out, jobs=2, progress=progress)
    assert calls == [1, 2]
    written = sorted(out.iterdir())
    # Files already handed to the workers are finished; no later one is started, and
    # nothing is left half written.
    assert 2 <= len(written) < len(sources)
    assert [p.name for p in written] == [f"lut{i:02d}.cube" for i in range(len(written))]
    for path in written:
        assert vornlut.read(path).kind == "3D"


def test_colliding_outputs_are_refused_before_anything_is_written(tmp_path):
    first = make_sources(tmp_path / "a", 1)
    second = make_sources(tmp_path / "b", 1)
    out = tmp_path / "out"
    out.mkdir()
    with pytest.raises(vornlut.Error):
        vornlut.convert(first + second, "Cube 3D Davinci", out)
    assert list(out.iterdir()) == []
