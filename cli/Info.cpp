// "info": the detected format, the lines the preview pane lists and, on request, every
// value of the LUT; as text or as one JSON document. Folders stand for the LUT files in
// them. In the text listing a file that fails is reported in its place and the others are
// shown all the same (--fail-fast: the first one ends the command).

#include <memory>
#include <optional>
#include <vector>

#include "cli/Commands.h"
#include "cli/LutJson.h"
#include "cli/Messages.h"
#include "core/VornLut.h"

namespace vorn::cli {

namespace {

// Type, dimension and comments, as the preview pane lists them.
void AppendDescription(const TLUT& lut, TOutputBuffer& out) {
  for (const std::string& line : LutInformationLines(lut)) out << EscapeField(line) << '\n';
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
  if (lut.HasTable()) AppendTable(lut, out);
  if (lut.HasGrid()) AppendGrid(lut, out);
}

// The LUTs of a file that holds several (ASC CDL lists and collections); empty otherwise.
std::vector<TLutMember> LoadFile(const std::string& path, const TInfoOptions& options, TLUT& lut,
                                 std::FILE* warnings) {
  try {
    const TLoadReport report = LoadLut(path, lut, -1, options.InputBits, {}, options.SampleSize);
    if (lut.FormatIndex >= 0) CheckLutSizes(lut);
    std::vector<TLutMember> members =
        lut.FormatIndex >= 0 ? ListLutMembers(path) : std::vector<TLutMember>();
    for (const TLoadWarning& warning : report.Warnings) {
      if (options.Strict) RaiseWarning(warning);
      if (!options.Quiet) PrintWarning(warnings, warning.File, warning.Message);
    }
    if (members.size() < 2) members.clear();
    return members;
  } catch (const std::exception& error) {
    throw ECommandError(FileErrorLine(error, path));
  }
}

// "Corrections: N", then "  index<TAB>id" per correction ("(no id)" without one).
void AppendMembers(const std::vector<TLutMember>& members, TOutputBuffer& out) {
  if (members.empty()) return;
  out << "Corrections: " << static_cast<int>(members.size()) << '\n';
  for (const TLutMember& member : members) {
    out << "  " << member.Index << '\t' << (member.Id.empty() ? "(no id)" : EscapeField(member.Id))
        << '\n';
  }
}

void DescribeFile(const std::string& path, bool withValues, const TLUT& lut,
                  const std::vector<TLutMember>& members, TOutputBuffer& out) {
  out << "File: " << EscapeField(path) << '\n';
  const TLUTFormat* format = GetFormat(lut.FormatIndex);
  out << "Format: " << (format ? std::string_view(format->Name) : "unknown") << '\n';
  if (format) {
    AppendDescription(lut, out);
    AppendMembers(members, out);
    if (withValues) AppendValues(lut, out);
  }
  out << '\n';
}

void AppendUnclaimed(const std::vector<std::string>& unclaimed, TOutputBuffer& out) {
  if (unclaimed.empty()) return;
  out << "Skipped " << static_cast<int>(unclaimed.size())
      << (unclaimed.size() == 1 ? " file" : " files") << " in the folders that no format claims:\n";
  for (const std::string& path : unclaimed) out << "  " << EscapeField(path) << '\n';
}

TJson TableTriples(const TLUT& lut) {
  TJson triples = TJson::array();
  for (int i = 0; i < lut.Size1D; ++i) {
    const double* entry = lut.Entry(i);
    triples.push_back({entry[0], entry[1], entry[2]});
  }
  return triples;
}

// The grid's nodes in the order of the text listing: red slowest, blue fastest.
TJson GridTriples(const TLUT& lut) {
  TJson triples = TJson::array();
  const int n = lut.Size3D;
  for (int r = 0; r < n; ++r) {
    for (int g = 0; g < n; ++g) {
      for (int b = 0; b < n; ++b) {
        const double* node = lut.Node(r, g, b);
        triples.push_back({node[0], node[1], node[2]});
      }
    }
  }
  return triples;
}

TJson FileJson(const std::string& path, bool withValues, const TLUT& lut,
               const std::vector<TLutMember>& members) {
  TJson description = LutDescription(path, lut);
  if (!members.empty()) {
    TJson list = TJson::array();
    for (const TLutMember& member : members) {
      list.push_back({{"index", member.Index}, {"id", member.Id}});
    }
    description["corrections"] = std::move(list);
  }
  if (!withValues || lut.FormatIndex < 0) return description;
  const bool table = lut.HasTable();
  const bool grid = lut.HasGrid();
  description["table"] = table ? TableTriples(lut) : TJson::array();
  description["grid"] = grid ? GridTriples(lut) : TJson::array();
  return description;
}

// The files up to the first that cannot be read, which is listed with its "error" (the
// message the text mode prints); the document is printed either way, and that error then
// ends the command.
void ShowInfoJson(const TInfoOptions& options, const TLutPaths& paths, TLUT& lut,
                  TOutputBuffer& out, std::FILE* warnings) {
  TJson files = TJson::array();
  std::optional<ECommandError> failure;
  for (const std::string& path : paths.Files) {
    std::vector<TLutMember> members;
    try {
      members = LoadFile(path, options, lut, warnings);
    } catch (const ECommandError& error) {
      files.push_back({{"path", path}, {"error", error.what()}});
      failure = error;
      break;
    }
    files.push_back(FileJson(path, options.Values, lut, members));
  }
  TJson document;
  document["files"] = std::move(files);
  document["unclaimed"] = paths.Unclaimed;
  AppendJson(document, out);
  if (failure) throw *failure;
}

}  // namespace

void ShowInfo(const TInfoOptions& options, TOutputBuffer& out, std::FILE* warnings) {
  const TLutPaths paths = ExpandLutPaths(options.Files);
  // One record serves every file, like the preview pane's.
  auto lut = std::make_unique<TLUT>();
  if (options.Json) {
    ShowInfoJson(options, paths, *lut, out, warnings);
    return;
  }
  bool anyFailed = false;
  for (const std::string& path : paths.Files) {
    std::vector<TLutMember> members;
    try {
      members = LoadFile(path, options, *lut, warnings);
    } catch (const ECommandError& error) {
      if (options.FailFast) throw;
      // In the file's place among the others: what was printed before it is out first.
      out.Flush();
      const std::string line = "vorn-lut: " + EscapeMessage(error.what()) + "\n";
      std::fwrite(line.data(), 1, line.size(), warnings);
      std::fflush(warnings);
      anyFailed = true;
      continue;
    }
    DescribeFile(path, options.Values, *lut, members, out);
    out.Flush();
  }
  AppendUnclaimed(paths.Unclaimed, out);
  if (anyFailed) throw EFailuresReported();
}

}  // namespace vorn::cli
