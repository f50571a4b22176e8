// Imageworks' matrix file: twelve numbers, read as a 3x4 matrix and sampled onto a grid.

#include "formats/ImageworksMatrixFormat.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <string_view>

#include "formats/ColourOperators.h"

namespace vorn {

namespace {

constexpr std::size_t kMatrixNumbers = 12;
// Twelve numbers fit in far fewer bytes; a longer file is something else.
constexpr std::size_t kMaxMatrixFileBytes = 4096;

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Calls take(word, line) for every word of text (separated by blanks and line breaks, lines
// counted from 1) until take returns false.
template <class Take>
void ForEachWord(std::string_view text, const Take& take) {
  int line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsSeparator(text[i])) {
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
        ++line;
      }
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && !IsSeparator(text[i])) ++i;
    if (!take(text.substr(start, i - start), line)) return;
  }
}

// The twelve numbers of text, or false when it holds anything else.
bool ReadMatrixNumbers(std::string_view text, std::array<double, kMatrixNumbers>& numbers) {
  std::size_t count = 0;
  bool valid = true;
  ForEachWord(text, [&](std::string_view word, int) {
    double value = 0;
    valid = count < kMatrixNumbers && TryStrToFloat(word, value) && std::isfinite(value);
    if (valid) numbers[count++] = value;
    return valid;
  });
  return valid && count == kMatrixNumbers;
}

// As ReadMatrixNumbers, raising ELUTError (with the line) for what is wrong.
std::array<double, kMatrixNumbers> ParseMatrixNumbers(std::string_view text) {
  std::array<double, kMatrixNumbers> numbers{};
  std::size_t count = 0;
  ForEachWord(text, [&](std::string_view word, int line) {
    double value = 0;
    if (!TryStrToFloat(word, value) || !std::isfinite(value)) {
      std::string message(1, '"');
      message.append(word).append("\" is not a finite number.");
      ELUTError error(message);
      error.NoteLine(line);
      throw error;
    }
    if (count < kMatrixNumbers) numbers[count] = value;
    ++count;
    return true;
  });
  if (count != kMatrixNumbers) {
    throw ELUTError("The file holds " + std::to_string(count) +
                    " numbers; a matrix file holds 12 (three rows of three factors and an "
                    "offset).");
  }
  return numbers;
}

TMatrixParams MatrixFromNumbers(const std::array<double, kMatrixNumbers>& numbers) {
  TMatrixParams params;
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 3; ++column) {
      params.M[row * 3 + column] = numbers[row * 4 + column];
    }
    params.Offset[row] = numbers[row * 4 + 3] / TImageworksMatrixFormat::OffsetScale;
  }
  return params;
}

}  // namespace

bool TImageworksMatrixFormat::IsFormat(const std::string& path) const {
  if (!HasExtension(path, ".spimtx")) return false;
  const std::string head = ReadFileHead(path, kMaxMatrixFileBytes);
  std::array<double, kMatrixNumbers> numbers{};
  return head.size() < kMaxMatrixFileBytes && ReadMatrixNumbers(head, numbers);
}

void TImageworksMatrixFormat::Load(const std::string& path, TLUT& lut,
                                   TLoadContext& context) const {
  const std::string text = ReadFileHead(path, kMaxMatrixFileBytes);
  if (text.size() >= kMaxMatrixFileBytes) {
    throw ELUTError("The file is too long for a matrix file of 12 numbers.");
  }
  TOperatorChain chain;
  chain.push_back(MakeMatrixOperator(MatrixFromNumbers(ParseMatrixNumbers(text))));
  const int size = context.SampleSize > 0 ? context.SampleSize : kDefaultSampleSize;
  lut.Comments.clear();
  SampleChainOntoGrid(chain, size, lut);
  if (!OutputValueRange(lut).Finite) {
    throw ELUTError("The matrix gives values too large for a number at some nodes.");
  }
  lut.Comments.push_back("Sampled from a 3x4 matrix onto a grid of " + std::to_string(size) +
                         " nodes per axis.");
}

}  // namespace vorn
