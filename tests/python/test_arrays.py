"""Lut made from numpy arrays: what is refused and why, what is kept; apply against
"vorn-lut apply" on a picture."""

import struct

import numpy
import pytest

import vornlut
from conftest import grade_grid, grade_table


def with_value(array, index, value):
    array = array.copy()
    array[index] = value
    return array


@pytest.mark.parametrize("arguments, message", [
    (dict(), "a Lut needs a table, a grid or both"),
    (dict(table=numpy.zeros((5, 4))), r"table has shape \(5, 4\); a table is N x 3"),
    (dict(table=numpy.zeros(15)), r"table has shape \(15,\)"),
    (dict(grid=numpy.zeros((3, 3, 4, 3))), r"grid has shape \(3, 3, 4, 3\); a grid is N x N x N x 3"),
    (dict(grid=numpy.zeros((9, 3))), r"grid has shape \(9, 3\)"),
    (dict(table=numpy.zeros((1, 3))), "table has 1 entries; it may have 2 to 100001"),
    (dict(table=numpy.zeros((100_002, 3))), "table has 100002 entries; it may have 2 to 100001"),
    (dict(grid=numpy.zeros((1, 1, 1, 3))), "grid has 1 nodes per axis; it may have 2 to 101"),
    (dict(grid=numpy.zeros((102, 102, 102, 3), numpy.float32)), "grid has 102 nodes per axis"),
    (dict(table=with_value(grade_table(4), (2, 1), numpy.nan)), r"table\[2\] channel G is nan"),
    (dict(grid=with_value(grade_grid(3), (1, 2, 0, 2), -numpy.inf)), r"grid\[1\]\[2\]\[0\] channel B is -inf"),
    (dict(table=numpy.array([["a", "b", "c"]] * 3)), "table must hold real numbers, not <U1"),
    (dict(grid=grade_grid(3), grid_domain=(1.0, 0.0)), "every channel's max must lie above its min"),
    (dict(grid=grade_grid(3), grid_domain=(0.0, numpy.nan)), "grid_domain holds nan; every value must be a finite number"),
    (dict(grid=grade_grid(3), table_domain=(0.0, 2.0)), "table_domain is given without a table"),
])
def test_refused_arrays_name_what_is_wrong(arguments, message):
    with pytest.raises(vornlut.Error, match=message) as raised:
        vornlut.Lut(**arguments)
    assert raised.value.file is None and raised.value.line is None


@pytest.mark.parametrize("dtype", [numpy.float16, numpy.float32, numpy.float64, numpy.longdouble])
def test_any_float_dtype_and_layout_keeps_the_values(dtype):
    grid = grade_grid(4)
    # A Fortran-ordered array and a strided view: neither is C-contiguous.
    lut = vornlut.Lut(grid=numpy.asfortranarray(grid.astype(dtype)),
                      table=grade_table(16).astype(dtype)[::2], comments=["a", "b"])
    assert (lut.kind, lut.size, lut.comments, lut.format) == ("1D & 3D", (8, 4), ["a", "b"], None)
    numpy.testing.assert_array_equal(lut.grid, grid.astype(dtype).astype(numpy.float64))
    numpy.testing.assert_array_equal(lut.table, grade_table(16).astype(dtype)[::2])
    assert lut.grid.dtype == numpy.float64 and lut.grid.flags.c_contiguous


def test_domains_are_kept_and_used():
    lut = vornlut.Lut(table=numpy.linspace(0, 1, 11)[:, None].repeat(3, 1),
                      table_domain=((0.0, 0.0, 0.0), (2.0, 4.0, 8.0)))
    assert lut.table_domain == ((0.0, 0.0, 0.0), (2.0, 4.0, 8.0)) and lut.grid_domain is None
    numpy.testing.assert_allclose(vornlut.apply(lut, [[1.0, 1.0, 1.0]]), [[0.5, 0.25, 0.125]])


def test_apply_keeps_shape_and_float_type():
    lut = vornlut.Lut(grid=grade_grid(5))
    pixels = numpy.random.default_rng(1).random((4, 6, 3))
    for dtype in (numpy.float32, numpy.float64):
        out = vornlut.apply(lut, pixels.astype(dtype).transpose(1, 0, 2))
        assert out.shape == (6, 4, 3) and out.dtype == dtype
    # At the grid's nodes the evaluation gives the nodes.
    nodes = numpy.array([[0.0, 0.25, 1.0], [0.5, 0.75, 0.0]])
    numpy.testing.assert_allclose(vornlut.apply(lut, nodes), grade_grid(5)[[0, 2], [1, 3], [4, 0]], atol=1e-12)
    with pytest.raises(vornlut.Error, match=r"array has shape \(4, 2\); apply takes R G B"):
        vornlut.apply(lut, numpy.zeros((4, 2)))


def write_bmp(path, pixels):
    """An uncompressed 24-bit BMP, rows bottom-up, blue green red."""
    height, width, _ = pixels.shape
    stride = (width * 3 + 3) & ~3
    rows = b"".join(pixels[y, :, ::-1].astype(numpy.uint8).tobytes().ljust(stride, b"\0")
                    for y in reversed(range(height)))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    path.write_bytes(header + info + rows)


def read_bmp(path):
    data = path.read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24
    stride = (width * 3 + 3) & ~3
    rows = [numpy.frombuffer(data, numpy.uint8, width * 3, offset + y * stride).reshape(width, 3)[:, ::-1]
            for y in range(abs(height))]
    return numpy.array(rows[::-1] if height > 0 else rows)


def test_apply_agrees_with_the_command_line_on_a_picture(tmp_path, cli):
    lut_path = tmp_path / "grade.cube"
    vornlut.write(vornlut.Lut(grid=grade_grid(9)), lut_path, "Cube 3D Davinci")
    pixels = numpy.random.default_rng(7).integers(0, 256, (13, 17, 3))
    write_bmp(tmp_path / "in.bmp", pixels)
    cli("apply", lut_path, tmp_path / "in.bmp", tmp_path / "out.bmp")
    mapped = read_bmp(tmp_path / "out.bmp").astype(numpy.float64)
    ours = vornlut.apply(vornlut.read(lut_path), pixels / 255.0) * 255.0
    assert mapped.shape == ours.shape
    assert numpy.abs(mapped - ours).max() <= 1.0


def test_threads_read_and_apply_side_by_side(tmp_path):
    from concurrent.futures import ThreadPoolExecutor
    path = tmp_path / "grade.cube"
    vornlut.write(vornlut.Lut(grid=grade_grid(17)), path, "Cube 3D Davinci")
    pixels = numpy.random.default_rng(3).random((64, 64, 3))
    expected = vornlut.apply(vornlut.read(path), pixels)

    def work(_):
        return vornlut.apply(vornlut.read(path), pixels)

    with ThreadPoolExecutor(4) as pool:
        for result in pool.map(work, range(16)):
            numpy.testing.assert_array_equal(result, expected)
