// "info": the detected format, the lines the preview pane lists and, on request, every
// value of the LUT.

#include <memory>

#include "cli/Commands.h"
#include "core/ErrorReport.h"
#include "core/LUTFormat.h"

namespace vorn::cli {

namespace {

// Type, dimension and comments, as the preview pane lists them.
void AppendDescription(const TLUT& lut, TOutputBuffer& out) {
  for (const std::string& line : LutInformationLines(lut)) out << line << '\n';
}

void AppendTriple(const double* values, TOutputBuffer& out) {
  out.AppendReal(values[0]);
  out << ' ';
  out.AppendReal(values[1]);
  out << ' ';
  out.AppendReal(values[2]);
  out << '\n';
}

// "i R G B" per entry.
void AppendTable(const TLUT& lut, TOutputBuffer& out) {
  for (int i = 0; i < lut.Size1D; ++i) {
    out << i << ' ';
    AppendTriple(lut.Entry(i), out);
  }
}

// "r g b R G B" per node, red slowest and blue fastest.
void AppendGrid(const TLUT& lut, TOutputBuffer& out) {
  const int n = lut.Size3D;
  for (int r = 0; r < n; ++r) {
    for (int g = 0; g < n; ++g) {
      for (int b = 0; b < n; ++b) {
        out << r << ' ' << g << ' ' << b << ' ';
        AppendTriple(lut.Node(r, g, b), out);
      }
    }
  }
}

void AppendValues(const TLUT& lut, TOutputBuffer& out) {
  if (lut.Kind == lk1D || lut.Kind == lk1DAnd3D) AppendTable(lut, out);
  if (lut.Kind == lk3D || lut.Kind == lk1DAnd3D) AppendGrid(lut, out);
}

// A reader that reports sizes beyond the capacities would make the value loops leave
// the arrays; such a record is refused instead of printed.
void CheckSizes(const TLUT& lut) {
  const bool has1D = lut.Kind == lk1D || lut.Kind == lk1DAnd3D;
  const bool has3D = lut.Kind == lk3D || lut.Kind == lk1DAnd3D;
  if ((has1D && (lut.Size1D < 0 || lut.Size1D > TLUT::MaxTableEntries)) ||
      (has3D && (lut.Size3D < 0 || lut.Size3D > TLUT::MaxGridNodes))) {
    throw ECommandError("the reader reported a size beyond the capacity of a LUT");
  }
}

void DescribeFile(const std::string& path, const TInfoOptions& options, TLUT& lut,
                  TOutputBuffer& out, std::FILE* warnings) {
  try {
    const TLoadReport report = LoadLut(path, lut, -1);
    if (lut.FormatIndex >= 0) CheckSizes(lut);
    for (const TLoadWarning& warning : report.Warnings) {
      if (options.Strict) RaiseWarning(warning);
      PrintWarning(warnings, warning.File, warning.Message);
    }
  } catch (const std::exception& error) {
    throw ECommandError(LineText(ReportError(error, path)));
  }
  out << "File: " << path << '\n';
  const TLUTFormat* format = GetFormat(lut.FormatIndex);
  out << "Format: " << (format ? std::string_view(format->Name) : "unknown") << '\n';
  if (format) {
    AppendDescription(lut, out);
    if (options.Values) AppendValues(lut, out);
  }
  out << '\n';
}

}  // namespace

void ShowInfo(const TInfoOptions& options, TOutputBuffer& out, std::FILE* warnings) {
  // One record serves every file, like the preview pane's.
  auto lut = std::make_unique<TLUT>();
  for (const std::string& path : options.Files) {
    DescribeFile(path, options, *lut, out, warnings);
    out.Flush();
  }
}

}  // namespace vorn::cli
