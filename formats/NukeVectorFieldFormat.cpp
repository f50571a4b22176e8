#include "formats/NukeVectorFieldFormat.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

constexpr TValueLayout kVfValues{.Order = noBlueFastest};

// The text after keyword when trimmed begins with it and a blank; false otherwise.
bool AfterKeyword(std::string_view trimmed, std::string_view keyword, std::string_view& rest) {
  if (trimmed.size() <= keyword.size() || !trimmed.starts_with(keyword)) return false;
  const char next = trimmed[keyword.size()];
  if (next != ' ' && next != '\t') return false;
  rest = trimmed.substr(keyword.size());
  return true;
}

void CheckIdentity(const std::vector<double>& matrix) {
  if (matrix.size() != 16) {
    throw ELUTError("The global_transform line needs the 16 numbers of a 4x4 matrix.");
  }
  for (std::size_t i = 0; i < 16; ++i) {
    const double identity = i % 5 == 0 ? 1.0 : 0.0;
    if (matrix[i] != identity) {
      throw ELUTError(
          "The global_transform is not the identity matrix: a vector field whose inputs are "
          "transformed is not read.");
    }
  }
}

}  // namespace

struct TNukeVectorFieldFormat::TVfLoad : TLoadState {
  using TLoadState::TLoadState;
  bool InData = false;
  std::vector<double> Numbers;
};

bool TNukeVectorFieldFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(
      path,
      {{.Keyword = "#Inventor", .Place = TKeywordPlace::FirstLine, .Value = TKeywordValue::Word},
       {.Keyword = "grid_size"}});
}

std::unique_ptr<TLoadState> TNukeVectorFieldFormat::NewLoadState(const std::string&,
                                                                 std::int32_t inputBits) const {
  return std::make_unique<TVfLoad>(inputBits);
}

void TNukeVectorFieldFormat::ParseLine(TLoadState& state, std::string_view line, TLUT& lut) const {
  auto& load = static_cast<TVfLoad&>(state);
  const std::string_view trimmed = Trim(line);
  if (load.InData) {
    load.ReadGridLine(trimmed, lut, kVfValues);
  } else if (!IsCommentLine(trimmed)) {
    ParseHeaderLine(load, trimmed);
  }
}

void TNukeVectorFieldFormat::ParseHeaderLine(TVfLoad& load, std::string_view trimmed) const {
  std::string_view rest;
  if (AfterKeyword(trimmed, "grid_size", rest)) {
    const bool integers =
        ParseRealList(rest, load.Numbers, 3).empty() && load.Numbers.size() == 3 &&
        std::all_of(load.Numbers.begin(), load.Numbers.end(),
                    [](double n) { return n == std::floor(n) && std::fabs(n) < 1e9; });
    if (!integers) throw ELUTError("The grid_size line needs three whole numbers.");
    if (load.Numbers[1] != load.Numbers[0] || load.Numbers[2] != load.Numbers[0]) {
      throw ELUTError("The grid_size " + std::string(Trim(rest)) +
                      " is not read: every axis must have as many nodes.");
    }
    load.SetGridSize(static_cast<std::int64_t>(load.Numbers[0]), 2);
  } else if (AfterKeyword(trimmed, "global_transform", rest)) {
    if (!ParseRealList(rest, load.Numbers, 16).empty()) {
      throw ELUTError("The global_transform line holds something that is not a number.");
    }
    CheckIdentity(load.Numbers);
  } else if (trimmed == "data") {
    if (load.Size < 1) throw ELUTError("The data of the vector field begin before its grid_size.");
    load.InData = true;
  }
}

}  // namespace vorn
