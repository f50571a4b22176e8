#pragma once
// Text between the library's bytes and Python's str: paths as os.fsencode makes them, and
// names, comments and messages as UTF-8 with a byte that is not UTF-8 kept as a lone
// surrogate (surrogateescape), as "vorn-lut info --json" writes them.

#include <pybind11/pybind11.h>

#include <string>

namespace vornlut {

inline pybind11::str Text(const std::string& bytes) {
  PyObject* text =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (text == nullptr) throw pybind11::error_already_set();
  return pybind11::reinterpret_steal<pybind11::str>(text);
}

// A str, bytes or os.PathLike as the bytes the file system takes.
inline std::string PathArgument(const pybind11::object& path) {
  const pybind11::object encoded = pybind11::module_::import("os").attr("fsencode")(path);
  return encoded.cast<std::string>();
}

}  // namespace vornlut
