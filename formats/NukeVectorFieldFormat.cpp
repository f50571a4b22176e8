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

// The domain of a grid of n nodes per axis for the 16 numbers of global_transform, which
// Nuke writes divided by n: each channel's input times n and its diagonal entry is the
// grid's coordinate, so that the grid spans 0 to 1 / (n x entry). A matrix that mixes the
// channels or moves them is refused.
TLutDomain DomainOfTransform(const std::vector<double>& matrix, int n) {
  if (matrix.size() != 16) {
    throw ELUTError("The global_transform line needs the 16 numbers of a 4x4 matrix.");
  }
  double scale[3] = {};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const double entry = matrix[static_cast<std::size_t>(4 * row + column)];
      if (row < 3 && row == column) {
        scale[row] = entry * n;
      } else if (row < 3 || column < 3) {
        if (entry != 0.0) {
          throw ELUTError(
              "The global_transform mixes or moves the channels: only a matrix that scales "
              "each channel is read.");
        }
      }
    }
  }
  if (!(scale[0] > 0.0 && scale[1] > 0.0 && scale[2] > 0.0)) {
    throw ELUTError("The global_transform scales a channel by zero or less: it is not read.");
  }
  return {{0.0, 0.0, 0.0}, {1.0 / scale[0], 1.0 / scale[1], 1.0 / scale[2]}};
}

}  // namespace

struct TNukeVectorFieldFormat::TVfLoad : TLoadState {
  using TLoadState::TLoadState;
  bool InData = false;
  std::vector<double> Numbers;
  std::vector<double> Transform;
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
    ParseHeaderLine(load, trimmed, lut);
  }
}

void TNukeVectorFieldFormat::ParseHeaderLine(TVfLoad& load, std::string_view trimmed,
                                             TLUT& lut) const {
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
    if (!ParseRealList(rest, load.Transform, 16).empty()) {
      throw ELUTError("The global_transform line holds something that is not a number.");
    }
  } else if (trimmed == "data") {
    if (load.Size < 1) throw ELUTError("The data of the vector field begin before its grid_size.");
    // Without a global_transform the grid spans 0 to 1.
    if (!load.Transform.empty()) lut.GridDomain = DomainOfTransform(load.Transform, load.Size);
    load.InData = true;
  }
}

}  // namespace vorn
