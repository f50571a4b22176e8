// convert: ConvertBatch with the GIL released, the Python progress callback called with it
// held on the calling thread, and one result per file.

#include <pybind11/stl.h>

#include <limits>
#include <optional>

#include "Binding.h"
#include "Text.h"

namespace vornlut {

namespace {

struct TFileResult {
  std::string Status = "cancelled";  // until the batch reports the file
  std::string Destination;
  std::string Message;
};

// The Python callback: called with the GIL taken for the call alone. The first exception
// it raises is kept, and every later question of the batch answers "cancel".
class TProgressRelay {
 public:
  TProgressRelay(py::object callback, std::size_t total)
      : Callback_(std::move(callback)), Total_(total) {}

  void FileDone() {
    ++Done_;
    if (Callback_.is_none() || Error_) return;
    py::gil_scoped_acquire acquire;
    try {
      Callback_(Done_, Total_);
    } catch (py::error_already_set& error) {
      Error_.emplace(std::move(error));
    }
  }
  bool GoOn() const { return !Error_; }
  // Raises the callback's exception, if it raised one; the GIL must be held.
  void RaiseKeptError() {
    if (Error_) throw std::move(*Error_);
  }

 private:
  py::object Callback_;
  std::size_t Total_;
  std::size_t Done_ = 0;
  std::optional<py::error_already_set> Error_;
};

std::vector<std::string> PathList(const py::object& paths) {
  std::vector<std::string> list;
  if (py::isinstance<py::str>(paths) || py::isinstance<py::bytes>(paths) ||
      py::hasattr(paths, "__fspath__")) {
    list.push_back(PathArgument(paths));
    return list;
  }
  for (const py::handle path : paths)
    list.push_back(PathArgument(py::reinterpret_borrow<py::object>(path)));
  return list;
}

int JobsOf(const py::object& jobs) {
  if (jobs.is_none()) return 0;
  const int value = jobs.cast<int>();
  if (value < 1) throw EArgumentError("jobs must be at least 1, not " + std::to_string(value));
  return value;
}

int SizeOf(const py::object& size, const vorn::TLutOutputProfile& profile) {
  if (size.is_none()) return profile.DefaultSize;
  // Above the caps the batch writes the largest size, as vorn-lut convert does.
  return CheckedSize(size.cast<int>(), profile, std::numeric_limits<int>::max());
}

vorn::TBatchCallbacks CallbacksFor(std::vector<TFileResult>& results, TProgressRelay& relay,
                                   const std::vector<vorn::TBatchFile>& files, bool overwrite) {
  vorn::TBatchCallbacks callbacks;
  callbacks.AskOverwrite = [overwrite](const std::string&) {
    return overwrite ? vorn::TOverwriteAnswer::Yes : vorn::TOverwriteAnswer::No;
  };
  callbacks.AskOverwriteEarly = true;
  callbacks.Progress = [&relay](std::size_t, double) { return relay.GoOn(); };
  callbacks.Waiting = [&relay] { return relay.GoOn(); };
  callbacks.Finished = [&](std::size_t position, const std::string& destination, bool converted) {
    results[position] = {converted ? "converted" : "skipped", destination, {}};
    relay.FileDone();
  };
  callbacks.Failed = [&](std::size_t position, const std::exception_ptr& error) {
    std::string message;
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      message = vorn::FileErrorLineText(vorn::FileErrorReport(e, files[position].Path));
    } catch (...) {
      message = vorn::LineText(vorn::ReportUnknownError(files[position].Path));
    }
    results[position] = {"failed", {}, message};
    relay.FileDone();
  };
  return callbacks;
}

py::dict ResultDict(const std::string& source, const TFileResult& result) {
  py::dict entry;
  entry["source"] = Text(source);
  entry["status"] = result.Status;
  entry["destination"] =
      result.Destination.empty() ? py::object(py::none()) : py::object(Text(result.Destination));
  entry["message"] =
      result.Message.empty() ? py::object(py::none()) : py::object(Text(result.Message));
  return entry;
}

py::list Convert(const py::object& paths, const py::object& profileObject,
                 const py::object& outputDir, const py::object& jobs, const py::object& size,
                 const py::object& bits, bool overwrite, const py::object& progress) {
  const vorn::TLutOutputProfile& profile = FindProfile(profileObject);
  vorn::TBatchSettings settings{.Profile = &profile,
                                .Size = SizeOf(size, profile),
                                .Bits = CheckedBits(bits, profile),
                                .OutputFolder = PathArgument(outputDir),
                                .RefuseCollisions = true,
                                .Jobs = JobsOf(jobs),
                                .FailFast = false};
  const std::vector<std::string> given = PathList(paths);
  std::vector<vorn::TBatchFile> files;
  std::vector<TFileResult> results;
  std::optional<TProgressRelay> relay;
  vorn::TLutPaths expanded;
  {
    py::gil_scoped_release release;
    expanded = vorn::ExpandLutPaths(given, settings.Jobs);
    for (std::size_t i = 0; i < expanded.Files.size(); ++i) {
      files.push_back({.Path = std::move(expanded.Files[i]), .FormatIndex = expanded.Formats[i]});
    }
    results.resize(files.size());
    {
      py::gil_scoped_acquire acquire;
      relay.emplace(progress, files.size());
    }
    vorn::ConvertBatch(files, settings, CallbacksFor(results, *relay, files, overwrite));
  }
  relay->RaiseKeptError();
  py::list list;
  for (std::size_t i = 0; i < files.size(); ++i) list.append(ResultDict(files[i].Path, results[i]));
  for (const std::string& path : expanded.Unclaimed) list.append(ResultDict(path, {"unclaimed"}));
  return list;
}

}  // namespace

void AddConvert(py::module_& module) {
  using py::arg;
  module.def("convert", &Convert, arg("paths"), arg("profile"), arg("output_dir"),
             arg("jobs") = py::none(), arg("size") = py::none(), arg("bits") = py::none(),
             arg("overwrite") = false, arg("progress") = py::none(),
             R"(Convert LUT files into output_dir, as "vorn-lut convert" does, side by side.

paths: a path or a list of them; a folder stands for the LUT files in its tree.
profile: the output profile's number or exact name (vornlut.profiles()).
jobs: files converted at once; None for one per core.
size, bits: as for write(); None for the profile's defaults.
overwrite: replace existing outputs; without it a file whose output exists is skipped.
progress: called as progress(done, total) after each file, in list order, on the
    calling thread. An exception it raises cancels the batch (the files already started
    are finished) and is raised again from convert.
Returns one dict per file, in order: source, status ("converted", "skipped", "failed",
or "cancelled" for a file the batch did not reach), destination (None unless written or
skipped) and message (the error line vorn-lut prints, for a failed file); then one for
each file of the folders that no format claims, with the status "unclaimed". Files that
would write the same output raise vornlut.Error before anything is written.)");
}

}  // namespace vornlut
