// The module vornlut: read, write, detect and compare LUT files, the registry's lists, and
// the errors, over libvornlut. The LUT object and apply are in Arrays.cpp, convert in
// Batch.cpp.

#include <pybind11/stl.h>

#include <algorithm>
#include <limits>
#include <new>

#include "Binding.h"
#include "Text.h"

namespace vornlut {

namespace {

constexpr const char* kModuleDoc = R"(Read, write, convert and compare colour look-up tables (LUTs).

vornlut is the Python face of libvornlut, the library of Vorn LUT Converter: it reads
every LUT format that "vorn-lut formats" lists and writes every output profile that
"vorn-lut profiles" lists, with the same detection, the same values and the same
messages as the command line.

    read(path)                    load a LUT (format detected), like "vorn-lut info"
    write(lut, path, profile)     save a LUT through an output profile
    convert(paths, profile, dir)  convert files side by side, like "vorn-lut convert"
    apply(lut, array)             evaluate RGB values (..., 3) through a LUT
    compare(a, b)                 how far two LUTs are apart, like "vorn-lut compare"
    detect(path)                  the name of the format that claims a file, or None
    formats(), profiles()         the formats read and the output profiles written
    Lut(table=..., grid=...)      a LUT made from numpy arrays

Values are normalised reals: 0.0 is the lowest and 1.0 the highest code of any integer
coding. A grid is indexed [r][g][b] (red slowest, blue fastest) with R, G, B last.
Every failure raises vornlut.Error, whose str() is the line vorn-lut prints and whose
file and line say where it arose (None when unknown).

Example:
    import numpy, vornlut
    lut = vornlut.read("grade.cube")
    print(lut.kind, lut.size, lut.format)
    vornlut.write(lut, "grade.spi3d", "Imageworks spi3d")
    out = vornlut.apply(lut, numpy.random.rand(4, 4, 3))
)";

constexpr const char* kErrorDoc = R"(A failure of vornlut: a file that cannot be read or written,
a malformed LUT, a value or argument that is refused.

str(error) is the line the command line prints ("file:line: message"); message is the
message alone; file and line name where it arose, or are None when unknown.)";

// The Python class vornlut.Error, looked up where an error is raised.
py::object ErrorType() {
  return py::module_::import("vornlut").attr("Error");
}

void SetPythonError(const std::exception& error) {
  const vorn::TErrorReport report = vorn::FileErrorReport(error);
  const py::object type = ErrorType();
  const py::object value = type(Text(vorn::FileErrorLineText(report)));
  value.attr("message") = Text(report.Message);
  value.attr("file") = report.File.empty() ? py::object(py::none()) : py::object(Text(report.File));
  value.attr("line") = report.Line > 0 ? py::object(py::int_(report.Line)) : py::none();
  PyErr_SetObject(type.ptr(), value.ptr());
}

void TranslateErrors(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const vorn::Exception& e) {
    SetPythonError(e);
  } catch (const std::bad_alloc& e) {
    SetPythonError(e);
  }
}

void AddErrorClass(py::module_& module) {
  PyObject* type = PyErr_NewExceptionWithDoc("vornlut.Error", kErrorDoc, PyExc_Exception, nullptr);
  if (type == nullptr) throw py::error_already_set();
  const py::object errorType = py::reinterpret_steal<py::object>(type);
  errorType.attr("file") = py::none();
  errorType.attr("line") = py::none();
  errorType.attr("message") = py::str("");
  module.add_object("Error", errorType);
  py::register_exception_translator(&TranslateErrors);
}

int CheckedInputBits(const py::object& bits) {
  if (bits.is_none()) return -1;
  const int value = bits.cast<int>();
  if (std::ranges::find(vorn::kOfferedBitDepths, value) == vorn::kOfferedBitDepths.end()) {
    throw EArgumentError("input_bits must be " + vorn::OfferedBitDepthsText() + ", not " +
                         std::to_string(value));
  }
  return value;
}

vorn::TLutMemberChoice MemberChoice(const py::object& member) {
  if (member.is_none()) return {};
  if (py::isinstance<py::str>(member)) return {.Id = member.cast<std::string>()};
  const int index = member.cast<int>();
  if (index < 1) throw EArgumentError("member is counted from 1, not " + std::to_string(index));
  return {.Index = index};
}

// Each warning as vorn-lut prints it after "warning: ".
void WarnAboutLoad(const vorn::TLoadReport& report) {
  const py::object warn = py::module_::import("warnings").attr("warn");
  for (const vorn::TLoadWarning& warning : report.Warnings) {
    warn(Text(warning.File + ": " + warning.Message), py::arg("stacklevel") = 2);
  }
}

int FormatNamed(const py::object& format) {
  if (format.is_none()) return -1;
  const std::string name = format.cast<std::string>();
  const int index = vorn::IndexOfFormat(name);
  if (index < 0)
    throw EArgumentError("no format is named '" + name + "' (vornlut.formats() lists them)");
  return index;
}

std::unique_ptr<TPyLut> Read(const py::object& pathObject, const py::object& inputBits,
                             const py::object& member, const py::object& sampleSize,
                             const py::object& format) {
  const std::string path = PathArgument(pathObject);
  const int formatIndex = FormatNamed(format);
  const int bits = CheckedInputBits(inputBits);
  const vorn::TLutMemberChoice choice = MemberChoice(member);
  const int nodes = sampleSize.is_none() ? 0 : sampleSize.cast<int>();
  if (!sampleSize.is_none() && (nodes < 2 || nodes > vorn::kReadGridNodesLimit)) {
    throw EArgumentError("size must be 2 to " + std::to_string(vorn::kReadGridNodesLimit) +
                         ", not " + std::to_string(nodes));
  }
  auto lut = std::make_unique<TPyLut>();
  vorn::TLoadReport report;
  {
    py::gil_scoped_release release;
    report = vorn::LoadLut(path, lut->Lut, formatIndex, bits, choice, nodes);
    if (lut->Lut.FormatIndex < 0) throw vorn::ELUTError(vorn::NotALutMessage(path));
  }
  lut->Format = vorn::GetFormat(lut->Lut.FormatIndex)->Name;
  WarnAboutLoad(report);
  return lut;
}

int OwnSize(const vorn::TLUT& lut, bool is3D) {
  return is3D ? lut.Size3D : lut.Size1D;
}

int SizeToWrite(const vorn::TLUT& lut, const vorn::TLutOutputProfile& profile, bool is3D,
                const py::object& size) {
  const int cap = is3D ? vorn::kOutputGridNodesCap : vorn::kOutputTableEntriesCap;
  if (size.is_none()) {
    const bool ownKind =
        lut.Kind == (is3D ? vorn::lk3D : vorn::lk1D) || (is3D && lut.Kind == vorn::lk1DAnd3D);
    const int own = ownKind ? OwnSize(lut, is3D) : 0;
    if (profile.SizeSelectable && own >= 2) return std::min(own, cap);
    return profile.DefaultSize >= 2 ? profile.DefaultSize : std::min(std::max(own, 2), cap);
  }
  return CheckedSize(size.cast<int>(), profile, cap);
}

py::list Write(const TPyLut& lut, const py::object& pathObject, const py::object& profileObject,
               const py::object& sizeObject, const py::object& bitsObject, bool overwrite) {
  const std::string path = PathArgument(pathObject);
  const vorn::TLutOutputProfile& profile = FindProfile(profileObject);
  const int bits = CheckedBits(bitsObject, profile);
  const vorn::TLUTFormat& format = *vorn::GetFormat(profile.FormatIndex);
  const int size = SizeToWrite(lut.Lut, profile, format.Is3D, sizeObject);
  std::vector<std::string> written{path};
  {
    py::gil_scoped_release release;
    vorn::TLUT resampled;
    const vorn::TLUT* record = &lut.Lut;
    // The record written is the one vorn-lut convert would write.
    if (!vorn::WrittenAsItIs(lut.Lut, format, size)) {
      resampled.Kind = format.Is3D ? vorn::lk3D : vorn::lk1D;
      (format.Is3D ? resampled.Size3D : resampled.Size1D) = size;
      resampled.ResampleFrom(lut.Lut);
      resampled.Comments = lut.Lut.Comments;
      record = &resampled;
    }
    const auto mayReplace = [overwrite](const std::string&) { return overwrite; };
    vorn::SaveLut(path, *record, profile, bits, mayReplace,
                  overwrite ? vorn::TWriteMode::Replace : vorn::TWriteMode::CreateNew);
    for (std::string& companion : format.CompanionPaths(path)) written.push_back(companion);
  }
  py::list paths;
  for (const std::string& each : written) paths.append(Text(each));
  return paths;
}

py::object Detect(const py::object& pathObject) {
  const std::string path = PathArgument(pathObject);
  int index = -1;
  {
    py::gil_scoped_release release;
    index = vorn::DetectFormat(path);
  }
  if (index < 0) return py::none();
  return py::str(vorn::GetFormat(index)->Name);
}

bool WrittenBySomeProfile(int formatIndex) {
  return std::ranges::any_of(vorn::OutputProfiles(), [formatIndex](const auto& p) {
    return p->FormatIndex == formatIndex;
  });
}

py::list Formats() {
  py::list list;
  const auto& formats = vorn::LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const vorn::TLUTFormat& format = *formats[i];
    py::dict entry;
    entry["number"] = i;
    entry["name"] = format.Name;
    entry["type"] = format.Is3D ? "3D" : "1D";
    entry["reads"] = format.CanRead();
    entry["writes"] = WrittenBySomeProfile(static_cast<int>(i));
    list.append(entry);
  }
  return list;
}

py::list Profiles() {
  py::list list;
  const auto& profiles = vorn::OutputProfiles();
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const vorn::TLutOutputProfile& profile = *profiles[i];
    const vorn::TLUTFormat& format = *vorn::GetFormat(profile.FormatIndex);
    py::dict entry;
    entry["number"] = i;
    entry["name"] = profile.Name;
    entry["extension"] = profile.Extension;
    entry["format"] = format.Name;
    entry["format_number"] = profile.FormatIndex;
    entry["type"] = format.Is3D ? "3D" : "1D";
    entry["default_size"] = profile.DefaultSize;
    entry["default_bits"] = profile.DefaultBits;
    entry["size_selectable"] = profile.SizeSelectable;
    entry["bits_selectable"] = profile.BitsSelectable;
    entry["clamped_to"] =
        profile.ClampedTo
            ? py::object(py::make_tuple(profile.ClampedTo->Low, profile.ClampedTo->High))
            : py::object(py::none());
    list.append(entry);
  }
  return list;
}

py::dict StatsDict(const vorn::TDifferenceStats& stats) {
  py::dict dict;
  dict["max"] = stats.Max;
  dict["mean"] = stats.Mean;
  dict["p99"] = stats.P99;
  dict["max_at"] = py::make_tuple(stats.MaxAt.R, stats.MaxAt.G, stats.MaxAt.B);
  return dict;
}

py::dict Compare(const TPyLut& first, const TPyLut& second, const py::object& latticeSize) {
  vorn::TCompareOptions options;
  if (!latticeSize.is_none()) {
    options.LatticeSize = latticeSize.cast<int>();
    if (options.LatticeSize < vorn::kMinLatticeSize ||
        options.LatticeSize > vorn::kMaxLatticeSize) {
      throw EArgumentError("lattice_size must be " + std::to_string(vorn::kMinLatticeSize) +
                           " to " + std::to_string(vorn::kMaxLatticeSize) + ", not " +
                           std::to_string(options.LatticeSize));
    }
  }
  vorn::TLutComparison result;
  {
    py::gil_scoped_release release;
    result = vorn::CompareLuts(first.Lut, second.Lut, options);
  }
  py::dict report;
  report["samples"] = result.Samples;
  report["lattice_size"] = result.LatticeSize;
  report["channels"] = py::make_tuple(StatsDict(result.Channels[0]), StatsDict(result.Channels[1]),
                                      StatsDict(result.Channels[2]));
  report["overall"] = StatsDict(result.Overall);
  report["overall_max_channel"] = "RGB"[result.OverallMaxChannel];
  report["delta_e"] = StatsDict(result.DeltaE);
  return report;
}

}  // namespace

const vorn::TLutOutputProfile& FindProfile(const py::object& profile) {
  const auto& profiles = vorn::OutputProfiles();
  if (py::isinstance<py::str>(profile)) {
    const std::string name = profile.cast<std::string>();
    for (const auto& each : profiles) {
      if (each->Name == name) return *each;
    }
    throw EArgumentError("no output profile is named '" + name +
                         "' (vornlut.profiles() lists them)");
  }
  const long number = profile.cast<long>();
  if (number < 0 || number >= static_cast<long>(profiles.size())) {
    throw EArgumentError("no output profile has the number " + std::to_string(number) +
                         " (vornlut.profiles() lists them)");
  }
  return *profiles[static_cast<std::size_t>(number)];
}

int CheckedSize(int size, const vorn::TLutOutputProfile& profile, int most) {
  if (!profile.SizeSelectable && size != profile.DefaultSize) {
    throw EArgumentError("the output profile '" + profile.Name + "' has a fixed size of " +
                         std::to_string(profile.DefaultSize));
  }
  if (size < 2 || size > most) {
    throw EArgumentError(most == std::numeric_limits<int>::max()
                             ? "size must be at least 2, not " + std::to_string(size)
                             : "size must be 2 to " + std::to_string(most) + " for '" +
                                   profile.Name + "', not " + std::to_string(size));
  }
  return size;
}

int CheckedBits(const py::object& bits, const vorn::TLutOutputProfile& profile) {
  if (bits.is_none()) return -1;
  const int value = bits.cast<int>();
  if (!profile.BitsSelectable && value != profile.DefaultBits) {
    throw EArgumentError("the output profile '" + profile.Name + "' has a fixed bit depth of " +
                         std::to_string(profile.DefaultBits));
  }
  if (profile.BitsSelectable &&
      std::ranges::find(vorn::kOfferedBitDepths, value) == vorn::kOfferedBitDepths.end()) {
    throw EArgumentError("bits must be " + vorn::OfferedBitDepthsText() + ", not " +
                         std::to_string(value));
  }
  return value;
}

}  // namespace vornlut

PYBIND11_MODULE(vornlut, module) {
  using namespace vornlut;
  using py::arg;
  vorn::RegisterBuiltInFormats();
  module.doc() = kModuleDoc;
  module.attr("__version__") = vorn::LibraryVersion();
  AddErrorClass(module);
  AddLutClass(module);
  AddApply(module);
  AddConvert(module);

  module.def("read", &Read, arg("path"), arg("input_bits") = py::none(), arg("member") = py::none(),
             arg("size") = py::none(), arg("format") = py::none(),
             R"(Load a LUT file, its format detected, as "vorn-lut info" does.

path: str or os.PathLike.
input_bits: 8, 10, 12, 14 or 16: the depth of integer codes whose depth the file does not
    state (3DL files); None estimates it from the codes.
member: for a file of several ASC CDL corrections, the one to load: its id (str) or its
    number counted from 1 (int); None loads the first.
size: 2 to 100, the nodes per axis onto which a file evaluated as a whole (a .clf or .ctf
    process list that is not one table or grid) is sampled; None for 33.
format: the name of the format to read it with (vornlut.formats()); None detects it.
Returns a Lut. Lines inside the values that look like values but were skipped are
reported as a UserWarning. Raises vornlut.Error for a file that cannot be read, that no
format claims, or that is malformed (with its file and line).)");

  module.def("write", &Write, arg("lut"), arg("path"), arg("profile"), arg("size") = py::none(),
             arg("bits") = py::none(), arg("overwrite") = false,
             R"(Save a LUT through an output profile; returns the list of written paths.

profile: the profile's number or its exact name, as vornlut.profiles() lists them.
size: the grid's nodes per axis or the table's entries (2 to 99 or 99,999), only for a
    profile whose size is selectable; None keeps the LUT's own size when it is of the
    profile's type, else the profile's default. A LUT of another type or size is sampled
    onto the profile's as a conversion does.
bits: 8, 10, 12, 14 or 16 for a profile whose bit depth is selectable; None for its
    default.
overwrite: replace an existing file; without it an existing file is refused (and so is
    an existing companion file that a profile writes beside it: a Premiere look's cube).
The list holds path and any companion file written beside it.)");

  module.def("detect", &Detect, arg("path"),
             "The name of the first format that claims the file, or None.");
  module.def("formats", &Formats,
             R"(The formats read, in detection order, as "vorn-lut formats" lists them.

A list of dicts: number, name, type ("1D" or "3D"), reads, writes (some output profile
writes it).)");
  module.def("profiles", &Profiles, R"(The output profiles, as "vorn-lut profiles" lists them.

A list of dicts: number, name, extension (without the dot), format, format_number, type
("1D" or "3D"), default_size, default_bits, size_selectable, bits_selectable and
clamped_to ((low, high) of the values its integer codes hold, or None).)");
  module.def("compare", &Compare, arg("a"), arg("b"), arg("lattice_size") = py::none(),
             R"(How far two LUTs are apart, as "vorn-lut compare" reports it.

Both are evaluated at the nodes of both grids, the centres of the finer grid's cells and
the tables' grey axis; lattice_size (2 to 129) evaluates an n x n x n lattice instead.
Returns a dict: samples, lattice_size (0 without one), channels (R, G, B), overall,
overall_max_channel ("R", "G" or "B") and delta_e (CIEDE2000 of the outputs read as
sRGB); each of channels, overall and delta_e a dict of max, mean, p99 and max_at (the
input where max occurs). Raises vornlut.Error when the numbers cannot be finite.)");
}
