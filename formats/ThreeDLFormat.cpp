#include "formats/ThreeDLFormat.h"

#include <charconv>
#include <cmath>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

// The depth the estimate starts from: files of 10-bit codes or less read as 10-bit.
constexpr int kEstimateStartBits = 10;
// Breakpoints are written over 0..1023 whatever the depth of the codes.
constexpr double kBreakpointTop = 1023.0;
constexpr TValueLayout k3dlValues{.Order = noBlueFastest, .IntegerCodes = true};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Ceil(i x 1023 / (n - 1)) for every node. A single node has no spacing to divide by: its
// one breakpoint is 0, which reads back as a 1-node grid.
std::string BreakpointLine(int n) {
  std::string line;
  char number[16];
  for (int i = 0; i < n; ++i) {
    const double breakpoint = n == 1 ? 0.0 : std::ceil(i * kBreakpointTop / (n - 1));
    const char* end =
        std::to_chars(number, number + sizeof number, static_cast<int>(breakpoint)).ptr;
    if (i > 0) line += ' ';
    line.append(number, static_cast<std::size_t>(end - number));
  }
  return line;
}

}  // namespace

bool T3dlLutFormat::IsFormat(const std::string& path) const {
  return HasExtension(path, ".3dl");
}

void T3dlLutFormat::PrepareText(TLoadState& load, const TTextFile& textFile) const {
  if (load.InputBits == -1) {
    load.Scale = EstimateCodeBits(textFile, kEstimateStartBits);
    return;
  }
  if (load.InputBits < 1 || load.InputBits > kMaxCodeBits) {
    throw ELUTError("The bits per color " + std::to_string(load.InputBits) +
                    " cannot be used: 3DL codes are read with 1 to 31 bits.");
  }
  load.Scale = load.InputBits;
}

void T3dlLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  if (KeepCommentLine(trimmed, lut)) return;
  if (load.Size == -1) {
    // The first line of integers only is the breakpoint line; its count is the size.
    if (IsDigit(trimmed[0])) {
      const int pieces = IntegerPieceCount(trimmed);
      if (pieces > 0) load.SetGridSize(pieces);
    }
    return;
  }
  load.ReadGridLine(trimmed, lut, k3dlValues, std::ldexp(1.0, load.Scale) - 1.0);
}

void T3dlLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                          TWriteMode mode) const {
  const int n = GridSizeToWrite(lut);
  const TValueWriter codes = TValueWriter::ScaledInt(CodeBitsToWrite(bits));
  TTextFile text;
  text.StreamTo(path, mode);
  AddCommentLines(text, lut);
  text.Add(kConvertedBy);
  text.Add(BreakpointLine(n));
  AddGridLines(text, lut, k3dlValues, codes);
  text.Save(path, mode);
}

}  // namespace vorn
