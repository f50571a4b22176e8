#pragma once
// The line container of every text format. Lines are 8-bit text held in one buffer;
// a line is read as a string_view that stays valid until the container changes.
// Reading splits at CR, LF or CR LF and stops at the first NUL byte; writing puts
// LineBreak after every line, the last one included.
//
// A loaded text keeps only the start of every 32nd line beside its bytes and finds the
// others when they are read (in order, each costs one search for its break), so that a
// file of millions of empty lines costs little more memory than its own size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class TTextFile {
 public:
  std::string LineBreak = "\n";

  // Replaces the lines with the lines of the file.
  void Load(const std::string& path);
  // Replaces the lines with the lines of the text.
  void SetText(std::string_view text);
  // Writes every line followed by LineBreak in one write; the text is complete before
  // the file is touched.
  void Save(const std::string& path) const;
  // The text Save writes.
  std::string Text() const;

  std::size_t Count() const { return Indexed_ ? IndexedCount_ : Lines_.size(); }
  std::string_view operator[](std::size_t i) const {
    if (Indexed_) return IndexedLine(i);
    return std::string_view(Buffer_.data() + Lines_[i].Offset, Lines_[i].Length);
  }
  void Add(std::string_view line);
  void Clear();
  // Room for the given number of lines and bytes, for writers that know their size.
  void Reserve(std::size_t lines, std::size_t bytes);

 private:
  void Split();
  void AddSpan(std::size_t offset, std::size_t length);
  void ReserveSpans(std::size_t lines);
  // Loaded text.
  std::string_view IndexedLine(std::size_t i) const;
  std::size_t BreakAt(std::size_t start) const;
  std::size_t NextStart(std::size_t end) const;
  void MakeSpans();

  struct LineSpan {
    std::uint32_t Offset;
    std::uint32_t Length;
  };
  std::string Buffer_;
  // Added lines (and loaded lines once a line is added to them).
  std::vector<LineSpan> Lines_;
  // True while Buffer_ is exactly every line followed by PackedBreak_ (only added lines).
  bool Packed_ = true;
  std::string PackedBreak_ = "\n";

  // Loaded text: the start of every kStride-th line, and where reading left off.
  bool Indexed_ = false;
  bool HasCR_ = false;
  std::size_t IndexedCount_ = 0;
  std::vector<std::uint32_t> Starts_;
  struct TCursor {
    std::size_t Line = static_cast<std::size_t>(-1);
    std::size_t Start = 0;
    std::size_t End = 0;
    // The next CR and LF at or after the positions they were searched from.
    std::size_t LFFrom = 1;
    std::size_t LF = 0;
    std::size_t CRFrom = 1;
    std::size_t CR = 0;
  };
  mutable TCursor Cursor_;
};

}  // namespace vorn
