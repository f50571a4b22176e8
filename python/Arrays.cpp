// The LUT object between numpy arrays and the record: a Lut made from arrays (checked for
// shape, size and finite values), its values as arrays, and apply.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <sstream>
#include <vector>

#include "Binding.h"
#include "Text.h"

namespace vornlut {

namespace {

using TReals = py::array_t<double, py::array::c_style | py::array::forcecast>;

constexpr const char* kLutDoc = R"(A LUT: a 1D table, a 3D grid, or a 1D shaper before a grid.

Lut(table=None, grid=None, comments=(), table_domain=None, grid_domain=None)

table: array-like of N x 3 reals (2 to 100,001 entries), R G B per entry.
grid: array-like of N x N x N x 3 reals (2 to 101 nodes per axis), indexed [r][g][b].
Both: the table is the shaper before the grid. Any real dtype, any memory layout.
comments: the comment lines a writer puts in the file.
table_domain, grid_domain: the inputs a stage is spread over, ((min R, min G, min B),
    (max R, max G, max B)) or (min, max) for every channel; None for 0 to 1.
Wrong shapes, sizes out of range and values that are NaN or infinite raise vornlut.Error.
The arrays are copied: a Lut never changes after it is made.)";

std::string ShapeText(const py::array& array) {
  std::ostringstream text;
  text << '(';
  for (py::ssize_t i = 0; i < array.ndim(); ++i) text << (i ? ", " : "") << array.shape(i);
  text << (array.ndim() == 1 ? ",)" : ")");
  return text.str();
}

TReals RealArray(const py::object& values, const std::string& what) {
  const py::array array = py::array::ensure(values);
  if (!array) throw EArgumentError(what + " is not an array of numbers");
  const char kind = array.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw EArgumentError(what + " must hold real numbers, not " +
                         py::str(array.dtype()).cast<std::string>());
  }
  return TReals::ensure(array);
}

void CheckCount(const std::string& what, const char* unit, py::ssize_t count, int largest) {
  if (count < 2 || count > largest) {
    throw EArgumentError(what + " has " + std::to_string(count) + " " + unit +
                         "; it may have 2 to " + std::to_string(largest));
  }
}

// The first value that is NaN or infinite, named by its place.
void CheckFinite(const TReals& values, const std::string& what) {
  const double* data = values.data();
  const auto count = static_cast<std::size_t>(values.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (std::isfinite(data[i])) continue;
    std::vector<std::size_t> indices(static_cast<std::size_t>(values.ndim() - 1));
    std::size_t rest = i / 3;
    for (std::size_t axis = indices.size(); axis-- > 0;) {
      const auto extent = static_cast<std::size_t>(values.shape(static_cast<py::ssize_t>(axis)));
      indices[axis] = rest % extent;
      rest /= extent;
    }
    std::string place;
    for (const std::size_t index : indices)
      place.append("[").append(std::to_string(index)).append("]");
    throw EArgumentError(what + place + " channel " + "RGB"[i % 3] + " is " +
                         py::repr(py::float_(data[i])).cast<std::string>() +
                         "; every value must be a finite number");
  }
}

TReals TableArray(const py::object& table) {
  TReals values = RealArray(table, "table");
  if (values.ndim() != 2 || values.shape(1) != 3) {
    throw EArgumentError("table has shape " + ShapeText(values) +
                         "; a table is N x 3 (R G B per entry)");
  }
  CheckCount("table", "entries", values.shape(0), vorn::kModelTableEntries);
  CheckFinite(values, "table");
  return values;
}

TReals GridArray(const py::object& grid) {
  TReals values = RealArray(grid, "grid");
  if (values.ndim() != 4 || values.shape(3) != 3 || values.shape(1) != values.shape(0) ||
      values.shape(2) != values.shape(0)) {
    throw EArgumentError("grid has shape " + ShapeText(values) +
                         "; a grid is N x N x N x 3 (indexed [r][g][b], R G B last)");
  }
  CheckCount("grid", "nodes per axis", values.shape(0), vorn::kModelGridNodes);
  CheckFinite(values, "grid");
  return values;
}

vorn::TLutDomain DomainOf(const py::object& domain, const std::string& what) {
  if (domain.is_none()) return {};
  const TReals bounds = RealArray(domain, what);
  const bool pair = bounds.ndim() == 1 && bounds.shape(0) == 2;
  if (!pair && !(bounds.ndim() == 2 && bounds.shape(0) == 2 && bounds.shape(1) == 3)) {
    throw EArgumentError(
        what + " has shape " + ShapeText(bounds) +
        "; a domain is (min, max) or ((min R, min G, min B), (max R, max G, max B))");
  }
  const double* v = bounds.data();
  for (py::ssize_t i = 0; i < bounds.size(); ++i) {
    if (!std::isfinite(v[i])) {
      throw EArgumentError(what + " holds " + py::repr(py::float_(v[i])).cast<std::string>() +
                           "; every value must be a finite number");
    }
  }
  const auto channel = [&](int side, int c) { return pair ? v[side] : v[side * 3 + c]; };
  vorn::TLutDomain result{{channel(0, 0), channel(0, 1), channel(0, 2)},
                          {channel(1, 0), channel(1, 1), channel(1, 2)}};
  if (!(result.Max.R > result.Min.R && result.Max.G > result.Min.G &&
        result.Max.B > result.Min.B)) {
    throw EArgumentError(what + ": every channel's max must lie above its min");
  }
  return result;
}

std::unique_ptr<TPyLut> MakeLut(const py::object& table, const py::object& grid,
                                const std::vector<std::string>& comments,
                                const py::object& tableDomain, const py::object& gridDomain) {
  if (table.is_none() && grid.is_none()) {
    throw EArgumentError("a Lut needs a table, a grid or both");
  }
  auto made = std::make_unique<TPyLut>();
  vorn::TLUT& lut = made->Lut;
  lut.Kind = table.is_none() ? vorn::lk3D : grid.is_none() ? vorn::lk1D : vorn::lk1DAnd3D;
  lut.Comments = comments;
  if (!table.is_none()) {
    const TReals values = TableArray(table);
    lut.Size1D = static_cast<int>(values.shape(0));
    lut.TableDomain = DomainOf(tableDomain, "table_domain");
    lut.ReserveTable(lut.Size1D);
    for (int i = 0; i < lut.Size1D; ++i) std::copy_n(values.data(i, 0), 3, lut.Entry(i));
  } else if (!tableDomain.is_none()) {
    throw EArgumentError("table_domain is given without a table");
  }
  if (!grid.is_none()) {
    const TReals values = GridArray(grid);
    const int n = lut.Size3D = static_cast<int>(values.shape(0));
    lut.GridDomain = DomainOf(gridDomain, "grid_domain");
    lut.ReserveGrid(n);
    for (int r = 0; r < n; ++r) {
      for (int g = 0; g < n; ++g) {
        for (int b = 0; b < n; ++b) std::copy_n(values.data(r, g, b, 0), 3, lut.Node(r, g, b));
      }
    }
  } else if (!gridDomain.is_none()) {
    throw EArgumentError("grid_domain is given without a grid");
  }
  return made;
}

py::object TableOf(const TPyLut& lut) {
  if (!lut.Lut.HasTable()) return py::none();
  const int n = lut.Lut.Size1D;
  py::array_t<double> table({n, 3});
  auto out = table.mutable_unchecked<2>();
  for (int i = 0; i < n; ++i) {
    const double* entry = lut.Lut.Entry(i);
    for (int c = 0; c < 3; ++c) out(i, c) = entry[c];
  }
  return table;
}

py::object GridOf(const TPyLut& lut) {
  if (!lut.Lut.HasGrid()) return py::none();
  const int n = lut.Lut.Size3D;
  py::array_t<double> grid({n, n, n, 3});
  double* out = grid.mutable_data();
  for (int r = 0; r < n; ++r) {
    for (int g = 0; g < n; ++g) {
      for (int b = 0; b < n; ++b, out += 3) std::copy_n(lut.Lut.Node(r, g, b), 3, out);
    }
  }
  return grid;
}

py::object SizeOf(const TPyLut& lut) {
  switch (lut.Lut.Kind) {
    case vorn::lk1D:
      return py::int_(lut.Lut.Size1D);
    case vorn::lk3D:
      return py::int_(lut.Lut.Size3D);
    case vorn::lk1DAnd3D:
      return py::make_tuple(lut.Lut.Size1D, lut.Lut.Size3D);
    case vorn::lkNone:
      break;
  }
  return py::none();
}

py::object DomainTuple(bool held, const vorn::TLutDomain& domain) {
  if (!held) return py::none();
  return py::make_tuple(py::make_tuple(domain.Min.R, domain.Min.G, domain.Min.B),
                        py::make_tuple(domain.Max.R, domain.Max.G, domain.Max.B));
}

std::string Repr(const TPyLut& lut) {
  return "<vornlut.Lut " + std::string(vorn::LutKindName(lut.Lut.Kind)) + " size " +
         py::repr(SizeOf(lut)).cast<std::string>() +
         (lut.Format.empty() ? std::string() : " from '" + lut.Format + "'") + ">";
}

template <class TReal>
py::array ApplyTo(const vorn::TLUT& lut, const py::array& input) {
  using TInput = py::array_t<TReal, py::array::c_style | py::array::forcecast>;
  const TInput pixels = TInput::ensure(input);
  std::vector<py::ssize_t> shape(pixels.shape(), pixels.shape() + pixels.ndim());
  TInput result(shape);
  const TReal* in = pixels.data();
  TReal* out = result.mutable_data();
  const auto count = static_cast<std::size_t>(pixels.size() / 3);
  {
    py::gil_scoped_release release;
    for (std::size_t i = 0; i < count; ++i, in += 3, out += 3) {
      const vorn::TRGB value = lut.Evaluate({in[0], in[1], in[2]});
      out[0] = static_cast<TReal>(value.R);
      out[1] = static_cast<TReal>(value.G);
      out[2] = static_cast<TReal>(value.B);
    }
  }
  return result;
}

py::array Apply(const TPyLut& lut, const py::object& values) {
  const py::array array = py::array::ensure(values);
  if (!array) throw EArgumentError("array is not an array of numbers");
  if (array.ndim() < 1 || array.shape(array.ndim() - 1) != 3) {
    throw EArgumentError("array has shape " + ShapeText(array) +
                         "; apply takes R G B in the last axis (..., 3)");
  }
  const char kind = array.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw EArgumentError("array must hold real numbers, not " +
                         py::str(array.dtype()).cast<std::string>());
  }
  if (kind == 'f' && array.itemsize() == 4) return ApplyTo<float>(lut.Lut, array);
  return ApplyTo<double>(lut.Lut, array);
}

}  // namespace

void AddLutClass(py::module_& module) {
  using py::arg;
  py::class_<TPyLut>(module, "Lut", kLutDoc)
      .def(py::init(&MakeLut), arg("table") = py::none(), arg("grid") = py::none(),
           arg("comments") = std::vector<std::string>(), arg("table_domain") = py::none(),
           arg("grid_domain") = py::none(),
           "A Lut made from numpy arrays; the class's help says what each argument takes.")
      .def_property_readonly(
          "kind", [](const TPyLut& lut) { return vorn::LutKindName(lut.Lut.Kind); },
          R"("1D" (a table), "3D" (a grid), "1D & 3D" (a shaper table before a grid) or "none"
(a file that holds no values, such as a look that only names its LUT), as "vorn-lut
info" prints the type.)")
      .def_property_readonly(
          "size", &SizeOf,
          "The table's entries (1D) or the grid's nodes per axis (3D); (entries, nodes) for "
          "1D & 3D; None for none.")
      .def_property_readonly("table", &TableOf,
                             "The table (or shaper) as a new float64 array of N x 3, or None.")
      .def_property_readonly(
          "grid", &GridOf,
          "The grid as a new float64 array of N x N x N x 3 indexed [r][g][b], or None.")
      .def_property_readonly(
          "comments",
          [](const TPyLut& lut) {
            py::list lines;
            for (const std::string& line : lut.Lut.Comments) lines.append(Text(line));
            return lines;
          },
          "The comment lines, as a list of str.")
      .def_property_readonly(
          "format",
          [](const TPyLut& lut) {
            return lut.Format.empty() ? py::object(py::none()) : py::object(py::str(lut.Format));
          },
          "The name of the format the LUT was read from; None for a Lut made from arrays.")
      .def_property_readonly(
          "table_domain",
          [](const TPyLut& lut) { return DomainTuple(lut.Lut.HasTable(), lut.Lut.TableDomain); },
          "The inputs the table is spread over, ((min R, min G, min B), (max R, max G, max "
          "B)); None without a table.")
      .def_property_readonly(
          "grid_domain",
          [](const TPyLut& lut) { return DomainTuple(lut.Lut.HasGrid(), lut.Lut.GridDomain); },
          "The inputs the grid is spread over (the shaper's outputs when both are held), as "
          "table_domain; None without a grid.")
      .def("__repr__", &Repr, "The kind, the size and the format the Lut was read from.");
}

void AddApply(py::module_& module) {
  module.def("apply", &Apply, py::arg("lut"), py::arg("array"),
             R"(Evaluate RGB values through the LUT, as the preview and "vorn-lut apply" do.

array: reals of shape (..., 3), R G B in the last axis, normalised (0 to 1 is the
picture's range; inputs beyond the LUT's domain read its ends). Returns a new array of
the same shape: float32 for float32 input, float64 otherwise. Trilinear interpolation
in the grid, linear in the table, without rounding to any bit depth.)");
}

}  // namespace vornlut
