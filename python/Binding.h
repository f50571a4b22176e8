#pragma once
// What the parts of the Python module share: the LUT object handed to Python, the error
// raised to it, and the registration of each part's functions.

#include <pybind11/pybind11.h>
#include <vornlut/VornLut.h>

#include <exception>
#include <string>

namespace vornlut {

namespace py = pybind11;

// A LUT as Python sees it: the record and the name of the format that loaded it.
struct TPyLut {
  vorn::TLUT Lut;
  std::string Format;
};

// A value the module refuses before the library sees it (a wrong shape, NaN, an unknown
// profile): raised to Python as vornlut.Error without a file or line.
class EArgumentError : public vorn::Exception {
 public:
  using vorn::Exception::Exception;
};

// The output profile by its number or its exact name.
const vorn::TLutOutputProfile& FindProfile(const py::object& profile);
// The bit depth to write: -1 for the profile's default; a depth the profile offers otherwise.
int CheckedBits(const py::object& bits, const vorn::TLutOutputProfile& profile);
// A size given for the profile: refused when the profile's size is fixed and it differs,
// or when it is below 2 or above most.
int CheckedSize(int size, const vorn::TLutOutputProfile& profile, int most);

void AddLutClass(py::module_& module);
void AddApply(py::module_& module);
void AddConvert(py::module_& module);

}  // namespace vornlut
